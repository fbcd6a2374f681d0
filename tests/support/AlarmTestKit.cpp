#include "support/AlarmTestKit.h"

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
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
