#pragma once
// COM1..COM8 as the user chooses them, mapped to device paths.

#include <QString>
#include <QStringList>

class PortMap
{
public:
    // Default entries from the serial devices the system lists (USB and ACM adapters first).
    static void loadDefaults();
    // "--port COMn=PATH": returns false for a malformed argument.
    static bool setOverride(const QString &assignment);
    static void set(int portNumber, const QString &path);
    static QString path(int portNumber);
    // "COM3 → /dev/ttyUSB0" text for the connect windows.
    static QString describe(int portNumber);
    static void clear();
    // Sorting rule of the defaults, exposed for tests: USB/ACM first, then by name.
    static QStringList orderDevices(QStringList systemLocations);
};
