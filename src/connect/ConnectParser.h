#pragma once
// Connect-time reply parser of the alarm module (ProtocolId 100).
//
// After "连接" the module sends its notice 0xFD and then answers the five read-out queries of the
// main window's Timer11: 0xF8 work form, 0xF9 transfer mode, 0xEC software version, 0xD6 (not
// used) and 0xD1 network mode. Each frame is FramePreamble, the code and a fixed byte count.
// The parser walks them one step per data-received event, keeping its place in RxStep, and
// stores what it finds in the shared values. The 0xD1 answer ends the connect: the connect
// window closes and the alarm window opens, or a GPRS module is refused.
//
// What the last step does to windows goes through ConnectParserHooks, which the connect window
// installs; tests install their own.

#include <QtGlobal>
#include <functional>

struct ConnectParserHooks {
    // Closes the connect dialog frmZ40MOD.
    std::function<void()> closeConnectWindow;
    // Opens the alarm module window frmZ41COM.
    std::function<void()> openAlarmWindow;
};

void SetConnectParserHooks(ConnectParserHooks hooks);

// Steps of the parser (values of RxStep while ProtocolId is 100).
enum ConnectStep : qint16 {
    ConnectWaitLeadByte = 0, // 1 byte: 0x1A
    ConnectPreambleRest = 1, // 7 bytes: 2A 3A 4A 5A 6A 7A 8A
    ConnectCode = 2,         // 1 byte: the reply code
    ConnectNotice = 3,       // 3 bytes after 0xFD that answers the connect query
    ConnectWorkForm = 4,     // 2 bytes after 0xF8
    ConnectTransferMode = 5, // 2 bytes after 0xF9
    ConnectVersion = 6,      // 12 bytes after 0xEC
    ConnectSkipD6 = 7,       // 2 bytes after 0xD6
    ConnectNetMode = 8,      // 2 bytes after 0xD1
    ConnectShortNotice = 9,  // 1 byte after a 0xFD that came on its own
};

// The reply parser: one step per call; returns without reading when too few bytes wait.
void ParseConnectReply();

// Registers ParseConnectReply with the receive dispatch for ProtocolConnect.
void InstallConnectParser();
