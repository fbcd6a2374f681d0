#pragma once
// The lock file QSerialPort keeps while a device is open ("LCK..ttyUSB0" in /var/lock or /tmp),
// and whether a lock left by a program that has ended still stands in the way. Windows keeps no
// lock files: there the path is empty and no lock is stale.

#include <QString>

// Where the lock file of the device is (or would be created), as QSerialPort chooses it: the
// first readable lock directory that already holds the file or is writable. Empty when none is.
QString PortLockFilePath(const QString &devicePath);

// True when the device's lock file names a process of this computer that no longer runs.
// *lockFile receives the lock file's path.
bool HasStaleLock(const QString &devicePath, QString *lockFile = nullptr);
