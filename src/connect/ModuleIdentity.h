#pragma once
// What a connect learned about a module, handed as a value to the window that opens next.

#include <QByteArray>
#include <QString>
#include <array>

// The five option values of a mode switch (see ModeSwitch.h).
using ModeOptions = std::array<bool, 5>;

struct ModuleIdentity {
    quint8 workForm = 0;     // 0 passive, other active
    quint8 transferMode = 0; // 0 transparent, other format transmission
    quint8 netMode = 0;      // 1 is GPRS
    QByteArray moduleInfo;   // the three bytes of the notice
    QString version;         // the software version reply as read
    // Opened without a module ("取消" in the connect dialog): the window reads nothing.
    bool offlineStart = false;
    // The options of the last mode switch; the data window's caption follows them.
    ModeOptions modeChoiceFlags{};
    // What the restart wait window says after a mode switch.
    QString pendingRestartMessage;
    // The data-module window opens for data communication (else for identity-address setting).
    bool startOnDataTab = false;

    bool isGprs() const { return netMode == 1; }
    // The mode byte of the notice (third byte): 0x80 data communication, 0 address setting; a
    // module that sent no notice counts as 0.
    quint8 noticeMode() const { return moduleInfo.size() >= 3 ? quint8(moduleInfo.at(2)) : 0; }
    bool vx8InDataMode() const { return noticeMode() == 0x80; }
};
