#include "core/ui/MainWindow.h"

#include "connect/ui/frmVX8.h"
#include "core/Module1.h"
#include "core/ui/StringTable.h"
#include "core/ui/Twips.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/frmMain.h"
#include "tools/ui/Form18.h"
#include "tools/ui/Form9.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>
#include <QTextEdit>

namespace {

QString StartingWindow(qint16 protocolId)
{
    if (protocolId == ProtocolConnect)
        return QStringLiteral("frmZ40MOD");
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

// Empties a text box whatever kind of box the window uses for it.
void ClearTextBox(QWidget *box)
{
    if (auto *line = qobject_cast<QLineEdit *>(box))
        line->clear();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(box))
        plain->clear();
    else if (auto *rich = qobject_cast<QTextEdit *>(box))
        rich->clear();
    else if (auto *combo = qobject_cast<QComboBox *>(box))
        combo->setEditText(QString());
}

// Start values of the status-bar panels: resource id of the label and the value.
struct PanelStart {
    int resource;
    const char *value;
};
const PanelStart PanelStarts[3] = {{101, "未使用"}, {103, "未使用"}, {104, "0"}};

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

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QLatin1String(WindowName));
    Windows::add(this);
    // The main window lives for the whole run and may sit on the stack of main().
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIArea"));
    m_mdi->setBackground(QColor(0xAB, 0xAB, 0xAB));
    setCentralWidget(m_mdi);
    Windows::setMdiArea(m_mdi);

    buildMenus();
    buildStatusBar();
    resize(TwipsToPixels(12200), TwipsToPixels(9400));

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(100);
    connect(&Timer1, &QTimer::timeout, this, &MainWindow::onTimer1);

    MainTimers().setHooks(WindowTimerHooks());

    // Load.
    setWindowTitle(
        QStringLiteral("CorvaneV%1.%2").arg(CORVANE_VERSION_MAJOR).arg(CORVANE_VERSION_MINOR));
    RxStep = 0;
    showSmsMannerMenu(false);
    Timer1.start();
    for (int panel = 1; panel <= 3; ++panel) {
        const PanelStart &start = PanelStarts[panel - 1];
        setStatusPanel(panel, ResourceString(start.resource) + QString::fromUtf8(start.value));
    }
}

MainWindow::~MainWindow()
{
    if (Windows::mdiArea() == m_mdi)
        Windows::setMdiArea(nullptr);
}

MainWindow *MainWindow::instance()
{
    return qobject_cast<MainWindow *>(Windows::find(QLatin1String(WindowName)));
}

QAction *MainWindow::addEntry(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

void MainWindow::buildMenus()
{
    QMenuBar *bar = menuBar();

    QMenu *file = bar->addMenu(QStringLiteral("文件(&F)"));
    file->setObjectName(QStringLiteral("file"));
    // Present for the layout of the menu; choosing them does nothing.
    addEntry(file, "clear_rece", QStringLiteral("清空接收区"));
    addEntry(file, "clear_send", QStringLiteral("清空发射区"));
    addEntry(file, "clear_yuan", QStringLiteral("清空源码区"));

    m_smsManner = bar->addMenu(QStringLiteral("短信发送方式"));
    m_smsManner->setObjectName(QStringLiteral("sms_Manner"));
    m_smsGroup = new QActionGroup(this);
    m_smsGroup->setExclusive(true);
    m_chinese = addEntry(m_smsManner, "chinese", QStringLiteral("汉字"));
    m_english = addEntry(m_smsManner, "englist", QStringLiteral("英文"));
    m_hex = addEntry(m_smsManner, "sendhex", QStringLiteral("十六进制"));
    for (QAction *a : {m_chinese, m_english, m_hex}) {
        a->setCheckable(true);
        m_smsGroup->addAction(a);
    }
    m_chinese->setChecked(true);
    connect(m_chinese, &QAction::triggered, this, [this] { chooseSmsMode(SmsMode::Chinese); });
    connect(m_english, &QAction::triggered, this, [this] { chooseSmsMode(SmsMode::English); });
    connect(m_hex, &QAction::triggered, this, [this] { chooseSmsMode(SmsMode::Hex); });

    QMenu *tool = bar->addMenu(QStringLiteral("工具(&T)"));
    tool->setObjectName(QStringLiteral("tool"));
    connect(addEntry(tool, "lookfine", QStringLiteral("计算地址")), &QAction::triggered, this,
            [this] { openAddressTool(false); });
    connect(addEntry(tool, "count_k", QStringLiteral("计算地址K")), &QAction::triggered, this,
            [this] { openAddressTool(true); });
    connect(addEntry(tool, "mnuCode", QStringLiteral("Unicode码转换")), &QAction::triggered, this,
            &MainWindow::openUnicodeConverter);

    m_windows = bar->addMenu(QStringLiteral("窗口"));
    m_windows->setObjectName(QStringLiteral("windows"));
    // The list is rebuilt each time the menu opens (by mouse or by keyboard).
    connect(m_windows, &QMenu::aboutToShow, this, &MainWindow::refreshWindowList);
}

void MainWindow::buildStatusBar()
{
    QStatusBar *status = statusBar();
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(true);
    const int stretch[3] = {3, 3, 2};
    for (int i = 0; i < 3; ++i) {
        auto *panel = new QLabel(status);
        panel->setObjectName(QStringLiteral("StatusBar1_%1").arg(i + 1));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setContentsMargins(4, 0, 4, 0);
        status->addWidget(panel, stretch[i]);
        m_panels[i] = panel;
    }
}

void MainWindow::setStatusPanel(int panel, const QString &text)
{
    if (panel < 1 || panel > 3)
        return;
    m_panels[panel - 1]->setText(text);
    m_panels[panel - 1]->setAccessibleName(text);
}

QString MainWindow::statusPanel(int panel) const
{
    if (panel < 1 || panel > 3)
        return QString();
    return m_panels[panel - 1]->text();
}

MainWindow::SmsMode MainWindow::smsMode() const
{
    if (m_english->isChecked())
        return SmsMode::English;
    if (m_hex->isChecked())
        return SmsMode::Hex;
    return SmsMode::Chinese;
}

void MainWindow::chooseSmsMode(SmsMode mode)
{
    QAction *chosen = mode == SmsMode::English ? m_english
                      : mode == SmsMode::Hex   ? m_hex
                                               : m_chinese;
    chosen->setChecked(true);
    // The text typed for the old mode does not fit the new one: the alarm-module window's box
    // is emptied, loading that window hidden when it is not open.
    if (QWidget *alarm = Windows::get(QStringLiteral("frmZ41COM")))
        ClearTextBox(alarm->findChild<QWidget *>(QStringLiteral("Text21_1")));
}

void MainWindow::showSmsMannerMenu(bool visible)
{
    m_smsManner->menuAction()->setVisible(visible);
}

bool MainWindow::isSmsMannerMenuVisible() const
{
    return m_smsManner->menuAction()->isVisible();
}

void MainWindow::openAddressTool(bool variantK)
{
    auto *tool = Windows::get<Form9>();
    Windows::showChild(tool);
    SizeWindow(tool, 7260, 4650);
    KeepInsideArea(tool, m_mdi);
    tool->setWindowTitle(variantK ? QStringLiteral("为用户计算地址K")
                                  : QStringLiteral("为用户计算地址"));
    AddressModeK = variantK;
}

void MainWindow::openUnicodeConverter()
{
    auto *converter = Windows::get<Form18>();
    // Owned by the main window: it stays above it and goes with it.
    if (converter->parentWidget() != this)
        converter->setParent(this, Qt::Dialog);
    Windows::centerOverMain(converter);
    converter->show();
    converter->raise();
    converter->activateWindow();
}

void MainWindow::refreshWindowList()
{
    m_windows->clear();
    const QList<QMdiSubWindow *> subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
    int number = 0;
    for (QMdiSubWindow *sub : subs) {
        if (!sub->widget() || sub->isHidden())
            continue;
        ++number;
        const QString caption = sub->widget()->windowTitle();
        QAction *entry = m_windows->addAction(
            number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(caption) : caption);
        entry->setCheckable(true);
        entry->setChecked(sub == m_mdi->activeSubWindow());
        entry->setData(sub->widget()->objectName());
        QPointer<QMdiSubWindow> target(sub);
        connect(entry, &QAction::triggered, this, [this, target] {
            if (target) {
                m_mdi->setActiveSubWindow(target);
                target->widget()->setFocus();
            }
        });
    }
}

void MainWindow::onTimer1()
{
    Timer1.stop();
    auto *launcher = Windows::get<frmMain>();
    Windows::showChild(launcher);
    PlaceWindow(launcher, 0, 0, 11800, 8180);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Every other window goes with the main window; the launcher's unload closes the port.
    Windows::unloadAll();
    event->accept();
}
