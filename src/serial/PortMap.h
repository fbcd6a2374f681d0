#pragma once
// COM1..COM8 as the user chooses them, mapped to device paths. One map belongs to the program's
// Ports; the defaults are the system's serial devices, listed on first use.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

class PortMap
{
public:
    // Default entries from the serial devices the system lists (USB and ACM adapters first).
    void loadDefaults();
    // "--port COMn=PATH": returns false for a malformed argument.
    bool setOverride(const QString &assignment);
    void set(int portNumber, const QString &path);
    QString path(int portNumber) const;
    // "COM3 → /dev/ttyUSB0" text for the connect windows.
    QString describe(int portNumber) const;
    // Sorting rule of the defaults, exposed for tests: USB/ACM first, then by name.
    static QStringList orderDevices(QStringList systemLocations);

private:
    void scanDevices() const;

    // The system's devices are listed only when an entry is first looked up: the scan reads
    // sysfs and udev, which start-up does not need to wait for.
    mutable std::array<QString, 8> m_defaults;
    std::array<std::optional<QString>, 8> m_overrides;
    bool m_wantDefaults = false;
    mutable bool m_scanned = false;
};
