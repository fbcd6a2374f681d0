#pragma once
// Shared test helpers: answer message boxes, put shared state back, and a memory line.

#include "core/Dialogs.h"
#include "core/MemorySerialBackend.h"

#include <QList>

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

// Resets shared values, reply parsers and the link, and installs a fresh memory backend on
// Link() (opened on COM1 when open is true). Returns the backend (owned by the link).
MemorySerialBackend *ResetWorld(bool open = false);
