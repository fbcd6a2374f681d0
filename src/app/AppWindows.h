#pragma once
// The program's windows and how they meet: the registry's factories, the main window's menu
// entries that open other windows, and what the connect timers do to the connect windows.

#include "connect/ConnectTimers.h"

class MainWindow;
class QString;

// Registers the factories of all windows of the program and installs WireMainWindow() on every
// main window created afterwards (called by main and by tests).
void RegisterWindows();

// Connects the menu signals of the main window: the address calculator, the Unicode converter
// and the emptying of the alarm window's send box; installs WindowTimerHooks().
void WireMainWindow(MainWindow *main);

// What the connect timers do to the window that started a connection (frmZ40MOD for ProtocolId
// 100, frmVX8 for 110), addressed by name; a window that is not loaded is left alone.
ConnectTimers::Hooks WindowTimerHooks();

// --connect: opens the connect dialog modally, centred over the main window, with the given port
// and baud rate chosen, and presses "连接".
void ConnectAtStartUp(const QString &port, const QString &baud);
