// Opening the port over the QSerialPort backend when it cannot be opened: the user is told that
// and why; a lock left by an ended program is named as such.
#include "core/OpenFailure.h"
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

class TestPortFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void openFailureIsExplained_data()
    {
        QTest::addColumn<QString>("path"); // "<dir>" and "<file>": made for the row
        QTest::addColumn<QString>("message");
        QTest::newRow("regular file") << "<file>"
                                      << "串口COM1（<file>）无法打开：它不是串口设备";
        QTest::newRow("directory") << "<dir>"
                                   << "串口COM1（<dir>）无法打开：它不是串口设备";
        QTest::newRow("/dev/null") << "/dev/null"
                                   << "串口COM1（/dev/null）无法打开：它不是串口设备";
    }
    void openFailureIsExplained()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("ttyFILE"));
        QFile(file).open(QIODevice::WriteOnly);
        for (QString *text : {&path, &message}) {
            text->replace(QStringLiteral("<file>"), file);
            text->replace(QStringLiteral("<dir>"), dir.path());
        }
        ResetWorld();
        MessageRecorder recorder;
        Link().setBackend(new QtSerialBackend);
        Link().setPortResolver([path](int) { return path; });

        QVERIFY(!OpenPortOrReport(Link()));
        QVERIFY(!Link().isOpen());
        QCOMPARE(recorder.messages.size(), 1);
        QVERIFY2(recorder.messages[0].text.startsWith(message),
                 qPrintable(recorder.messages[0].text));
        QCOMPARE(recorder.messages[0].title, QStringLiteral("端口错误"));
    }

    // A lock file that QSerialPort cannot take away (its removal lock is held) blocks the open:
    // left by an ended process it is named as stale, held by a running one it is "in use".
    void lockFileOfEndedProgram_data()
    {
        QTest::addColumn<bool>("ended");
        QTest::addColumn<OpenResult>("result");
        QTest::newRow("ended process") << true << OpenResult::StaleLock;
        QTest::newRow("running process") << false << OpenResult::InUse;
    }
    void lockFileOfEndedProgram()
    {
        QFETCH(bool, ended);
        QFETCH(OpenResult, result);
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const QString slave = QString::fromLocal8Bit(::ptsname(master));
        const QString lock = PortLockFilePath(slave);
        QVERIFY(!lock.isEmpty());
        qint64 pid = ::getpid();
        if (ended) {
            const pid_t child = ::fork();
            if (child == 0)
                ::_exit(0);
            ::waitpid(child, nullptr, 0);
            pid = child;
        }
        QFile file(lock);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(
            QStringLiteral("%1\ncorvane\n%2\n").arg(pid).arg(QSysInfo::machineHostName()).toUtf8());
        file.close();
        QLockFile removal(lock + QStringLiteral(".rmlock"));
        QVERIFY(removal.tryLock());

        QtSerialBackend backend;
        QString detail;
        QCOMPARE(backend.open(slave, 9600, &detail), result);
        if (result == OpenResult::StaleLock)
            QVERIFY2(OpenFailureText(result, QStringLiteral("COM1"), detail).contains(lock),
                     qPrintable(detail));
        removal.unlock();
        QFile::remove(lock);
        ::close(master);
    }

    void builtInModuleIsNamedInChinese()
    {
        PortMap::clear();
        PortMap::set(1, QLatin1String(RoutingBackend::VirtualPath));
        QCOMPARE(PortMap::describe(1), QStringLiteral("COM1 → 内置虚拟模块"));
        PortMap::clear();
    }
};

QTEST_GUILESS_MAIN(TestPortFaults)
#include "tst_portfaults.moc"
