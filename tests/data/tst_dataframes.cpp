// Data-module frames: every builder against bytes written out from the command table, and the
// address and data texts of the window.

#include "data/DataFrames.h"
#include "support/AlarmTestKit.h"

#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

namespace F = DataFrames;

class TestDataFrames : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void frames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("expected");
        auto row = [](const char *tag, const QByteArray &frame, const char *bytes) {
            QTest::newRow(tag) << frame << hex(bytes);
        };
        row("read F4", F::ReadFrame(0xF4), P "F4 03");
        row("heartbeat 300 s", F::Heartbeat(300), P "F6 01 01 2C");
        row("heartbeat 600 s", F::Heartbeat(600), P "F6 01 02 58");
        row("wake 1000 ms / 10000 ms", F::WakeDelays(1000, 10000), P "D2 01 00 02 00 19");
        row("wake halves to even: 200 and 600 ms", F::WakeDelays(200, 600), P "D2 01 00 00 00 02");
        row("wake 1400 ms and 60 s", F::WakeDelays(1400, 60000), P "D2 01 00 04 00 96");
        row("power saving on", F::PowerSaving(true), P "D3 01 01");
        row("wake mode 2", F::WakeMode(true), P "DB 01 01");
        row("address parameters", F::AddressParams(1, 2, 30, 2), P "E1 01 01 02 1E 02");
        row("passive address 5", F::PassiveAddress("5"), P "E2 01 30 35");
        row("restart count", F::RestartCount(200), P "E4 01 C8");
        row("baud 115200", F::Baud(F::BaudCodeOf("115200bps")), P "F2 01 0B");
        row("work mode active", F::WorkMode(true), P "F8 01 01");
        row("format", F::DataFormat(true), P "F9 01 01");
        row("transparent mode 2", F::TransparentMode(false), P "FB 01 00");
        row("identity 1 012", F::IdentityAddress("1", "012"), P "F4 01 10 12");
        row("identity replace", F::IdentityAddress("A", "BCD", true), P "F4 02 AB CD");
        row("lower-case digits count as 0", F::IdentityAddress("f", "1a3"), P "F4 01 01 03");
        row("target", F::TargetAddress("3", "F00"), P "F3 01 3F 00");
        row("poll", F::PollFrame(hex("12 34")), "24 12 34 52 0D");
        row("memory check", F::EmptyCheckFrame(hex("12 34")), "24 12 34 57 00 00 0D");
        row("passive transparent data", F::PassiveDataFrame(hex("12 34"), false, {}, hex("01 02")),
            "24 12 34 57 00 08 01 02 0D");
        row("passive format data",
            F::PassiveDataFrame(hex("12 34"), true, hex("56 78"), hex("01 02 03")),
            "24 12 34 57 00 09 D7 01 56 78 01 02 03 0D");
        row("active format data", F::FormatDataFrame(hex("56 78"), hex("AA BB")),
            "D7 01 56 78 00 02 AA BB");
        row("data text: three numbers", F::DataBytes("01:0A:FF:"), "01 0A FF");
        row("data text: a trailing half is dropped", F::DataBytes("01:0A:F"), "01 0A");
        row("address text", F::AddressBytes("12:AB"), "12 AB");
    }
    void frames()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, expected);
        QCOMPARE(frame.toHex(' '), expected.toHex(' '));
    }

    void checksAndBaudTexts()
    {
        using C = F::AddressCheck;
        QVERIFY(F::CheckAddress("", "012") == C::NoProject);
        QVERIFY(F::CheckAddress("1", "12") == C::BadStation); // "12" refused
        QVERIFY(F::CheckAddress("1", "0123") == C::BadStation);
        QVERIFY(F::CheckAddress("1", "012") == C::Ok); // "012" accepted
        QCOMPARE(F::BaudTextOf(3) + F::BaudTextOf(11), QStringLiteral("1200bps115200bps"));
        QVERIFY(F::BaudTextOf(12).isEmpty() && F::BaudTextOf(2).isEmpty());
        QCOMPARE(int(F::BaudCodeOf("9600")), 0);
    }
};

QTEST_GUILESS_MAIN(TestDataFrames)
#include "tst_dataframes.moc"
