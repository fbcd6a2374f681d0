// The traffic monitor without its window: how literal byte streams are named (requests and
// replies of the alarm module, frames split across reads, junk between frames, a wrong
// checksum, the connect), the bounded list with its pause, and the log writer's rotation and
// its bound.

#include "core/SerialLink.h"
#include "monitor/TrafficLogWriter.h"
#include "monitor/TrafficModel.h"
#include "monitor/TrafficMonitor.h"
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
            << QStringList{"发送|F8 工作形式 读取|||" P "F8 03",
                           "接收|F8 工作形式|01 主动方式||" P "F8 00 01"};
        QTest::newRow("a reply split across reads")
            << alarm << QStringList{"< 1A 2A 3A", "< 4A 5A 6A 7A 8A D3", "< 00", "< 01"}
            << QStringList{"接收|D3 省电|省电||" P "D3 00 01"};
        QTest::newRow("junk before, between and after frames")
            << alarm << QStringList{"< 55 55 " P "D3 00 01 1A 2A 00 " P "DB 00 01", "< AA"}
            << QStringList{
                   "接收|帧外字节|2 字节|不属于任何帧|55 55", "接收|D3 省电|省电||" P "D3 00 01",
                   "接收|帧外字节|3 字节|不属于任何帧|1A 2A 00",
                   "接收|DB 唤醒模式|模式2||" P "DB 00 01", "接收|帧外字节|1 字节|不属于任何帧|AA"};
        const QString table =
            P "D9 00 29 02 010123456789 013800138000" + QString(" 00").repeated(108);
        QTest::newRow("phone table with a wrong checksum")
            << alarm << QStringList{"> " P "D9 03", "< " + table}
            << QStringList{"发送|D9 号码表 读取|||" P "D9 03",
                           "接收|D9 号码表|数量 2，号码表结构错误|"
                           "校验错误：收到 29，应为 28|" +
                               table};
        // The module sends the entry bytes of an empty table all the same.
        for (const char *fill : {"00", "FF"}) {
            const QString reply =
                P "D9 01 " + QString(fill) + " " + fill + QString(" ").append(fill).repeated(120);
            QTest::newRow(qPrintable(QStringLiteral("empty phone table, entries all %1").arg(fill)))
                << alarm << QStringList{"> " P "D9 01", "< " + reply}
                << QStringList{"发送|D9 号码表 读取|||" P "D9 01",
                               QStringLiteral("接收|D9 号码表|号码表空（数量 %1）||")
                                       .arg(fill == QString("00") ? 0 : 255) +
                                   reply};
        }
        QTest::newRow("the port closes inside a frame")
            << alarm << QStringList{"< 55 " P "D3 00"}
            << QStringList{"接收|帧外字节|1 字节|不属于任何帧|55",
                           "接收|未完成的帧|10 字节|端口关闭时帧未完成|" P "D3 00"};
        QTest::newRow("data module version with control characters")
            << int(TrafficNamer::Family::Data)
            << QStringList{"< " P "EC 00 43 56 00 0A 31 20 20 20 20 20 20"}
            << QStringList{"接收|EC 软件版本|\"CV··1\"||" P
                           "EC 00 43 56 00 0A 31 20 20 20 20 20 20"};
        QTest::newRow("input record read for channel 3")
            << alarm << QStringList{"> " P "B4 02 03"}
            << QStringList{"发送|B4 DI参数 读取|03||" P "B4 02 03"};
        QTest::newRow("communication test, read SMS with nothing stored")
            << alarm << QStringList{"> 24 12 34 52 0D", "< 21 12 34 00 00 0D"}
            << QStringList{"发送|读取短信|地址 12 34||24 12 34 52 0D",
                           "接收|通信测试 接收|21:12:34:00:00:0D: 读短信空||21 12 34 00 00 0D"};
        QTest::newRow("connect: the query answer and the network mode")
            << int(TrafficNamer::Family::Connect)
            << QStringList{"< " P "FD 01 00", "< 00 55 " P "D1 00 02"}
            << QStringList{"接收|FD 模块信息|01 00 00||" P "FD 01 00 00",
                           "接收|帧外字节|1 字节|不属于任何帧|55",
                           "接收|D1 GPRS/SMS模式|00 02||" P "D1 00 02"};
        QTest::newRow("the data module behind the VX8 module")
            << int(TrafficNamer::Family::Data) << QStringList{"< 00 " P "F6 03 01 2C"}
            << QStringList{"接收|帧外字节|1 字节|不属于任何帧|00",
                           "接收|F6 心跳时间|300秒||" P "F6 03 01 2C"};
        QTest::newRow("a module the monitor does not know")
            << int(TrafficNamer::Family::Other) << QStringList{"< F0 01 02"}
            << QStringList{"接收|未识别的通信|3 字节||F0 01 02"};
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
            namer.finish();
            // The bytes of the expected rows are written spaced for reading.
            QStringList expected;
            for (const QString &r : wanted)
                expected << r.left(r.lastIndexOf('|') + 1) +
                                QString(r.mid(r.lastIndexOf('|') + 1)).remove(' ');
            QCOMPARE(got, expected);
        }
    }

    // A frame the port closes on is listed; a trace the disk refuses ends with a message that
    // says how much was lost, given once when it fails and once more when lines were lost since.
    void closeInsideFrameAndRefusedTrace()
    {
        if (!QFile::exists("/dev/full"))
            QSKIP("needs /dev/full");
        MemoryLine line(true);
        line->setConversation(SerialLink::Conversation::Alarm);
        TrafficMonitor monitor;
        monitor.follow(*line);
        monitor.setWatching(true);
        QSignalSpy failed(&monitor, &TrafficMonitor::logFailed);
        QVERIFY(monitor.setTraceFile("/dev/full"));
        line->write(hex(P "D3 03"));
        QTRY_VERIFY((monitor.batchTick(), failed.count() == 1));
        const QString prefix = QStringLiteral("日志 /dev/full 写入失败：");
        QVERIFY2(failed.at(0).at(0).toString().startsWith(prefix),
                 qPrintable(failed.at(0).at(0).toString()));
        line.backend->inject(hex(P "D3 00"));
        line->read();
        line->close();
        monitor.batchTick();
        QCOMPARE(monitor.model().rowCount(), 2);
        QCOMPARE(monitor.model().row(1).kind, QStringLiteral("未完成的帧"));
        QCOMPARE(monitor.model().row(1).bytes, hex(P "D3 00"));
        // Both rows are lost, the one that failed and the one after.
        const auto lost = [&monitor](int rows) {
            qsizetype bytes = 0;
            for (int i = 0; i < rows; ++i)
                bytes += monitor.model().row(i).logLine().size();
            return QStringLiteral("共有 %1 字节的通信记录没有写入。").arg(bytes);
        };
        QVERIFY(failed.at(0).at(0).toString().endsWith(lost(1)));
        monitor.setTraceFile({});
        QCOMPARE(failed.count(), 2);
        QVERIFY(failed.at(1).at(0).toString().endsWith(lost(2)));
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
            QCOMPARE(QString::fromUtf8(joined.mid(all.size())),
                     "# 有 5000 字节的通信记录没有写入：线路上的数据比磁盘写得快\n");
        }
    }
};

QTEST_GUILESS_MAIN(TestTraffic)
#include "tst_traffic.moc"
