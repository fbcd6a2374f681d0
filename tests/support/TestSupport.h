#pragma once
// Shared test helpers: answer message boxes, a link on a memory line, and bytes fed to a line
// whole or in pieces.

#include "core/Dialogs.h"
#include "core/MemorySerialBackend.h"

#include <QByteArrayList>
#include <QList>
#include <memory>

class SerialLink;

// Records every message box and answers it (Ok / Yes by default, or the queued answers).
class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();
    QList<MessageRequest> messages;
    QList<MsgResult> answers; // consumed first to last
    QStringList texts() const;
};

// A link on a memory line, as a connect window makes one for a port: COM1, 9600 baud, threshold
// 0, DTR off, opened when open is true. The test owns the link until it hands it on (release).
struct MemoryLine {
    explicit MemoryLine(bool open = false);
    ~MemoryLine();
    SerialLink &operator*() const { return *link; }
    SerialLink *operator->() const { return link.get(); }
    // The link for a window that takes it over; the backend stays reachable.
    SerialLink *release() { return link.release(); }

    std::unique_ptr<SerialLink> link;
    MemorySerialBackend *backend;
};

// How a test hands bytes to a line: all at once, one byte at a time, in pieces of random size
// drawn from a seed, or in three pieces with pauses between them. A parser gives the same
// replies for each.
enum class Feed { Whole, ByteByByte, RandomPieces, Gaps };

// bytes cut as how says; random pieces are 1 to largest bytes long.
QByteArrayList Pieces(const QByteArray &bytes, Feed how, quint32 seed = 1, int largest = 8);

// Injects bytes on line piece by piece, running the events after each piece; with Gaps it waits
// 60 ms between pieces, longer than a text answer's quiet time.
void FeedLine(MemorySerialBackend *line, const QByteArray &bytes, Feed how, quint32 seed = 1,
              int largest = 8);
