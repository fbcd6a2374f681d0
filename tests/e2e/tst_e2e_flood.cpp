// In real time over a pseudo-terminal with the real QSerialPort: a line that floods or trickles
// never stalls the alarm parser, never grows what the program keeps unread, and a read works
// again once the junk stops. (bench/flood.sh runs the same for longer.)

#include "alarm/AlarmExchange.h"
#include "core/SerialLink.h"
#include "core/serial/QtSerialBackend.h"
#include "sim/PtyServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

class TestE2EFlood : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
        // bench/flood.sh floods for longer.
        if (const int longer = qEnvironmentVariableIntValue("CORVANE_FLOOD_MS"); longer > 0)
            forMs = longer;
        PtyServer server;
        QString error;
        QVERIFY2(server.open(&error), qPrintable(error));
        SerialLink link;
        link.setBackend(new QtSerialBackend);
        const QString path = server.slavePath();
        link.setPortResolver([path](int) { return path; });
        AlarmExchange exchange(link);
        link.setReceiveHandler([&exchange] { exchange.parser().parse(); });
        QVERIFY(exchange.reopenPort());
        // A phone-table read whose answer never comes: the parser waits inside a text answer
        // while junk (no "SETOK:") keeps arriving.
        exchange.writePhoneTable({QStringLiteral("13800138000")});
        server.send(QByteArray::fromHex(P "D9 00"));

        // The junk, and a watch on the event loop: no gap between ticks over 1 s.
        QTimer junk;
        const QByteArray piece(pieceBytes, '\x55');
        connect(&junk, &QTimer::timeout, &server, [&] { server.send(piece); });
        junk.start(everyMs);
        QElapsedTimer clock, sinceTick;
        clock.start();
        sinceTick.start();
        qint64 longestStall = 0, mostUnread = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            longestStall = qMax(longestStall, sinceTick.restart());
            mostUnread = qMax(mostUnread, link.bytesWaiting());
        });
        watch.start(10);
        while (clock.elapsed() < forMs)
            QTest::qWait(50);
        junk.stop();
        QTest::qWait(200);
        qInfo("longest event-loop stall %lld ms, most unread %lld bytes", longestStall, mostUnread);
        QVERIFY2(longestStall < 1000, qPrintable(QString::number(longestStall)));
        QVERIFY(mostUnread <= SerialLink::MaxUnread);

        // Once the line is clean again a read works.
        QSignalSpy replies(&exchange, &AlarmExchange::replied);
        exchange.parser().reset();
        server.send(QByteArray::fromHex(P "D3 00 01"));
        QTRY_VERIFY_WITH_TIMEOUT(!replies.isEmpty(), 3000);
        QCOMPARE(describe(replies.last().at(0).value<AlarmReplyValue>()),
                 QStringLiteral("D3 power-saving on"));
        link.close();
    }
};

QTEST_GUILESS_MAIN(TestE2EFlood)
#include "tst_e2e_flood.moc"
