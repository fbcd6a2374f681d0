#pragma once
// What a reply parser needs of a serial line: the bytes waiting, a read of n of them, and the
// receive threshold with the read length (always set together). SerialLink is one; tests and
// tools may use others.

#include <QByteArray>

class ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual qint64 bytesWaiting() const = 0;
    // Reads at most n of the waiting bytes; n == 0 reads everything waiting.
    virtual QByteArray readBytes(int n) = 0;
    // Receive threshold and read length n: the next data-received event comes when n bytes are
    // waiting. 0 switches the events off.
    virtual void waitFor(int n) = 0;
};
