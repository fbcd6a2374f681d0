// The virtual alarm module as a line partner: how it frames requests, the writes it refuses, and
// the line troubles it can be told to make. What it answers to each request is checked through
// the product's own tests, which talk to it.
#include "core/MemorySerialBackend.h"
#include "sim/AlarmModuleSim.h"
#include "sim/SimAttach.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// Hexadecimal text to bytes; spaces are only for reading.
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}
QByteArray zeros(int n)
{
    return QByteArray(n, '\0');
}

#define P "1A2A3A4A5A6A7A8A "

// Factory input record: high level, no group, interval 0, UCS-2 "设备已关闭\r\n" (low) and
// "设备已开启\r\n" (high), one alarm, no relay. Byte sum 0x65.
QByteArray DefaultInputRecord()
{
    return hex("02 00 00 0E 0E") + hex("8BBE 5907 5DF2 5173 95ED 000D 000A") + zeros(76) +
           hex("8BBE 5907 5DF2 5F00 542F 000D 000A") + zeros(76) + hex("01 00");
}
// Factory relay record: level output, no reply, UCS-2 "设备关" / "设备开". Byte sum 0x82.
QByteArray DefaultRelayRecord()
{
    return hex("01 00 00 00 00 06 06") + hex("8BBE 5907 5173") + zeros(54) + hex("8BBE 5907 5F00") +
           zeros(54) + hex("00 00");
}
// Level change, group without administrator, 300 s, "OFF" / "ON" in ANSI, 5 alarms, relay 3.
// Byte sum 0xA9.
QByteArray TestInputRecord()
{
    return hex("03 02 1E 83 82") + hex("4F4646") + zeros(87) + hex("4F4E") + zeros(88) +
           hex("05 04");
}
// Pulse output, reply with DI1, delays 10/5/6 s, "OFF" ANSI, "开" UCS-2, hold. Byte sum 0xDA.
QByteArray TestRelayRecord()
{
    return hex("02 03 0A 05 06 83 02") + hex("4F4646") + zeros(57) + hex("5F00") + zeros(58) +
           hex("01 00");
}
// Three phone entries: 13800138000, 13912345678, 10123456789 (byte sum 0x77 with the count).
const char *ThreeEntries = "03 013800138000 013912345678 010123456789";

// Sends each request and collects everything the module answers to it.
QByteArrayList Exchange(AlarmModuleSim &sim, const QByteArrayList &requests)
{
    QByteArrayList answers;
    for (const QByteArray &request : requests) {
        QByteArray got;
        const auto c = QObject::connect(&sim, &AlarmModuleSim::reply,
                                        [&got](const QByteArray &bytes) { got += bytes; });
        sim.feed(request);
        sim.deliverAll();
        QObject::disconnect(c);
        answers << got;
    }
    return answers;
}

void AddExchangeColumns()
{
    QTest::addColumn<QByteArrayList>("requests");
    QTest::addColumn<QByteArrayList>("answers");
}

void CompareExchange(AlarmModuleSim &sim)
{
    QFETCH(QByteArrayList, requests);
    QFETCH(QByteArrayList, answers);
    const QByteArrayList got = Exchange(sim, requests);
    QCOMPARE(got.size(), answers.size());
    for (int i = 0; i < got.size(); ++i)
        QCOMPARE(got[i].toHex(' '), answers[i].toHex(' '));
}

} // namespace

class TestAlarmSim : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // ---- writes the module refuses leave its state alone; the same writes with the right sum
    // are taken ----
    void refusedWrites_data()
    {
        AddExchangeColumns();
        const QByteArray setFail = hex("5345544641494C3A");
        QTest::newRow("input record taken")
            << QByteArrayList{hex(P "B4 01 03 A9") + TestInputRecord(), hex(P "B4 02 03")}
            << QByteArrayList{hex(P "B4 03 5345544F4B3A"),
                              hex(P "B4 03 BC A9") + TestInputRecord()};
        QTest::newRow("relay record taken")
            << QByteArrayList{hex(P "B5 01 07 DA") + TestRelayRecord(), hex(P "B5 02 07")}
            << QByteArrayList{hex(P "B5 03 5345544F4B3A"),
                              hex(P "B5 07 82 DA") + TestRelayRecord()};
        QTest::newRow("phone table taken")
            << QByteArrayList{hex(P "D9 02 77") + hex(ThreeEntries) + zeros(153), hex(P "D9 01")}
            << QByteArrayList{hex(P "D9 02 5345544F4B3A"),
                              hex(P "D9 01 77") + hex(ThreeEntries) + zeros(102)};
        QTest::newRow("input record, checksum off by one")
            << QByteArrayList{hex(P "B4 01 03 A8") + TestInputRecord(), hex(P "B4 02 03")}
            << QByteArrayList{hex(P "B4 03") + setFail,
                              hex(P "B4 03 BC 65") + DefaultInputRecord()};
        QTest::newRow("input record for input 8")
            << QByteArrayList{hex(P "B4 01 08 A9") + TestInputRecord()}
            << QByteArrayList{hex(P "B4 03") + setFail};
        QTest::newRow("relay record, checksum of another record")
            << QByteArrayList{hex(P "B5 01 07 82") + TestRelayRecord(), hex(P "B5 02 07")}
            << QByteArrayList{hex(P "B5 03") + setFail,
                              hex(P "B5 07 82 82") + DefaultRelayRecord()};
        QTest::newRow("phone table, checksum without the last entry byte")
            << QByteArrayList{hex(P "D9 02 EE") + hex(ThreeEntries) + zeros(153), hex(P "D9 01")}
            << QByteArrayList{hex(P "D9 02") + setFail, hex(P "D9 01 00 00") + zeros(120)};
        QTest::newRow("phone table, checksum without the count")
            << QByteArrayList{hex(P "D9 02 74") + hex(ThreeEntries) + zeros(153)}
            << QByteArrayList{hex(P "D9 02") + setFail};
        QTest::newRow("phone table of no entry")
            << QByteArrayList{hex(P "D9 02 00 00") + zeros(171)}
            << QByteArrayList{hex(P "D9 02") + setFail};
        QTest::newRow("phone table of 21 entries")
            << QByteArrayList{hex(P "D9 02 15 15") + zeros(171)}
            << QByteArrayList{hex(P "D9 02") + setFail};
        QTest::newRow("clear without its 01")
            << QByteArrayList{hex(P "D9 02 77") + hex(ThreeEntries) + zeros(153), hex(P "D9 04 00"),
                              hex(P "D9 01")}
            << QByteArrayList{hex(P "D9 02 5345544F4B3A"), hex(P "D9 04 434C524641494C3A"),
                              hex(P "D9 01 77") + hex(ThreeEntries) + zeros(102)};
        QTest::newRow("wrong version code") << QByteArrayList{hex(P "EC 01 36 35 34 33 32 31")}
                                            << QByteArrayList{hex(P "EC") + setFail};
    }
    void refusedWrites()
    {
        AlarmModuleSim sim;
        CompareExchange(sim);
    }

    // ---- requests split, joined and mixed with line garbage ----
    void framing_data()
    {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QByteArray>("answer");
        QByteArrayList bytewise;
        for (const char b : hex(P "F8 03"))
            bytewise << QByteArray(1, b);
        QTest::newRow("one byte at a time") << bytewise << hex(P "F8 00 00");
        QTest::newRow("split inside the preamble")
            << QByteArrayList{hex("1A 2A 3A"), hex("4A 5A 6A 7A 8A F9"), hex("03")}
            << hex(P "F9 00 01");
        QTest::newRow("two requests in one write")
            << QByteArrayList{hex(P "F8 03" P "F9 03")} << hex(P "F8 00 00" P "F9 00 01");
        QTest::newRow("garbage before a request")
            << QByteArrayList{hex("FF 00 1A 2B 55" P "F8 03")} << hex(P "F8 00 00");
        QTest::newRow("preamble with a wrong last byte is dropped")
            << QByteArrayList{hex("1A 2A 3A 4A 5A 6A 7A 8B F8 03" P "F9 03")} << hex(P "F9 00 01");
        QTest::newRow("request cut short by the next one")
            << QByteArrayList{hex(P "B4 01 03 A9 03 02 1E"), hex(P "F8 03")} << hex(P "F8 00 00");
        QTest::newRow("unknown request skipped")
            << QByteArrayList{hex(P "C0 03" P "F8 03")} << hex(P "F8 00 00");
        const QByteArray write = hex(P "B4 01 03 A9") + TestInputRecord();
        QTest::newRow("long write in pieces")
            << QByteArrayList{write.left(5), write.mid(5, 100), write.mid(105)}
            << hex(P "B4 03 5345544F4B3A");
    }
    void framing()
    {
        QFETCH(QByteArrayList, chunks);
        QFETCH(QByteArray, answer);
        AlarmModuleSim sim;
        QCOMPARE(Exchange(sim, chunks).join().toHex(' '), answer.toHex(' '));
    }

    // ---- injected faults ----
    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("always");
        QTest::addColumn<QByteArrayList>("requests");
        QTest::addColumn<QByteArrayList>("answers");
        const QByteArray f8 = hex(P "F8 03");
        const QByteArray wrongF8 = hex("1A 2A 3A 4A 5A 6A 7A 8B F8 00 00");
        QTest::newRow("wrong preamble once") << "preamble" << false << QByteArrayList{f8, f8}
                                             << QByteArrayList{wrongF8, hex(P "F8 00 00")};
        QTest::newRow("wrong preamble always")
            << "preamble" << true << QByteArrayList{f8, f8} << QByteArrayList{wrongF8, wrongF8};
        QTest::newRow("wrong preamble waits for a framed answer")
            << "preamble" << false << QByteArrayList{hex(P "98 00"), f8}
            << QByteArrayList{hex("3C 31"), wrongF8};
        QTest::newRow("bad checksum on the phone table")
            << "checksum" << false << QByteArrayList{hex(P "D9 01"), hex(P "D9 01")}
            << QByteArrayList{hex(P "D9 01 01 00") + zeros(120), hex(P "D9 01 00 00") + zeros(120)};
        QTest::newRow("bad checksum waits for a checksummed answer")
            << "checksum" << false << QByteArrayList{f8, hex(P "B5 02 00")}
            << QByteArrayList{hex(P "F8 00 00"), hex(P "B5 00 82 83") + DefaultRelayRecord()};
        QTest::newRow("truncated once") << "truncate" << false << QByteArrayList{f8, f8}
                                        << QByteArrayList{hex(P "F8 00"), hex(P "F8 00 00")};
        QTest::newRow("truncated always")
            << "truncate" << true << QByteArrayList{hex(P "FE 03"), hex(P "D1 03")}
            << QByteArrayList{hex(P "FD 01 00"), hex(P "D1 00")};
        QTest::newRow("noise once")
            << "noise" << false << QByteArrayList{f8, f8}
            << QByteArrayList{hex("FF 00 55 AA" P "F8 00 00"), hex(P "F8 00 00")};
        QTest::newRow("noise always, also before text")
            << "noise" << true << QByteArrayList{hex(P "98 00"), f8}
            << QByteArrayList{hex("FF 00 55 AA 3C 31"), hex("FF 00 55 AA" P "F8 00 00")};
    }
    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(bool, always);
        AlarmSimOptions options;
        const FaultMode mode = always ? FaultMode::Always : FaultMode::Once;
        if (fault == "preamble")
            options.wrongPreamble = mode;
        else if (fault == "checksum")
            options.badChecksum = mode;
        else if (fault == "truncate")
            options.truncate = mode;
        else
            options.noise = mode;
        AlarmModuleSim sim;
        sim.setOptions(options);
        CompareExchange(sim);
    }

    void answerComesFromTheEventLoop()
    {
        AlarmModuleSim sim;
        QSignalSpy spy(&sim, &AlarmModuleSim::reply);
        sim.feed(hex(P "FE 03"));
        QCOMPARE(spy.count(), 0);
        QVERIFY(spy.wait(2000));
        QCOMPARE(spy.at(0).at(0).toByteArray().toHex(' '), hex(P "FD 01 00 00").toHex(' '));
    }

    void silentModuleIgnoresEverything()
    {
        AlarmModuleSim sim;
        AlarmSimOptions options;
        options.silent = true;
        sim.setOptions(options);
        QCOMPARE(Exchange(sim, {hex(P "FE 03"), hex(P "F8 01 01")}).join(), QByteArray());
        QCOMPARE(sim.pendingPieces(), 0);
        sim.setOptions(AlarmSimOptions());
        QCOMPARE(Exchange(sim, {hex(P "F8 03")}).join().toHex(' '), hex(P "F8 00 00").toHex(' '));
    }

    // ---- behind the in-memory line ----
    void memoryLine()
    {
        MemorySerialBackend line;
        QVERIFY(line.open("COM1", 9600, nullptr) == OpenResult::Ok);
        AlarmModuleSim sim;
        AttachAlarmSim(&line, &sim);
        line.write(hex(P "FE 03"));
        sim.deliverAll();
        QCOMPARE(line.read(100).toHex(' '), hex(P "FD 01 00 00").toHex(' '));
        DetachAlarmSim(&line, &sim);
        line.write(hex(P "FE 03"));
        sim.deliverAll();
        QCOMPARE(line.bytesAvailable(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAlarmSim)
#include "tst_alarmsim.moc"
