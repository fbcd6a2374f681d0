#include "core/serial/PortMap.h"

#include <QRegularExpression>
#include <QSerialPortInfo>
#include <algorithm>
#include <array>

namespace {
std::array<QString, 8> &entries()
{
    static std::array<QString, 8> table;
    return table;
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
#ifdef Q_OS_WIN
    for (int i = 1; i <= 8; ++i)
        entries()[i - 1] = QStringLiteral("COM%1").arg(i);
#else
    QStringList devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    devices = orderDevices(devices);
    for (int i = 0; i < 8; ++i)
        entries()[i] = i < devices.size() ? devices.at(i) : QString();
#endif
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
        entries()[portNumber - 1] = path;
}

QString PortMap::path(int portNumber)
{
    if (portNumber < 1 || portNumber > 8)
        return {};
    return entries()[portNumber - 1];
}

QString PortMap::describe(int portNumber)
{
    const QString device = path(portNumber);
    const QString name = QStringLiteral("COM%1").arg(portNumber);
    if (device.isEmpty())
        return name + QStringLiteral(" → （无设备）");
    return name + QStringLiteral(" → ") + device;
}

void PortMap::clear()
{
    for (QString &entry : entries())
        entry.clear();
}
