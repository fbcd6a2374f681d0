#pragma once
// The operations that switch a module between its operating modes. Each sends one 11-byte
// frame (FramePreamble, command, 0x01, value) after which the module restarts; the link then
// leaves what the restarting module sends unread and the restart wait window Form19 shows.
//
// Five operations take the caller's five option values. Which frame an operation sends depends
// on those values and, for the VX8 frames, on the mode the module reported in its notice
// (third byte of the module information: 0 address setting, nonzero data communication):
//   1: GPRS when none of options 1-3 is set, else VX8 identity-address mode (module not in it)
//   2: GPRS when none of options 1-3 is set, else VX8 communication mode (module not in it)
//   3: GPRS when none of options 1-3 is set
//   4, 5: SMS when neither option 1 nor option 5 is set
// When the condition does not hold the operation only stores the options.

#include "connect/ModuleIdentity.h"

#include <QByteArray>
#include <QString>
#include <functional>

class SerialLink;

enum class ModeFrame { None, Gprs, Sms, Vx8Identity, Vx8Communication };

// The frame operation 1..5 sends for these options and this module notice.
ModeFrame ChooseModeFrame(int operation, const ModeOptions &options, const QByteArray &moduleInfo);
// The 11 bytes of a mode-switch frame (empty for None).
QByteArray ModeSwitchFrame(ModeFrame frame);
// The text the restart wait window shows after the switch (empty for None).
QString ModeSwitchMessage(ModeFrame frame);

struct ModeSwitchHooks {
    // Disables the button that started the switch (Command1(2) of the connect window).
    std::function<void()> disableSetButton;
    // Shows Form19 modally; returns when it has gone.
    std::function<void()> showRestartWindow;
};

// Runs operation 1..5 on the link of a module: stores the options in the identity's mode-choice
// flags and, when a frame applies, leaves the link without a receiver (the restarting module's
// bytes wait); with the port open it also writes the frame, stores the restart message in the
// identity and calls the hooks. Returns the frame chosen.
ModeFrame RunModeSwitch(SerialLink &link, ModuleIdentity &identity, int operation,
                        const ModeOptions &options, const ModeSwitchHooks &hooks);
