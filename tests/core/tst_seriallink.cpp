// SerialLink over the memory backend: port settings, receive threshold semantics and dispatch;
// over the QSerialPort backend: why a port does not open; the port map.
#include "core/Module1.h"
#include "core/OpenFailure.h"
#include "core/ReceiveDispatch.h"
#include "core/SerialLink.h"
#include "core/serial/PortLock.h"
#include "core/serial/PortMap.h"
#include "core/serial/QtSerialBackend.h"
#include "core/serial/RoutingBackend.h"
#include "support/TestSupport.h"

#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// A reply parser that reads what the threshold lets it read (or nothing). Inside its first call
// more bytes arrive and pending events run.
struct Reader {
    MemorySerialBackend *line = nullptr;
    bool reads = true;
    QByteArray during, got;
    int calls = 0, depth = 0, maxDepth = 0;
    void parse()
    {
        maxDepth = qMax(maxDepth, ++depth);
        if (++calls == 1 && !during.isEmpty()) {
            line->inject(during);
            QCoreApplication::processEvents();
        }
        if (reads)
            got += Link().read();
        --depth;
    }
};
// The master side of a pseudo-terminal; the slave path is what the program opens.
struct Pty {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    QString slave = master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0
                        ? QString::fromLocal8Bit(::ptsname(master))
                        : QString();
    ~Pty() { ::close(master); }
};
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
        row("COM1 1200", "COM1", "1200bps", 1, "1200,n,8,1");
        row("COM8 14400", "COM8", "14400bps", 8, "14400,n,8,1");
        row("COM9 unchanged", "COM9", "2400bps", 5, "2400,n,8,1");
        row("lower case unchanged", "com1", "4800bps", 5, "4800,n,8,1");
        row("baud without bps", "COM2", "9600", 2, "57600,n,8,1");
        row("unlisted baud", "COM2", "600bps", 2, "57600,n,8,1");
    }
    // The port then opens the device of the entry at the baud rate.
    void applyPortSettings()
    {
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(int, portNumber);
        QFETCH(QString, settings);
        MemorySerialBackend *line = ResetWorld();
        Link().setPortResolver([](int n) { return QStringLiteral("/dev/fake%1").arg(n); });
        Link().setPortNumber(5);
        Link().setSettings(QStringLiteral("57600,n,8,1"));
        ApplyPortSettings(port, baud);
        QCOMPARE(Link().settings(), settings);
        QCOMPARE(Link().open(), OpenResult::Ok);
        QCOMPARE(line->openedPath(), QStringLiteral("/dev/fake%1").arg(portNumber));
        QCOMPARE(line->openedBaud(), settings.section(',', 0, 0).toInt());
    }

    // The parser is called while at least threshold bytes wait (0: never), again after it
    // returns when enough are left, never inside itself, and not again for the same bytes when
    // it read nothing. Bytes that arrive while no parser is selected stay waiting; an empty piece
    // selects the parser, which sets its threshold.
    void delivery_data()
    {
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<QByteArray>("during");
        QTest::addColumn<bool>("reads");
        QTest::addColumn<QByteArray>("got");
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("left");
        auto row = [](const char *name, int threshold, const QByteArrayList &pieces,
                      const char *during, bool reads, const char *got, int calls, int left) {
            QTest::newRow(name) << threshold << pieces << QByteArray(during) << reads
                                << QByteArray(got) << calls << left;
        };
        row("1: whole, served byte by byte", 1, {"abc"}, "", true, "abc", 3, 0);
        row("3: a read takes 3", 3, {"12345"}, "", true, "123", 1, 2);
        row("2: below it, no call", 2, {"x", "y", "z"}, "", true, "xy", 1, 1);
        row("arriving inside the parser", 1, {"q"}, "zz", true, "qzz", 3, 0);
        row("reads nothing: once per arrival", 2, {"x", "y", "z"}, "", false, "", 2, 3);
        row("0: notifications off", 0, {"w", "v"}, "", true, "", 0, 2);
        row("no parser selected yet", 2, {"o", "k", ""}, "", true, "ok", 1, 0);
    }
    void delivery()
    {
        QFETCH(int, threshold);
        QFETCH(QByteArrayList, pieces);
        Reader reader;
        reader.line = ResetWorld(true);
        QFETCH(QByteArray, during);
        QFETCH(bool, reads);
        reader.during = during;
        reader.reads = reads;
        SetReplyParser(ProtocolAlarm, [&reader] { reader.parse(); });
        ProtocolId = pieces.contains(QByteArray()) ? 17 : ProtocolAlarm; // 17: alarm window loading
        Link().setThreshold(threshold);
        for (const QByteArray &piece : pieces) {
            if (piece.isEmpty()) {
                QCOMPARE(reader.calls, 0);
                ProtocolId = ProtocolAlarm;
                Link().setThreshold(threshold);
            }
            reader.line->inject(piece);
            QCoreApplication::processEvents();
        }
        QTEST(reader.got, "got");
        QTEST(reader.calls, "calls");
        QTEST(int(Link().bytesWaiting()), "left");
        QVERIFY(reader.maxDepth <= 1);
    }

    void writeAndReadAll()
    {
        MemorySerialBackend *line = ResetWorld(false);
        Link().write(QByteArray::fromHex("1A"));
        QVERIFY(line->writtenSoFar().isEmpty()); // closed: nothing sent
        Link().setPortResolver([](int) { return QString(); });
        QCOMPARE(Link().open(), OpenResult::NoSuchPort);
        Link().setPortResolver({});
        QCOMPARE(Link().open(), OpenResult::Ok);
        Link().write(QByteArray::fromHex("1A2A3A4A5A6A7A8AFE03"));
        QCOMPARE(line->takeWritten(), QByteArray::fromHex("1A2A3A4A5A6A7A8AFE03"));
        line->inject(QByteArray::fromHex("0102030405"));
        Link().setThreshold(0); // 0: a read takes everything
        QCOMPARE(Link().read(), QByteArray::fromHex("0102030405"));
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
        QVERIFY(!Link().isOpen() && RxStep == 0);
        // The program stays usable: a new connect opens the port again.
        QCOMPARE(Link().open(), OpenResult::Ok);
    }

    void traceFileLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("trace.txt");
        MemorySerialBackend *line = ResetWorld(true);
        Link().setTraceFile(path);
        Link().write(QByteArray::fromHex("1A2AFE"));
        line->inject(QByteArray::fromHex("0A0B"));
        Link().read();
        Link().setTraceFile({});
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString lines = file.readAll();
        const QString stamp = QStringLiteral(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )");
        const QRegularExpression expected('^' + stamp + "TX 1A:2A:FE\n" + stamp + "RX 0A:0B\n$");
        QVERIFY2(expected.match(lines).hasMatch(), qPrintable(lines));
    }

    // --- the QSerialPort backend against real pseudo-terminals, files and lock files

    // The user is told that the port did not open and why; a lock file that QSerialPort cannot
    // take away (its removal lock is held) left by an ended process is named as stale.
    void openFailureIsExplained_data()
    {
        QTest::addColumn<QString>("path");   // <file>, <dir>, <pty>: made for the row
        QTest::addColumn<QString>("holder"); // "port", or the lock file of an "ended"/"running" pid
        QTest::addColumn<QString>("message");
        auto row = [](const char *name, const char *path, const char *holder, const QString &text) {
            QTest::newRow(name) << path << holder << text;
        };
        const QString notSerial = QStringLiteral("串口COM1（%1）无法打开：它不是串口设备");
        const QString inUse = QStringLiteral("串口已经打开，请关闭其它程序重试");
        row("missing", "/dev/corvane-no-such", "",
            QStringLiteral("本机没有这个串口，请选择其它串口重试"));
        row("regular file", "<file>", "", notSerial.arg("<file>"));
        row("directory", "<dir>", "", notSerial.arg("<dir>"));
        row("/dev/null", "/dev/null", "", notSerial.arg("/dev/null"));
        row("held open", "<pty>", "port", inUse);
        row("lock of a running process", "<pty>", "running", inUse);
        row("lock of an ended process", "<pty>", "ended",
            QStringLiteral("串口COM1（<pty>）无法打开：一个已经结束的程序留下的锁文件 <lock>"));
    }
    void openFailureIsExplained()
    {
        QFETCH(QString, path);
        QFETCH(QString, holder);
        QFETCH(QString, message);
        QTemporaryDir dir;
        Pty pty;
        const QString file = dir.filePath(QStringLiteral("ttyFILE"));
        QFile(file).open(QIODevice::WriteOnly);
        const QString lock = PortLockFilePath(pty.slave);
        QVERIFY(!pty.slave.isEmpty() && !lock.isEmpty());
        for (QString *text : {&path, &message}) {
            text->replace("<file>", file).replace("<dir>", dir.path());
            text->replace("<pty>", pty.slave).replace("<lock>", lock);
        }
        QtSerialBackend other;
        if (holder == QLatin1String("port"))
            QCOMPARE(other.open(pty.slave, 9600, nullptr), OpenResult::Ok);
        pid_t pid = holder == QLatin1String("ended") ? ::fork() : ::getpid();
        if (pid == 0)
            ::_exit(0); // the ended process
        if (holder == QLatin1String("ended"))
            ::waitpid(pid, nullptr, 0);
        QFile lockFile(lock);
        QLockFile removal(lock + QStringLiteral(".rmlock"));
        const bool locked = holder == QLatin1String("ended") || holder == QLatin1String("running");
        if (locked) {
            QVERIFY(lockFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
            lockFile.write(QStringLiteral("%1\ncorvane\n%2\n")
                               .arg(pid)
                               .arg(QSysInfo::machineHostName())
                               .toUtf8());
            lockFile.close();
            QVERIFY(removal.tryLock());
        }
        ResetWorld();
        MessageRecorder recorder;
        Link().setBackend(new QtSerialBackend);
        Link().setPortResolver([path](int) { return path; });
        const bool opened = OpenPortOrReport(Link());
        removal.unlock();
        if (locked)
            QFile::remove(lock);
        QVERIFY(!opened && !Link().isOpen());
        QCOMPARE(recorder.messages.size(), 1);
        QVERIFY2(recorder.messages[0].text.startsWith(message),
                 qPrintable(recorder.messages[0].text));
        QCOMPARE(recorder.messages[0].title, QStringLiteral("端口错误"));
        Link().setBackend(nullptr);
    }

    // Defaults: USB and ACM adapters first, then the others in name order; --port sets any entry.
    void portMap()
    {
        QCOMPARE(PortMap::orderDevices(
                     {"/dev/ttyS10", "/dev/ttyS2", "/dev/ttyACM0", "/dev/ttyUSB1", "/dev/ttyUSB0"}),
                 (QStringList{"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS2",
                              "/dev/ttyS10"}));
        PortMap::clear();
        QVERIFY(PortMap::setOverride(QStringLiteral("COM2=/dev/pts/7")));
        QVERIFY(PortMap::setOverride(QStringLiteral("com8=/tmp/x")));
        QVERIFY(!PortMap::setOverride(QStringLiteral("COM9=/dev/pts/7")));
        QVERIFY(!PortMap::setOverride(QStringLiteral("COM2")));
        PortMap::set(3, QLatin1String(RoutingBackend::VirtualPath));
        QCOMPARE(PortMap::path(2) + PortMap::path(8), "/dev/pts/7/tmp/x");
        QCOMPARE(PortMap::describe(3), QStringLiteral("COM3 → 内置虚拟模块"));
        PortMap::clear();
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
