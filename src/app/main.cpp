// Start-up: command line, the serial port and its port map, the virtual module for --demo, the
// main window, and the optional connect / screenshot actions.

#include "app/AppWindows.h"
#include "app/CommandLine.h"
#include "app/TerminationSignals.h"
#include "app/Translations.h"
#include "core/ByteRoutines.h"
#include "core/Dialogs.h"
#include "core/SerialLink.h"
#include "monitor/TrafficMonitor.h"
#include "serial/Ports.h"
#include "serial/RoutingBackend.h"
#include "shell/AccessibleNames.h"
#include "shell/MainWindow.h"
#include "shell/WidgetDialogs.h"
#include "shell/WindowRegistry.h"
#include "sim/AlarmModuleSim.h"
#include "sim/SimAttach.h"

#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QSettings>
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

// Saves the main window's picture and, when asked, one window's; false (with a line on standard
// error naming what was not saved) when a picture could not be written or the window is not open.
bool SaveScreenshots(MainWindow *main, const StartOptions &options)
{
    bool saved = true;
    auto save = [&saved](QWidget *window, const QString &path) {
        if (!WithCaption(window).save(path)) {
            std::fprintf(stderr, "corvane: %s\n",
                         qPrintable(QStringLiteral("无法保存截图 %1").arg(path)));
            saved = false;
        }
    };
    save(main, options.screenshotFile);
    if (!options.screenshotWindow.isEmpty()) {
        const QFileInfo info(options.screenshotFile);
        const QString path = info.path() + QLatin1Char('/') + info.completeBaseName() +
                             QLatin1Char('-') + options.screenshotWindow + QStringLiteral(".png");
        if (QWidget *w = Windows::find(options.screenshotWindow)) {
            save(w->window(), path);
        } else {
            std::fprintf(stderr, "corvane: %s\n",
                         qPrintable(QStringLiteral("窗口 %1 未打开，未保存截图 %2")
                                        .arg(options.screenshotWindow, path)));
            saved = false;
        }
    }
    return saved;
}

// Settings used to be kept under Qt's "Unknown Organization": a first start under the program's
// own name takes them over, so nothing the user chose is lost.
void CarryOverSettings()
{
    QSettings settings;
    if (!settings.allKeys().isEmpty())
        return;
    QSettings old(QStringLiteral("Unknown Organization"), QCoreApplication::applicationName());
    const QStringList keys = old.allKeys();
    for (const QString &key : keys)
        settings.setValue(key, old.value(key));
}

// The ports: COMn entries through the port map; "virtual:alarm" and "virtual:vx8" are the
// in-process virtual modules of --demo. Every connection gets a link of its own.
void SetUpPorts(Ports &ports, const StartOptions &options, QObject *owner)
{
    ports.map().loadDefaults();
    if (options.demo) {
        ports.map().set(1, QLatin1String(RoutingBackend::VirtualPath));
        ports.map().set(2, QLatin1String(RoutingBackend::VirtualVx8Path));
        auto *demo = new DemoModules(options.demoSmsSeconds * 1000, owner);
        ports.setBackendMaker([demo] {
            auto *backend = new RoutingBackend;
            demo->serve(backend->memory());
            return backend;
        });
    }
    for (const QString &assignment : options.portAssignments)
        ports.map().setOverride(assignment);
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
    QApplication::setOrganizationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(CORVANE_VERSION_MAJOR).arg(CORVANE_VERSION_MINOR));

    // Ended by SIGTERM, SIGINT or SIGHUP: close the port (and its lock file) and quit normally.
    QuitCleanlyOnTerminationSignals();

    Ports ports;
    SetUpPorts(ports, options, &app);

    // The traffic monitor and the trace file follow every link.
    TrafficMonitor monitor;
    QObject::connect(&ports, &Ports::linkMade, &monitor,
                     [&monitor](SerialLink *link) { monitor.follow(*link); });
    if (!options.traceFile.isEmpty() && !monitor.setTraceFile(options.traceFile))
        std::fprintf(stderr, "corvane: %s\n",
                     qPrintable(QStringLiteral("无法写入跟踪文件 %1").arg(options.traceFile)));

    CarryOverSettings();
    InstallQtTranslations();
    InstallWidgetDialogs();
    InstallAccessibleNames();
    RegisterWindows(ports, monitor);

    auto *main = Windows::get<MainWindow>();
    WireMainWindow(main);
    main->restoreLayout();
    main->show();
    // A Qt without GBK (no ICU) would send English-mode texts wrong: say so once, after the
    // window is up (opening the converter loads ICU's tables, which start-up need not wait for).
    QTimer::singleShot(0, main, [] {
        if (const QString gbk = GbkMissingMessage(); !gbk.isEmpty())
            ShowMessage(gbk, QStringLiteral("提示"), MsgIcon::Exclamation);
    });

    if (!options.connectPort.isEmpty()) {
        // After the launcher has come up (the main window shows it 100 ms after loading).
        QTimer::singleShot(300, &app,
                           [options] { ConnectAtStartUp(options.connectPort, options.baud); });
    }
    if (!options.screenshotFile.isEmpty()) {
        QTimer::singleShot(options.screenshotDelayMs, &app, [main, options] {
            QApplication::exit(SaveScreenshots(main, options) ? 0 : 1);
        });
    }
    const int code = QApplication::exec();
    // Kept however the run ends (menu, window frame, a termination signal).
    main->saveLayout();
    // Every window but the main one goes, and with it its link: the ports close (and their lock
    // files go) before the ports' book and the monitor do.
    Windows::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}
