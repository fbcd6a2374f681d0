#include "serial/PortLock.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

#ifdef Q_OS_UNIX

#include <cerrno>
#include <csignal>

QString PortLockFilePath(const QString &devicePath)
{
    static const QStringList directories = {
        QStringLiteral("/var/lock"),
        QStringLiteral("/etc/locks"),
        QStringLiteral("/var/spool/locks"),
        QStringLiteral("/var/spool/uucp"),
        QStringLiteral("/tmp"),
        QStringLiteral("/var/tmp"),
        QStringLiteral("/var/lock/lockdev"),
        QStringLiteral("/run/lock"),
        QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
    // The port name is the path without "/dev/"; its slashes become underscores.
    QString name = devicePath;
    if (name.startsWith(QLatin1String("/dev/")))
        name.remove(0, 5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString fileName = QStringLiteral("/LCK..") + name;
    for (const QString &directory : directories) {
        const QFileInfo info(directory);
        const QString path = directory + fileName;
        if (info.isReadable() && (QFile::exists(path) || info.isWritable()))
            return path;
    }
    return QString();
}

bool HasStaleLock(const QString &devicePath, QString *lockFile)
{
    const QString path = PortLockFilePath(devicePath);
    if (lockFile)
        *lockFile = path;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    // Lines: process id, program name, host name.
    const QList<QByteArray> lines = file.read(4096).split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&ok);
    if (!ok || pid <= 0)
        return false;
    const QString host = QString::fromUtf8(lines.value(2).trimmed());
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return false; // another computer's process: nothing to tell from here
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

#else // Windows

// The system keeps a serial port to one program at a time and frees it when the program ends:
// there are no lock files.
QString PortLockFilePath(const QString &)
{
    return QString();
}

bool HasStaleLock(const QString &, QString *lockFile)
{
    if (lockFile)
        lockFile->clear();
    return false;
}

#endif
