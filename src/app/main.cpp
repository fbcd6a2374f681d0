// Start-up: command line, the serial port and its port map, the virtual module for --demo, the
// main window, and the optional connect / screenshot actions.

#include "app/AppWindows.h"
#include "app/Translations.h"
#include "connect/ConnectParser.h"
#include "core/CommandLine.h"
#include "core/Dialogs.h"
#include "core/OpenFailure.h"
#include "core/ReceiveDispatch.h"
#include "core/SerialLink.h"
#include "core/TerminationSignals.h"
#include "core/serial/PortMap.h"
#include "core/serial/RoutingBackend.h"
#include "core/ui/AccessibleNames.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WidgetDialogs.h"
#include "core/ui/WindowRegistry.h"
#include "monitor/TrafficMonitor.h"
#include "sim/AlarmModuleSim.h"
#include "sim/SimAttach.h"

#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QTimer>
#include <cstdio>

namespace {

// A picture of a window with a plain caption strip carrying its title, since a display without
// a window manager draws no title bars.
QImage WithCaption(QWidget *window)
{
    const QPixmap client = window->grab();
    const int bar = 30;
    QImage image(client.width(), client.height() + bar, QImage::Format_RGB32);
    image.fill(QColor(0x2B, 0x4C, 0x7E));
    QPainter painter(&image);
    QFont font = window->font();
    font.setPointSizeF(font.pointSizeF() * 1.1);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(10, 0, image.width() - 20, bar), Qt::AlignVCenter | Qt::AlignLeft,
                     window->windowTitle());
    painter.drawPixmap(0, bar, client);
    return image;
}

void SaveScreenshots(MainWindow *main, const StartOptions &options)
{
    WithCaption(main).save(options.screenshotFile);
    if (!options.screenshotWindow.isEmpty()) {
        if (QWidget *w = Windows::find(options.screenshotWindow)) {
            const QFileInfo info(options.screenshotFile);
            const QString path = info.path() + QLatin1Char('/') + info.completeBaseName() +
                                 QLatin1Char('-') + options.screenshotWindow +
                                 QStringLiteral(".png");
            WithCaption(w->window()).save(path);
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // The command line first, so --help, --version and mistakes need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    StartOptions options;
    QString output;
    switch (ParseCommandLine(arguments, &options, &output)) {
    case CommandLineResult::Exit:
        std::fputs(qPrintable(output), stdout);
        return 0;
    case CommandLineResult::Error:
        std::fprintf(stderr, "corvane: %s\n", qPrintable(output));
        return 2;
    case CommandLineResult::Run:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(CORVANE_VERSION_MAJOR).arg(CORVANE_VERSION_MINOR));

    // Ended by SIGTERM, SIGINT or SIGHUP: close the port (and its lock file) and quit normally.
    QuitCleanlyOnTerminationSignals();

    // The one serial port: COMn entries through the port map; "virtual:alarm" is the
    // in-process virtual module.
    PortMap::loadDefaults();
    auto *backend = new RoutingBackend;
    Link().setBackend(backend);
    Link().setPortResolver(&PortMap::path);
    if (options.demo) {
        PortMap::set(1, QLatin1String(RoutingBackend::VirtualPath));
        PortMap::set(2, QLatin1String(RoutingBackend::VirtualVx8Path));
        InstallDemoModules(backend->memory(), &app, options.demoSmsSeconds * 1000);
    }
    for (const QString &assignment : options.portAssignments)
        PortMap::setOverride(assignment);
    if (!options.traceFile.isEmpty())
        TrafficMonitor::of(Link())->setTraceFile(options.traceFile);

    InstallQtTranslations();
    InstallWidgetDialogs();
    InstallAccessibleNames();
    RegisterWindows();
    InstallReceiveDispatch();
    InstallConnectParser();

    // A device that goes away while open: the link has closed the port; say so once.
    InstallDeviceLossReport(Link());

    auto *main = Windows::get<MainWindow>();
    main->show();

    if (!options.connectPort.isEmpty()) {
        // After the launcher has come up (the main window shows it 100 ms after loading).
        QTimer::singleShot(300, &app,
                           [options] { ConnectAtStartUp(options.connectPort, options.baud); });
    }
    if (!options.screenshotFile.isEmpty()) {
        QTimer::singleShot(options.screenshotDelayMs, &app, [main, options] {
            SaveScreenshots(main, options);
            QApplication::quit();
        });
    }
    const int code = QApplication::exec();
    if (Link().isOpen())
        Link().close();
    return code;
}
