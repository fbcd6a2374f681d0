#include "core/ReceiveDispatch.h"

#include "core/Module1.h"
#include "core/SerialLink.h"

#include <QHash>

namespace {
QHash<qint16, ReplyParser> &parsers()
{
    static QHash<qint16, ReplyParser> table;
    return table;
}
} // namespace

void SetReplyParser(qint16 protocolId, ReplyParser parser)
{
    if (parser)
        parsers().insert(protocolId, std::move(parser));
    else
        parsers().remove(protocolId);
}

void ClearReplyParsers()
{
    parsers().clear();
}

void DispatchReceived()
{
    switch (ProtocolId) {
    case ProtocolConnect:
    case ProtocolAlarm:
    case ProtocolIdentity:
    case ProtocolDataModule: {
        const auto it = parsers().constFind(ProtocolId);
        if (it != parsers().constEnd() && *it)
            (*it)();
        break;
    }
    default:
        break; // 0, 17, 19 and anything else: bytes stay waiting
    }
}

void InstallReceiveDispatch()
{
    Link().setReceiveHandler(&DispatchReceived);
}
