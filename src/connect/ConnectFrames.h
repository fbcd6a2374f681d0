#pragma once
// The frames of the connect: the connect query, the five read-out queries, and the replies with
// the number of bytes that follow each reply code. The connect routine, its reply parser and the
// traffic monitor all read the lengths from this one table.

#include <QByteArray>
#include <array>

namespace ConnectFrames {

struct ReplyLength {
    quint8 code;
    int bytes; // after the code
};
// 0xFD answering the connect query carries the three bytes of the module information; a 0xFD
// sent on its own carries one (NoticeAloneBytes).
constexpr std::array<ReplyLength, 6> ReplyLengths{{
    {0xFD, 3},  // notice
    {0xF8, 2},  // work form
    {0xF9, 2},  // transfer mode
    {0xEC, 12}, // software version
    {0xD6, 2},  // not used
    {0xD1, 2},  // network mode
}};
constexpr int NoticeAloneBytes = 1;

// Bytes after a reply code of the connect; -1 for a code that is none.
constexpr int ReplyBytes(quint8 code)
{
    for (const ReplyLength &r : ReplyLengths)
        if (r.code == code)
            return r.bytes;
    return -1;
}

// The read-outs in the order they are sent after the notice.
constexpr std::array<quint8, 5> ReadOutCodes{0xF8, 0xF9, 0xEC, 0xD6, 0xD1};

// P FE 03.
QByteArray Query();
// P code 03 for read-out 0..4.
QByteArray ReadOut(int index);

} // namespace ConnectFrames
