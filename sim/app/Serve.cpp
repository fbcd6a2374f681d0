#include "Serve.h"

#include "sim/PtyServer.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

int SignalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(SignalPipe[1], &byte, 1);
}

} // namespace

int ServeOnPty(QCoreApplication &app, const std::function<void(PtyServer &)> &attach)
{
    PtyServer server;
    QString error;
    if (!server.open(&error)) {
        std::fprintf(stderr, "corvane-sim: cannot open a pseudo-terminal: %s\n", qPrintable(error));
        return 1;
    }
    attach(server);

    // SIGINT / SIGTERM end the event loop through a pipe, so the handler does nothing unsafe.
    if (::pipe(SignalPipe) != 0) {
        std::perror("corvane-sim: pipe");
        return 1;
    }
    fcntl(SignalPipe[0], F_SETFD, FD_CLOEXEC);
    fcntl(SignalPipe[1], F_SETFD, FD_CLOEXEC);
    QSocketNotifier signalNotifier(SignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {
    };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    std::printf("corvane-sim: serving %s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);
    const int result = app.exec();
    server.close();
    return result;
}
