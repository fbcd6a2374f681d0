// The byte and text routines shared by frame builders, parsers and input boxes; SerialLink over
// the memory backend: port settings, receive threshold semantics and the bound receiver; over the
// QSerialPort backend: why a port does not open; the port map and the book of open ports.
#include "core/ByteRoutines.h"
#include "core/OpenFailure.h"
#include "core/SerialLink.h"
#include "serial/PortLock.h"
#include "serial/PortMap.h"
#include "serial/Ports.h"
#include "serial/QtSerialBackend.h"
#include "serial/RoutingBackend.h"
#include "sim/PtyServer.h"
#include "support/TestSupport.h"

#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

namespace {
// A reply parser that reads what the threshold lets it read (or nothing). Inside its first call
// more bytes arrive and pending events run.
struct Reader {
    MemoryLine *line = nullptr;
    bool reads = true;
    QByteArray during, got;
    int calls = 0, depth = 0, maxDepth = 0;
    void parse()
    {
        maxDepth = qMax(maxDepth, ++depth);
        if (++calls == 1 && !during.isEmpty()) {
            line->backend->inject(during);
            QCoreApplication::processEvents();
        }
        if (reads)
            got += (**line).read();
        --depth;
    }
};
} // namespace

class TestSerialLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:

    // A digit's value: only "0"-"9" and "A"-"F" have one. The key filter of hexadecimal boxes
    // keeps digits, backspace (8) and codes from 127 on, turns "a"-"f" into capitals.
    void hexDigits_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("key");
        const int rows[][3] = {{8, 0, 8},           {13, 0, 0},   {0, 0, 0},      {7, 0, 0},
                               {9, 0, 0},           {'/', 0, 0},  {'0', 0, '0'},  {'9', 9, '9'},
                               {':', 0, 0},         {'@', 0, 0},  {'A', 10, 'A'}, {'F', 15, 'F'},
                               {'G', 0, 0},         {96, 0, 0},   {'a', 0, 'A'},  {'f', 0, 'F'},
                               {'g', 0, 0},         {126, 0, 0},  {127, 0, 127},  {200, 0, 200},
                               {0x4E2D, 0, 0x4E2D}, {-20, 0, -20}};
        for (const auto &row : rows)
            QTest::newRow(qPrintable(QString::number(row[0]))) << row[0] << row[1] << row[2];
    }
    void hexDigits()
    {
        QFETCH(int, code);
        QTEST(int(HexDigitValue(quint8(code))), "value");
        qint16 key = qint16(code);
        FilterHexKey(key);
        QTEST(int(key), "key");
    }

    // What a hexadecimal box keeps of pasted or dropped text; with colon fields, text already in
    // pairs stays, anything else is regrouped.
    void filterHexText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("colons");
        QTest::addColumn<QString>("kept");
        const char *rows[][4] = {{"pasted number", "1380013800g", "", "1380013800"},
                                 {"lower case, colon dropped", "a:f \u4E2D9", "", "AF9"},
                                 {"regrouped", "31522408", ":", "31:52:24:08:"},
                                 {"pairs stay", "31:52", ":", "31:52"},
                                 {"odd digit count", "3152240", ":", "31:52:24:0"},
                                 {"last digit missing stays", "a1:52:2", ":", "A1:52:2"},
                                 {"colon missing", "31:5224", ":", "31:52:24:"},
                                 {"leading colon", ":3g1", ":", "31:"},
                                 {"empty", "", ":", ""}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << (*row[2] == ':') << row[3];
    }
    void filterHexText()
    {
        QFETCH(QString, text);
        QFETCH(bool, colons);
        QTEST(FilterHexText(text, colons), "kept");
    }

    void byteSum_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("sum");
        QTest::newRow("wraps") << QByteArray::fromHex("FF02") << 0 << 2 << 0x01;
        QTest::newRow("from equals to") << QByteArray::fromHex("FF02") << 1 << 1 << 0;
        QTest::newRow("from after to") << QByteArray::fromHex("FF02") << 2 << 0 << 0;
        QTest::newRow("end excluded") << QByteArray::fromHex("010203") << 0 << 2 << 3;
        QTest::newRow("last byte counts") << QByteArray::fromHex("01020304") << 1 << 4 << 9;
        QTest::newRow("range past end") << QByteArray::fromHex("0102") << 0 << 10 << 3;
        QTest::newRow("negative start") << QByteArray::fromHex("0102") << -5 << 1 << 1;
    }
    void byteSum()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, from);
        QFETCH(int, to);
        QTEST(ByteSum(bytes, from, to), "sum");
    }

    void ucs2_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("zhong A") << QStringLiteral("\u4E2DA") << QByteArray::fromHex("4E2D0041");
        QTest::newRow("surrogates")
            << QString::fromUcs4(U"\U0001F600") << QByteArray("\xD8\x3D\xDE\x00", 4);
    }
    // The plain encoding, and the form with the leading 0 byte (empty text: array untouched).
    // Neither lets pending events run.
    void ucs2()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        bool ran = false;
        QTimer::singleShot(0, [&ran] { ran = true; });
        QByteArray out = QByteArray::fromHex("AABBCC");
        QCOMPARE(Ucs2Bytes(text), bytes);
        QCOMPARE(int(TextToUcs2Bytes(out, text)), text.isEmpty() ? 0 : 1);
        QCOMPARE(out, text.isEmpty() ? QByteArray::fromHex("AABBCC") : '\0' + bytes);
        QVERIFY(!ran);
        QCoreApplication::processEvents();
    }

    void hexColonAndAnsi()
    {
        QCOMPARE(BytesToHexColon(QByteArray::fromHex("1A0A00FF")), QStringLiteral("1A:0A:00:FF:"));
        QCOMPARE(BytesToHexColon(QByteArray()), QString());
        // GBK: the two characters 中文 are D6 D0 CE C4.
        QCOMPARE(ToAnsi(QStringLiteral("中文")), QByteArray::fromHex("D6D0CEC4"));
        QCOMPARE(FromAnsi(QByteArray::fromHex("D6D0CEC4")), QStringLiteral("中文"));
        // This Qt has GBK, so there is nothing to warn about at start-up.
        QVERIFY(GbkAvailable());
        QCOMPARE(GbkMissingMessage(), QString());
        QVERIFY(GbkMissingMessage(false).contains(QLatin1String("GBK")));
    }

    // GBK comes from ICU: Debian's Qt has it. Without it, English-mode text may hold ASCII only,
    // and the start-up warning is given.
    void ansiWithoutGbk_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("gbk");
        QTest::addColumn<bool>("encodable");
        QTest::newRow("ASCII without GBK") << QStringLiteral("Door 1 ~\x7f") << false << true;
        QTest::newRow("empty without GBK") << QString() << false << true;
        QTest::newRow("euro sign without GBK") << QStringLiteral("5€") << false << false;
        QTest::newRow("Latin-1 without GBK") << QStringLiteral("caf\u00e9") << false << false;
        QTest::newRow("Chinese with GBK") << QStringLiteral("中文") << true << true;
    }
    void ansiWithoutGbk()
    {
        QFETCH(QString, text);
        QFETCH(bool, gbk);
        QTEST(AnsiEncodable(text, gbk), "encodable");
    }

    void applyPortSettings_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("opened"); // the device and the settings
        const char *rows[][4] = {
            {"COM1 1200", "COM1", "1200bps", "/dev/fake1 1200,n,8,1"},
            {"COM8 14400", "COM8", "14400bps", "/dev/fake8 14400,n,8,1"},
            {"COM9 unchanged", "COM9", "2400bps", "/dev/fake5 2400,n,8,1"},
            {"lower case unchanged", "com1", "4800bps", "/dev/fake5 4800,n,8,1"},
            {"baud without bps", "COM2", "9600", "/dev/fake2 57600,n,8,1"},
            {"unlisted baud", "COM2", "600bps", "/dev/fake2 57600,n,8,1"}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2] << row[3];
    }
    // The port then opens the device of the entry at the baud rate.
    void applyPortSettings()
    {
        QFETCH(QString, port);
        QFETCH(QString, baud);
        MemoryLine line;
        line->setPortResolver([](int n) { return QStringLiteral("/dev/fake%1").arg(n); });
        line->setPortNumber(5);
        line->setSettings(QStringLiteral("57600,n,8,1"));
        line->applyChoice(port, baud);
        QCOMPARE(line->open(), OpenResult::Ok);
        QTEST(line.backend->openedPath() + ' ' + line->settings(), "opened");
        QCOMPARE(line.backend->openedBaud(), line->settings().section(',', 0, 0).toInt());
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
        QFETCH(QByteArray, during);
        QFETCH(bool, reads);
        MemoryLine line(true);
        Reader reader{&line, reads, during, {}, 0, 0, 0};
        // An empty piece: until then nobody is bound (a window that loads) and the bytes wait.
        const auto bind = [&] { line->bindReceiver(line.backend, [&reader] { reader.parse(); }); };
        if (!pieces.contains(QByteArray()))
            bind();
        line->setThreshold(threshold);
        for (const QByteArray &piece : pieces) {
            if (piece.isEmpty()) {
                QCOMPARE(reader.calls, 0);
                bind();
                line->setThreshold(threshold);
            }
            line.backend->inject(piece);
            QCoreApplication::processEvents();
        }
        QTEST(reader.got, "got");
        QTEST(reader.calls, "calls");
        QTEST(int(line->bytesWaiting()), "left");
        QVERIFY(reader.maxDepth <= 1);
    }

    void writeAndReadAll()
    {
        MemoryLine mem(false);
        MemorySerialBackend *line = mem.backend;
        mem->write(QByteArray::fromHex("1A"));
        QVERIFY(line->writtenSoFar().isEmpty()); // closed: nothing sent
        mem->setPortResolver([](int) { return QString(); });
        QCOMPARE(mem->open(), OpenResult::NoSuchPort);
        mem->setPortResolver({});
        QCOMPARE(mem->open(), OpenResult::Ok);
        mem->write(QByteArray::fromHex("1A2A3A4A5A6A7A8AFE03"));
        QCOMPARE(line->takeWritten(), QByteArray::fromHex("1A2A3A4A5A6A7A8AFE03"));
        line->inject(QByteArray::fromHex("0102030405"));
        mem->setThreshold(0); // 0: a read takes everything
        QCOMPARE(mem->read(), QByteArray::fromHex("0102030405"));
    }

    void deviceLossClosesOnceAndResets()
    {
        MemoryLine mem(true);
        QSignalSpy lost(mem.link.get(), &SerialLink::deviceLost);
        mem.backend->simulateLoss();
        mem.backend->simulateLoss(); // a second report of the same loss
        QCoreApplication::processEvents();
        QCOMPARE(lost.count(), 1);
        QVERIFY(!mem->isOpen());
        // The program stays usable: a new connect opens the port again.
        QCOMPARE(mem->open(), OpenResult::Ok);
    }

    // --- the QSerialPort backend against real pseudo-terminals, files and lock files

    // The user is told that the port did not open and why; a lock file that QSerialPort cannot
    // take away (its removal lock is held) left by an ended process is named as stale.
    void openFailureIsExplained_data()
    {
        QTest::addColumn<QString>("path");   // <file>, <dir>, <pty>: made for the row
        QTest::addColumn<QString>("holder"); // "port", or the lock file of an "ended" process
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
        row("lock of an ended process", "<pty>", "ended",
            QStringLiteral("串口COM1（<pty>）无法打开：一个已经结束的程序留下的锁文件 <lock>"));
    }
    void openFailureIsExplained()
    {
        QFETCH(QString, path);
        QFETCH(QString, holder);
        QFETCH(QString, message);
        QTemporaryDir dir;
        PtyServer pty; // its slave side is the serial device
        const QString file = dir.filePath(QStringLiteral("ttyFILE"));
        QFile(file).open(QIODevice::WriteOnly);
        QVERIFY(pty.open());
        const QString lock = PortLockFilePath(pty.slavePath());
        for (QString *text : {&path, &message}) {
            text->replace("<file>", file).replace("<dir>", dir.path());
            text->replace("<pty>", pty.slavePath()).replace("<lock>", lock);
        }
        QtSerialBackend other;
        if (holder == QLatin1String("port"))
            QCOMPARE(other.open(pty.slavePath(), 9600, nullptr), OpenResult::Ok);
        const bool locked = holder == QLatin1String("ended");
        QLockFile removal(lock + QStringLiteral(".rmlock"));
        if (locked) {
            const pid_t pid = ::fork();
            if (pid == 0)
                ::_exit(0); // the ended process
            ::waitpid(pid, nullptr, 0);
            QFile lockFile(lock);
            QVERIFY(lockFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
            lockFile.write(QByteArray::number(pid) + "\ncorvane\n" +
                           QSysInfo::machineHostName().toUtf8() + '\n');
            QVERIFY(removal.tryLock());
        }
        MemoryLine mem;
        MessageRecorder recorder;
        mem->setBackend(new QtSerialBackend);
        mem->setPortResolver([path](int) { return path; });
        const bool opened = OpenPortOrReport(*mem);
        removal.unlock();
        if (locked)
            QFile::remove(lock);
        QVERIFY(!opened && !mem->isOpen() && recorder.messages.size() == 1);
        const MessageRequest &m = recorder.messages[0];
        QVERIFY2(m.text.startsWith(message) && m.title == QStringLiteral("端口错误"),
                 qPrintable(m.title + ' ' + m.text));
    }

    // Defaults: USB and ACM adapters first, then the others in name order; --port sets any entry.
    void portMap()
    {
        QCOMPARE(PortMap::orderDevices(
                     {"/dev/ttyS10", "/dev/ttyS2", "/dev/ttyACM0", "/dev/ttyUSB1", "/dev/ttyUSB0"}),
                 (QStringList{"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS2",
                              "/dev/ttyS10"}));
        PortMap map;
        QVERIFY(map.setOverride(QStringLiteral("COM2=/dev/pts/7")));
        QVERIFY(map.setOverride(QStringLiteral("com8=/tmp/x")));
        QVERIFY(!map.setOverride(QStringLiteral("COM9=/dev/pts/7")));
        QVERIFY(!map.setOverride(QStringLiteral("COM2")));
        map.set(3, QLatin1String(RoutingBackend::VirtualPath));
        QCOMPARE(map.path(2) + map.path(8), "/dev/pts/7/tmp/x");
        QCOMPARE(map.describe(3), QStringLiteral("COM3 → 内置虚拟报警模块"));
        // The virtual path opens the in-memory line, any other the device.
        RoutingBackend routing;
        QCOMPARE(routing.open(QLatin1String(RoutingBackend::VirtualPath), 9600, nullptr),
                 OpenResult::Ok);
        QVERIFY(routing.memory()->isOpen());
    }

    // Two windows never hold one device: the second open is refused and names the holder; a
    // link on another device, or the same device once the first has let go, opens.
    void portsRefuseAHeldDevice()
    {
        Ports ports;
        ports.setBackendMaker([] { return new MemorySerialBackend; });
        ports.map().set(1, QStringLiteral("/dev/ttyUSB0"));
        ports.map().set(2, QStringLiteral("/dev/ttyUSB1"));
        QSignalSpy made(&ports, &Ports::linkMade);
        QObject alarmWindow, vx8Window;
        SerialLink *alarm = ports.makeLink(QStringLiteral("短信模块参数设置"), &alarmWindow);
        SerialLink *vx8 = ports.makeLink(QStringLiteral("VX8"), &vx8Window);
        QCOMPARE(made.count(), 2);
        QCOMPARE(alarm->open(), OpenResult::Ok);
        vx8->setPortNumber(1);
        QString detail;
        QCOMPARE(vx8->open(&detail), OpenResult::HeldByWindow);
        QCOMPARE(detail, QStringLiteral("短信模块参数设置"));
        QVERIFY(OpenFailureText(OpenResult::HeldByWindow, "COM1", detail)
                    .contains(QStringLiteral("“短信模块参数设置”")));
        vx8->setPortNumber(2);
        QCOMPARE(vx8->open(), OpenResult::Ok);
        vx8->close();
        vx8->setPortNumber(1);
        alarm->close();
        QCOMPARE(vx8->open(), OpenResult::Ok);
        // A link that is gone holds nothing.
        delete vx8;
        QCOMPARE(ports.links(), QList<SerialLink *>{alarm});
        QCOMPARE(alarm->open(), OpenResult::Ok);
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
