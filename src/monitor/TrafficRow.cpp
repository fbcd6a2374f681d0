#include "monitor/TrafficRow.h"

#include "core/ByteRoutines.h"
#include "monitor/TrafficNames.h"

#include <QStringList>

namespace {
QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
// Log and CSV never carry a line break inside a field.
QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1Char(' '))
        .replace(QLatin1Char('\r'), QLatin1Char(' '));
}
} // namespace

QString TrafficRow::direction() const
{
    return sent ? QStringLiteral("发送") : QStringLiteral("接收");
}

QString TrafficRow::checkText() const
{
    switch (check) {
    case Check::Correct:
        return QStringLiteral("校验正确");
    case Check::Wrong:
        return QStringLiteral("校验错误：收到 %1，应为 %2")
            .arg(ByteToHex(checksum), ByteToHex(expected));
    case Check::None:
        break;
    }
    if (!junk)
        return QString();
    return kind == TrafficNames::UnfinishedFrame() ? QStringLiteral("端口关闭时帧未完成")
                                                   : QStringLiteral("不属于任何帧");
}

QString TrafficRow::hex() const
{
    QString text = BytesToHexColon(bytes);
    text.replace(QLatin1Char(':'), QLatin1Char(' '));
    return text.trimmed();
}

QByteArray TrafficRow::logHeader()
{
    return QByteArrayLiteral("# 毫秒\t时间\t串口\t方向\t内容\t字段\t校验\t字节\n");
}

QByteArray TrafficRow::logLine() const
{
    const QStringList columns = {QString::number(elapsedMs),
                                 wall.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")),
                                 port,
                                 direction(),
                                 oneLine(kind),
                                 oneLine(fields),
                                 checkText(),
                                 hex()};
    return (columns.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8();
}

QString TrafficRow::csvHeader()
{
    return QStringLiteral("毫秒,时间,串口,方向,内容,字段,校验,字节\n");
}

QString TrafficRow::csvLine() const
{
    const QStringList columns = {QString::number(elapsedMs),
                                 wall.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")),
                                 port,
                                 direction(),
                                 csvField(oneLine(kind)),
                                 csvField(oneLine(fields)),
                                 csvField(checkText()),
                                 hex()};
    return columns.join(QLatin1Char(',')) + QLatin1Char('\n');
}
