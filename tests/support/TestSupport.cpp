#include "support/TestSupport.h"

#include "core/Module1.h"
#include "core/ReceiveDispatch.h"
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

MemorySerialBackend *ResetWorld(bool open)
{
    ResetSharedValues();
    auto *backend = new MemorySerialBackend;
    Link().setBackend(backend);
    Link().setPortResolver({});
    Link().setPortNumber(1);
    Link().setSettings(QStringLiteral("9600,n,8,1"));
    Link().setThreshold(0);
    Link().setDtr(false);
    InstallReceiveDispatch();
    if (open)
        Link().open();
    return backend;
}
