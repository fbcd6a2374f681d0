// The virtual alarm module: every request it must understand, the answer bytes it must give, and
// the line troubles it can be told to make.
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
// Three phone entries: 13800138000, 13912345678, 10123456789.
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
    // ---- the module as it comes from the factory ----
    void defaultReads_data()
    {
        AddExchangeColumns();
        auto row = [](const char *name, const QByteArray &request, const QByteArray &answer) {
            QTest::newRow(name) << QByteArrayList{request} << QByteArrayList{answer};
        };
        row("connect query", hex(P "FE 03"), hex(P "FD 01 00 00"));
        row("read-out work form passive", hex(P "F8 03"), hex(P "F8 00 00"));
        row("read-out format transmission", hex(P "F9 03"), hex(P "F9 00 01"));
        row("read-out version", hex(P "EC 03"), hex(P "EC 20 43 56 41 4C 4D 20 56 32 2E 31 30"));
        row("read-out D6", hex(P "D6 03"), hex(P "D6 00 00"));
        row("read-out network SMS", hex(P "D1 03"), hex(P "D1 00 02"));
        row("model", hex(P "AB 03"), hex(P "AB 00 20 01"));
        row("restart time 60 s, read with 02", hex(P "A3 02"), hex(P "A3 00 00 00 2E E0"));
        row("password mode none", hex(P "A1 03"), hex(P "A1 00 00"));
        row("password", hex(P "F1 03"), hex(P "F1 00 31 52 24 08"));
        row("passive address", hex(P "E2 03"), hex(P "E2 00 12 34"));
        row("transparent mode 1", hex(P "FB 03"), hex(P "FB 00 01"));
        row("receiver number", hex(P "A2 03"), hex(P "A2 00 01 38 00 13 80 00"));
        row("address settings", hex(P "E1 03"), hex(P "E1 00 01 0A 04 00"));
        row("power saving off", hex(P "D3 03"), hex(P "D3 00 00"));
        row("wake delays 800 ms / 10 s", hex(P "D2 03"), hex(P "D2 00 00 02 00 19"));
        row("wake mode 1", hex(P "DB 03"), hex(P "DB 00 00"));
        row("delivery modes SMS", hex(P "AC 03"), hex(P "AC 00 02 02 02 02 02 02 02 02"));
        row("input 0 at level 0", hex(P "98 00"), hex("3C 31"));
        row("input 8 does not exist", hex(P "98 08"), hex("3C 3F"));
        row("empty phone table", hex(P "D9 01"), hex(P "D9 01 00 00") + zeros(120));
        row("input record 0", hex(P "B4 02 00"), hex(P "B4 00 BC 65") + DefaultInputRecord());
        row("relay record 7", hex(P "B5 02 07"), hex(P "B5 07 82 82") + DefaultRelayRecord());
        row("input record 8 unanswered", hex(P "B4 02 08"), QByteArray());
        row("relay switch unanswered", hex(P "99 03 01"), QByteArray());
        row("parameter clear unanswered", hex(P "D5 01"), QByteArray());
        row("VX8 mode switch unanswered", hex(P "DA 01 01"), QByteArray());
        row("unknown command unanswered", hex(P "C0 03"), QByteArray());
        row("unknown operation unanswered", hex(P "F8 07"), QByteArray());
    }
    void defaultReads()
    {
        AlarmModuleSim sim;
        CompareExchange(sim);
    }

    // ---- writes change what reads show ----
    void writeThenRead_data()
    {
        AddExchangeColumns();
        auto row = [](const char *name, const char *write, const char *writeAnswer,
                      const char *read, const char *readAnswer) {
            QTest::newRow(name) << QByteArrayList{hex(write), hex(read)}
                                << QByteArrayList{hex(writeAnswer), hex(readAnswer)};
        };
        row("work form active", P "F8 01 01", P "F8 00 01", P "F8 03", P "F8 00 01");
        row("transparent", P "F9 01 00", P "F9 00 00", P "F9 03", P "F9 00 00");
        row("transparent mode 2", P "FB 01 00", P "FB 00 00", P "FB 03", P "FB 00 00");
        row("power saving on", P "D3 01 01", P "D3 00 01", P "D3 03", P "D3 00 01");
        row("wake mode 2", P "DB 01 01 00 00 00", P "DB 00 01", P "DB 03", P "DB 00 01");
        row("wake delays", P "D2 01 00 03 00 32", P "D2 00 00 03 00 32", P "D2 03",
            P "D2 00 00 03 00 32");
        row("address settings", P "E1 01 02 05 03 01", P "E1 00 02 05 03 01", P "E1 03",
            P "E1 00 02 05 03 01");
        row("passive address", P "E2 01 1A 2B", P "E2 00 1A 2B", P "E2 03", P "E2 00 1A 2B");
        row("password for sending only", P "A1 01 01", P "A1 00 01", P "A1 03", P "A1 00 01");
        row("password for receiving only", P "A1 01 02", P "A1 00 02", P "A1 03", P "A1 00 02");
        row("password both ways", P "A1 01 03", P "A1 00 03", P "A1 03", P "A1 00 03");
        row("receiver number", P "A2 01 01 01 23 45 67 89", P "A2 00 01 01 23 45 67 89", P "A2 03",
            P "A2 00 01 01 23 45 67 89");
        row("restart time one unit", P "A3 01 00 00 00 01", P "A3 00 00 00 00 01", P "A3 02",
            P "A3 00 00 00 00 01");
        row("restart time high byte", P "A3 01 FF 00 00 00", P "A3 00 FF 00 00 00", P "A3 02",
            P "A3 00 FF 00 00 00");
        row("SMS password", P "F1 01 12 34 56 78", P "F1 00 12 34 56 78", P "F1 03",
            P "F1 00 12 34 56 78");
        row("delivery modes", P "AC 01 01 02 03 00 01 02 03 00", P "AC 00 01 02 03 00 01 02 03 00",
            P "AC 03", P "AC 00 01 02 03 00 01 02 03 00");
        row("GPRS model: no answer, then reported", P "D1 01 01", "", P "D1 03", P "D1 00 01");
        row("baud rate 115200 then model read", P "F2 01 0B", P "F2 00 0B", P "AB 03",
            P "AB 00 20 01");
        row("version code accepted", P "EC 01 31 32 33 34 35 36", P "EC 53 45 54 4F 4B 3A",
            P "EC 03", P "EC 20 43 56 41 4C 4D 20 56 32 2E 31 30");

        QTest::newRow("input record 3")
            << QByteArrayList{hex(P "B4 01 03 A9") + TestInputRecord(), hex(P "B4 02 03"),
                              hex(P "B4 02 00")}
            << QByteArrayList{hex(P "B4 03 5345544F4B3A"), hex(P "B4 03 BC A9") + TestInputRecord(),
                              hex(P "B4 00 BC 65") + DefaultInputRecord()};
        QTest::newRow("relay record 7")
            << QByteArrayList{hex(P "B5 01 07 DA") + TestRelayRecord(), hex(P "B5 02 07"),
                              hex(P "B5 02 06")}
            << QByteArrayList{hex(P "B5 03 5345544F4B3A"), hex(P "B5 07 82 DA") + TestRelayRecord(),
                              hex(P "B5 06 82 82") + DefaultRelayRecord()};
        QTest::newRow("phone table of three")
            << QByteArrayList{hex(P "D9 02 77") + hex(ThreeEntries) + zeros(153), hex(P "D9 01")}
            << QByteArrayList{hex(P "D9 02 5345544F4B3A"),
                              hex(P "D9 01 77") + hex(ThreeEntries) + zeros(102)};
        QTest::newRow("phone table of one replaces three")
            << QByteArrayList{hex(P "D9 02 77") + hex(ThreeEntries) + zeros(153),
                              hex(P "D9 02 5B 01 01 01 23 45 67 89") + zeros(165), hex(P "D9 01")}
            << QByteArrayList{hex(P "D9 02 5345544F4B3A"), hex(P "D9 02 5345544F4B3A"),
                              hex(P "D9 01 5B 01 01 01 23 45 67 89") + zeros(114)};
        QTest::newRow("phone table cleared")
            << QByteArrayList{hex(P "D9 02 77") + hex(ThreeEntries) + zeros(153), hex(P "D9 04 01"),
                              hex(P "D9 01")}
            << QByteArrayList{hex(P "D9 02 5345544F4B3A"), hex(P "D9 04 434C524F4B3A"),
                              hex(P "D9 01 00 00") + zeros(120)};
    }
    void writeThenRead()
    {
        AlarmModuleSim sim;
        CompareExchange(sim);
    }

    // ---- writes the module refuses leave its state alone ----
    void refusedWrites_data()
    {
        AddExchangeColumns();
        const QByteArray setFail = hex("5345544641494C3A");
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

    // ---- answers in pieces ----
    void chunking_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("random");
        QTest::addColumn<QList<int>>("pieceSizes"); // empty: random sizes, checked by range
        QTest::newRow("pieces of 5") << 5 << false << QList<int>{5, 5, 5, 5, 1};
        QTest::newRow("pieces of 1") << 1 << false << QList<int>(21, 1);
        QTest::newRow("pieces larger than the answer") << 64 << false << QList<int>{21};
        QTest::newRow("random pieces up to 4") << 4 << true << QList<int>();
        QTest::newRow("random pieces up to 9") << 9 << true << QList<int>();
    }
    void chunking()
    {
        QFETCH(int, size);
        QFETCH(bool, random);
        QFETCH(QList<int>, pieceSizes);
        const QByteArray version = hex(P "EC 20 43 56 41 4C 4D 20 56 32 2E 31 30");
        auto pieces = [&](quint32 seed) {
            AlarmSimOptions options;
            options.chunkSize = size;
            options.randomChunks = random;
            options.seed = seed;
            AlarmModuleSim sim;
            sim.setOptions(options);
            QSignalSpy spy(&sim, &AlarmModuleSim::reply);
            sim.feed(hex(P "EC 03"));
            sim.deliverAll();
            QByteArrayList list;
            for (const QList<QVariant> &args : spy)
                list << args.at(0).toByteArray();
            return list;
        };
        const QByteArrayList got = pieces(7);
        QCOMPARE(got.join().toHex(' '), version.toHex(' '));
        QList<int> sizes;
        for (const QByteArray &piece : got)
            sizes << int(piece.size());
        if (!random) {
            QCOMPARE(sizes, pieceSizes);
            return;
        }
        QVERIFY(got.size() >= (21 + size - 1) / size);
        for (const int n : sizes)
            QVERIFY(n >= 1 && n <= size);
        QCOMPARE(pieces(7), got); // the same seed gives the same pieces
    }

    // ---- timing and silence ----
    void delays_data()
    {
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("chunk");
        QTest::addColumn<int>("gap");
        QTest::addColumn<QList<int>>("intervals"); // output timer interval before each piece
        QTest::newRow("no delay") << 0 << 0 << 0 << QList<int>{0};
        QTest::newRow("delay 300 ms") << 300 << 0 << 0 << QList<int>{300};
        QTest::newRow("delay and pieces 20 ms apart") << 150 << 8 << 20 << QList<int>{150, 20};
    }
    void delays()
    {
        QFETCH(int, delay);
        QFETCH(int, chunk);
        QFETCH(int, gap);
        QFETCH(QList<int>, intervals);
        AlarmSimOptions options;
        options.replyDelayMs = delay;
        options.chunkSize = chunk;
        options.pieceGapMs = gap;
        AlarmModuleSim sim;
        sim.setOptions(options);
        QSignalSpy spy(&sim, &AlarmModuleSim::reply);
        sim.feed(hex(P "F9 03"));
        QCOMPARE(spy.count(), 0); // never answered from inside the write
        QCOMPARE(sim.pendingPieces(), intervals.size());
        for (int i = 0; i < intervals.size(); ++i) {
            QVERIFY(sim.outputTimer().isActive());
            QCOMPARE(sim.outputTimer().interval(), intervals[i]);
            sim.deliverNext();
            QCOMPARE(spy.count(), i + 1);
        }
        QVERIFY(!sim.outputTimer().isActive());
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

    // ---- communication test, passive work form ----
    void passiveTest_data()
    {
        AddExchangeColumns();
        QTest::addColumn<int>("transfer");
        QTest::addColumn<QByteArray>("sentTo"); // empty: nothing sent
        QTest::addColumn<QByteArray>("content");
        auto row = [](const char *name, int transfer, const QByteArrayList &requests,
                      const QByteArrayList &answers, const char *to = "", const char *text = "") {
            QTest::newRow(name) << requests << answers << transfer << hex(to) << hex(text);
        };
        row("read with empty inbox", 1, {hex("24 12 34 52 0D")}, {hex("21 12 34 00 00 0D")});
        row("send state before any send", 1, {hex("24 12 34 57 00 00 0D")},
            {hex("21 12 34 57 00 0D")});
        row("send transparent", 0, {hex("24 12 34 57 00 03 41 42 43 0D")}, {hex("21 12 34 0D")},
            "01 38 00 13 80 00", "41 42 43");
        row("send format, two UCS-2 characters", 1,
            {hex("24 12 34 57 00 0E D7 01 01 00 00 00 00 00 00 04 6D 4B 8B D5 0D")},
            {hex("21 12 34 0D")}, "01 00 00 00 00 00", "6D 4B 8B D5");
        row("format frame with a wrong inner length", 1,
            {hex("24 12 34 57 00 0E D7 01 01 00 00 00 00 00 00 05 6D 4B 8B D5 0D")},
            {hex("3F 12 34 0D")});
        row("format frame without D7 01", 1, {hex("24 12 34 57 00 03 41 42 43 0D")},
            {hex("3F 12 34 0D")});
        row("read without CR", 1, {hex("24 12 34 52 00")}, {hex("3F 12 34 0D")});
        row("unknown letter", 1, {hex("24 12 34 58")}, {hex("3F 12 34 0D")});
        row("another module's address", 1, {hex("24 56 78 52 0D"), hex("24 56 78 57 00 00 0D")},
            {QByteArray(), QByteArray()});
        row("garbage, then a read", 1, {hex("00 FF 24 12 34 52 0D")}, {hex("21 12 34 00 00 0D")});
        row("frames still answered", 1, {hex(P "F8 03")}, {hex(P "F8 00 00")});
    }
    void passiveTest()
    {
        QFETCH(int, transfer);
        QFETCH(QByteArray, sentTo);
        QFETCH(QByteArray, content);
        AlarmModuleSim sim;
        sim.state().transferMode = quint8(transfer);
        CompareExchange(sim);
        QCOMPARE(sim.state().sentMessages.size(), sentTo.isEmpty() ? 0 : 1);
        if (!sentTo.isEmpty()) {
            QCOMPARE(sim.state().sentMessages[0].number.toHex(' '), sentTo.toHex(' '));
            QCOMPARE(sim.state().sentMessages[0].content.toHex(' '), content.toHex(' '));
        }
    }

    void passiveInbox_data()
    {
        QTest::addColumn<int>("transfer");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("transparent") << 0 << hex("21 12 34 00 03 41 42 43 0D");
        QTest::newRow("format")
            << 1
            << hex("21 12 34 00 13 D7 01 01 39 12 34 56 78 00 03 41 42 43 24 01 02 03 04 05 0D");
    }
    void passiveInbox()
    {
        QFETCH(int, transfer);
        QFETCH(QByteArray, answer);
        AlarmModuleSim sim;
        sim.state().transferMode = quint8(transfer);
        sim.receiveSms({hex("01 39 12 34 56 78"), "ABC", hex("24 01 02 03 04 05")});
        QCOMPARE(Exchange(sim, {hex("24 12 34 52 0D"), hex("24 12 34 52 0D")}),
                 (QByteArrayList{answer, hex("21 12 34 00 00 0D")}));
    }

    void passiveSendState_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("online");
        QTest::addColumn<QByteArray>("state");
        QTest::newRow("sent") << 0 << true << hex("21 12 34 57 00 0D");
        QTest::newRow("failed") << 1 << true << hex("21 12 34 57 01 0D");
        QTest::newRow("still sending") << 2 << true << hex("21 12 34 57 02 0D");
        QTest::newRow("offline fails") << 0 << false << hex("21 12 34 57 01 0D");
    }
    void passiveSendState()
    {
        QFETCH(int, result);
        QFETCH(bool, online);
        QFETCH(QByteArray, state);
        AlarmModuleSim sim;
        sim.state().transferMode = 0;
        sim.state().smsSendResult = quint8(result);
        sim.state().online = online;
        QCOMPARE(Exchange(sim, {hex("24 12 34 57 00 01 41 0D"), hex("24 12 34 57 00 00 0D")}),
                 (QByteArrayList{hex("21 12 34 0D"), state}));
    }

    // ---- communication test, active work form ----
    void activeTest_data()
    {
        QTest::addColumn<int>("transfer");
        QTest::addColumn<bool>("online");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("sentTo");
        const QByteArray send = hex("D7 01 01 38 00 13 80 00 00 02 4F 4B");
        QTest::newRow("format, sent")
            << 1 << true << 0 << send << hex("D7 FA") << hex("01 38 00 13 80 00");
        QTest::newRow("format, failed")
            << 1 << true << 1 << send << hex("D7 FC") << hex("01 38 00 13 80 00");
        QTest::newRow("format, not online")
            << 1 << false << 0 << send << hex("D7 FF") << QByteArray();
        QTest::newRow("format after garbage")
            << 1 << true << 0 << hex("00 D7 02") + send << hex("D7 FA") << hex("01 38 00 13 80 00");
        QTest::newRow("transparent, no answer")
            << 0 << true << 0 << hex("48 45 4C 4C 4F") << QByteArray() << hex("01 38 00 13 80 00");
    }
    void activeTest()
    {
        QFETCH(int, transfer);
        QFETCH(bool, online);
        QFETCH(int, result);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, sentTo);
        AlarmModuleSim sim;
        sim.state().workForm = 1;
        sim.state().transferMode = quint8(transfer);
        sim.state().online = online;
        sim.state().smsSendResult = quint8(result);
        QCOMPARE(Exchange(sim, {request}).join().toHex(' '), answer.toHex(' '));
        sim.finishTransparentInput();
        QCOMPARE(sim.state().sentMessages.size(), sentTo.isEmpty() ? 0 : 1);
        if (!sentTo.isEmpty())
            QCOMPARE(sim.state().sentMessages[0].number.toHex(' '), sentTo.toHex(' '));
    }

    void activeTransparentEndsAtAPreamble()
    {
        AlarmModuleSim sim;
        sim.state().workForm = 1;
        sim.state().transferMode = 0;
        QCOMPARE(Exchange(sim, {hex("48 49"), hex("21" P "F8 03")}).join().toHex(' '),
                 hex(P "F8 00 01").toHex(' '));
        QCOMPARE(sim.state().sentMessages.size(), 1);
        QCOMPARE(sim.state().sentMessages[0].content, QByteArray("HI!"));
    }

    void activeIncoming_data()
    {
        QTest::addColumn<int>("transfer");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("format") << 1
                                << hex("D7 01 01 39 12 34 56 78 00 02 4F 4B 24 12 31 23 59 58");
        QTest::newRow("transparent") << 0 << hex("4F 4B");
    }
    void activeIncoming()
    {
        QFETCH(int, transfer);
        QFETCH(QByteArray, answer);
        AlarmModuleSim sim;
        sim.state().workForm = 1;
        sim.state().transferMode = quint8(transfer);
        QSignalSpy spy(&sim, &AlarmModuleSim::reply);
        sim.receiveSms({hex("01 39 12 34 56 78"), "OK", hex("24 12 31 23 59 58")});
        sim.deliverAll();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toByteArray().toHex(' '), answer.toHex(' '));
        QVERIFY(sim.state().inbox.isEmpty());
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
