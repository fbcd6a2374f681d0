// The program's command line; the built program as a user starts and ends it: a bad --trace
// path is refused like the other bad options, and SIGTERM, SIGINT or SIGHUP end it cleanly,
// releasing the port's lock file.
#include "core/CommandLine.h"
#include "core/serial/PortLock.h"
#include "sim/AlarmModuleSim.h"
#include "sim/PtyServer.h"

#include <QProcess>
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
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("expected"); // the options, or a piece of the output
        const int run = int(CommandLineResult::Run), error = int(CommandLineResult::Error);
        QTest::newRow("nothing") << QStringList{} << run << "||0|9600bps";
        QTest::newRow("demo") << QStringList{"--demo"} << run << "||1|9600bps";
        QTest::newRow("two ports")
            << QStringList{"--port", "COM1=/dev/pts/3", "--port=COM2=/dev/ttyUSB0"} << run
            << "COM1=/dev/pts/3,COM2=/dev/ttyUSB0||0|9600bps";
        QTest::newRow("connect with baud")
            << QStringList{"--connect", "com3", "--baud", "115200bps"} << run
            << "|COM3|0|115200bps";
        QTest::newRow("baud without unit")
            << QStringList{"--connect", "COM1", "--baud", "19200"} << run << "|COM1|0|19200bps";
        QTest::newRow("COM9") << QStringList{"--port", "COM9=/dev/x"} << error << "--port";
        QTest::newRow("no path") << QStringList{"--port", "COM1"} << error << "--port";
        QTest::newRow("COM0") << QStringList{"--connect", "COM0"} << error << "--connect";
        QTest::newRow("600bps") << QStringList{"--baud", "600bps"} << error << "--baud";
        QTest::newRow("unknown") << QStringList{"--frobnicate"} << error << "frobnicate";
        QTest::newRow("file") << QStringList{"file.txt"} << error << "file.txt";
        QTest::newRow("--help") << QStringList{"--help"} << int(CommandLineResult::Exit)
                                << "COM1=/dev/ttyUSB0";
        QTest::newRow("--version")
            << QStringList{"--version"} << int(CommandLineResult::Exit) << "Corvane 4.0\n";
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        StartOptions o;
        QString output;
        QTEST(int(ParseCommandLine(QStringList{"corvane"} + args, &o, &output)), "result");
        if (output.isEmpty())
            QCOMPARE(QStringLiteral("%1|%2|%3|%4")
                         .arg(o.portAssignments.join(','), o.connectPort, QString::number(o.demo),
                              o.baud),
                     expected);
        else
            QVERIFY2(output.contains(expected), qPrintable(output));
    }

    void unwritableTraceIsRefused_data()
    {
        QTest::addColumn<QString>("trace"); // "<dir>": a directory made for the row
        QTest::newRow("missing folder") << "/corvane-no-such-dir/trace.log";
        QTest::newRow("a directory") << "<dir>";
    }
    void unwritableTraceIsRefused()
    {
        QFETCH(QString, trace);
        QTemporaryDir dir;
        trace.replace(QStringLiteral("<dir>"), dir.path());
        QProcess corvane;
        corvane.start(Program, {QStringLiteral("--trace"), trace});
        QVERIFY(corvane.waitForFinished(10000));
        QCOMPARE(corvane.exitStatus(), QProcess::NormalExit);
        QCOMPARE(corvane.exitCode(), 2);
        const QByteArray err = corvane.readAllStandardError();
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.startsWith("corvane: --trace") && err.contains(trace.toLocal8Bit()),
                 err.constData());
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
        QString error;
        QVERIFY2(server.open(&error), qPrintable(error));
        server.serve(&module);
        const QString lock = PortLockFilePath(server.slavePath());
        QVERIFY(!lock.isEmpty());
        QVERIFY(!QFile::exists(lock));

        QProcess corvane;
        corvane.start(Program,
                      {QStringLiteral("--port"), QStringLiteral("COM1=") + server.slavePath(),
                       QStringLiteral("--connect"), QStringLiteral("COM1")});
        QVERIFY(corvane.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 15000);
        ::kill(pid_t(corvane.processId()), signal);
        QVERIFY(corvane.waitForFinished(10000));
        QCOMPARE(corvane.exitStatus(), QProcess::NormalExit);
        QCOMPARE(corvane.exitCode(), 128 + signal);
        QVERIFY(!QFile::exists(lock));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
