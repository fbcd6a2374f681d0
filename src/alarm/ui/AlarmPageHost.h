#pragma once
// What a feature area of the alarm window needs from the window around it: the exchange with
// the module, the window's busy state (the guarded buttons), the status bar, the chosen SMS
// send mode, and a way to ask for a connect when the port is closed.

#include "alarm/AlarmFrames.h"

#include <QString>

class AlarmExchange;

class AlarmPageHost
{
public:
    virtual ~AlarmPageHost() = default;

    virtual AlarmExchange &exchange() = 0;
    // True when the port is open; otherwise the connect dialog is offered and false returned.
    virtual bool portOpenOrConnect() = 0;
    // A profile run has the line: the guarded buttons wait and the pages do not show what it
    // reads and writes (false: the window is its own again).
    virtual void setProfileRunning(bool running) = 0;
    // Status-bar panel 1..3 of the main window.
    virtual void setStatusText(int panel, const QString &text) = 0;
    // "模块状态：" and the state, in panel 2.
    virtual void setModuleStatus(const QString &text) = 0;
    // A write has gone out (what: the setting and its value, e.g. "重起时间 60 秒"): panel 2
    // says so and then whether the module confirmed it. It is cleared when the next action
    // starts.
    virtual void reportWrite(const QString &what) = 0;
    // How the communication test sends a text (the main window's "短信发送方式").
    virtual AlarmFrames::SmsSendMode smsMode() const = 0;
    // Reads the whole module again ("刷新").
    virtual void refresh() = 0;
};
