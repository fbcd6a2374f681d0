#include "sim/PtyServer.h"

#include "sim/AlarmModuleSim.h"
#include "sim/Vx8ModuleSim.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {
// What the server holds for a client that does not read; older bytes are dropped beyond it.
constexpr qsizetype MaxPending = 64 * 1024;
} // namespace

PtyServer::PtyServer(QObject *parent) : QObject(parent) {}

PtyServer::~PtyServer()
{
    close();
}

bool PtyServer::fail(QString *error, const QString &what)
{
    if (error)
        *error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    close();
    return false;
}

void PtyServer::serve(Vx8ModuleSim *sim)
{
    connect(this, &PtyServer::received, sim, &Vx8ModuleSim::feed);
    connect(sim, &Vx8ModuleSim::reply, this, &PtyServer::send);
}

void PtyServer::serve(AlarmModuleSim *sim)
{
    connect(this, &PtyServer::received, sim, &AlarmModuleSim::feed);
    connect(sim, &AlarmModuleSim::reply, this, &PtyServer::send);
}

void PtyServer::send(const QByteArray &bytes)
{
    if (m_master < 0)
        return;
    m_pending += bytes;
    if (m_pending.size() > MaxPending)
        m_pending.remove(0, m_pending.size() - MaxPending);
    flush();
}

#ifdef Q_OS_UNIX

bool PtyServer::open(QString *error)
{
    close();
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail(error, QStringLiteral("posix_openpt"));
    if (grantpt(m_master) != 0)
        return fail(error, QStringLiteral("grantpt"));
    if (unlockpt(m_master) != 0)
        return fail(error, QStringLiteral("unlockpt"));
    char name[256];
    if (ptsname_r(m_master, name, sizeof name) != 0)
        return fail(error, QStringLiteral("ptsname"));
    m_path = QString::fromLocal8Bit(name);

    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail(error, QStringLiteral("open ") + m_path);
    termios settings{};
    if (tcgetattr(m_slave, &settings) != 0)
        return fail(error, QStringLiteral("tcgetattr"));
    cfmakeraw(&settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    if (tcsetattr(m_slave, TCSANOW, &settings) != 0)
        return fail(error, QStringLiteral("tcsetattr"));

    const int flags = fcntl(m_master, F_GETFL);
    if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail(error, QStringLiteral("fcntl"));
    fcntl(m_master, F_SETFD, FD_CLOEXEC);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyServer::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyServer::flush);
    return true;
}

void PtyServer::close()
{
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
    m_pending.clear();
}

void PtyServer::onReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            Q_EMIT received(QByteArray(buffer, qsizetype(n)));
            if (m_master < 0)
                return; // closed by a receiver
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EIO && m_readNotifier) {
            // No slave descriptor open (cannot happen while we hold one): do not spin on it.
            ++m_hangups;
            m_readNotifier->setEnabled(false);
            QTimer::singleShot(100, this, [this] {
                if (m_readNotifier)
                    m_readNotifier->setEnabled(true);
            });
        }
        return; // EAGAIN: all read
    }
}

void PtyServer::flush()
{
    while (!m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            m_pending.clear(); // the line is gone: nothing to wait for
        break;                 // EAGAIN: the terminal's queue is full, wait until it can take more
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_pending.isEmpty());
}

#else // Windows

// Windows has no pseudo-terminals. A virtual module reached through a serial port there needs a
// pair of virtual COM ports joined to each other (a null-modem emulator), which this server does
// not drive; the program's built-in virtual modules (--demo) need neither.
bool PtyServer::open(QString *error)
{
    close();
    if (error)
        *error = QStringLiteral(
            "Windows has no pseudo-terminals. To serve a virtual module there, a pair of virtual "
            "COM ports joined to each other (a null-modem emulator) is needed, and corvane-sim "
            "cannot serve on one yet. The built-in virtual modules need neither: corvane --demo");
    return false;
}

void PtyServer::close()
{
    m_pending.clear();
}

void PtyServer::onReadable() {}

void PtyServer::flush()
{
    m_pending.clear();
}

#endif
