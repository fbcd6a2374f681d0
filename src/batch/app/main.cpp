// corvane-batch: reads alarm modules into profiles, writes profiles into modules and verifies
// them, on any number of serial ports at once. QtCore, QtSerialPort and QtSql only: it runs
// without a display. See the README ("station batch mode") and docs/profile.md.

#include "app/TerminationSignals.h"
#include "batch/BatchRun.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-batch"));
    if (app.arguments().mid(1) == QStringList{QStringLiteral("--version")}) {
        std::printf("corvane-batch %d.%d\n", CORVANE_VERSION_MAJOR, CORVANE_VERSION_MINOR);
        return 0;
    }
    BatchRun run([](const QString &line) {
        std::fprintf(stderr, "%s\n", line.toUtf8().constData());
        std::fflush(stderr);
    });
    if (!run.setUp(app.arguments().mid(1)))
        return run.exitCode();
    QObject::connect(&run, &BatchRun::done, &app, &QCoreApplication::exit);
    QuitCleanlyOnTerminationSignals(); // Ctrl+C: the ports close as the run is destroyed
    run.start();
    return app.exec();
}
