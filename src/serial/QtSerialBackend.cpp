#include "serial/QtSerialBackend.h"

#include "serial/PortLock.h"

#include <QFileInfo>
#include <QSerialPort>

#include <utility>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QtSerialBackend::QtSerialBackend(QObject *parent)
    : SerialBackend(parent), m_port(new QSerialPort(this))
{
    // Unread bytes stay bounded: past this Qt stops reading and the device drops the rest.
    m_port->setReadBufferSize(SerialLink::MaxUnread);
    connect(m_port, &QSerialPort::readyRead, this, &SerialBackend::readyRead);
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if ((error == QSerialPort::ReadError || error == QSerialPort::ResourceError) &&
            m_port->isOpen() && !m_lost) {
            m_lost = true;
            Q_EMIT deviceLost();
        }
    });
}

QtSerialBackend::~QtSerialBackend()
{
    if (m_port->isOpen())
        m_port->close();
}

// The checks Qt does not make for us, both platforms here.
namespace {
// What QSerialPort::handle() gives: a descriptor (int) on POSIX systems, a HANDLE on Windows.
using PortHandle = decltype(std::declval<const QSerialPort &>().handle());
} // namespace

#ifdef Q_OS_UNIX

bool LacksAccessRights(const QString &path, QString *detail)
{
    const QByteArray native = QFile::encodeName(QFileInfo(path).canonicalFilePath());
    if (native.isEmpty() || ::access(native.constData(), R_OK | W_OK) == 0)
        return false;
    if (detail) {
        QString group;
        struct stat st {
        };
        if (::stat(native.constData(), &st) == 0) {
            if (const struct group *g = ::getgrgid(st.st_gid))
                group = QString::fromLocal8Bit(g->gr_name);
        }
        *detail = group;
    }
    return true;
}

namespace {

// A path that exists but cannot be a serial line: a regular file, a directory, or a device that
// is no terminal (/dev/null). handle is the open port's descriptor, or -1 before it is open.
bool IsNoSerialDevice(const QString &path, PortHandle handle)
{
    struct stat st {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    if (!S_ISCHR(st.st_mode))
        return true;
    if (handle >= 0)
        return !::isatty(handle);
    const int probe = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (probe < 0)
        return false;
    const bool terminal = ::isatty(probe);
    ::close(probe);
    return !terminal;
}

constexpr PortHandle NoHandle = -1;

} // namespace

#else // Windows

// Windows has no device groups: a port that cannot be opened for lack of rights is held by
// another program (Qt reports both as PermissionError).
bool LacksAccessRights(const QString &, QString *)
{
    return false;
}

namespace {

// QSerialPort refuses on its own a device that is no serial port: its open reads and sets the
// line settings (GetCommState / SetCommState) of the handle, and fails when there are none.
bool IsNoSerialDevice(const QString &, PortHandle)
{
    return false;
}

constexpr PortHandle NoHandle = nullptr;

} // namespace

#endif

OpenResult QtSerialBackend::open(const QString &path, qint32 baud, QString *detail)
{
    if (m_port->isOpen())
        m_port->close();
    m_lost = false;
    const QFileInfo info(path);
    if (info.exists() && (info.isFile() || info.isDir()))
        return OpenResult::NotASerialPort;
    m_port->setPortName(path);
    m_port->setBaudRate(baud);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    if (m_port->open(QIODevice::ReadWrite)) {
        m_port->clearError();
        if (IsNoSerialDevice(path, m_port->handle())) {
            m_port->close();
            return OpenResult::NotASerialPort;
        }
        return OpenResult::Ok;
    }
    const QSerialPort::SerialPortError error = m_port->error();
    const QString errorText = m_port->errorString();
    m_port->clearError();
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenResult::NoSuchPort;
    case QSerialPort::OpenError:
        return OpenResult::InUse;
    case QSerialPort::PermissionError:
        if (LacksAccessRights(path, detail))
            return OpenResult::NoPermission;
        // Qt's lock file: one left by a program that has ended and could not be removed.
        if (HasStaleLock(path, detail))
            return OpenResult::StaleLock;
        return OpenResult::InUse;
    default:
        if (!QFileInfo::exists(path))
            return OpenResult::NoSuchPort;
        if (IsNoSerialDevice(path, NoHandle))
            return OpenResult::NotASerialPort;
        if (detail)
            *detail = errorText;
        return OpenResult::OtherError;
    }
}

void QtSerialBackend::close()
{
    if (m_port->isOpen())
        m_port->close();
    m_port->clearError();
}

bool QtSerialBackend::isOpen() const
{
    return m_port->isOpen();
}

qint64 QtSerialBackend::bytesAvailable() const
{
    return m_port->bytesAvailable();
}

QByteArray QtSerialBackend::read(qint64 maxBytes)
{
    return m_port->read(maxBytes);
}

qint64 QtSerialBackend::write(const QByteArray &bytes)
{
    return m_port->write(bytes);
}

void QtSerialBackend::setDtr(bool on)
{
    // Pseudo-terminals have no modem lines; their refusal is of no interest.
    if (!m_port->setDataTerminalReady(on))
        m_port->clearError();
}
