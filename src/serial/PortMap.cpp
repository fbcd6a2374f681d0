#include "serial/PortMap.h"

#include "serial/RoutingBackend.h"

#include <QRegularExpression>
#include <QSerialPortInfo>
#include <algorithm>
#include <array>
#include <optional>

namespace {
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

void PortMap::scanDevices() const
{
    m_scanned = true;
#ifdef Q_OS_WIN
    for (int i = 1; i <= 8; ++i)
        m_defaults[size_t(i - 1)] = QStringLiteral("COM%1").arg(i);
#else
    QStringList devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    devices = orderDevices(devices);
    for (int i = 0; i < 8; ++i)
        m_defaults[size_t(i)] = i < devices.size() ? devices.at(i) : QString();
#endif
}

void PortMap::loadDefaults()
{
    m_wantDefaults = true;
    m_scanned = false;
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
        m_overrides[size_t(portNumber - 1)] = path;
}

QString PortMap::path(int portNumber) const
{
    if (portNumber < 1 || portNumber > 8)
        return {};
    const size_t i = size_t(portNumber - 1);
    if (m_overrides[i])
        return *m_overrides[i];
    if (m_wantDefaults && !m_scanned)
        scanDevices();
    return m_defaults[i];
}

QString PortMap::describe(int portNumber) const
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
