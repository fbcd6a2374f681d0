#pragma once
// Ending a program cleanly when it is told to stop. Both sides live in TerminationSignals.cpp:
// - Linux and other POSIX systems: SIGTERM, SIGINT and SIGHUP. The signal handler only writes
//   the signal number to a socket; the rest runs in the event loop.
// - Windows: Ctrl+C and Ctrl+Break in the console (SetConsoleCtrlHandler). The system calls the
//   handler on a thread of its own; it only queues the request to the event loop.

#include <functional>

// Calls onRequest(status) in the event loop each time the program is told to end. status is the
// exit status a shell shows for the signal: 128 + its number (130 for SIGINT and for Ctrl+C).
// Needs the application object. One handler per program: a later call replaces the earlier one.
// Returns false when there is no application object or the system refused the handler.
bool OnTerminationRequest(std::function<void(int status)> onRequest);

// The main program and corvane-batch: on a termination request the main serial port is closed
// (which removes its lock file) and the event loop quits with that status, so the code after
// QCoreApplication::exec() runs as on a normal exit. Call once, after the application object
// exists.
void QuitCleanlyOnTerminationSignals();
