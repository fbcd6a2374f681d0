#pragma once
// Shared test helpers: answer message boxes, and a link on a memory line.

#include "core/Dialogs.h"
#include "core/MemorySerialBackend.h"

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
