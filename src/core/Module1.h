#pragma once
// Values shared by every window and reply parser for the whole run of the program.
// Everything runs on the user-interface thread, so none of them is locked.

#include <QByteArray>
#include <QString>
#include <array>

// Which reply parser the receive dispatch calls on a data-received event.
enum ProtocolIds : qint16 {
    ProtocolNone = 0,
    ProtocolAlarmWindowLoading = 17, // frmZ41COM while it loads: nothing is read
    ProtocolModeSwitch = 19,         // after a mode switch: the restarting module is ignored
    ProtocolConnect = 100,           // connect-time parser of frmZ40MOD
    ProtocolAlarm = 101,             // alarm-module reply parser
    ProtocolIdentity = 110,          // identity-address parser of frmVX8
    ProtocolDataModule = 111,        // data-module reply parser
};

// Core exchange state of the connect and identity parsers.
inline qint16 ProtocolId = 0;
inline qint16 RxStep = 0;
inline QByteArray
    RxBytes; // shared frame buffer: every read replaces it, senders build frames in it
inline qint16 ReadSeqStep = 0;
inline bool AddressModeK = false;

// Module state reported at connect time, handed to the window that opens next.
inline quint8 WorkFormFlag = 0;     // 0 passive, other active
inline quint8 TransferModeFlag = 0; // 0 transparent, other format transmission
inline quint8 ModuleNetMode = 0;    // 1 is GPRS
inline QByteArray ModuleInfo;
inline QString ModuleVersion;
inline bool OfflineStart = false;
inline std::array<bool, 5> ModeChoiceFlags{};
inline QString PendingRestartMessage;
// 1: the data-module window opens for data communication, 0: for identity-address setting.
inline quint8 StartOnDataTab = 0;

// Puts every shared value back to its start value (tests, and nothing else, need this).
void ResetSharedValues();
