// The virtual alarm module as a line partner: how it frames requests, the writes it refuses, and
// the line troubles it can be told to make. What it answers to each request is checked through
// the product's own tests, which talk to it (tst_e2e_screens also over the in-memory line). And
// the corvane-sim program: the module served on a pseudo-terminal, reached by QSerialPort in real
// time, and the options it refuses.
#include "sim/AlarmModuleSim.h"
#include "support/AlarmTestKit.h"

#include <QProcess>
#include <QSerialPort>
#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "
#define SETOK " 5345544F4B3A"
#define SETFAIL " 5345544641494C3A"

namespace {

using L = QByteArrayList;

// Factory input record: high level, no group, interval 0, UCS-2 "设备已关闭\r\n" (low) and
// "设备已开启\r\n" (high), one alarm, no relay. Byte sum 0x65.
const QByteArray DefaultInput = hex("02 00 00 0E 0E 8BBE 5907 5DF2 5173 95ED 000D 000A") +
                                zeros(76) + hex("8BBE 5907 5DF2 5F00 542F 000D 000A") + zeros(76) +
                                hex("01 00");
// Factory relay record: level output, no reply, UCS-2 "设备关" / "设备开". Byte sum 0x82.
const QByteArray DefaultRelay = hex("01 00 00 00 00 06 06 8BBE 5907 5173") + zeros(54) +
                                hex("8BBE 5907 5F00") + zeros(54) + hex("00 00");
// Level change, group without administrator, 300 s, "OFF" / "ON" in ANSI, 5 alarms, relay 3.
// Byte sum 0xA9.
const QByteArray TestInput =
    hex("03 02 1E 83 82 4F4646") + zeros(87) + hex("4F4E") + zeros(88) + hex("05 04");
// Pulse output, reply with DI1, delays 10/5/6 s, "OFF" ANSI, "开" UCS-2, hold. Byte sum 0xDA.
const QByteArray TestRelay =
    hex("02 03 0A 05 06 83 02 4F4646") + zeros(57) + hex("5F00") + zeros(58) + hex("01 00");
// Three phone entries: 13800138000, 13912345678, 10123456789 (byte sum 0x77 with the count).
const QByteArray ThreeEntries = hex("03 013800138000 013912345678 010123456789");

// Sends each piece and collects everything the module answers, as spaced hex.
QString Exchange(AlarmModuleSim &sim, const QByteArrayList &pieces)
{
    QByteArray got;
    const auto c = QObject::connect(&sim, &AlarmModuleSim::reply,
                                    [&got](const QByteArray &bytes) { got += bytes; });
    for (const QByteArray &piece : pieces) {
        sim.feed(piece);
        sim.deliverAll();
    }
    QObject::disconnect(c);
    return QString::fromLatin1(got.toHex(' '));
}

} // namespace

class TestAlarmSim : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void exchange_data()
    {
        // fault: 0 none, 1 wrong preamble, 2 bad checksum, 3 truncated, 4 noise (negative: always),
        // 5 silent.
        QTest::addColumn<int>("fault");
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<QByteArray>("answers");
        const auto row = [](const char *tag, int fault, const L &pieces,
                            const QByteArray &answers) {
            QTest::newRow(tag) << fault << pieces << answers;
        };
        const QByteArray in = hex(P "B4 01 03 A9") + TestInput,
                         out = hex(P "B5 01 07 DA") + TestRelay;
        const QByteArray phones = ThreeEntries + zeros(153), readPhones = hex(P "D9 01");
        const QByteArray f8 = hex(P "F8 03"), f8Answer = hex(P "F8 00 00");
        const QByteArray wrongF8 = hex("1A 2A 3A 4A 5A 6A 7A 8B F8 00 00");

        // Writes the module refuses leave its state alone; the same writes with the right sum
        // are taken.
        row("input record taken", 0, {in, hex(P "B4 02 03")},
            hex(P "B4 03" SETOK P "B4 03 BC A9") + TestInput);
        row("relay record taken", 0, {out, hex(P "B5 02 07")},
            hex(P "B5 03" SETOK P "B5 07 82 DA") + TestRelay);
        row("phone table taken", 0, {hex(P "D9 02 77") + phones, readPhones},
            hex(P "D9 02" SETOK P "D9 01 77") + ThreeEntries + zeros(102));
        row("input record, checksum off by one", 0,
            {hex(P "B4 01 03 A8") + TestInput, hex(P "B4 02 03")},
            hex(P "B4 03" SETFAIL P "B4 03 BC 65") + DefaultInput);
        row("relay record, checksum of another record", 0,
            {hex(P "B5 01 07 82") + TestRelay, hex(P "B5 02 07")},
            hex(P "B5 03" SETFAIL P "B5 07 82 82") + DefaultRelay);
        row("phone table, checksum without the last entry byte", 0,
            {hex(P "D9 02 EE") + phones, readPhones},
            hex(P "D9 02" SETFAIL P "D9 01 00 00") + zeros(120));
        row("phone table of 21 entries", 0, {hex(P "D9 02 15 15") + zeros(171)},
            hex(P "D9 02" SETFAIL));
        row("clear without its 01", 0, {hex(P "D9 02 77") + phones, hex(P "D9 04 00"), readPhones},
            hex(P "D9 02" SETOK P "D9 04 434C524641494C3A" P "D9 01 77") + ThreeEntries +
                zeros(102));
        row("wrong version code", 0, {hex(P "EC 01 36 35 34 33 32 31")}, hex(P "EC" SETFAIL));

        // Requests split, joined and mixed with line garbage.
        L bytewise;
        for (const char b : f8)
            bytewise << QByteArray(1, b);
        row("one byte at a time", 0, bytewise, f8Answer);
        row("two requests in one write", 0, {hex(P "F8 03" P "F9 03")},
            hex(P "F8 00 00" P "F9 00 01"));
        row("garbage before a request", 0, {hex("FF 00 1A 2B 55" P "F8 03")}, f8Answer);
        row("preamble with a wrong last byte is dropped", 0,
            {hex("1A 2A 3A 4A 5A 6A 7A 8B F8 03" P "F9 03")}, hex(P "F9 00 01"));
        row("request cut short by the next one", 0, {hex(P "B4 01 03 A9 03 02 1E"), f8}, f8Answer);
        row("unknown request skipped", 0, {hex(P "C0 03" P "F8 03")}, f8Answer);
        row("long write in pieces", 0, {in.left(5), in.mid(5, 100), in.mid(105)},
            hex(P "B4 03" SETOK));

        // Injected faults, once or always.
        row("wrong preamble once", 1, {f8, f8}, wrongF8 + f8Answer);
        row("wrong preamble always", -1, {f8, f8}, wrongF8 + wrongF8);
        row("wrong preamble waits for a framed answer", 1, {hex(P "98 00"), f8},
            hex("3C 31") + wrongF8);
        row("bad checksum on the phone table", 2, {readPhones, readPhones},
            hex(P "D9 01 01 00") + zeros(120) + hex(P "D9 01 00 00") + zeros(120));
        row("bad checksum waits for a checksummed answer", 2, {f8, hex(P "B5 02 00")},
            f8Answer + hex(P "B5 00 82 83") + DefaultRelay);
        row("truncated always", -3, {hex(P "FE 03"), hex(P "D1 03")}, hex(P "FD 01 00" P "D1 00"));
        row("noise always, also before text", -4, {hex(P "98 00"), f8},
            hex("FF 00 55 AA 3C 31 FF 00 55 AA" P "F8 00 00"));
        row("silent: reads nothing, answers nothing", 5, {hex(P "FE 03"), f8}, QByteArray());
    }
    void exchange()
    {
        QFETCH(int, fault);
        QFETCH(QByteArrayList, pieces);
        QFETCH(QByteArray, answers);
        FaultMode AlarmSimOptions::*const modes[] = {
            &AlarmSimOptions::wrongPreamble, &AlarmSimOptions::badChecksum,
            &AlarmSimOptions::truncate, &AlarmSimOptions::noise};
        AlarmSimOptions options;
        options.silent = fault == 5;
        if (fault && fault != 5)
            options.*modes[qAbs(fault) - 1] = fault < 0 ? FaultMode::Always : FaultMode::Once;
        AlarmModuleSim sim;
        sim.setOptions(options);
        QCOMPARE(Exchange(sim, pieces), QString::fromLatin1(answers.toHex(' ')));
    }

    // Empty answer: the options are refused (exit code 2, a message on stderr that holds the
    // request column's text).
    void program_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("defaults") << QStringList() << hex(P "FE 03") << hex(P "FD 01 00 00");
        QTest::newRow("noise, delayed, in pieces")
            << QStringList{"--fault", "noise:always", "--delay", "50", "--chunk", "4"}
            << hex(P "F8 03") << hex("FF 00 55 AA" P "F8 00 00");
        for (const char *option : {"--work-form=sideways", "--transfer=transparent3",
                                   "--delay=soon", "--fault=static", "--fault=noise:often"})
            QTest::newRow(option) << QStringList{option} << QByteArray() << QByteArray();
        QTest::newRow("--module=foo") << QStringList{"--module=foo"}
                                      << QByteArray("unknown module name 'foo'") << QByteArray();
    }
    void program()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        QProcess sim;
        sim.start(QStringLiteral(CORVANE_BINARY_DIR "/bin/corvane-sim"), arguments);
        if (answer.isEmpty()) {
            QVERIFY(sim.waitForFinished(5000));
            QCOMPARE(sim.exitCode(), 2);
            QVERIFY(sim.readAllStandardOutput().isEmpty());
            const QByteArray message = sim.readAllStandardError();
            QVERIFY(message.startsWith("corvane-sim: ") && message.contains(request));
            return;
        }
        QVERIFY(sim.waitForReadyRead(5000));
        const QString line = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(line.startsWith("corvane-sim: serving /dev/"), qPrintable(line));
        QSerialPort port(line.mid(QStringLiteral("corvane-sim: serving ").size()));
        port.setBaudRate(9600);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        QByteArray got;
        connect(&port, &QSerialPort::readyRead, this, [&] { got += port.readAll(); });
        port.write(request);
        QTRY_COMPARE_WITH_TIMEOUT(got.toHex(' '), answer.toHex(' '), 3000);
        sim.terminate(); // SIGTERM
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAlarmSim)
#include "tst_alarmsim.moc"
