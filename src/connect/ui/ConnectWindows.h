#pragma once
// What the two connect windows (frmZ40MOD, frmVX8) share: the messages of a connect that found
// no module it can take, the restart wait after a mode switch, and handing the connected link on
// to the module window.

#include "connect/ModuleIdentity.h"

#include <QString>
#include <functional>

class QWidget;
class SerialLink;

namespace ConnectWindows {

// Opens the module window with the link (taken over) and what the connect learned.
using Opener = std::function<void(SerialLink *link, const ModuleIdentity &identity)>;

// "您的模块与测试软件不一样，请与厂家联系": a GPRS module.
void ShowGprsRefused();
// "模块和计算机通信失败，请检查串口号、波特率": no notice within 2 s.
void ShowNoAnswer();
// Shows the restart wait window modally for the module on link; done runs at its end.
void ShowRestartWindow(SerialLink *link, const QString &message, std::function<void()> done = {});
// The link leaves window (its owner until now), which unloads; open gets it, or it goes.
void HandOver(QWidget *window, SerialLink *link, const Opener &open,
              const ModuleIdentity &identity);

} // namespace ConnectWindows
