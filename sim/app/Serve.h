#pragma once
// What both modules of corvane-sim share: a new pseudo-terminal, the module attached to it, the
// line "corvane-sim: serving <path>", and the event loop until the program is told to end
// (SIGINT, SIGTERM or SIGHUP).

#include <functional>

class PtyServer;
class QCoreApplication;

int ServeOnPty(QCoreApplication &app, const std::function<void(PtyServer &)> &attach);
