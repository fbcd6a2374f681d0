#include "app/TerminationSignals.h"

#include "core/SerialLink.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int SignalSockets[2] = {-1, -1};

void OnTerminationSignal(int number)
{
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(SignalSockets[0], &byte, 1);
    errno = saved;
}

} // namespace

void QuitCleanlyOnTerminationSignals()
{
    if (SignalSockets[0] >= 0 || !QCoreApplication::instance())
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, SignalSockets) != 0)
        return;
    for (int fd : SignalSockets)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(SignalSockets[0], F_SETFL, O_NONBLOCK);
    auto *notifier =
        new QSocketNotifier(SignalSockets[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte = 0;
        if (::read(SignalSockets[1], &byte, 1) != 1)
            return;
        // The ports close as their owners go, once the event loop has returned.
        QCoreApplication::exit(128 + int(byte));
    });
    struct sigaction action {
    };
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(number, &action, nullptr);
}
#else
void QuitCleanlyOnTerminationSignals() {}
#endif
