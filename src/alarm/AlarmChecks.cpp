#include "alarm/AlarmChecks.h"

#include "alarm/AlarmFrames.h"

#include <algorithm>
#include <cmath>

namespace AlarmChecks {

namespace {

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f');
}

// fields groups of two hexadecimal digits, each followed by ":"; the last ":" is optional.
bool isHexFields(const QString &text, int fields)
{
    const int size = int(text.size());
    if (size != 3 * fields - 1 && size != 3 * fields)
        return false;
    for (int k = 0; k < fields; ++k) {
        if (!isHexDigit(text.at(3 * k)) || !isHexDigit(text.at(3 * k + 1)))
            return false;
        if (3 * k + 2 < size && text.at(3 * k + 2) != QLatin1Char(':'))
            return false;
    }
    return true;
}

} // namespace

QString WireLineEnds(const QString &text)
{
    QString wire = text;
    wire.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    wire.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return wire;
}

bool NeedsChinese(const QString &text)
{
    for (const QChar c : text) {
        // Every character outside ASCII has an ANSI (GBK) code of 128 or more.
        if (c.unicode() < 1 || c.unicode() >= 128)
            return true;
    }
    return false;
}

quint8 TriggerCode(bool highOnly, bool lowOnly, bool levelChange)
{
    if (highOnly)
        return 2;
    if (lowOnly)
        return 1;
    if (levelChange)
        return 3;
    return 0;
}

quint8 GroupCode(bool table, bool withoutAdministrator)
{
    if (!table)
        return 0;
    return withoutAdministrator ? 2 : 1;
}

quint8 OutputModeCode(bool level, bool pulse)
{
    if (level)
        return 1;
    return pulse ? 2 : 0;
}

quint8 SmsReplyCode(bool reply, bool di0, bool di1)
{
    if (!reply)
        return 0;
    if (di0)
        return 2;
    return di1 ? 3 : 1;
}

quint8 IntervalUnits(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    const double rounded = qBound(0.0, std::nearbyint(seconds), 2550.0);
    return quint8(int(rounded) / 10);
}

quint8 DelaySeconds(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        return 0;
    if (seconds > 250)
        return 250;
    return quint8(qMin(250.0, std::nearbyint(seconds)));
}

int TestRelayNumber(const QString &text)
{
    for (int i = 0; i < 8; ++i) {
        if (text == QStringLiteral("Do%1 通道").arg(i))
            return i;
    }
    return -1;
}

QString TextTooLongMessage()
{
    return QStringLiteral("短信内容超出范围");
}

QString CheckAlarmCount(double number, quint8 *count)
{
    const double rounded = std::isfinite(number) ? std::nearbyint(number) : -1;
    if (rounded < 0 || rounded > 255)
        return QStringLiteral("报警次数必须是 0 到 255 之间的整数");
    if (count)
        *count = quint8(rounded);
    return {};
}

QString CheckPassword(const QString &text)
{
    if (isHexFields(text, 4))
        return {};
    return QStringLiteral("密码必须是 4 组两位十六进制数（0-9、A-F），例如 31:52:24:08:");
}

QString CheckReceiverNumber(const QString &text)
{
    bool ok = text.size() == 11;
    for (const QChar c : text)
        ok = ok && isHexDigit(c);
    if (ok)
        return {};
    return QStringLiteral("接收号码必须是 11 位号码（0-9，也可用 A-F）");
}

QString CheckPassiveAddress(const QString &text)
{
    if (isHexFields(text, 2))
        return {};
    return QStringLiteral("模块地址必须是 2 组两位十六进制数（0-9、A-F），例如 1A:2B");
}

QString CheckRestartTime(double seconds, quint32 *units)
{
    if (AlarmFrames::RestartUnits(seconds, units))
        return {};
    return QStringLiteral("重起时间必须是 0 到 21474836 秒之间的数");
}

QString PortClosedMessage()
{
    return QStringLiteral("串口没有打开，参数无法发送。请先连接模块：在连接窗口中选择串口和"
                          "波特率，再点击“连接”。");
}

} // namespace AlarmChecks
