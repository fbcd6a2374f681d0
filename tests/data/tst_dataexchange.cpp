// The data-module exchange against the virtual VX8 data module on a memory line: the read
// sequence for module configurations that skip different steps, the write sequences, every
// identity outcome, and the data exchange in passive and active modes.

#include "core/SerialLink.h"
#include "data/DataExchange.h"
#include "sim/SimAttach.h"
#include "sim/Vx8ModuleSim.h"
#include "support/AlarmTestKit.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

using Identity = Vx8ModuleState::Identity;
using Outcome = DataExchange::IdentityOutcome;

struct Bench {
    MemoryLine mem{true};
    MemorySerialBackend *line = mem.backend;
    Vx8ModuleSim module;
    DataExchange exchange{*mem};
    Bench()
    {
        AttachVx8Sim(line, &module);
        exchange.parser().reset();
    }
    // The requests the module got: code, and the operation unless it is a read ("F4 F81").
    QString codes() const
    {
        QStringList list;
        for (const QByteArray &r : module.requests())
            list << QString::number(quint8(r.at(8)), 16).toUpper() +
                        (r.at(9) == 0x03 ? "" : QString::number(r.at(9)));
        return list.join(' ');
    }
    // Ticks a sequence by hand, letting the module answer in between, until its timer stops.
    void run(QTimer &timer, void (DataExchange::*tick)())
    {
        for (int i = 0; i < 40 && timer.isActive(); ++i) {
            (exchange.*tick)();
            QTest::qWait(5);
        }
    }
};

} // namespace

class TestDataExchange : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readSequence_data()
    {
        // Module: work mode, data format, transparent mode 1, power saving.
        QTest::addColumn<QList<int>>("module");
        QTest::addColumn<QString>("codes");
        QTest::newRow("passive, format") << QList<int>{0, 1, 1, 0} << "F4 EC F6 E4 D3 F8 E2 F9";
        QTest::newRow("active, format, saving")
            << QList<int>{1, 1, 1, 1} << "F4 EC F6 E4 D3 D2 DB F8 F9";
        QTest::newRow("active, transparent 1")
            << QList<int>{1, 0, 1, 0} << "F4 EC F6 E4 D3 F8 F9 F3 FB";
        QTest::newRow("passive, transparent 2")
            << QList<int>{0, 0, 0, 0} << "F4 EC F6 E4 D3 F8 E2 F9 F3 FB E1";
        QTest::newRow("no answer: ends quietly") << QList<int>{} << "";
    }
    void readSequence()
    {
        QFETCH(QList<int>, module);
        Bench b;
        auto &s = b.module.state();
        if (module.isEmpty()) {
            DetachVx8Sim(b.line, &b.module);
        } else {
            s.workMode = quint8(module[0]);
            s.dataFormat = quint8(module[1]);
            s.transparentMode = quint8(module[2]);
            s.powerSaving = quint8(module[3]);
        }
        QSignalSpy finished(&b.exchange, &DataExchange::sequenceFinished);
        b.exchange.startRead();
        QCOMPARE(b.exchange.ReadTimer.interval(), 100);
        QVERIFY(b.exchange.parameterExchangeActive());
        b.run(b.exchange.ReadTimer, &DataExchange::readTick);
        QTEST(b.codes(), "codes");
        QCOMPARE(b.exchange.ReadTimer.interval(), 400);
        QCOMPARE(finished.size(), 1);
        QVERIFY(!b.exchange.parameterExchangeActive());
        if (module.isEmpty()) {
            QCOMPARE(b.line->takeWritten(), hex("1A2A3A4A5A6A7A8A F4 03")); // sent once only
            return;
        }
        QCOMPARE(b.exchange.settings().identity->text(), QStringLiteral("1001"));
        QCOMPARE(b.exchange.settings().heartbeat->text(), QStringLiteral("300秒"));
    }

    void workModeWrite_data()
    {
        // Work mode, data format, transparent mode as the combo indices.
        QTest::addColumn<QList<int>>("choice");
        QTest::addColumn<QString>("codes");
        QTest::newRow("active + format: F8 F9") << QList<int>{1, 1, 0} << "F81 F91";
        QTest::newRow("transparent + mode 1: three") << QList<int>{1, 2, 1} << "F81 F91 FB1";
        QTest::newRow("transparent + mode 2: four") << QList<int>{1, 2, 2} << "F81 F91 FB1 E11";
        QTest::newRow("passive, format none: F8 only") << QList<int>{2, 0, 0} << "F81";
        QTest::newRow("format, greyed 方式2 unchecked") << QList<int>{1, 1, 2} << "F81 F91";
    }
    void workModeWrite()
    {
        QFETCH(QList<int>, choice);
        Bench b;
        WorkModeChoice c{choice[0], choice[1], choice[2], 1, 4, 9, 3, false};
        // "方式2" needs the address fields, when the write sends it.
        QVERIFY(!c.complete() == (choice[1] == 2 && choice[2] == 2));
        c.addressComplete = true;
        QList<WriteReport> reports;
        connect(&b.exchange, &DataExchange::writeReported, this,
                [&](const WriteReport &r) { reports << r; });
        b.exchange.startWorkModeWrite(c);
        b.run(b.exchange.WorkModeTimer, &DataExchange::workModeTickNow);
        QTEST(b.codes(), "codes");
        QVERIFY(reports.size() == 1 && reports[0].unanswered.isEmpty());
        QCOMPARE(reports[0].written.size(), b.module.requests().size());
        if (choice[1] == 2 && choice[2] == 2)
            QCOMPARE(b.module.state().addressParams, (std::array<quint8, 4>{1, 4, 9, 2}));
    }

    void heartbeatAndPowerSaving()
    {
        Bench b;
        b.exchange.startHeartbeatWrite(600, 9);
        QCOMPARE(b.exchange.HeartbeatTimer.interval(), 50);
        b.run(b.exchange.HeartbeatTimer, &DataExchange::heartbeatTickNow);
        QCOMPARE(b.module.state().restarts, quint8(9));
        b.exchange.startPowerSavingWrite({});
        b.run(b.exchange.PowerSavingTimer, &DataExchange::powerSavingTickNow);
        b.exchange.startPowerSavingWrite({true, true, 1000, 10000});
        b.run(b.exchange.PowerSavingTimer, &DataExchange::powerSavingTickNow);
        QCOMPARE(b.codes(), QStringLiteral("F61 E41 D31 D31 DB1 D21"));
    }

    // What a single write came to: answered with the value written, with another, or not at all.
    void writeReport_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("report"); // written/unanswered/differing
        QTest::newRow("confirmed") << hex("1A2A3A4A5A6A7A8A F2 0B") << "f2//";
        QTest::newRow("another value") << hex("1A2A3A4A5A6A7A8A F2 06") << "f2//f2";
        QTest::newRow("no answer") << QByteArray() << "f2/f2/";
    }
    void writeReport()
    {
        QFETCH(QByteArray, answer);
        Bench b;
        DetachVx8Sim(b.line, &b.module);
        QStringList reports;
        connect(&b.exchange, &DataExchange::writeReported, this, [&](const WriteReport &r) {
            reports << r.written.toHex() + '/' + r.unanswered.toHex() + '/' + r.differing.toHex();
        });
        b.exchange.writeParameter(hex("1A2A3A4A5A6A7A8A F2 01 0B"));
        QVERIFY(b.exchange.ConfirmTimer.isActive() && b.exchange.ConfirmTimer.interval() == 1000);
        b.line->inject(answer);
        QCoreApplication::processEvents();
        if (answer.isEmpty() && reports.isEmpty())
            b.exchange.finishWrite(); // ConfirmTimer's tick
        QTEST(reports.join(' '), "report");
    }

    void identity_data()
    {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QList<int>>("outcomes");
        QTest::addColumn<QString>("codes");
        QTest::addColumn<bool>("stored");
        QTest::newRow("set") << int(Identity::Set) << QList<int>{int(Outcome::Set)} << "F41"
                             << true;
        QTest::newRow("refused") << int(Identity::Refused) << QList<int>{int(Outcome::Refused)}
                                 << "F41" << false;
        QTest::newRow("not online")
            << int(Identity::NotOnline) << QList<int>{int(Outcome::NotOnline)} << "F41" << false;
        QTest::newRow("taken, replaced")
            << int(Identity::Taken) << QList<int>{int(Outcome::Taken), int(Outcome::Set)}
            << "F41 F42" << true;
        QTest::newRow("notice 3, sent again")
            << int(Identity::Notice3) << QList<int>{int(Outcome::Set)} << "F41 F41" << true;
    }
    void identity()
    {
        QFETCH(int, outcome);
        QFETCH(QList<int>, outcomes);
        Bench b;
        b.module.setIdentityDelay(1);
        b.module.state().identityOutcome = Identity(outcome);
        QList<int> seen;
        using Timing = DataExchange::IdentityTiming;
        connect(&b.exchange, &DataExchange::identityOutcome, this, [&](Outcome o, Timing t) {
            QVERIFY(t == Timing::Waiting);
            seen << int(o);
            if (o == Outcome::Taken) // "Yes"
                b.exchange.replaceIdentity();
        });
        QCOMPARE(b.exchange.writeIdentity("A", "BC1"), hex("1A2A3A4A5A6A7A8A F4 01 AB C1"));
        QVERIFY(b.exchange.identityWritePending());
        QTRY_COMPARE(seen, outcomes);
        QTEST(b.codes(), "codes");
        QVERIFY(!b.exchange.identityWritePending());
        QTEST(b.module.state().identity == (std::array<quint8, 2>{0xAB, 0xC1}), "stored");
    }

    void dataExchange()
    {
        Bench b;
        b.exchange.setModuleForm(0, 1); // passive, format
        QStringList replies;
        connect(&b.exchange, &DataExchange::replied, this,
                [&](const DataReplyValue &r) { replies << describe(r); });
        b.module.receiveData(hex("56 78"), hex("0A 0B"));
        const QByteArray address = b.module.state().passiveAddress;
        b.exchange.poll(address);
        QTRY_COMPARE(replies.size(), 1);
        b.exchange.sendData(address, hex("56 78"), hex("01 02 03"));
        QTRY_COMPARE(replies.size(), 2);
        b.exchange.checkMemory(address);
        QTRY_COMPARE(replies.size(), 3);
        b.module.state().workMode = 1;
        b.exchange.setModuleForm(1, 1);
        b.exchange.sendData({}, hex("56 78"), hex("09"));
        b.module.receiveData(hex("11 22"), hex("33"));
        QTRY_COMPARE(replies.size(), 5);
        QCOMPARE(replies, (QStringList{"data from [56:78] 0A:0B", "! 3031", "memory 0",
                                       "D7 result FA", "data from [11:22] 33"}));
        QCOMPARE(b.module.state().sentData, (QList<QByteArray>{hex("01 02 03"), hex("09")}));
    }

    // --demo: the path opened chooses the module that answers the connect query; each line
    // talks to its own module, and a module follows the line that opened it last.
    void demoModules()
    {
        MemorySerialBackend alarmLine, vx8Line, later;
        DemoModules demo;
        for (MemorySerialBackend *line : {&alarmLine, &vx8Line, &later})
            demo.serve(line);
        const QByteArray query = hex("1A2A3A4A5A6A7A8A FE 03");
        vx8Line.open(QStringLiteral("virtual:vx8"), 9600, nullptr);
        alarmLine.open(QStringLiteral("virtual:alarm"), 9600, nullptr);
        QByteArray answers;
        for (MemorySerialBackend *line : {&vx8Line, &alarmLine}) {
            line->write(query);
            QTRY_VERIFY(line->bytesAvailable() == 12);
            answers += line->read(12).mid(11);
        }
        QCOMPARE(answers, hex("80 00")); // VX8 in data communication, then the alarm module
        later.open(QStringLiteral("virtual:alarm"), 9600, nullptr);
        alarmLine.write(query);
        later.write(query);
        QTRY_VERIFY(later.bytesAvailable() == 12);
        QCOMPARE(alarmLine.bytesAvailable(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDataExchange)
#include "tst_dataexchange.moc"
