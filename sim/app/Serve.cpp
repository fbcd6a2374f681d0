#include "Serve.h"

#include "app/TerminationSignals.h"
#include "sim/PtyServer.h"

#include <QCoreApplication>

#include <cstdio>

int ServeOnPty(QCoreApplication &app, const std::function<void(PtyServer &)> &attach)
{
    PtyServer server;
    QString error;
    if (!server.open(&error)) {
        std::fprintf(stderr, "corvane-sim: cannot open a pseudo-terminal: %s\n", qPrintable(error));
        return 1;
    }
    attach(server);

    // Told to end (SIGINT, SIGTERM; Ctrl+C): leave the event loop and close the terminal.
    if (!OnTerminationRequest([&app](int) { app.quit(); })) {
        std::fprintf(stderr, "corvane-sim: cannot catch termination signals\n");
        return 1;
    }

    std::printf("corvane-sim: serving %s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);
    const int result = app.exec();
    server.close();
    return result;
}
