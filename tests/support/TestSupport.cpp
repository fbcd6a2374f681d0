#include "support/TestSupport.h"

#include "core/SerialLink.h"

MessageRecorder::MessageRecorder()
{
    SetMessageHandler([this](const MessageRequest &request) {
        messages << request;
        if (!answers.isEmpty())
            return answers.takeFirst();
        return request.buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
    });
}

MessageRecorder::~MessageRecorder()
{
    SetMessageHandler({});
}

QStringList MessageRecorder::texts() const
{
    QStringList list;
    for (const MessageRequest &m : messages)
        list << m.text;
    return list;
}

MemoryLine::MemoryLine(bool open)
    : link(std::make_unique<SerialLink>()), backend(new MemorySerialBackend)
{
    link->setBackend(backend);
    link->setPortNumber(1);
    link->setSettings(QStringLiteral("9600,n,8,1"));
    if (open)
        link->open();
}

MemoryLine::~MemoryLine() = default;
