// SerialLink over the memory backend: port settings, receive threshold semantics and dispatch.
#include "core/ByteRoutines.h"
#include "core/Module1.h"
#include "core/ReceiveDispatch.h"
#include "core/SerialLink.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A little length-prefixed protocol: a header byte 0xA5, a length byte n, then n payload bytes.
// Built the way the real parsers are: one step per call, threshold set to what the next step
// needs.
struct FakeParser {
    QList<QByteArray> frames;
    int calls = 0;
    int depth = 0;
    int maxDepth = 0;
    bool letEventsRun = false;
    int payload = 0;

    void parse()
    {
        ++calls;
        ++depth;
        maxDepth = qMax(maxDepth, depth);
        if (letEventsRun)
            QCoreApplication::processEvents();
        if (Link().bytesWaiting() >= Link().threshold()) {
            RxBytes = Link().read();
            switch (RxStep) {
            case 0:
                if (RxBytes.size() == 1 && quint8(RxBytes[0]) == 0xA5) {
                    RxStep = 1;
                    Link().setThreshold(1);
                }
                break;
            case 1:
                payload = quint8(RxBytes.at(0));
                if (payload == 0) {
                    frames << QByteArray();
                    RxStep = 0;
                } else {
                    RxStep = 2;
                    Link().setThreshold(payload);
                }
                break;
            case 2:
                frames << RxBytes;
                RxStep = 0;
                Link().setThreshold(1);
                break;
            }
        }
        --depth;
    }
};

QList<QByteArray> chunked(const QByteArray &stream, const QString &mode, quint32 seed)
{
    QList<QByteArray> pieces;
    if (mode == QLatin1String("whole")) {
        pieces << stream;
    } else if (mode == QLatin1String("bytes")) {
        for (char c : stream)
            pieces << QByteArray(1, c);
    } else {
        QRandomGenerator rng(seed);
        int at = 0;
        while (at < stream.size()) {
            const int n = 1 + int(rng.bounded(7));
            pieces << stream.mid(at, n);
            at += n;
        }
    }
    return pieces;
}
} // namespace

class TestSerialLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { ClearReplyParsers(); }

    void applyPortSettings_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<QString>("settings");
        auto row = [](const char *name, const char *port, const char *baud, int number,
                      const char *settings) {
            QTest::newRow(name) << port << baud << number << settings;
        };
        row("COM3 115200", "COM3", "115200bps", 3, "115200,n,8,1");
        row("COM1 1200", "COM1", "1200bps", 1, "1200,n,8,1");
        row("COM8 14400", "COM8", "14400bps", 8, "14400,n,8,1");
        row("COM9 unchanged", "COM9", "2400bps", 5, "2400,n,8,1");
        row("lower case unchanged", "com1", "4800bps", 5, "4800,n,8,1");
        row("baud without bps", "COM2", "9600", 2, "57600,n,8,1");
        row("unlisted baud", "COM2", "600bps", 2, "57600,n,8,1");
    }
    void applyPortSettings()
    {
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(int, portNumber);
        QFETCH(QString, settings);
        ResetWorld();
        Link().setPortNumber(5);
        Link().setSettings(QStringLiteral("57600,n,8,1"));
        ApplyPortSettings(port, baud);
        QCOMPARE(int(Link().portNumber()), portNumber);
        QCOMPARE(Link().settings(), settings);
    }

    void openUsesResolvedPathAndBaud()
    {
        MemorySerialBackend *line = ResetWorld();
        Link().setPortResolver([](int n) { return QStringLiteral("/dev/fake%1").arg(n); });
        ApplyPortSettings(QStringLiteral("COM4"), QStringLiteral("38400bps"));
        QCOMPARE(Link().open(), OpenResult::Ok);
        QCOMPARE(line->openedPath(), QStringLiteral("/dev/fake4"));
        QCOMPARE(line->openedBaud(), 38400);
        Link().close();
        Link().setPortResolver([](int) { return QString(); });
        QCOMPARE(Link().open(), OpenResult::NoSuchPort);
        QVERIFY(!Link().isOpen());
    }

    // The same stream gives the same parser results whatever the pieces it arrives in.
    void chunkingGivesSameFrames_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("whole") << "whole" << 0u;
        QTest::newRow("byte by byte") << "bytes" << 0u;
        for (quint32 seed = 1; seed <= 5; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("random %1").arg(seed))) << "random" << seed;
    }
    void chunkingGivesSameFrames()
    {
        QFETCH(QString, mode);
        QFETCH(quint32, seed);
        MemorySerialBackend *line = ResetWorld(true);
        FakeParser parser;
        SetReplyParser(ProtocolAlarm, [&parser] { parser.parse(); });
        ProtocolId = ProtocolAlarm;
        Link().setThreshold(1);
        // noise, frame "abc", empty frame, noise, frame of 9 bytes
        const QByteArray stream = QByteArray::fromHex("00FF") + QByteArray::fromHex("A503") +
                                  "abc" + QByteArray::fromHex("A500") + QByteArray::fromHex("77") +
                                  QByteArray::fromHex("A509") + "123456789";
        for (const QByteArray &piece : chunked(stream, mode, seed)) {
            line->inject(piece);
            QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
        const QList<QByteArray> expected{QByteArray("abc"), QByteArray(), QByteArray("123456789")};
        QCOMPARE(parser.frames, expected);
        QCOMPARE(Link().bytesWaiting(), qint64(0));
        QCOMPARE(parser.maxDepth, 1);
    }

    // A parser that lets events run while more bytes arrive is never entered a second time,
    // and the bytes that came in meanwhile are served when it returns.
    void neverReentersRunningParser()
    {
        MemorySerialBackend *line = ResetWorld(true);
        FakeParser parser;
        parser.letEventsRun = true;
        SetReplyParser(ProtocolAlarm, [&parser, line] {
            if (parser.calls == 0)
                QMetaObject::invokeMethod(
                    line, [line] { line->inject(QByteArray::fromHex("A502") + "zz"); },
                    Qt::QueuedConnection);
            parser.parse();
        });
        ProtocolId = ProtocolAlarm;
        Link().setThreshold(1);
        line->inject(QByteArray::fromHex("A501") + "q");
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(parser.maxDepth, 1);
        const QList<QByteArray> expected{QByteArray("q"), QByteArray("zz")};
        QCOMPARE(parser.frames, expected);
    }

    // Bytes that arrive while no parser is selected stay waiting and are read by the parser
    // selected later, once it sets its threshold.
    void unselectedProtocolLeavesBytesWaiting_data()
    {
        QTest::addColumn<int>("protocol");
        QTest::newRow("alarm window loading (17)") << 17;
        QTest::newRow("unknown 55") << 55;
    }
    void unselectedProtocolLeavesBytesWaiting()
    {
        QFETCH(int, protocol);
        MemorySerialBackend *line = ResetWorld(true);
        FakeParser parser;
        SetReplyParser(ProtocolAlarm, [&parser] { parser.parse(); });
        ProtocolId = qint16(protocol); // no parser is registered for it
        Link().setThreshold(1);
        line->inject(QByteArray::fromHex("A502") + "ok");
        QCoreApplication::processEvents();
        QCOMPARE(parser.calls, 0);
        QCOMPARE(Link().bytesWaiting(), qint64(4));

        ProtocolId = ProtocolAlarm;
        RxStep = 0;
        Link().setThreshold(1);
        QCoreApplication::processEvents();
        QCOMPARE(parser.frames, QList<QByteArray>{QByteArray("ok")});
    }

    // A handler that reads nothing is not called again and again for the same bytes.
    void idleHandlerDoesNotSpin()
    {
        MemorySerialBackend *line = ResetWorld(true);
        int calls = 0;
        SetReplyParser(ProtocolAlarm, [&calls] { ++calls; });
        ProtocolId = ProtocolAlarm;
        Link().setThreshold(2);
        line->inject("x");
        QCoreApplication::processEvents();
        QCOMPARE(calls, 0); // below the threshold
        line->inject("y");
        QCoreApplication::processEvents();
        QCOMPARE(calls, 1);
        line->inject("z");
        QCoreApplication::processEvents();
        QCOMPARE(calls, 2);
        Link().setThreshold(0); // notifications off
        line->inject("w");
        QCoreApplication::processEvents();
        QCOMPARE(calls, 2);
    }

    void readLengthAndSharedBuffer()
    {
        MemorySerialBackend *line = ResetWorld(true);
        RxBytes = FramePreamble + QByteArray::fromHex("FE03");
        Link().write(RxBytes);
        QCOMPARE(line->takeWritten(), QByteArray::fromHex("1A2A3A4A5A6A7A8AFE03"));
        line->inject(QByteArray::fromHex("0102030405"));
        Link().setThreshold(3);
        RxBytes = Link().read();
        QCOMPARE(RxBytes, QByteArray::fromHex("010203"));
        Link().setThreshold(0); // 0: a read takes everything
        RxBytes = Link().read();
        QCOMPARE(RxBytes, QByteArray::fromHex("0405"));
    }

    void deviceLossClosesOnceAndResets()
    {
        MemorySerialBackend *line = ResetWorld(true);
        QSignalSpy lost(&Link(), &SerialLink::deviceLost);
        RxStep = 18;
        line->simulateLoss();
        line->simulateLoss(); // a second report of the same loss
        QCoreApplication::processEvents();
        QCOMPARE(lost.count(), 1);
        QVERIFY(!Link().isOpen());
        QCOMPARE(RxStep, qint16(0));
        // The program stays usable: a new connect opens the port again.
        QCOMPARE(Link().open(), OpenResult::Ok);
        QVERIFY(Link().isOpen());
    }

    void traceFileLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("trace.txt"));
        MemorySerialBackend *line = ResetWorld(true);
        Link().setTraceFile(path);
        Link().write(QByteArray::fromHex("1A2AFE"));
        line->inject(QByteArray::fromHex("0A0B"));
        Link().setThreshold(0);
        Link().read();
        Link().setTraceFile({});
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const QRegularExpression tx(
            QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} TX 1A:2A:FE$)"));
        const QRegularExpression rx(
            QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} RX 0A:0B$)"));
        QVERIFY2(tx.match(lines[0]).hasMatch(), qPrintable(lines[0]));
        QVERIFY2(rx.match(lines[1]).hasMatch(), qPrintable(lines[1]));
    }

    void writeWhileClosedSendsNothing()
    {
        MemorySerialBackend *line = ResetWorld(false);
        Link().write(QByteArray::fromHex("1A"));
        QVERIFY(line->writtenSoFar().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
