#pragma once
// SIGTERM, SIGINT and SIGHUP end the program cleanly: the serial port is closed (which removes
// its lock file) and the event loop quits with status 128 + the signal number, so the code after
// QCoreApplication::exec() runs as on a normal exit. Call once, after the application object
// exists. The signal handler only writes to a socket; the rest runs in the event loop.
void QuitCleanlyOnTerminationSignals();
