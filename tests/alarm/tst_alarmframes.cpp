// Request frames of the alarm module against byte vectors written out by hand.

#include "alarm/AlarmExchange.h"
#include "alarm/AlarmFrames.h"
#include "alarm/AlarmRecords.h"

#include <QtTest>

using namespace AlarmFrames;

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}
QByteArray zeros(int n)
{
    return QByteArray(n, '\0');
}
} // namespace

class TestAlarmFrames : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void longWrites_data();
    void longWrites();
    void phoneTable_data();
    void phoneTable();
    void codes_data();
    void codes();
    void numbers_data();
    void numbers();
    void readAll_data();
    void readAll();
    void smsContent_data();
    void smsContent();
    void smsFrames_data();
    void smsFrames();
};

void TestAlarmFrames::frames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");
    // The frames the area tests do not already hold byte for byte.
    auto row = [](const char *tag, const QByteArray &frame, const char *afterPreamble) {
        QTest::newRow(tag) << frame << hex("1A2A3A4A5A6A7A8A") + hex(afterPreamble);
    };
    row("B4 read ch5", ReadDiSettings(5), "B40205");
    row("B5 read ch7", ReadDoSettings(7), "B50207");
    row("98 state ch3 is 10 bytes", ReadDiState(3), "9803");
    row("A1 receive only", PasswordMode(PasswordFlags(false, true)), "A10102");
    row("A2 first digit 9 goes out as 01", ReceiverNumber(QStringLiteral("90123456789")),
        "A20101 0123456789");
    row("A3 big-endian", RestartTime(0x01020304u), "A301 01020304");
    row("99 close relay 4", DoControl(4, true), "990401");
    row("99 open relay 0", DoControl(0, false), "990000");
    row("D2 delays", WakeDelays(0x0102, 0x0304), "D201 01020304");
    row("D3 on", PowerSaving(true), "D30101");
    row("D9 clear", PhoneTableClear(), "D90401");
    row("DB wake mode is 14 bytes", WakeMode(1), "DB0101 000000");
    row("E1 address", AddressSettings(3, 0x10, 0xFF, 2), "E101 0310FF02");
    row("E2 plain", PassiveAddress(0x12, 0x34), "E201 1234");
    row("EC code", VersionCode(QStringLiteral("AB12cd")), "EC01 414231326364");
    row("EC short code zero filled", VersionCode(QStringLiteral("AB")), "EC01 414200000000");
    row("F1 lower case is 0", SmsPassword(QStringLiteral("ab:CD:ef:12:")), "F101 00CD0012");
    row("F8 active", WorkForm(1), "F80101");
    row("F9 transparent", TransferMode(0), "F90100");
    row("FB mode 1", TransparentMode(1), "FB0101");
}

void TestAlarmFrames::frames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
}

void TestAlarmFrames::longWrites_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("B4 all-zero record, checksum 00")
        << DiSettingsWrite(2, zeros(187)) << hex("1A2A3A4A5A6A7A8A B401 02 00") + zeros(187);

    QByteArray sum256 = hex("FF01") + zeros(185);
    QTest::newRow("B4 record summing to 256, checksum 00")
        << DiSettingsWrite(5, sum256) << hex("1A2A3A4A5A6A7A8A B401 05 00 FF01") + zeros(185);

    QTest::newRow("B4 short record zero filled")
        << DiSettingsWrite(0, hex("0203")) << hex("1A2A3A4A5A6A7A8A B401 00 05 0203") + zeros(185);

    // The window's design-time input record: high level only, both texts in Chinese.
    AlarmRecords::DiRecordValues di;
    di.trigger = 2;
    di.low = {QStringLiteral("设备已关闭\r\n"), false};
    di.high = {QStringLiteral("设备已开启\r\n"), false};
    QByteArray record;
    QCOMPARE(AlarmRecords::EncodeDiRecord(di, &record), AlarmRecords::EncodeResult::Ok);
    QTest::newRow("B4 design-time record")
        << DiSettingsWrite(1, record)
        << hex("1A2A3A4A5A6A7A8A B401 01 64 02 00 00 0E 0E"
               "8BBE59075DF2517395ED000D000A") +
               zeros(76) + hex("8BBE59075DF25F00542F000D000A") + zeros(76) + hex("0000");

    AlarmRecords::DoRecordValues relay;
    relay.mode = 1;
    relay.low = {QStringLiteral("设备关"), false};
    relay.high = {QStringLiteral("设备开"), false};
    QCOMPARE(AlarmRecords::EncodeDoRecord(relay, &record), AlarmRecords::EncodeResult::Ok);
    QTest::newRow("B5 design-time record")
        << DoSettingsWrite(3, record)
        << hex("1A2A3A4A5A6A7A8A B501 03 82 01 00 00 00 00 06 06 8BBE59075173") + zeros(54) +
               hex("8BBE59075F00") + zeros(54) + hex("0000");

    QTest::newRow("B5 all-zero record")
        << DoSettingsWrite(7, zeros(129)) << hex("1A2A3A4A5A6A7A8A B501 07 00") + zeros(129);
}

void TestAlarmFrames::longWrites()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.size(), expected.size());
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
}

void TestAlarmFrames::phoneTable_data()
{
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<QByteArray>("expected");

    // Three entries: the checksum covers offsets 11 (count) to 29 (last entry byte).
    QTest::newRow("three entries")
        << QStringList{QStringLiteral("13800138000"), QStringLiteral("10123456789"),
                       QStringLiteral("19876543210")}
        << hex("1A2A3A4A5A6A7A8A D902 CE 03 013800138000 010123456789 019876543210") + zeros(153);
    QTest::newRow("one entry") << QStringList{QStringLiteral("13800138000")}
                               << hex("1A2A3A4A5A6A7A8A D902 CD 01 013800138000") + zeros(165);
    QTest::newRow("first digit always 01")
        << QStringList{QStringLiteral("90123456789")}
        << hex("1A2A3A4A5A6A7A8A D902 5B 01 010123456789") + zeros(165);
    QTest::newRow("hex digits A-F") << QStringList{QStringLiteral("1ABCDEF0000")}
                                    << hex("1A2A3A4A5A6A7A8A D902 69 01 01ABCDEF0000") + zeros(165);
}

void TestAlarmFrames::phoneTable()
{
    QFETCH(QStringList, numbers);
    QFETCH(QByteArray, expected);
    const QByteArray frame = PhoneTableWrite(numbers);
    QCOMPARE(frame.size(), 183);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
}

void TestAlarmFrames::codes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("expected");

    QTest::newRow("1200bps") << int(BaudCode(QStringLiteral("1200bps"))) << 3;
    QTest::newRow("9600bps") << int(BaudCode(QStringLiteral("9600bps"))) << 6;
    QTest::newRow("14400bps typed") << int(BaudCode(QStringLiteral("14400bps"))) << 7;
    QTest::newRow("115200bps") << int(BaudCode(QStringLiteral("115200bps"))) << 11;
    QTest::newRow("9600 without bps") << int(BaudCode(QStringLiteral("9600"))) << 0;
    QTest::newRow("mode phone") << int(AlarmModeCode(QStringLiteral("电话"))) << 1;
    QTest::newRow("mode SMS") << int(AlarmModeCode(QStringLiteral("短信"))) << 2;
    QTest::newRow("mode both") << int(AlarmModeCode(QStringLiteral("电话+短信"))) << 3;
    QTest::newRow("mode empty box") << int(AlarmModeCode(QString())) << 0;
    QTest::newRow("address ASCII") << int(AddressTypeCode(QStringLiteral("ASCII"))) << 0;
    QTest::newRow("address hex") << int(AddressTypeCode(QStringLiteral("16进制"))) << 1;
    QTest::newRow("address BCD") << int(AddressTypeCode(QStringLiteral("BCD码"))) << 2;
    QTest::newRow("address Wex typed") << int(AddressTypeCode(QStringLiteral("Wex模式"))) << 3;
    QTest::newRow("relay 0") << int(LinkedRelayCode(QStringLiteral("继电器0"))) << 1;
    QTest::newRow("relay 7") << int(LinkedRelayCode(QStringLiteral("继电器7"))) << 8;
    QTest::newRow("relay none") << int(LinkedRelayCode(QString())) << 0;
    QTest::newRow("relay 8 not listed") << int(LinkedRelayCode(QStringLiteral("继电器8"))) << 0;
    QTest::newRow("hex pair 1A") << int(HexPair(QStringLiteral("1A"), 1)) << 0x1A;
    QTest::newRow("hex pair past the end") << int(HexPair(QStringLiteral("1A:2"), 4)) << 0x20;
}

void TestAlarmFrames::codes()
{
    QFETCH(int, code);
    QFETCH(int, expected);
    QCOMPARE(code, expected);
}

void TestAlarmFrames::numbers_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("restart"); // true: RestartUnits, false: WakeDelayCount
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("60 s is 12000 units") << 60.0 << true << true << qint64(12000);
    QTest::newRow("0.004 s rounds to 1 unit") << 0.004 << true << true << qint64(1);
    QTest::newRow("0 s") << 0.0 << true << true << qint64(0);
    QTest::newRow("negative refused") << -1.0 << true << false << qint64(0);
    QTest::newRow("2^32 units refused") << 21474836.48 << true << false << qint64(0);
    QTest::newRow("largest unit count") << 21474836.47 << true << true << qint64(4294967294);
    QTest::newRow("10000 ms is 25") << 10000.0 << false << true << qint64(25);
    QTest::newRow("1000 ms, 2.5 to even") << 1000.0 << false << true << qint64(2);
    QTest::newRow("1400 ms, 3.5 to even") << 1400.0 << false << true << qint64(4);
    QTest::newRow("huge delay capped") << 1e9 << false << true << qint64(65535);
}

void TestAlarmFrames::numbers()
{
    QFETCH(double, value);
    QFETCH(bool, restart);
    QFETCH(bool, ok);
    QFETCH(qint64, expected);
    if (restart) {
        quint32 units = 0;
        QCOMPARE(RestartUnits(value, &units), ok);
        if (ok)
            QCOMPARE(qint64(units), expected);
    } else {
        QCOMPARE(qint64(WakeDelayCount(value)), expected);
    }
}

void TestAlarmFrames::readAll_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("0 firmware") << 0 << hex("1A2A3A4A5A6A7A8A AB03");
    QTest::newRow("1 restart time") << 1 << hex("1A2A3A4A5A6A7A8A A302");
    QTest::newRow("20 version") << 20 << hex("1A2A3A4A5A6A7A8A EC03");
    QTest::newRow("13 ends") << 13 << QByteArray();
    QTest::newRow("100 ends") << 100 << QByteArray();
}

void TestAlarmFrames::readAll()
{
    QFETCH(int, step);
    QFETCH(QByteArray, expected);
    QCOMPARE(AlarmExchange::readFrame(qint16(step)).toHex(' '), expected.toHex(' '));
}

void TestAlarmFrames::smsContent_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("ok");

    QTest::newRow("Chinese UCS-2")
        << int(SmsSendMode::Chinese) << QStringLiteral("测试A") << hex("6D4B8BD50041") << true;
    QTest::newRow("English") << int(SmsSendMode::English) << QStringLiteral("Hi!") << hex("486921")
                             << true;
    QTest::newRow("English refuses Chinese")
        << int(SmsSendMode::English) << QStringLiteral("A测") << QByteArray() << false;
    QTest::newRow("hex six characters")
        << int(SmsSendMode::Hex) << QStringLiteral("12:AB:") << hex("12AB") << true;
    QTest::newRow("hex four characters")
        << int(SmsSendMode::Hex) << QStringLiteral("12:A") << hex("12") << true;
    QTest::newRow("hex five characters")
        << int(SmsSendMode::Hex) << QStringLiteral("12:AB") << hex("12AB") << true;
}

void TestAlarmFrames::smsContent()
{
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QFETCH(bool, ok);
    bool encoded = true;
    const QByteArray bytes = SmsContent(SmsSendMode(mode), text, &encoded);
    QCOMPARE(encoded, ok);
    if (ok)
        QCOMPARE(bytes.toHex(' '), expected.toHex(' '));
}

void TestAlarmFrames::smsFrames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray receiver = SmsReceiverBytes(QStringLiteral("10000000000"));
    const QByteArray content = hex("6D4B8BD5"); // two characters in "汉字" mode
    QTest::newRow("read request") << SmsReadRequest(0x12, 0x34) << hex("24 1234 52 0D");
    QTest::newRow("state request") << SmsStateRequest(0x12, 0x34) << hex("24 1234 57 0000 0D");
    QTest::newRow("receiver bytes")
        << SmsReceiverBytes(QStringLiteral("13800138000")) << hex("01 3800138000");
    QTest::newRow("passive format example")
        << SmsSend(true, true, 0x12, 0x34, receiver, content)
        << hex("24 1234 57 000E D701 010000000000 0004 6D4B8BD5 0D");
    QTest::newRow("passive transparent") << SmsSend(true, false, 0x12, 0x34, receiver, content)
                                         << hex("24 1234 57 0004 6D4B8BD5 0D");
    QTest::newRow("active transparent: content only")
        << SmsSend(false, false, 0x12, 0x34, receiver, content) << hex("6D4B8BD5");
    QTest::newRow("active format") << SmsSend(false, true, 0x12, 0x34, receiver, content)
                                   << hex("D701 010000000000 0004 6D4B8BD5");
}

void TestAlarmFrames::smsFrames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
}

QTEST_GUILESS_MAIN(TestAlarmFrames)
#include "tst_alarmframes.moc"
