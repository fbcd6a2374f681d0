#include "app/TerminationSignals.h"

#include <QCoreApplication>

#include <csignal>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// What runs in the event loop. Set and read on the main thread only.
std::function<void(int)> &Handler()
{
    static std::function<void(int)> handler;
    return handler;
}

void Deliver(int number)
{
    if (Handler())
        Handler()(128 + number);
}

} // namespace

#ifdef Q_OS_WIN

namespace {

BOOL WINAPI OnConsoleControl(DWORD type)
{
    int number = 0;
    if (type == CTRL_C_EVENT)
        number = SIGINT;
    else if (type == CTRL_BREAK_EVENT)
        number = SIGBREAK;
    else
        return FALSE; // closing the console or logging off: the system's default
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [number] { Deliver(number); }, Qt::QueuedConnection);
    return TRUE;
}

bool InstallSystemHandler()
{
    static bool installed = false;
    if (!installed)
        installed = ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE) != 0;
    return installed;
}

} // namespace

#else // POSIX

namespace {

int SignalSockets[2] = {-1, -1};

void OnTerminationSignal(int number)
{
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(SignalSockets[0], &byte, 1);
    errno = saved;
}

bool InstallSystemHandler()
{
    if (SignalSockets[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, SignalSockets) != 0)
        return false;
    for (int fd : SignalSockets)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(SignalSockets[0], F_SETFL, O_NONBLOCK);
    auto *notifier =
        new QSocketNotifier(SignalSockets[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte = 0;
        if (::read(SignalSockets[1], &byte, 1) == 1)
            Deliver(int(byte));
    });
    struct sigaction action {
    };
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(number, &action, nullptr);
    return true;
}

} // namespace

#endif

bool OnTerminationRequest(std::function<void(int status)> onRequest)
{
    if (!QCoreApplication::instance() || !InstallSystemHandler())
        return false;
    Handler() = std::move(onRequest);
    return true;
}

void QuitCleanlyOnTerminationSignals()
{
    // The ports close as their owners go, once the event loop has returned.
    OnTerminationRequest([](int status) { QCoreApplication::exit(status); });
}
