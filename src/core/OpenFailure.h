#pragma once
// What the user is told when the serial port does not open, or goes away while open.

#include "core/SerialLink.h"

#include <QString>

// The message for a failed open; empty for Ok. device names the port for the user ("COM1" or
// "COM1（/dev/ttyUSB0）"); detail is what the backend reported (the device's group for
// NoPermission, the lock file for StaleLock, the system's error text otherwise).
QString OpenFailureText(OpenResult result, const QString &device, const QString &detail);

// Shows the message for a failed open in the "端口错误" box (nothing for Ok).
void ReportOpenFailure(OpenResult result, const QString &device, const QString &detail);

// Opens the link's port. When that fails, says why in a message box and returns false; the port
// stays closed. For every button that opens the port itself.
bool OpenPortOrReport(SerialLink &link);

// What a connect button does with its window's link and its port and baud choice: closes the
// port if it is open, applies the choice, waits for one byte, opens the port (or says why and
// returns false) and switches DTR off.
bool OpenChosenPort(SerialLink &link, const QString &portName, const QString &baudText);

// Tells the user, once per loss, that the link's device went away. The message is shown from the
// event loop, after everything else that reacts to the loss (the connect timers stop first).
void InstallDeviceLossReport(SerialLink &link);
