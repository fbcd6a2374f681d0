#include "app/AppWindows.h"

#include "alarm/ui/frmZ41COM.h"
#include "connect/ui/Form19.h"
#include "connect/ui/frmVX8.h"
#include "connect/ui/frmZ40MOD.h"
#include "core/Module1.h"
#include "core/ui/Form10.h"
#include "core/ui/MainWindow.h"
#include "core/ui/Twips.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/frmMain.h"
#include "data/ui/frmZ42COM.h"
#include "monitor/ui/frmMonitor.h"
#include "tools/ui/Form18.h"
#include "tools/ui/Form9.h"

#include <QComboBox>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>

namespace {

template <class T> void Add()
{
    Windows::registerFactory(QLatin1String(T::WindowName), [] { return new T; });
}

QString StartingWindow(qint16 protocolId)
{
    if (protocolId == ProtocolConnect)
        return QLatin1String(frmZ40MOD::WindowName);
    if (protocolId == ProtocolIdentity)
        return QLatin1String(frmVX8::WindowName);
    return QString();
}

void EnableControls(qint16 protocolId, std::initializer_list<const char *> names)
{
    const QString window = StartingWindow(protocolId);
    QWidget *w = window.isEmpty() ? nullptr : Windows::find(window);
    if (!w)
        return;
    for (const char *name : names)
        if (auto *control = w->findChild<QWidget *>(QLatin1String(name)))
            control->setEnabled(true);
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
    AddressModeK = variantK;
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
    if (!dock) {
        dock = new QDockWidget(QStringLiteral("通信监视"), main);
        dock->setObjectName(QStringLiteral("dockMonitor"));
        main->addDockWidget(Qt::BottomDockWidgetArea, dock);
    }
    auto *monitor = Windows::get<frmMonitor>();
    if (dock->widget() != monitor)
        dock->setWidget(monitor);
    monitor->show();
    dock->show();
    dock->raise();
}

} // namespace

ConnectTimers::Hooks WindowTimerHooks()
{
    ConnectTimers::Hooks hooks;
    // The connect dialog's "设置" is off while a connect runs and comes back with the others;
    // frmVX8's Command1(2) waits for the module to be identified.
    hooks.restoreControls = [](qint16 protocolId) {
        EnableControls(protocolId, {"Command1_0", "Command1_1", "Combo1", "Combo2"});
        if (protocolId == ProtocolConnect)
            EnableControls(protocolId, {"Command1_2"});
    };
    hooks.restoreButtons = [](qint16 protocolId) {
        EnableControls(protocolId, {"Command1_0", "Command1_1"});
        if (protocolId == ProtocolConnect)
            EnableControls(protocolId, {"Command1_2"});
    };
    hooks.setProgress = [](qint16 protocolId, int value) {
        const QString window = StartingWindow(protocolId);
        if (window.isEmpty())
            return;
        if (auto *bar = Windows::control<QProgressBar>(window, QStringLiteral("PBar")))
            bar->setValue(value);
    };
    return hooks;
}

void WireMainWindow(MainWindow *main)
{
    QObject::connect(main, &MainWindow::addressToolRequested, main,
                     [main](bool variantK) { OpenAddressTool(main, variantK); });
    QObject::connect(main, &MainWindow::unicodeConverterRequested, main,
                     [main] { OpenUnicodeConverter(main); });
    QObject::connect(main, &MainWindow::monitorRequested, main, [main] { OpenMonitor(main); });
    // The alarm window is loaded hidden when it is not open, as any use of a window does.
    QObject::connect(main, &MainWindow::clearSendRequested, main, [] {
        if (auto *alarm =
                qobject_cast<frmZ41COM *>(Windows::get(QLatin1String(frmZ41COM::WindowName))))
            alarm->clearSendBox();
    });
    MainTimers().setHooks(WindowTimerHooks());
}

// Every window of the program, by name. Add a line for each new window class.
void RegisterWindows()
{
    Add<frmMain>();
    Add<Form10>();
    Add<Form9>();
    Add<Form18>();
    Add<Form19>();
    Add<frmVX8>();
    Add<frmZ40MOD>();
    Add<frmZ41COM>();
    Add<frmZ42COM>();
    Add<frmMonitor>();
    MainWindow::setWiring(WireMainWindow);
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
