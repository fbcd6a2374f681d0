#include "shell/MainWindow.h"

#include "shell/StringTable.h"
#include "shell/Twips.h"
#include "shell/WindowRegistry.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

namespace {

// Start values of the status-bar panels: resource id of the label and the value.
struct PanelStart {
    int resource;
    const char *value;
};
const PanelStart PanelStarts[3] = {{101, "未使用"}, {103, "未使用"}, {104, "0"}};

// What a first start wants to show: the widest module window (the data window with its system
// parameters) whole, with the menu bar, the status bar and the frames around it.
constexpr int WantedWidth = 1100;
constexpr int WantedHeight = 860;
const char *const GeometryKey = "MainWindow/geometry";

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QLatin1String(WindowName));
    Windows::add(this);
    // The main window lives for the whole run and may sit on the stack of main().
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIArea"));
    m_mdi->setBackground(QColor(0xAB, 0xAB, 0xAB));
    // A module window larger than the area (a small screen, the monitor docked below) scrolls
    // instead of being cut off.
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    Windows::setMdiArea(m_mdi);

    buildMenus();
    buildStatusBar();
    resize(TwipsToPixels(12200), TwipsToPixels(9400));

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(100);
    connect(&Timer1, &QTimer::timeout, this, &MainWindow::onTimer1);

    // Load.
    setWindowTitle(
        QStringLiteral("CorvaneV%1.%2").arg(CORVANE_VERSION_MAJOR).arg(CORVANE_VERSION_MINOR));
    showSmsMannerMenu(false);
    Timer1.start();
    for (int panel = 1; panel <= 3; ++panel) {
        const PanelStart &start = PanelStarts[panel - 1];
        setStatusPanel(panel, ResourceString(start.resource) + QString::fromUtf8(start.value));
    }
}

MainWindow::~MainWindow()
{
    // The area's children go after this object: no more marks in the window list.
    disconnect(m_mdi, nullptr, this, nullptr);
    if (Windows::mdiArea() == m_mdi)
        Windows::setMdiArea(nullptr);
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
    file->addSeparator();
    QAction *quit = addEntry(file, "mnuExit", QStringLiteral("退出(&X)"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    m_smsManner = bar->addMenu(QStringLiteral("短信发送方式"));
    m_smsManner->setObjectName(QStringLiteral("sms_Manner"));
    // Mutually exclusive, but drawn with check marks: an exclusive QActionGroup would make the
    // style draw radio dots, so chooseSmsMode() keeps exactly one entry checked.
    m_chinese = addEntry(m_smsManner, "chinese", QStringLiteral("汉字"));
    m_english = addEntry(m_smsManner, "englist", QStringLiteral("英文"));
    m_hex = addEntry(m_smsManner, "sendhex", QStringLiteral("十六进制"));
    for (QAction *a : {m_chinese, m_english, m_hex})
        a->setCheckable(true);
    m_chinese->setChecked(true);
    connect(m_chinese, &QAction::triggered, this, [this] { chooseSmsMode(SmsMode::Chinese); });
    connect(m_english, &QAction::triggered, this, [this] { chooseSmsMode(SmsMode::English); });
    connect(m_hex, &QAction::triggered, this, [this] { chooseSmsMode(SmsMode::Hex); });

    QMenu *tool = bar->addMenu(QStringLiteral("工具(&T)"));
    tool->setObjectName(QStringLiteral("tool"));
    connect(addEntry(tool, "lookfine", QStringLiteral("计算地址")), &QAction::triggered, this,
            [this] { emit addressToolRequested(false); });
    connect(addEntry(tool, "count_k", QStringLiteral("计算地址K")), &QAction::triggered, this,
            [this] { emit addressToolRequested(true); });
    connect(addEntry(tool, "mnuCode", QStringLiteral("Unicode码转换")), &QAction::triggered, this,
            &MainWindow::unicodeConverterRequested);
    QAction *monitor = addEntry(tool, "mnuMonitor", QStringLiteral("通信监视"));
    monitor->setShortcut(QKeySequence(Qt::Key_F12));
    connect(monitor, &QAction::triggered, this, &MainWindow::monitorRequested);

    m_windows = bar->addMenu(QStringLiteral("窗口"));
    m_windows->setObjectName(QStringLiteral("windows"));
    // The list is rebuilt each time the menu opens (by mouse or by keyboard).
    connect(m_windows, &QMenu::aboutToShow, this, &MainWindow::refreshWindowList);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &MainWindow::markActiveWindow);

    QMenu *help = bar->addMenu(QStringLiteral("帮助(&H)"));
    help->setObjectName(QStringLiteral("help"));
    QAction *usage = addEntry(help, "mnuUsage", QStringLiteral("使用说明(&U)"));
    usage->setShortcut(QKeySequence(Qt::Key_F1));
    connect(usage, &QAction::triggered, this, &MainWindow::usageRequested);
    connect(addEntry(help, "mnuAbout", QStringLiteral("关于 Corvane(&A)")), &QAction::triggered,
            this, &MainWindow::aboutRequested);
}

QSize MainWindow::startSize(const QSize &available)
{
    if (available.isEmpty())
        return {WantedWidth, WantedHeight};
    return QSize(WantedWidth, WantedHeight).boundedTo(available);
}

void MainWindow::restoreLayout()
{
    m_keepsLayout = true;
    const QByteArray geometry = QSettings().value(QLatin1String(GeometryKey)).toByteArray();
    if (!geometry.isEmpty() && restoreGeometry(geometry))
        return;
    const QScreen *shown = screen();
    const QRect available = shown ? shown->availableGeometry() : QRect();
    // The frame counts too: leave room for the title bar and borders a window manager adds.
    const QSize frame = frameGeometry().size() - size();
    resize(startSize(available.size() - frame.expandedTo(QSize(0, 40))));
    if (!available.isEmpty()) {
        QRect placed(QPoint(0, 0), frameGeometry().size().boundedTo(available.size()));
        placed.moveCenter(available.center());
        move(placed.topLeft());
    }
}

void MainWindow::saveLayout() const
{
    QSettings().setValue(QLatin1String(GeometryKey), saveGeometry());
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
    // Triggering the checked entry unchecks it before this runs: check it again.
    for (QAction *a : {m_chinese, m_english, m_hex})
        a->setChecked(a == chosen);
    emit smsModeChosen(mode);
    emit clearSendRequested();
}

void MainWindow::showSmsMannerMenu(bool visible)
{
    m_smsManner->menuAction()->setVisible(visible);
}

bool MainWindow::isSmsMannerMenuVisible() const
{
    return m_smsManner->menuAction()->isVisible();
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
        entry->setData(QVariant::fromValue(static_cast<QObject *>(sub)));
        QPointer<QMdiSubWindow> target(sub);
        connect(entry, &QAction::triggered, this, [this, target] {
            if (target) {
                m_mdi->setActiveSubWindow(target);
                target->widget()->setFocus();
            }
            markActiveWindow();
        });
    }
    markActiveWindow();
}

void MainWindow::markActiveWindow()
{
    // The current window rather than the active one: while the menu has the focus, or the
    // program is in the background, no subwindow counts as active.
    QObject *current = m_mdi->currentSubWindow();
    for (QAction *entry : m_windows->actions())
        entry->setChecked(current && entry->data().value<QObject *>() == current);
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
    if (m_keepsLayout)
        saveLayout();
    Windows::unloadAll();
    event->accept();
}
