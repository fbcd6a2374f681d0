// The QSerialPort backend against real pseudo-terminals: open failures and a device that goes
// away while open.
#include "core/SerialLink.h"
#include "core/serial/PortMap.h"
#include "core/serial/QtSerialBackend.h"
#include "support/TestSupport.h"

#include <QSerialPort>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {
// The master side of a pseudo-terminal; the slave path is what the program opens.
struct Pty {
    int master = -1;
    QString slave;
    Pty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slave = QString::fromLocal8Bit(::ptsname(master));
    }
    ~Pty() { closeMaster(); }
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
};
} // namespace

class TestSerialPty : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void missingDeviceIsNoSuchPort()
    {
        QtSerialBackend backend;
        QString detail;
        QCOMPARE(backend.open(QStringLiteral("/dev/corvane-no-such-tty"), 9600, &detail),
                 OpenResult::NoSuchPort);
        QVERIFY(!backend.isOpen());
    }

    void ptyOpensAndCarriesBytes()
    {
        Pty pty;
        QVERIFY(!pty.slave.isEmpty());
        QtSerialBackend backend;
        QCOMPARE(backend.open(pty.slave, 9600, nullptr), OpenResult::Ok);
        backend.setDtr(true); // refused by a pty, and that is ignored
        QVERIFY(backend.isOpen());
        QCOMPARE(backend.write(QByteArray::fromHex("1A2A")), qint64(2));
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                char buf[8];
                const ssize_t n = ::read(pty.master, buf, sizeof buf);
                if (n > 0)
                    got.append(buf, int(n));
                return got.size() >= 2;
            }(),
            2000);
        QCOMPARE(got, QByteArray::fromHex("1A2A"));
        QCOMPARE(::write(pty.master, "\x05\x06", 2), ssize_t(2));
        QSignalSpy ready(&backend, &SerialBackend::readyRead);
        QTRY_VERIFY_WITH_TIMEOUT(backend.bytesAvailable() == 2, 2000);
        QCOMPARE(backend.read(2), QByteArray::fromHex("0506"));
    }

    // A device held by another program: the program says so instead of "no such port".
    void ptyAlreadyOpenIsInUse()
    {
        Pty pty;
        QtSerialBackend first, second;
        QCOMPARE(first.open(pty.slave, 9600, nullptr), OpenResult::Ok);
        QCOMPARE(second.open(pty.slave, 9600, nullptr), OpenResult::InUse);
        QVERIFY(!second.isOpen());
        QVERIFY(first.isOpen());
    }

    // The other side goes away: one report, the port closed, no storm of errors, and a new
    // connect works.
    void deviceLossClosesPortOnce()
    {
        ResetWorld();
        auto *backend = new QtSerialBackend;
        Link().setBackend(backend);
        Pty pty;
        Link().setPortResolver([&pty](int) { return pty.slave; });
        QCOMPARE(Link().open(), OpenResult::Ok);
        QSignalSpy lost(&Link(), &SerialLink::deviceLost);
        QSignalSpy closed(&Link(), &SerialLink::portClosed);
        int errors = 0;
        auto *port = backend->findChild<QSerialPort *>();
        QVERIFY(port);
        connect(port, &QSerialPort::errorOccurred, this, [&errors](QSerialPort::SerialPortError e) {
            if (e != QSerialPort::NoError)
                ++errors;
        });
        pty.closeMaster();
        QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 3000);
        QVERIFY(!Link().isOpen());
        QCOMPARE(closed.count(), 1);
        QTest::qWait(200);
        QCOMPARE(lost.count(), 1);
        QVERIFY2(errors < 10, qPrintable(QStringLiteral("%1 errors after the loss").arg(errors)));

        Pty again;
        Link().setPortResolver([&again](int) { return again.slave; });
        QCOMPARE(Link().open(), OpenResult::Ok);
        Link().close();
        Link().setBackend(nullptr);
    }

    void portMapOrderAndOverrides()
    {
        const QStringList ordered =
            PortMap::orderDevices({QStringLiteral("/dev/ttyS10"), QStringLiteral("/dev/ttyS2"),
                                   QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyUSB1"),
                                   QStringLiteral("/dev/ttyUSB0")});
        const QStringList expected{QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyUSB0"),
                                   QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyS2"),
                                   QStringLiteral("/dev/ttyS10")};
        QCOMPARE(ordered, expected);

        PortMap::clear();
        QVERIFY(PortMap::setOverride(QStringLiteral("COM2=/dev/pts/7")));
        QVERIFY(PortMap::setOverride(QStringLiteral("com8=/tmp/x")));
        QVERIFY(!PortMap::setOverride(QStringLiteral("COM9=/dev/pts/7")));
        QVERIFY(!PortMap::setOverride(QStringLiteral("COM2")));
        QCOMPARE(PortMap::path(2), QStringLiteral("/dev/pts/7"));
        QCOMPARE(PortMap::path(8), QStringLiteral("/tmp/x"));
        QCOMPARE(PortMap::path(1), QString());
        QCOMPARE(PortMap::describe(2), QStringLiteral("COM2 → /dev/pts/7"));
        QCOMPARE(PortMap::describe(1), QStringLiteral("COM1 → （无设备）"));
    }
};

QTEST_GUILESS_MAIN(TestSerialPty)
#include "tst_serialpty.moc"
