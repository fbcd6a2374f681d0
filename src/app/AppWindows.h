#pragma once
// The program's windows and how they meet: the registry's factories (with the ports and the
// traffic monitor they need), the main window's menu entries that open other windows, and the
// hand-over of a connected link from a connect window to its module window.

class MainWindow;
class Ports;
class QString;
class SerialLink;
class TrafficMonitor;
struct ModuleIdentity;

// Registers the factories of all windows of the program (called by main and by tests). The
// ports and the monitor must outlive every window.
void RegisterWindows(Ports &ports, TrafficMonitor &monitor);

// Connects the menu signals of the main window: the address calculator, the Unicode converter,
// the traffic monitor, and the send mode of the alarm window's communication test.
void WireMainWindow(MainWindow *main);

// Opens the alarm window (frmZ41COM) or the data-module window (frmZ42COM) for a module on link,
// which the new window takes over; a window of the same kind that is open goes first.
void OpenAlarmWindow(Ports &ports, SerialLink *link, const ModuleIdentity &identity);
void OpenDataWindow(Ports &ports, SerialLink *link, const ModuleIdentity &identity);

// --connect: opens the connect dialog modally, centred over the main window, with the given port
// and baud rate chosen, and presses "连接".
void ConnectAtStartUp(const QString &port, const QString &baud);
