// Request frames of the alarm module against byte vectors written out by hand, and the values
// the windows turn into frame bytes.

#include "alarm/AlarmExchange.h"
#include "alarm/AlarmFrames.h"
#include "alarm/AlarmRecords.h"
#include "alarm/AlarmSequences.h"
#include "support/AlarmTestKit.h"

#include <QtTest>

using namespace AlarmFrames;

namespace {
const QByteArray P = hex("1A2A3A4A5A6A7A8A");
} // namespace

class TestAlarmFrames : public QObject
{
    Q_OBJECT

private slots:
    void frames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("expected");
        // The frames the area tests do not already hold byte for byte.
        auto row = [](const char *tag, const QByteArray &frame, const QByteArray &expected) {
            QTest::newRow(tag) << frame << expected;
        };
        row("B4 read ch5", ReadDiSettings(5), P + hex("B40205"));
        row("B5 read ch7", ReadDoSettings(7), P + hex("B50207"));
        row("98 state ch3 is 10 bytes", ReadDiState(3), P + hex("9803"));
        row("A1 receive only", PasswordMode(PasswordFlags(false, true)), P + hex("A10102"));
        row("A2 first digit 9 goes out as 01", ReceiverNumber(QStringLiteral("90123456789")),
            P + hex("A20101 0123456789"));
        row("A3 big-endian", RestartTime(0x01020304u), P + hex("A301 01020304"));
        row("99 close relay 4", DoControl(4, true), P + hex("990401"));
        row("99 open relay 0", DoControl(0, false), P + hex("990000"));
        row("D2 delays", WakeDelays(0x0102, 0x0304), P + hex("D201 01020304"));
        row("D3 on", PowerSaving(true), P + hex("D30101"));
        row("D9 clear", PhoneTableClear(), P + hex("D90401"));
        row("DB wake mode is 14 bytes", WakeMode(1), P + hex("DB0101 000000"));
        row("E1 address", AddressSettings(3, 0x10, 0xFF, 2), P + hex("E101 0310FF02"));
        row("E2 plain", PassiveAddress(0x12, 0x34), P + hex("E201 1234"));
        row("EC code", VersionCode(QStringLiteral("AB12cd")), P + hex("EC01 414231326364"));
        row("EC short code zero filled", VersionCode(QStringLiteral("AB")),
            P + hex("EC01 414200000000"));
        row("EC long code: six characters, the frame keeps its size",
            VersionCode(QStringLiteral("AB12cdEF")), P + hex("EC01 414231326364"));
        row("F1 lower case is 0", SmsPassword(QStringLiteral("ab:CD:ef:12:")),
            P + hex("F101 00CD0012"));
        row("F8 active", WorkForm(1), P + hex("F80101"));
        row("F9 transparent", TransferMode(0), P + hex("F90100"));
        row("FB mode 1", TransparentMode(1), P + hex("FB0101"));
        // The read-all order's frames.
        row("read 0 firmware", AlarmExchange::readFrame(0), P + hex("AB03"));
        row("read 1 restart time uses 02", AlarmExchange::readFrame(1), P + hex("A302"));
        row("read 20 version", AlarmExchange::readFrame(20), P + hex("EC03"));
        row("read 13 ends", AlarmExchange::readFrame(13), QByteArray());
        row("read 100 ends", AlarmExchange::readFrame(100), QByteArray());
        // Long writes: checksum in front of the bytes it covers, zero filled or cut.
        row("B4 all-zero record", DiSettingsWrite(2, zeros(187)),
            P + hex("B401 02 00") + zeros(187));
        row("B4 record summing to 256", DiSettingsWrite(5, hex("FF01") + zeros(185)),
            P + hex("B401 05 00 FF01") + zeros(185));
        row("B4 short record zero filled", DiSettingsWrite(0, hex("0203")),
            P + hex("B401 00 05 0203") + zeros(185));
        row("B5 all-zero record", DoSettingsWrite(7, zeros(129)),
            P + hex("B501 07 00") + zeros(129));
        AlarmRecords::DiRecordValues di;
        di.trigger = 2;
        di.low = {QStringLiteral("设备已关闭\r\n"), false};
        di.high = {QStringLiteral("设备已开启\r\n"), false};
        QByteArray record;
        AlarmRecords::EncodeDiRecord(di, &record);
        row("B4 design-time record", DiSettingsWrite(1, record),
            P + hex("B401 01 64 02 00 00 0E 0E 8BBE59075DF2517395ED000D000A") + zeros(76) +
                hex("8BBE59075DF25F00542F000D000A") + zeros(76) + hex("0000"));
        AlarmRecords::DoRecordValues relay;
        relay.mode = 1;
        relay.low = {QStringLiteral("设备关"), false};
        relay.high = {QStringLiteral("设备开"), false};
        AlarmRecords::EncodeDoRecord(relay, &record);
        row("B5 design-time record", DoSettingsWrite(3, record),
            P + hex("B501 03 82 01 00 00 00 00 06 06 8BBE59075173") + zeros(54) +
                hex("8BBE59075F00") + zeros(54) + hex("0000"));
        // Phone table: the checksum covers the count and the entries.
        row("D9 three entries", PhoneTableWrite({"13800138000", "10123456789", "19876543210"}),
            P + hex("D902 CE 03 013800138000 010123456789 019876543210") + zeros(153));
        row("D9 hex digits A-F", PhoneTableWrite({"1ABCDEF0000"}),
            P + hex("D902 69 01 01ABCDEF0000") + zeros(165));
        // The code prompt: six characters with a one-byte code each, nothing else.
        row("code prompt, six letters", AlarmSequences::VersionCodeFrame("abcDEF"),
            P + hex("EC01616263444546"));
        row("code prompt, euro sign one byte", AlarmSequences::VersionCodeFrame("abcDE€"),
            P + hex("EC01616263444580"));
        row("code prompt without GBK, six letters",
            AlarmSequences::VersionCodeFrame("abcDEF", false), P + hex("EC01616263444546"));
        row("code prompt without GBK refuses the euro sign",
            AlarmSequences::VersionCodeFrame("abcDE€", false), QByteArray());
        for (const char *refused : {"12345678", "12345", "", "一二三四五六"})
            row(qPrintable(QStringLiteral("code prompt refuses \"%1\"").arg(refused)),
                AlarmSequences::VersionCodeFrame(QString::fromUtf8(refused)), QByteArray());
    }
    void frames()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, expected);
        QCOMPARE(frame.toHex(' '), expected.toHex(' '));
    }

    // Control texts and numbers turned into frame bytes.
    void codes_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");
        auto row = [](const char *tag, double value, double expected) {
            QTest::newRow(tag) << value << expected;
        };
        row("baud 1200bps", BaudCode("1200bps"), 3);
        row("baud 115200bps", BaudCode("115200bps"), 11);
        row("baud 9600 without bps", BaudCode("9600"), 0);
        row("mode empty box", AlarmModeCode(QString()), 0);
        row("address Wex typed", AddressTypeCode(QStringLiteral("Wex模式")), 3);
        row("relay 7", LinkedRelayCode(QStringLiteral("继电器7")), 8);
        row("relay 8 not listed", LinkedRelayCode(QStringLiteral("继电器8")), 0);
        row("hex pair past the end", HexPair("1A:2", 4), 0x20);
        quint32 units = 0;
        row("0.004 s rounds to 1 unit", RestartUnits(0.004, &units) ? double(units) : -1, 1);
        row("negative time refused", RestartUnits(-1, &units) ? double(units) : -1, -1);
        row("zero is a time of its own", RestartUnits(0, &units) ? double(units) : -1, 0);
        row("2^32 units refused", RestartUnits(21474836.48, &units) ? double(units) : -1, -1);
        row("largest unit count", RestartUnits(21474836.47, &units) ? double(units) : -1,
            4294967294.0);
        row("1000 ms, 2.5 to even", WakeDelayCount(1000), 2);
        row("1400 ms, 3.5 to even", WakeDelayCount(1400), 4);
        row("huge delay capped", WakeDelayCount(1e9), 65535);
        using AlarmSequences::TextNumber;
        row("number with leading blanks", TextNumber("  250"), 250);
        row("number with trailing text", TextNumber("12abc"), 12);
        row("negative decimal", TextNumber("-3.5"), -3.5);
        row("plus sign", TextNumber("+7"), 7);
        row("fraction only", TextNumber(".5s"), 0.5);
        row("exponent", TextNumber("1e3ms"), 1000);
        row("e without digits", TextNumber("2e"), 2);
        row("sign only", TextNumber("-"), 0);
    }
    void codes()
    {
        QFETCH(double, value);
        QTEST(value, "expected");
    }
};

QTEST_GUILESS_MAIN(TestAlarmFrames)
#include "tst_alarmframes.moc"
