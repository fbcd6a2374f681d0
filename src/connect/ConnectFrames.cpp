#include "connect/ConnectFrames.h"

#include "core/ByteRoutines.h"

QByteArray ConnectFrames::Query()
{
    return FramePreamble + QByteArray::fromHex("FE03");
}

QByteArray ConnectFrames::ReadOut(int index)
{
    if (index < 0 || index >= int(ReadOutCodes.size()))
        return {};
    QByteArray frame = FramePreamble;
    frame.append(char(ReadOutCodes[size_t(index)]));
    frame.append(char(0x03));
    return frame;
}
