#pragma once
// The connection of the VX8 window: the identity parser on the program's link, registered for
// ProtocolId 110, and what its replies do. The notice stores ModuleInfo and hands over from the
// connect time-out (Timer9) to the read-out (Timer11); the read-out answers fill the shared
// values; the network-mode answer ends the connect: DTR back on, Timer11 stopped, and a GPRS
// module refused, any other identified. What that does to the window goes through the hooks.

#include "connect/IdentityParser.h"

#include <functional>

struct IdentityConnectHooks {
    // The module answered as a data module: its mode is the third byte of ModuleInfo.
    std::function<void()> identified;
};

class IdentityConnect
{
public:
    static IdentityConnect &instance();
    // Registers the parser for ProtocolIdentity and resets it.
    void install();
    void setHooks(IdentityConnectHooks hooks) { m_hooks = std::move(hooks); }
    IdentityParser &parser() { return m_parser; }

private:
    IdentityConnect();
    void onReply(const IdentityReplyValue &reply);

    IdentityParser m_parser;
    IdentityConnectHooks m_hooks;
};

// The mode of a VX8 module from its notice: true for data communication (third byte 0x80).
bool Vx8InDataMode(const QByteArray &moduleInfo);
