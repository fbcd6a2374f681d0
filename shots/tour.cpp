// A tour of the program's windows for the screenshots in docs/screens: the program as --demo
// starts it on a first start (no saved layout), then the connect dialog, every page of the alarm
// window, the monitor docked below it, the tools, the help windows, the VX8 window and every page
// of the data window. Each picture is the whole screen, so it shows how the windows fit it.
//   corvane-tour OUTDIR        (run under a display of the wanted size)

#include "alarm/ui/frmZ41COM.h"
#include "app/AppWindows.h"
#include "app/Translations.h"
#include "data/ui/frmZ42COM.h"
#include "monitor/TrafficMonitor.h"
#include "serial/Ports.h"
#include "serial/RoutingBackend.h"
#include "shell/AccessibleNames.h"
#include "shell/MainWindow.h"
#include "shell/WidgetDialogs.h"
#include "shell/WindowRegistry.h"
#include "sim/SimAttach.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QDockWidget>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <utility>

namespace {

QString g_dir;
int g_saved = 0;
// The name of the next message box's picture; boxes the tour did not ask for are numbered.
QString g_boxName;
int g_boxes = 0;

void Wait(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool WaitFor(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void Shot(const QString &name)
{
    Wait(300);
    const QString path = g_dir + QLatin1Char('/') + name + QStringLiteral(".png");
    if (QGuiApplication::primaryScreen()->grabWindow(0).save(path))
        ++g_saved;
    else
        std::fprintf(stderr, "corvane-tour: could not save %s\n", qPrintable(path));
}

void Trigger(MainWindow *main, const char *action)
{
    if (auto *a = main->findChild<QAction *>(QLatin1String(action)))
        a->trigger();
}

// Every page of a tab widget, one picture each (prefix-1, prefix-2, …).
void ShotPages(QWidget *window, const QString &prefix, int settleMs)
{
    auto *tabs = window->findChild<QTabWidget *>();
    for (int page = 0; tabs && page < tabs->count(); ++page) {
        if (!tabs->isTabEnabled(page))
            continue;
        tabs->setCurrentIndex(page);
        Wait(settleMs);
        Shot(prefix + QLatin1Char('-') + QString::number(page + 1));
    }
}

void AlarmTour(MainWindow *main)
{
    ConnectAtStartUp(QStringLiteral("COM1"), QStringLiteral("9600bps"));
    Shot(QStringLiteral("connect-dialog"));
    if (!WaitFor([] { return Windows::findTyped<frmZ41COM>() != nullptr; }, 30000)) {
        std::fprintf(stderr, "corvane-tour: the alarm window did not open\n");
        return;
    }
    Wait(4000);
    ShotPages(Windows::findTyped<frmZ41COM>(), QStringLiteral("alarm"), 2500);
    // The monitor docked below, listing a read-all (刷新).
    Trigger(main, "mnuMonitor");
    auto *alarm = Windows::findTyped<frmZ41COM>();
    alarm->findChild<QTabWidget *>()->setCurrentIndex(0);
    Wait(500);
    for (auto *button : alarm->findChildren<QPushButton *>())
        if (button->text() == QStringLiteral("刷新") && button->isVisible())
            button->click();
    Wait(4000);
    Shot(QStringLiteral("alarm-with-monitor"));
    if (auto *dock = main->findChild<QDockWidget *>(QStringLiteral("dockMonitor")))
        dock->close();
    Windows::unload(QLatin1String(frmZ41COM::WindowName));
}

void ToolsTour(MainWindow *main)
{
    Trigger(main, "lookfine");
    Shot(QStringLiteral("address-tool"));
    Windows::unload(QStringLiteral("Form9"));
    Trigger(main, "mnuCode");
    Shot(QStringLiteral("unicode-converter"));
    Windows::unload(QStringLiteral("Form18"));
    Trigger(main, "mnuUsage");
    Shot(QStringLiteral("usage"));
    Windows::unload(QStringLiteral("frmUsage"));
    g_boxName = QStringLiteral("about");
    Trigger(main, "mnuAbout");
}

void DataTour()
{
    QWidget *vx8 = Windows::get(QStringLiteral("frmVX8"));
    Windows::showModal(vx8);
    vx8->findChild<QComboBox *>(QStringLiteral("Combo1"))->setCurrentText(QStringLiteral("COM2"));
    Shot(QStringLiteral("vx8"));
    vx8->findChild<QPushButton *>(QStringLiteral("Command1_0"))->click();
    if (!WaitFor(
            [vx8] { return vx8->findChild<QWidget *>(QStringLiteral("Command1_2"))->isEnabled(); },
            30000)) {
        std::fprintf(stderr, "corvane-tour: the VX8 module was not identified\n");
        return;
    }
    Shot(QStringLiteral("vx8-identified"));
    vx8->findChild<QPushButton *>(QStringLiteral("Command1_2"))->click();
    if (!WaitFor([] { return Windows::findTyped<frmZ42COM>() != nullptr; }, 15000))
        return;
    Wait(3000);
    ShotPages(Windows::findTyped<frmZ42COM>(), QStringLiteral("data"), 1500);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setOrganizationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(CORVANE_VERSION_MAJOR).arg(CORVANE_VERSION_MINOR));
    g_dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(g_dir);

    Ports ports;
    ports.map().loadDefaults();
    ports.map().set(1, QLatin1String(RoutingBackend::VirtualPath));
    ports.map().set(2, QLatin1String(RoutingBackend::VirtualVx8Path));
    auto *demo = new DemoModules(0, &app);
    ports.setBackendMaker([demo] {
        auto *backend = new RoutingBackend;
        demo->serve(backend->memory());
        return backend;
    });
    TrafficMonitor monitor;
    QObject::connect(&ports, &Ports::linkMade, &monitor,
                     [&monitor](SerialLink *link) { monitor.follow(*link); });
    InstallQtTranslations();
    InstallWidgetDialogs();
    InstallAccessibleNames();
    RegisterWindows(ports, monitor);

    // Message boxes are modal: each one's picture is taken from inside its own loop, then it is
    // closed with its default answer.
    QTimer boxes;
    QObject::connect(&boxes, &QTimer::timeout, [&boxes] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        boxes.stop();
        const QString name = g_boxName.isEmpty() ? QStringLiteral("message-%1").arg(++g_boxes)
                                                 : std::exchange(g_boxName, QString());
        Shot(name);
        std::printf("corvane-tour: %s: %s\n", qPrintable(name), qPrintable(box->text()));
        box->done(box->defaultButton() ? box->standardButton(box->defaultButton())
                                       : QMessageBox::Ok);
        boxes.start();
    });
    boxes.start(500);

    auto *main = Windows::get<MainWindow>();
    WireMainWindow(main);
    main->restoreLayout();
    main->show();
    Wait(1200);
    Shot(QStringLiteral("main"));
    AlarmTour(main);
    ToolsTour(main);
    DataTour();
    Windows::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::printf("corvane-tour: %d pictures in %s\n", g_saved, qPrintable(g_dir));
    return g_saved > 0 ? 0 : 1;
}
