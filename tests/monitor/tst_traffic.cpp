// The traffic monitor without its window: how literal byte streams are named (requests and
// replies of the alarm module, frames split across reads, junk between frames, a wrong
// checksum, the connect), the bounded list with its pause, and the log writer's rotation and
// its bound.

#include "monitor/TrafficLogWriter.h"
#include "monitor/TrafficModel.h"
#include "monitor/TrafficNamer.h"
#include "support/AlarmTestKit.h"
#include "support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

class TestTraffic : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Events "> hex" (written) and "< hex" (read) in one family; rows as
    // "direction|kind|fields|check|bytes".
    void naming_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QStringList>("rows");
        const int alarm = int(TrafficNamer::Family::Alarm);
        QTest::newRow("request and reply")
            << alarm << QStringList{"> " P "F8 03", "< " P "F8 00 01"}
            << QStringList{"发送|F8 work-form read|||" P "F8 03",
                           "接收|F8 work-form|01 active||" P "F8 00 01"};
        QTest::newRow("a reply split across reads")
            << alarm << QStringList{"< 1A 2A 3A", "< 4A 5A 6A 7A 8A D3", "< 00", "< 01"}
            << QStringList{"接收|D3 power-saving|on||" P "D3 00 01"};
        QTest::newRow("junk before, between and after frames")
            << alarm << QStringList{"< 55 55 " P "D3 00 01 1A 2A 00 " P "DB 00 01", "< AA"}
            << QStringList{"接收|no frame|2 bytes|不属于任何帧|55 55",
                           "接收|D3 power-saving|on||" P "D3 00 01",
                           "接收|no frame|3 bytes|不属于任何帧|1A 2A 00",
                           "接收|DB wake-mode|2||" P "DB 00 01",
                           "接收|no frame|1 bytes|不属于任何帧|AA"};
        const QString table =
            P "D9 00 29 02 010123456789 013800138000" + QString(" 00").repeated(108);
        QTest::newRow("phone table with a wrong checksum")
            << alarm << QStringList{"> " P "D9 03", "< " + table}
            << QStringList{"发送|D9 phone-table read|||" P "D9 03",
                           "接收|D9 phone-table|2 checksum 29 wrong, expected 28 []|"
                           "校验错误：收到 29，应为 28|" +
                               table};
        QTest::newRow("input record read for channel 3")
            << alarm << QStringList{"> " P "B4 02 03"}
            << QStringList{"发送|B4 input read|03||" P "B4 02 03"};
        QTest::newRow("communication test, read SMS with nothing stored")
            << alarm << QStringList{"> 24 12 34 52 0D", "< 21 12 34 00 00 0D"}
            << QStringList{"发送|test read-sms|address 12 34||24 12 34 52 0D",
                           "接收|test line|21:12:34:00:00:0D: 读短信空||21 12 34 00 00 0D"};
        QTest::newRow("connect: the query answer and the network mode")
            << int(TrafficNamer::Family::Connect)
            << QStringList{"< " P "FD 01 00", "< 00 55 " P "D1 00 02"}
            << QStringList{"接收|FD init-done|01 00 00||" P "FD 01 00 00",
                           "接收|no frame|1 bytes|不属于任何帧|55",
                           "接收|D1 net-mode|00 02||" P "D1 00 02"};
        QTest::newRow("the data module behind the VX8 module")
            << int(TrafficNamer::Family::Data) << QStringList{"< 00 " P "F6 03 01 2C"}
            << QStringList{"接收|no frame|1 bytes|不属于任何帧|00",
                           "接收|F6 heartbeat|300秒||" P "F6 03 01 2C"};
        QTest::newRow("a module the monitor does not know")
            << int(TrafficNamer::Family::Other) << QStringList{"< F0 01 02"}
            << QStringList{"接收|unnamed|3 bytes||F0 01 02"};
    }
    void naming()
    {
        QFETCH(int, family);
        QFETCH(QStringList, events);
        QFETCH(QStringList, rows);
        const QStringList wanted = rows;
        // Whole reads, and the same bytes one at a time: the same rows.
        for (const bool byByte : {false, true}) {
            TrafficNamer namer;
            QStringList got;
            namer.setRowHandler([&got](TrafficRow &r) {
                got << QStringList{r.direction(), r.kind, r.fields, r.checkText(),
                                   QString(r.bytes.toHex().toUpper())}
                           .join('|');
            });
            for (const QString &event : events) {
                const QByteArray bytes = hex(qPrintable(event.mid(2)));
                const auto f = TrafficNamer::Family(family);
                if (event.startsWith('>'))
                    namer.sent(bytes, f);
                else
                    for (const QByteArray &piece :
                         Pieces(bytes, byByte ? Feed::ByteByByte : Feed::Whole))
                        namer.received(piece, f);
            }
            namer.flush();
            // The bytes of the expected rows are written spaced for reading.
            QStringList expected;
            for (const QString &r : wanted)
                expected << r.left(r.lastIndexOf('|') + 1) +
                                QString(r.mid(r.lastIndexOf('|') + 1)).remove(' ');
            QCOMPARE(got, expected);
        }
    }

    // The list keeps the newest rows up to its bound; paused, it does not move and loses
    // nothing within the bound.
    void boundAndPause()
    {
        TrafficModel model(3);
        // Checks every row signal against the rows the model then reports.
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        auto add = [&model](int n) {
            TrafficRow r;
            r.kind = QString::number(n);
            model.add(r);
        };
        auto shown = [&model] {
            QStringList kinds;
            for (int i = 0; i < model.rowCount(); ++i)
                kinds << model.row(i).kind;
            return kinds.join(',');
        };
        for (int n = 1; n <= 5; ++n)
            add(n);
        QCOMPARE(model.rowCount(), 0); // rows wait for the batch
        model.takePending();
        QCOMPARE(shown(), QStringLiteral("3,4,5"));
        QCOMPARE(model.droppedRows(), 2);
        model.setPaused(true);
        add(6);
        add(7);
        model.takePending();
        QCOMPARE(shown(), QStringLiteral("3,4,5"));
        QCOMPARE(model.pendingCount(), 2);
        model.setPaused(false);
        QCOMPARE(shown(), QStringLiteral("5,6,7"));
        QCOMPARE(model.kinds().size(), 7);
    }

    // Files are cut at whole lines when they reach their cap, each with the header; what does
    // not fit in the buffer is counted and the log says so.
    void logWriter()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("logs/trace.log");
        QByteArray all;
        {
            TrafficLogWriter writer(1024, 4096);
            QVERIFY(writer.open(path, "# head\n"));
            for (int i = 0; i < 100; ++i) {
                const QByteArray line = QByteArray::number(i).rightJustified(29, '.') + '\n';
                all += line;
                writer.append(line);
                if (i % 10 == 0)
                    writer.flush();
            }
            writer.append(QByteArray(5000, 'x')); // more than the buffer holds
            writer.flush();
            QCOMPARE(writer.droppedBytes(), 5000);
            const QStringList files = writer.files();
            QCOMPARE(files.first(), path);
            QCOMPARE(QFileInfo(files.at(1)).fileName(), QStringLiteral("trace.2.log"));
            QByteArray joined;
            for (const QString &name : files) {
                QFile f(name);
                QVERIFY(f.open(QIODevice::ReadOnly));
                const QByteArray text = f.readAll();
                QVERIFY2(text.size() <= 1024, qPrintable(name));
                QVERIFY2(text.startsWith("# head\n") && text.endsWith('\n'),
                         text.right(40).constData());
                joined += text.mid(7);
            }
            QCOMPARE(files.size(), 4); // 3000 bytes of lines and the notice, 1017 to a file
            QVERIFY(joined.startsWith(all));
            QCOMPARE(joined.mid(all.size()),
                     QByteArray("# 5000 bytes of log lines were left out: the line was faster "
                                "than the disk\n"));
        }
    }
};

QTEST_GUILESS_MAIN(TestTraffic)
#include "tst_traffic.moc"
