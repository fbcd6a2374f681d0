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
    // An id without a parser (0 at start, 17 while the alarm window loads, 19 after a mode
    // switch) reads nothing: the bytes stay waiting for the parser chosen next.
    const auto it = parsers().constFind(ProtocolId);
    if (it != parsers().constEnd())
        (*it)();
}

void InstallReceiveDispatch()
{
    Link().setReceiveHandler(&DispatchReceived);
}
