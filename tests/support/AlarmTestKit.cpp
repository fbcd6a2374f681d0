#include "support/AlarmTestKit.h"

#include <QJsonArray>
#include <QJsonObject>

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray zeros(int n)
{
    return QByteArray(n, '\0');
}

QByteArray frameOf(int length, std::initializer_list<FramePiece> pieces)
{
    QByteArray frame(length, '\0');
    for (const FramePiece &p : pieces) {
        const QByteArray bytes = hex(p.bytes).repeated(p.times);
        frame.replace(p.at, bytes.size(), bytes);
    }
    return frame;
}

QByteArray frameOf(int length, const char *head)
{
    return frameOf(length, {{0, head}});
}

QJsonValue patched(const QJsonValue &node, QStringList path, const QJsonValue &value)
{
    if (path.isEmpty())
        return value;
    const QString key = path.takeFirst();
    if (node.isArray()) {
        QJsonArray a = node.toArray();
        a[key.toInt()] = patched(a.at(key.toInt()), path, value);
        return a;
    }
    QJsonObject o = node.toObject();
    o[key] = patched(o.value(key), path, value);
    return o;
}
