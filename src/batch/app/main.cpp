// corvane-batch: reads alarm modules into profiles, writes profiles into modules and verifies
// them, on any number of serial ports at once. QtCore, QtSerialPort and QtSql only: it runs
// without a display. See the README ("station batch mode") and docs/profile.md.

#include "app/TerminationSignals.h"
#include "batch/BatchRun.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#ifdef Q_OS_WIN
#include <io.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

// Columns of the terminal on standard error.
int TerminalColumns()
{
#ifndef Q_OS_WIN
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
#endif
    return 80;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-batch"));
    const QStringList args = app.arguments().mid(1);
    if (args == QStringList{QStringLiteral("--version")}) {
        std::printf("corvane-batch %d.%d\n", CORVANE_VERSION_MAJOR, CORVANE_VERSION_MINOR);
        return 0;
    }
    if (args == QStringList{QStringLiteral("--help")} ||
        args == QStringList{QStringLiteral("-h")}) {
        std::printf("%s\n", BatchRun::usage().toUtf8().constData());
        return std::fflush(stdout) == 0 ? 0 : ExitNotSaved;
    }
    BatchRun run([](const QString &line) {
        std::fprintf(stderr, "%s\n", line.toUtf8().constData());
        std::fflush(stderr);
    });
    // The messages go to standard error (standard output may carry the profile read): on a
    // terminal each module has a line that changes in place, coloured unless NO_COLOR is set.
    if (::isatty(STDERR_FILENO)) {
        const char *noColour = std::getenv("NO_COLOR");
        run.setLive(
            [](const QByteArray &bytes) {
                std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
                std::fflush(stderr);
            },
            !noColour || !*noColour, TerminalColumns());
    }
    if (!run.setUp(args))
        return run.exitCode();
    QObject::connect(&run, &BatchRun::done, &app, &QCoreApplication::exit);
    // Ctrl+C or SIGTERM: nothing more is sent, every module gets an "interrupted" record, the
    // ports close (their lock files go) and the program ends with 128 + the signal.
    OnTerminationRequest([&run](int status) { run.interrupt(status); });
    run.start();
    return app.exec();
}
