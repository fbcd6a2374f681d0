// The program's command line; the built program as a user starts and ends it: a bad --trace
// path is refused like the other bad options, and SIGTERM, SIGINT or SIGHUP end it cleanly,
// releasing the port's lock file.
#include "app/CommandLine.h"
#include "serial/PortLock.h"
#include "sim/AlarmModuleSim.h"
#include "sim/PtyServer.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

static const QString Program = QStringLiteral(CORVANE_BINARY_DIR "/bin/corvane");

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo::exists(Program))
            QSKIP("corvane is not built in this build directory");
    }

    // Run: the options as "port assignments|connect port|demo|baud". Mistakes end the program
    // with a message that names the option; --help and --version with their text.
    void parse_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("expected"); // the options, or a piece of the output
        const int run = int(CommandLineResult::Run), error = int(CommandLineResult::Error);
        const int exit = int(CommandLineResult::Exit);
        auto row = [](const char *args, int result, const char *expected) {
            QTest::newRow(*args ? args : "no options") << args << result << expected;
        };
        row("", run, "||0|9600bps");
        row("--demo", run, "||1|9600bps");
        row("--port COM1=/dev/pts/3 --port=COM2=/dev/ttyUSB0", run,
            "COM1=/dev/pts/3,COM2=/dev/ttyUSB0||0|9600bps");
        row("--connect com3 --baud 115200bps", run, "|COM3|0|115200bps");
        row("--connect COM1 --baud 19200", run, "|COM1|0|19200bps");
        row("--port COM9=/dev/x", error, "--port");
        row("--port COM1", error, "--port");
        row("--connect COM0", error, "--connect");
        row("--baud 600bps", error, "--baud");
        row("--frobnicate", error, "frobnicate");
        row("file.txt", error, "file.txt");
        row("--help", exit, "COM1=/dev/ttyUSB0");
        row("--version", exit, "Corvane 4.0\n");
    }
    void parse()
    {
        QFETCH(QString, args);
        QFETCH(QString, expected);
        StartOptions o;
        QString output;
        const QStringList argv = ("corvane " + args).split(' ', Qt::SkipEmptyParts);
        QTEST(int(ParseCommandLine(argv, &o, &output)), "result");
        if (output.isEmpty())
            QCOMPARE(QStringLiteral("%1|%2|%3|%4")
                         .arg(o.portAssignments.join(','), o.connectPort, QString::number(o.demo),
                              o.baud),
                     expected);
        else
            QVERIFY2(output.contains(expected), qPrintable(output));
    }

    // A --trace path that cannot be written (here a directory) ends the program with one line.
    void unwritableTraceIsRefused()
    {
        QTemporaryDir dir;
        QProcess corvane;
        corvane.start(Program, {"--trace", dir.path()});
        QVERIFY(corvane.waitForFinished(10000) && corvane.exitStatus() == QProcess::NormalExit);
        QCOMPARE(corvane.exitCode(), 2);
        const QByteArray err = corvane.readAllStandardError();
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.startsWith("corvane: --trace") && err.contains(dir.path().toLocal8Bit()),
                 err.constData());
    }

    // Settings live under the program's own name and take over those kept under Qt's "Unknown
    // Organization"; the window's size is kept there. A picture that cannot be saved ends the
    // run with code 1 and says which.
    void settingsAndScreenshot()
    {
        QTemporaryDir home;
        QDir(home.path()).mkpath("Unknown Organization");
        QFile old(home.filePath("Unknown Organization/Corvane.conf"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("[monitor]\nautoLog=true\n");
        old.close();
        QProcess corvane;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        corvane.setProcessEnvironment(env);
        const QString picture = home.filePath("missing/main.png");
        corvane.start(Program, {"--demo", "--screenshot", picture, "--screenshot-delay", "200"});
        QVERIFY(corvane.waitForFinished(15000) && corvane.exitStatus() == QProcess::NormalExit);
        QCOMPARE(corvane.exitCode(), 1);
        QVERIFY(corvane.readAllStandardError().contains(("无法保存截图 " + picture).toUtf8()));
        QSettings kept(home.filePath("Corvane/Corvane.conf"), QSettings::IniFormat);
        QCOMPARE(kept.value("monitor/autoLog").toString(), "true");
        QVERIFY(!kept.value("MainWindow/geometry").toByteArray().isEmpty());
    }

    void terminationReleasesPortLock_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void terminationReleasesPortLock()
    {
        QFETCH(int, signal);
        AlarmModuleSim module;
        PtyServer server;
        QVERIFY(server.open());
        server.serve(&module);
        const QString lock = PortLockFilePath(server.slavePath());
        QVERIFY(!lock.isEmpty() && !QFile::exists(lock));

        QProcess corvane;
        corvane.start(Program, {"--port", "COM1=" + server.slavePath(), "--connect", "COM1"});
        QVERIFY(corvane.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 15000);
        ::kill(pid_t(corvane.processId()), signal);
        QVERIFY(corvane.waitForFinished(10000) && corvane.exitStatus() == QProcess::NormalExit);
        QCOMPARE(corvane.exitCode(), 128 + signal);
        QVERIFY(!QFile::exists(lock));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
