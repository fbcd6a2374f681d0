#pragma once
// The message a connect window shows when the serial port does not open.

#include "core/SerialLink.h"

#include <QString>

// Shows the message for a failed open (nothing for Ok and for errors without a message).
// detail is what SerialLink::open() reported: the device's group for NoPermission.
void ReportOpenFailure(OpenResult result, const QString &detail);
