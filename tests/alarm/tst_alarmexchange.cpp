// The exchange with one alarm module, without any window: the read-all order for each kind of
// module (a scripted module answering with literal replies), what it gathers, and the frames of
// the timed write sequences.

#include "alarm/AlarmExchange.h"
#include "core/SerialLink.h"
#include "support/AlarmTestKit.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

static QStringList L(const char *items)
{
    return QString::fromLatin1(items).split(QLatin1Char('|'));
}

namespace {

// Runs the read-all by calling its timer's tick handler until the sequence ends, answering each
// read with the literal reply (after the preamble) that starts with its code. Gives the codes
// asked, in order.
QByteArray runReadAll(AlarmExchange &exchange, MemorySerialBackend *line,
                      const QStringList &replies)
{
    QByteArray asked;
    QObject::connect(line, &MemorySerialBackend::written, line, [&](const QByteArray &frame) {
        asked += frame.at(8);
        for (const QString &r : replies)
            if (hex(qPrintable(r)).at(0) == frame.at(8))
                line->inject(hex(P) + hex(qPrintable(r)));
    });
    QSignalSpy finished(&exchange, &AlarmExchange::sequenceFinished);
    exchange.reopenPort();
    exchange.startReadAll();
    for (int ticks = 0; finished.isEmpty() && ticks < 40; ++ticks) {
        exchange.readAllTick();
        QCoreApplication::processEvents();
    }
    return asked;
}

} // namespace

class TestAlarmExchange : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readAllOrder_data()
    {
        QTest::addColumn<QStringList>("answers"); // replies after the preamble
        QTest::addColumn<QByteArray>("order");
        const QStringList common = {
            "AB000201", "EC004356414C4D2056322E3130", "A300000007D0",  "F10011223344",
            "E2000102", "A2000101234567 89",          "E1000102030 4", "D200000200 04",
            "DB0000"};
        QTest::newRow("passive, no password, format, no power saving")
            << common + L("A10000|F80000|F90001|D30000") << hex("AB EC A3 A1 F8 E2 F9 D3");
        QTest::newRow("active, password, transparent 1, power saving")
            << common + L("A10003|F80001|F90000|FB0001|D30001")
            << hex("AB EC A3 A1 F1 F8 F9 FB A2 D3 D2 DB");
        QTest::newRow("active, no password, transparent 2, no power saving")
            << common + L("A10000|F80001|F90000|FB0000|D30000")
            << hex("AB EC A3 A1 F8 F9 FB E1 D3");
    }
    void readAllOrder()
    {
        QFETCH(QStringList, answers);
        QFETCH(QByteArray, order);
        MemoryLine mem(true);
        MemorySerialBackend *line = mem.backend;
        AlarmExchange exchange(*mem);
        QCOMPARE(exchange.Timer2.interval(), 100);
        QCOMPARE(runReadAll(exchange, line, answers), order);
        QCOMPARE(exchange.readAllStep(), qint16(100));
        line->inject(hex(P "FD 02" P "AC 00 01 02 03 00 01 02 03 04")); // outside the order
        QCoreApplication::processEvents();
        QCOMPARE(exchange.readAllStep(), qint16(100));
        QCOMPARE(exchange.Timer2.interval(), 500);
        QVERIFY(!exchange.readAllRunning());
        const AlarmSettings &s = exchange.settings();
        QCOMPARE(s.firmwareModel->text(), QStringLiteral("21"));
        QCOMPARE(s.version->text, QStringLiteral("CVALM V2.10"));
        QCOMPARE(s.restartTime->seconds(), QStringLiteral("10"));
        QCOMPARE(s.smsPassword.has_value(), order.contains('\xF1'));
        QCOMPARE(s.wakeDelays.has_value(), order.contains('\xD2'));
    }

    // A module that never answers gets the same first read every tick, without end.
    void silentModule()
    {
        MemoryLine mem(true);
        MemorySerialBackend *line = mem.backend;
        AlarmExchange exchange(*mem);
        exchange.startReadAll();
        for (int i = 0; i < 3; ++i)
            exchange.readAllTick();
        QCOMPARE(line->takeWritten(), (hex(P "AB 03")).repeated(3));
        QVERIFY(exchange.readAllRunning());
    }

    // A device that goes away ends the read-all: nothing is sent on, the sequence reports its end.
    void deviceLostEndsTheReadAll()
    {
        MemoryLine mem(true);
        MemorySerialBackend *line = mem.backend;
        AlarmExchange exchange(*mem);
        QSignalSpy finished(&exchange, &AlarmExchange::sequenceFinished);
        exchange.startReadAll();
        exchange.readAllTick();
        line->simulateLoss();
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(!exchange.readAllRunning());
    }

    // A test request: DTR off and nothing written for 2 s, then the frame and DTR on; a lost
    // device during the wait sends nothing.
    void testRequest_data()
    {
        QTest::addColumn<bool>("lost");
        QTest::newRow("sent") << false;
        QTest::newRow("device lost while waiting") << true;
    }
    void testRequest()
    {
        QFETCH(bool, lost);
        MemoryLine mem(true);
        MemorySerialBackend *line = mem.backend;
        AlarmExchange exchange(*mem);
        QSignalSpy ended(&exchange, &AlarmExchange::testRequestEnded);
        line->setDtr(true);
        exchange.startTestRequest(1, hex("24 1234 52 0D"));
        QVERIFY(!line->dtr() && exchange.testRequestPending());
        QCOMPARE(exchange.TestWait.interval(), 2000);
        QCoreApplication::processEvents();
        QVERIFY(line->takeWritten().isEmpty());
        if (lost)
            line->simulateLoss();
        else
            exchange.TestWait.start(0);
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended.at(0).at(1).toBool(), !lost);
        QCOMPARE(line->takeWritten(), lost ? QByteArray() : hex("24 1234 52 0D"));
        QCOMPARE(line->dtr(), !lost);
        // The reply is read by the text machine of the read request.
        QCOMPARE(exchange.parser().frameMachine(), false);
    }

    // A new request while a message is still arriving: the message is kept whole, and the
    // new request's answers are read once its frame has left.
    void requestKeepsAMessageArriving()
    {
        MemoryLine mem(true);
        MemorySerialBackend *line = mem.backend;
        AlarmExchange exchange(*mem);
        exchange.parser().setModuleForm(0, 1); // passive, format transmission
        exchange.startTestRequest(1, hex("24 1234 52 0D"));
        exchange.TestWait.start(0);
        QTRY_VERIFY(!exchange.testRequestPending());
        line->inject(hex("21 12 34 00 05 41"));
        QCoreApplication::processEvents();
        exchange.startTestRequest(2, hex("24 1234 53 0D"));
        line->inject(hex("42"));
        QCoreApplication::processEvents();
        QCOMPARE(exchange.parser().messageText(), QStringLiteral("21:12:34:00:05:41:42:"));
        QCOMPARE(exchange.parser().takeMessage(), QStringLiteral("21:12:34:00:05:41:42:"));
        exchange.TestWait.start(0);
        QTRY_VERIFY(!exchange.testRequestPending());
        QSignalSpy replies(&exchange, &AlarmExchange::replied);
        line->inject(hex("21 12 34 00 02 00"));
        QTRY_VERIFY(!replies.isEmpty());
        QCOMPARE(describe(replies.last().at(0).value<AlarmReplyValue>()),
                 QStringLiteral("test line 21:12:34:00:02:00: 正在发送"));
    }

    // Records and the phone table land in the settings under the channel that was asked.
    void gathersRecords()
    {
        MemoryLine mem(true);
        MemorySerialBackend *line = mem.backend;
        AlarmExchange exchange(*mem);
        exchange.parser().reset();
        exchange.readRelayRecord(5);
        QCOMPARE(line->takeWritten(), hex(P "B5 02 05"));
        line->inject(hex(P "B5 00 03 03 02 01"));
        // A read after a write is taken as a record, not as the write's status.
        exchange.writeInputRecord(1, QByteArray(187, '\0'));
        exchange.readInputRecord(2);
        line->inject(hex(P "B4 00 03 03 02 01"));
        exchange.readPhoneTable();
        QCOMPARE(line->takeWritten().right(10), hex(P "D9 01"));
        line->inject(hex(P "D9 00 CD 01 013800138000") + QByteArray(114, '\0'));
        QCoreApplication::processEvents();
        const AlarmSettings &s = exchange.settings();
        QVERIFY(s.relays[5].has_value());
        QCOMPARE(int(*s.relays[5]->mode), 2);
        QVERIFY(!s.relays[4].has_value());
        QVERIFY(s.inputs[2].has_value() && !s.inputs[1].has_value());
        QCOMPARE(s.phoneTable.value_or(QStringList()), QStringList{"13800138000"});
        exchange.clearPhoneTable();
        line->inject(hex(P "D9 00 434C524F4B3A"));
        QCoreApplication::processEvents();
        QCOMPARE(s.phoneTable.value_or(QStringList{"x"}), QStringList());
        // A write after the read: its answer is the write's text, not a table.
        QSignalSpy replies(&exchange, &AlarmExchange::replied);
        exchange.writePhoneTable({QStringLiteral("13800138000")});
        line->inject(hex(P "D9 00 5345544F4B3A"));
        QCoreApplication::processEvents();
        QCOMPARE(describe(replies.last().at(0).value<AlarmReplyValue>()),
                 QStringLiteral("text phone-write \"SETOK:\" ok"));
    }

    // The work-mode write: one frame per tick, 2 s apart, whatever the module answers.
    void workModeWrite_data()
    {
        QTest::addColumn<int>("workForm");
        QTest::addColumn<int>("transferMode");
        QTest::addColumn<QByteArray>("frames");
        QTest::newRow("active, format") << 0 << 0 << hex(P "F8 01 01" P "F9 01 01");
        QTest::newRow("passive, transparent 1")
            << 1 << 1 << hex(P "F8 01 00" P "F9 01 00" P "FB 01 01" P "E1 01 03 07 02 01");
        QTest::newRow("passive, transparent 2")
            << 1 << 2 << hex(P "F8 01 00" P "F9 01 00" P "FB 01 00" P "E1 01 03 07 02 01");
    }
    void workModeWrite()
    {
        QFETCH(int, workForm);
        QFETCH(int, transferMode);
        QFETCH(QByteArray, frames);
        MemoryLine mem(true);
        MemorySerialBackend *line = mem.backend;
        AlarmExchange exchange(*mem);
        bool finished = false;
        connect(&exchange, &AlarmExchange::sequenceFinished, this, [&] { finished = true; });
        exchange.startWorkModeWrite([=] {
            AlarmSequences::WorkModeChoice c;
            c.workForm = workForm;
            c.transferMode = transferMode;
            c.addressStart = 3;
            c.groupMaximum = 7;
            c.addressLength = 2;
            c.addressType = QStringLiteral("16进制");
            return c;
        });
        QCOMPARE(exchange.Timer1.interval(), 100);
        for (int i = 0; i < 6 && !finished; ++i)
            exchange.workModeTick();
        QVERIFY(finished);
        QCOMPARE(exchange.Timer1.interval(), 2000);
        QVERIFY(!exchange.Timer1.isActive());
        QCOMPARE(line->takeWritten(), frames);
    }

    // A missing choice sends nothing and asks again on the next tick.
    void workModeMissingChoice()
    {
        MemoryLine mem(true);
        MemorySerialBackend *line = mem.backend;
        AlarmExchange exchange(*mem);
        int asked = 0;
        connect(&exchange, &AlarmExchange::choiceMissing, this, [&] { ++asked; });
        exchange.startWorkModeWrite([] { return AlarmSequences::WorkModeChoice(); });
        exchange.workModeTick();
        exchange.workModeTick();
        QCOMPARE(asked, 2);
        QVERIFY(line->takeWritten().isEmpty());
        QVERIFY(exchange.Timer1.isActive());
    }

    void powerSavingWrite_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("mode1");
        QTest::addColumn<double>("idleMs");
        QTest::addColumn<QByteArray>("frames");
        QTest::newRow("off") << false << true << 0.0 << hex(P "D3 01 00");
        QTest::newRow("on, mode 2, largest delay")
            << true << false << 26214000.0
            << hex(P "D3 01 01" P "DB 01 01 00 00 00" P "D2 01 FF FF 00 19");
        QTest::newRow("on, mode 1")
            << true << true << 1000.0
            << hex(P "D3 01 01" P "DB 01 00 00 00 00" P "D2 01 00 02 00 19");
    }
    void powerSavingWrite()
    {
        QFETCH(bool, on);
        QFETCH(bool, mode1);
        QFETCH(double, idleMs);
        QFETCH(QByteArray, frames);
        MemoryLine mem(true);
        MemorySerialBackend *line = mem.backend;
        AlarmExchange exchange(*mem);
        AlarmSequences::PowerSavingChoice choice{on, mode1, idleMs, 10000};
        exchange.startPowerSavingWrite(choice);
        for (int i = 0; i < 5 && exchange.Timer3.isActive(); ++i)
            exchange.powerSavingTick();
        QCOMPARE(exchange.Timer3.interval(), 1000);
        QVERIFY(!exchange.Timer3.isActive());
        QCOMPARE(line->takeWritten(), frames);
    }
};

QTEST_GUILESS_MAIN(TestAlarmExchange)
#include "tst_alarmexchange.moc"
