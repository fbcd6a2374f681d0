#include "core/serial/PortMap.h"

#include "core/serial/RoutingBackend.h"

#include <QRegularExpression>
#include <QSerialPortInfo>
#include <algorithm>
#include <array>
#include <optional>

namespace {
// The system's devices are listed only when an entry is first looked up: the scan reads sysfs
// and udev, which start-up does not need to wait for.
struct Table {
    std::array<QString, 8> defaults;
    std::array<std::optional<QString>, 8> overrides;
    bool wantDefaults = false;
    bool scanned = false;
};
Table &table()
{
    static Table t;
    return t;
}
void scanDevices()
{
    Table &t = table();
    t.scanned = true;
#ifdef Q_OS_WIN
    for (int i = 1; i <= 8; ++i)
        t.defaults[i - 1] = QStringLiteral("COM%1").arg(i);
#else
    QStringList devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    devices = PortMap::orderDevices(devices);
    for (int i = 0; i < 8; ++i)
        t.defaults[i] = i < devices.size() ? devices.at(i) : QString();
#endif
}
bool isUsbLike(const QString &path)
{
    return path.contains(QLatin1String("ttyUSB")) || path.contains(QLatin1String("ttyACM"));
}
} // namespace

QStringList PortMap::orderDevices(QStringList devices)
{
    std::stable_sort(devices.begin(), devices.end(), [](const QString &a, const QString &b) {
        const bool ua = isUsbLike(a), ub = isUsbLike(b);
        if (ua != ub)
            return ua;
        // Natural order so ttyS2 comes before ttyS10.
        static const QRegularExpression tail(QStringLiteral("^(.*?)(\\d*)$"));
        const auto ma = tail.match(a), mb = tail.match(b);
        if (ma.captured(1) != mb.captured(1))
            return ma.captured(1) < mb.captured(1);
        return ma.captured(2).toLongLong() < mb.captured(2).toLongLong();
    });
    return devices;
}

void PortMap::loadDefaults()
{
    table().wantDefaults = true;
    table().scanned = false;
}

bool PortMap::setOverride(const QString &assignment)
{
    static const QRegularExpression pattern(QStringLiteral("^COM([1-8])=(.+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(assignment);
    if (!match.hasMatch())
        return false;
    set(match.captured(1).toInt(), match.captured(2));
    return true;
}

void PortMap::set(int portNumber, const QString &path)
{
    if (portNumber >= 1 && portNumber <= 8)
        table().overrides[portNumber - 1] = path;
}

QString PortMap::path(int portNumber)
{
    if (portNumber < 1 || portNumber > 8)
        return {};
    Table &t = table();
    if (t.overrides[portNumber - 1])
        return *t.overrides[portNumber - 1];
    if (t.wantDefaults && !t.scanned)
        scanDevices();
    return t.defaults[portNumber - 1];
}

QString PortMap::describe(int portNumber)
{
    const QString device = path(portNumber);
    const QString name = QStringLiteral("COM%1").arg(portNumber);
    if (device.isEmpty())
        return name + QStringLiteral(" → （无设备）");
    if (device == QLatin1String(RoutingBackend::VirtualPath))
        return name + QStringLiteral(" → 内置虚拟报警模块");
    if (device == QLatin1String(RoutingBackend::VirtualVx8Path))
        return name + QStringLiteral(" → 内置虚拟VX8模块");
    return name + QStringLiteral(" → ") + device;
}

void PortMap::clear()
{
    table() = Table();
}
