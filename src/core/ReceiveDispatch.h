#pragma once
// Hands each data-received event of the port to the reply parser that ProtocolId selects.
// Parsers register themselves by protocol id; an id without a parser leaves the bytes waiting.

#include <QtGlobal>
#include <functional>

using ReplyParser = std::function<void()>;

void SetReplyParser(qint16 protocolId, ReplyParser parser);
void ClearReplyParsers();
// The data-received handler: calls the parser for ProtocolId, if there is one.
void DispatchReceived();
// Makes DispatchReceived the data-received handler of Link().
void InstallReceiveDispatch();
