#include "app/AppWindows.h"

#include "app/HelpWindows.h"

#include "alarm/ui/frmZ41COM.h"
#include "connect/ui/Form19.h"
#include "connect/ui/frmVX8.h"
#include "connect/ui/frmZ40MOD.h"
#include "core/SerialLink.h"
#include "data/ui/frmZ42COM.h"
#include "monitor/ui/frmMonitor.h"
#include "serial/Ports.h"
#include "shell/Form10.h"
#include "shell/MainWindow.h"
#include "shell/Twips.h"
#include "shell/WindowRegistry.h"
#include "shell/frmMain.h"
#include "tools/ui/Form18.h"
#include "tools/ui/Form9.h"

#include <QComboBox>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>

namespace {

constexpr int MonitorMinHeight = 180;

template <class T> void Add()
{
    Windows::registerFactory(QLatin1String(T::WindowName), [] { return new T; });
}

// Moves an MDI child that reaches beyond the visible area back into it (top-left first).
void KeepInsideArea(QWidget *window, QMdiArea *area)
{
    auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget());
    if (!sub || !area)
        return;
    const QRect visible = area->viewport()->rect();
    QRect frame = sub->geometry();
    if (frame.right() > visible.right())
        frame.moveRight(visible.right());
    if (frame.bottom() > visible.bottom())
        frame.moveBottom(visible.bottom());
    frame.moveTopLeft(QPoint(qMax(frame.left(), 0), qMax(frame.top(), 0)));
    sub->move(frame.topLeft());
}

// "计算地址" and "计算地址K": one calculator window, captioned after the variant.
void OpenAddressTool(MainWindow *main, bool variantK)
{
    auto *tool = Windows::get<Form9>();
    Windows::showChild(tool);
    SizeWindow(tool, 7260, 4650);
    KeepInsideArea(tool, main->mdiArea());
    tool->setWindowTitle(variantK ? QStringLiteral("为用户计算地址K")
                                  : QStringLiteral("为用户计算地址"));
    tool->setVariantK(variantK);
}

void OpenUnicodeConverter(MainWindow *main)
{
    auto *converter = Windows::get<Form18>();
    // Owned by the main window: it stays above it and goes with it.
    if (converter->parentWidget() != main)
        converter->setParent(main, Qt::Dialog);
    Windows::centerOverMain(converter);
    converter->show();
    converter->raise();
    converter->activateWindow();
}

// "通信监视": the monitor in a dock beside the module windows (below them at first).
void OpenMonitor(MainWindow *main)
{
    auto *dock = main->findChild<QDockWidget *>(QStringLiteral("dockMonitor"));
    const bool fresh = !dock;
    if (fresh) {
        dock = new QDockWidget(QStringLiteral("通信监视"), main);
        dock->setObjectName(QStringLiteral("dockMonitor"));
        main->addDockWidget(Qt::BottomDockWidgetArea, dock);
    }
    auto *monitor = qobject_cast<frmMonitor *>(Windows::get(QLatin1String(frmMonitor::WindowName)));
    if (!monitor)
        return;
    if (dock->widget() != monitor)
        dock->setWidget(monitor);
    monitor->show();
    dock->show();
    dock->raise();
    // A third of the window's height, so the module window above keeps most of it (what does
    // not fit there scrolls); the user may drag the divider.
    if (fresh)
        main->resizeDocks({dock}, {qMax(MonitorMinHeight, main->height() / 3)}, Qt::Vertical);
}

AlarmFrames::SmsSendMode SendModeOf(MainWindow::SmsMode mode)
{
    switch (mode) {
    case MainWindow::SmsMode::English:
        return AlarmFrames::SmsSendMode::English;
    case MainWindow::SmsMode::Hex:
        return AlarmFrames::SmsSendMode::Hex;
    case MainWindow::SmsMode::Chinese:
        break;
    }
    return AlarmFrames::SmsSendMode::Chinese;
}

MainWindow *Main()
{
    return qobject_cast<MainWindow *>(Windows::find(QLatin1String(MainWindow::WindowName)));
}

// The connect dialog, modal, over whatever asked for it.
void ShowConnectDialog()
{
    Windows::showModal(Windows::get(QLatin1String(frmZ40MOD::WindowName)));
}

// "串口：COM1--9600,n,8,1" of a module window other than leaving whose port is open; empty when
// there is none.
QString OtherPortInUse(const QWidget *leaving)
{
    SerialLink *link = nullptr;
    if (auto *alarm = Windows::findTyped<frmZ41COM>(); alarm && alarm != leaving)
        link = &alarm->exchange().link();
    if (auto *data = Windows::findTyped<frmZ42COM>(); data && data != leaving && !link)
        link = &data->exchange().link();
    if (!link || !link->isOpen())
        return {};
    return QStringLiteral("串口：COM%1--%2").arg(link->portNumber()).arg(link->settings());
}

// A module window's texts for the status bar go to the main window's panels. A window that
// lets its port go leaves the port of another module window standing, not "未使用".
template <class W> void ShowStatusOnMain(W *window)
{
    QObject::connect(window, &W::statusTextChanged, window,
                     [window](int panel, const QString &text) {
                         MainWindow *main = Main();
                         if (!main)
                             return;
                         const QString other = panel == 1 && text == QStringLiteral("串口：未使用")
                                                   ? OtherPortInUse(window)
                                                   : QString();
                         main->setStatusPanel(panel, other.isEmpty() ? text : other);
                     });
}

} // namespace

void OpenAlarmWindow(Ports &ports, SerialLink *link, const ModuleIdentity &identity)
{
    Windows::unload(QLatin1String(frmZ41COM::WindowName));
    auto *window = new frmZ41COM(link, identity);
    ports.setHolder(link, QString::fromUtf8(frmZ41COM::Caption));
    Windows::add(window);
    ShowStatusOnMain(window);
    QObject::connect(window, &frmZ41COM::smsMannerMenuWanted, window, [](bool visible) {
        if (MainWindow *main = Main())
            main->showSmsMannerMenu(visible);
    });
    QObject::connect(window, &frmZ41COM::connectWanted, window, &ShowConnectDialog,
                     Qt::QueuedConnection);
    if (MainWindow *main = Main())
        window->setSmsMode(SendModeOf(main->smsMode()));
    Windows::showChild(window);
}

void OpenDataWindow(Ports &ports, SerialLink *link, const ModuleIdentity &identity)
{
    Windows::unload(QLatin1String(frmZ42COM::WindowName));
    auto *window = new frmZ42COM(link, identity);
    ports.setHolder(link, window->windowTitle());
    Windows::add(window);
    ShowStatusOnMain(window);
    Windows::showChild(window);
}

void WireMainWindow(MainWindow *main)
{
    QObject::connect(main, &MainWindow::addressToolRequested, main,
                     [main](bool variantK) { OpenAddressTool(main, variantK); });
    QObject::connect(main, &MainWindow::unicodeConverterRequested, main,
                     [main] { OpenUnicodeConverter(main); });
    QObject::connect(main, &MainWindow::monitorRequested, main, [main] { OpenMonitor(main); });
    QObject::connect(main, &MainWindow::usageRequested, main, [main] { ShowUsage(main); });
    QObject::connect(main, &MainWindow::aboutRequested, main, &ShowAbout);
    // The send mode and the emptied send box belong to the alarm window, when it is open.
    QObject::connect(main, &MainWindow::smsModeChosen, main, [](MainWindow::SmsMode mode) {
        if (auto *alarm = Windows::findTyped<frmZ41COM>())
            alarm->setSmsMode(SendModeOf(mode));
    });
    QObject::connect(main, &MainWindow::clearSendRequested, main, [] {
        if (auto *alarm = Windows::findTyped<frmZ41COM>())
            alarm->clearSendBox();
    });
}

// Every window of the program that can be made by name. The module windows are made by their
// connect windows, with the connected link.
void RegisterWindows(Ports &ports, TrafficMonitor &monitor)
{
    Add<frmMain>();
    Add<Form10>();
    Add<Form9>();
    Add<Form18>();
    Add<Form19>();
    Windows::registerFactory(QLatin1String(frmVX8::WindowName), [&ports] {
        return new frmVX8(ports, [&ports](SerialLink *link, const ModuleIdentity &identity) {
            OpenDataWindow(ports, link, identity);
        });
    });
    Windows::registerFactory(QLatin1String(frmZ40MOD::WindowName), [&ports] {
        return new frmZ40MOD(ports, [&ports](SerialLink *link, const ModuleIdentity &identity) {
            OpenAlarmWindow(ports, link, identity);
        });
    });
    Windows::registerFactory(QLatin1String(frmMonitor::WindowName),
                             [&monitor] { return new frmMonitor(monitor); });
}

void ConnectAtStartUp(const QString &port, const QString &baud)
{
    QWidget *dialog = Windows::get(QLatin1String(frmZ40MOD::WindowName));
    if (!dialog)
        return;
    if (auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("Combo1")))
        combo->setCurrentText(port);
    if (auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("Combo2")))
        combo->setCurrentText(baud);
    Windows::showModal(dialog);
    if (auto *button = dialog->findChild<QPushButton *>(QStringLiteral("Command1_0")))
        button->click();
}
