// The built program as a user starts and ends it: a bad --trace path is refused like the other
// bad options, and SIGTERM, SIGINT or SIGHUP end it cleanly, releasing the port's lock file.
#include "core/serial/PortLock.h"
#include "sim/AlarmModuleSim.h"
#include "sim/PtyServer.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {
QString Program()
{
    return QStringLiteral(CORVANE_BINARY_DIR "/bin/corvane");
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo::exists(Program()))
            QSKIP("corvane is not built in this build directory");
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
        corvane.start(Program(), {QStringLiteral("--trace"), trace});
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
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        corvane.setProcessEnvironment(env);
        corvane.start(Program(),
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
