// End to end without any window, in real time, QCoreApplication only: the alarm exchange on the
// real QSerialPort, on a pseudo-terminal. It reads a virtual module whole; and a line that floods
// or trickles never stalls the parser, never grows what the program keeps unread, and a read works
// again once the junk stops (bench/flood.sh runs floodThenRead for longer).

#include "alarm/AlarmExchange.h"
#include "core/SerialLink.h"
#include "monitor/TrafficMonitor.h"
#include "serial/QtSerialBackend.h"
#include "sim/AlarmModuleSim.h"
#include "sim/PtyServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

namespace {
// The alarm exchange on the slave side of a pseudo-terminal, served by module when given.
struct PtyLine {
    PtyServer server;
    SerialLink link;
    AlarmExchange exchange{link};
    QString error;
    bool open(AlarmModuleSim *module = nullptr)
    {
        if (!server.open(&error))
            return false;
        if (module)
            server.serve(module);
        link.setBackend(new QtSerialBackend);
        link.setPortResolver([path = server.slavePath()](int) { return path; });
        return exchange.reopenPort();
    }
};
} // namespace

class TestE2EHeadless : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readAllAndTable_data()
    {
        // Pieces come 60 ms apart, longer than the parser's quiet time.
        QTest::addColumn<int>("chunk");
        QTest::newRow("whole answers") << 0;
        QTest::newRow("pieces of 50 bytes, 60 ms apart") << 50;
    }
    void readAllAndTable()
    {
        AlarmModuleSim module;
        auto &state = module.state();
        state.workForm = state.powerSaving = 1;
        state.transferMode = state.transparentMode = 0;
        state.passwordMode = 3;
        state.phoneTable = {QByteArray::fromHex("013800138000"),
                            QByteArray::fromHex("015912345678")};
        AlarmSimOptions options;
        QFETCH(int, chunk);
        options.chunkSize = chunk;
        options.pieceGapMs = chunk ? 60 : 0;
        module.setOptions(options);
        PtyLine line;
        QSignalSpy finished(&line.exchange, &AlarmExchange::sequenceFinished);
        // The traffic monitor watches the whole read.
        TrafficMonitor monitor;
        monitor.follow(line.link);
        monitor.setWatching(true);
        QVERIFY2(line.open(&module), qPrintable(line.error));
        line.exchange.startReadAll();
        QVERIFY(finished.wait(20000));

        const AlarmSettings &s = line.exchange.settings();
        QVERIFY(s.workForm && !s.workForm->passive());
        QVERIFY(s.transparentMode && s.transparentMode->mode2());
        QCOMPARE(s.addressSettings->length, quint8(4));
        QCOMPARE(s.smsPassword->bytes, (std::array<quint8, 4>{0x31, 0x52, 0x24, 0x08}));
        QCOMPARE(s.wakeDelays->dataSeconds(), QStringLiteral("10"));
        QCOMPARE(s.version->text, QStringLiteral("CVALM V2.10"));
        QVERIFY(!s.receiverNumber); // not read in transparent mode 2

        line.exchange.readPhoneTable();
        QTRY_VERIFY_WITH_TIMEOUT(s.phoneTable.has_value(), 5000);
        QCOMPARE(*s.phoneTable, (QStringList{"13800138000", "15912345678"}));

        // Every request and every reply, named, in order, and nothing that is no frame.
        monitor.batchTick();
        QStringList seen;
        for (int i = 0; i < monitor.model().rowCount(); ++i) {
            const TrafficRow &r = monitor.model().row(i);
            seen << (r.sent ? "> " : "< ") + r.kind +
                        (r.checkText().isEmpty() ? "" : " / " + r.checkText());
        }
        QStringList expected;
        for (const char *kind :
             {"AB 模块型号", "EC 版本", "A3 重起时间", "A1 密码使用方式", "F1 短信密码",
              "F8 工作形式", "F9 传输方式", "FB 透明模式", "E1 地址设置", "D3 省电", "D2 醒后延时",
              "DB 唤醒模式", "D9 号码表"})
            expected << QStringLiteral("> %1 读取").arg(kind) << QStringLiteral("< ") + kind;
        expected.last() += QStringLiteral(" / 校验正确");
        QCOMPARE(seen, expected);
    }

    void floodThenRead_data()
    {
        QTest::addColumn<int>("pieceBytes");
        QTest::addColumn<int>("everyMs");
        QTest::addColumn<int>("forMs");
        QTest::newRow("flood: 4 KiB every millisecond for 3 s") << 4096 << 1 << 3000;
        QTest::newRow("trickle: one byte every 20 ms for 1 s") << 1 << 20 << 1000;
    }
    void floodThenRead()
    {
        QFETCH(int, pieceBytes);
        QFETCH(int, everyMs);
        QFETCH(int, forMs);
        if (const int longer = qEnvironmentVariableIntValue("CORVANE_FLOOD_MS"); longer > 0)
            forMs = longer;
        PtyLine line;
        QVERIFY2(line.open(), qPrintable(line.error));
        // bench/flood.sh trace: the traffic monitor names everything and writes the trace.
        std::unique_ptr<TrafficMonitor> monitor;
        if (const QString trace = qEnvironmentVariable("CORVANE_FLOOD_TRACE"); !trace.isEmpty()) {
            monitor = std::make_unique<TrafficMonitor>();
            monitor->follow(line.link);
            monitor->setTraceFile(trace);
            monitor->setWatching(true);
        }
        // A phone-table write whose answer never comes: the parser waits inside a text answer
        // while junk (no "SETOK:") keeps arriving.
        line.exchange.writePhoneTable({QStringLiteral("13800138000")});
        line.server.send(QByteArray::fromHex(P "D9 00"));

        // The junk, and a watch on the event loop: no gap between ticks over 1 s.
        QTimer junk;
        const QByteArray piece(pieceBytes, '\x55');
        connect(&junk, &QTimer::timeout, &line.server, [&] { line.server.send(piece); });
        junk.start(everyMs);
        QElapsedTimer clock, sinceTick;
        clock.start();
        qint64 longestStall = 0, mostUnread = 0;
        while (clock.elapsed() < forMs) {
            sinceTick.start();
            QTest::qWait(10);
            longestStall = qMax(longestStall, sinceTick.elapsed());
            mostUnread = qMax(mostUnread, line.link.bytesWaiting());
        }
        junk.stop();
        QTest::qWait(200);
        qInfo("longest event-loop stall %lld ms, most unread %lld bytes", longestStall, mostUnread);
        QVERIFY2(longestStall < 1000, qPrintable(QString::number(longestStall)));
        QVERIFY(mostUnread <= SerialLink::MaxUnread);

        // Once the line is clean again a read works.
        QSignalSpy replies(&line.exchange, &AlarmExchange::replied);
        line.exchange.parser().reset();
        line.server.send(QByteArray::fromHex(P "D3 00 01"));
        QTRY_VERIFY_WITH_TIMEOUT(!replies.isEmpty(), 3000);
        QCOMPARE(describe(replies.last().at(0).value<AlarmReplyValue>()),
                 QStringLiteral("D3 power-saving on"));
    }
};

QTEST_GUILESS_MAIN(TestE2EHeadless)
#include "tst_e2e_headless.moc"
