// The main window: its menus and launcher timer, the menu wiring of the application and what
// the module windows tell it; the launcher; --connect and Qt's texts in Chinese; the wait
// window; the message boxes of the running program.
#include "alarm/ui/frmZ41COM.h"
#include "app/AppWindows.h"
#include "app/HelpWindows.h"
#include "app/Translations.h"
#include "connect/ui/frmZ40MOD.h"
#include "core/SerialLink.h"
#include "shell/Form10.h"
#include "shell/MainWindow.h"
#include "shell/WidgetDialogs.h"
#include "shell/WindowRegistry.h"
#include "support/AppKit.h"
#include "support/TestSupport.h"
#include "tools/ui/Form9.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// How the menu draws an entry's check indicator (radio dot or check mark).
struct MenuPeek : QMenu {
    using QMenu::initStyleOption;
};

// The entries of a menu as "text" with " *" after the checked ones.
QString Marked(QMenu *menu)
{
    QStringList texts;
    for (QAction *a : menu->actions())
        texts << a->text() + (a->isChecked() ? QStringLiteral(" *") : QString());
    return texts.join('|');
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
    MainWindow *m_main = nullptr;
    AppKit *m_app = nullptr;

    QAction *entry(const QString &name) { return m_main->findChild<QAction *>(name); }
    void trigger(const QStringList &names)
    {
        for (const QString &name : names)
            entry(name)->trigger();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(InstallQtTranslations()); }
    void init()
    {
        m_app = new AppKit;
        Windows::registerFactory(QStringLiteral("frmZ40MOD"), [] { return new QDialog; });
        frmZ41COM::setDatabasePath(QStringLiteral("/nonexistent/gprs.mdb"));
        m_main = new MainWindow;
        WireMainWindow(m_main);
    }
    void cleanup()
    {
        delete m_main;
        delete m_app;
        SetMessageHandler({});
    }
    // The alarm window on an open memory line, opened as the connect dialog opens it.
    frmZ41COM *openAlarmWindow()
    {
        MemoryLine mem(true);
        OpenAlarmWindow(m_app->ports, mem.release(), ModuleIdentity());
        auto *alarm = Windows::findTyped<frmZ41COM>();
        alarm->load();
        alarm->Timer5.stop();
        alarm->Timer6.stop();
        return alarm;
    }

    // The module window tells the main window its port and module state for the status bar,
    // and shows the menu "短信发送方式" while it is open.
    void moduleWindowReachesTheMainWindow()
    {
        frmZ41COM *alarm = openAlarmWindow();
        QCOMPARE(m_main->statusPanel(1), QStringLiteral("串口：COM1--9600,n,8,1"));
        alarm->setModuleStatus(QStringLiteral("已连接"));
        auto *label = m_main->findChild<QLabel *>(QStringLiteral("StatusBar1_2"));
        QCOMPARE(label->text() + label->accessibleName(), "模块状态：已连接模块状态：已连接");
        alarm->tabChanged(frmZ41COM::TestPage);
        QVERIFY(m_main->isSmsMannerMenuVisible());
        Windows::unload(QStringLiteral("frmZ41COM")); // as its frame closes it
        QVERIFY(!m_main->isSmsMannerMenuVisible());
        QCOMPARE(m_main->statusPanel(1), QStringLiteral("串口：未使用"));
    }

    // Exactly one entry is checked and drawn with a check mark, not a radio dot; every choice
    // reaches the communication test of the alarm window and empties its send box Text21(1).
    // With no alarm window open none is made.
    void sendingMode()
    {
        QSignalSpy clear(m_main, &MainWindow::clearSendRequested);
        trigger({"englist", "chinese"});
        QVERIFY(!Windows::find("frmZ41COM"));
        frmZ41COM *alarm = openAlarmWindow();
        auto *box = alarm->findChild<QPlainTextEdit *>(QStringLiteral("Text21_1"));
        box->setPlainText(QStringLiteral("上次输入的短信"));
        trigger({"englist"});
        QCOMPARE(alarm->smsMode(), AlarmFrames::SmsSendMode::English);
        box->setPlainText(QStringLiteral("上次输入的短信"));
        trigger({"sendhex", "sendhex"}); // chosen again: stays chosen
        QCOMPARE(box->toPlainText(), QString());
        QCOMPARE(alarm->smsMode(), AlarmFrames::SmsSendMode::Hex);
        QCOMPARE(clear.size(), 5);
        auto *menu = static_cast<MenuPeek *>(m_main->findChild<QMenu *>("sms_Manner"));
        for (const char *name : {"chinese", "englist", "sendhex"}) {
            QCOMPARE(entry(name)->isChecked(), name == QLatin1String("sendhex"));
            QStyleOptionMenuItem option;
            menu->initStyleOption(&option, entry(name));
            QCOMPARE(option.checkType, QStyleOptionMenuItem::NonExclusive);
        }
        QCOMPARE(int(m_main->smsMode()), 2);
    }

    // The address tool opens as one child window of 484 x 310; the menu "窗口" lists the open
    // child windows, marks only the active one and switches. The converter opens once, not modal.
    void toolsAndWindowList()
    {
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main));
        m_main->onTimer1();
        QWidget *launcher = Windows::find("frmMain");
        trigger({"count_k"});
        QVERIFY(Windows::findTyped<Form9>()->variantK());
        QMenu *menu = m_main->findChild<QMenu *>(QStringLiteral("windows"));
        m_main->refreshWindowList();
        QCOMPARE(Marked(menu), "&1 短信报警控制模块|&2 为用户计算地址K *");
        menu->actions().at(0)->trigger();
        QVERIFY(m_main->mdiArea()->activeSubWindow() == launcher->parentWidget());
        QCOMPARE(Marked(menu), "&1 短信报警控制模块 *|&2 为用户计算地址K");
        trigger({"lookfine"});
        QVERIFY(!Windows::findTyped<Form9>()->variantK());
        QCOMPARE(Windows::find("Form9")->parentWidget()->size(), QSize(484, 310));
        m_main->refreshWindowList();
        QCOMPARE(Marked(menu), "&1 短信报警控制模块|&2 为用户计算地址 *");
        Windows::unload("Form9");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_main->refreshWindowList();
        QCOMPARE(Marked(menu), "&1 短信报警控制模块 *");
        trigger({"mnuCode", "mnuCode"});
        QCOMPARE(m_main->findChildren<QWidget *>("Form18").size(), 1);
        QCOMPARE(Windows::find("Form18")->windowModality(), Qt::NonModal);
    }

    // A module window taller than the area scrolls instead of being cut off; the monitor dock
    // takes about a third of the height; a first start shows a whole module window where the
    // screen allows and never more than the screen.
    void windowsFit()
    {
        m_main->resize(700, 420);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        openAlarmWindow();
        QCoreApplication::processEvents();
        QVERIFY(m_main->mdiArea()->verticalScrollBar()->isVisible());
        m_main->resize(900, 900);
        trigger({"mnuMonitor"});
        QCoreApplication::processEvents();
        const int dock = m_main->findChild<QDockWidget *>(QStringLiteral("dockMonitor"))->height();
        QVERIFY2(dock >= 240 && dock <= 340, qPrintable(QString::number(dock)));
        const struct {
            QSize available, start;
        } screens[] = {{{1920, 1040}, {1100, 860}},
                       {{1024, 728}, {1024, 728}},
                       {{1366, 700}, {1100, 700}},
                       {{0, 0}, {1100, 860}}};
        for (const auto &screen : screens)
            QCOMPARE(MainWindow::startSize(screen.available), screen.start);
    }

    // 帮助: the usage window shows the Chinese usage section built into the program, the about
    // box names the version, Qt, the licence and where settings and logs are kept; 文件 → 退出
    // (Ctrl+Q) closes the main window.
    void helpAndExit()
    {
        MessageRecorder messages;
        m_main->show();
        trigger({"mnuUsage", "mnuUsage"});
        auto *usage = qobject_cast<QTextBrowser *>(Windows::find(QStringLiteral("frmUsage")));
        QVERIFY(usage && usage->isVisible() && usage->windowTitle() == "使用说明");
        QVERIFY(usage->toPlainText().contains(QStringLiteral("连接报警模块")));
        QVERIFY(!usage->toPlainText().contains(QStringLiteral("Traffic monitor")));
        QCOMPARE(UsageSection("# T\n## Other\nx\n## 使用说明\na\n```\n## b\n```\n\n## Next\nc"),
                 "## 使用说明\na\n```\n## b\n```");
        trigger({"mnuAbout"});
        QCOMPARE(messages.messages.size(), 1);
        const QString about = messages.messages[0].text;
        for (const QString &part :
             {QStringLiteral("Qt 版本：") + qVersion(), QStringLiteral("许可："),
              QStringLiteral("设置文件："), QStringLiteral("通信日志：")})
            QVERIFY2(about.contains(part), qPrintable(about));
        QCOMPARE(entry("mnuExit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        trigger({"mnuExit"});
        QVERIFY(!m_main->isVisible());
    }

    // --- the launcher frmMain ---

    // 100 ms after start-up the launcher is shown at 0,0 with 11800 x 8180 twips; closing the
    // main window unloads the launcher and the other child windows, and a module window's port
    // goes with its window.
    void launcherLifetime()
    {
        QCOMPARE(m_main->Timer1.interval(), 100);
        QVERIFY(m_main->Timer1.isActive() && !Windows::isLoaded("frmMain"));
        m_main->onTimer1();
        QVERIFY(!m_main->Timer1.isActive());
        QWidget *launcher = Windows::find("frmMain");
        QVERIFY(launcher && launcher->isVisibleTo(m_main));
        QCOMPARE(launcher->parentWidget()->geometry(), QRect(0, 0, 787, 545));
        trigger({"lookfine"});
        QPointer<SerialLink> link = &openAlarmWindow()->exchange().link();
        QVERIFY(link->isOpen());
        m_main->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Windows::isLoaded("frmMain") && link.isNull());
        QVERIFY(!Windows::isLoaded("Form9") && m_main->mdiArea()->subWindowList().isEmpty());
    }

    // --- the application around the windows

    // --connect: the dialog opens modal, centred over the main window and inside the screen, with
    // the port and baud rate chosen, and the connect has started.
    void connectAtStartUp()
    {
        MessageRecorder messages;
        RegisterWindows(m_app->ports, m_app->monitor); // the real connect dialog
        m_main->setGeometry(20, 30, 560, 420);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        ConnectAtStartUp(QStringLiteral("COM2"), QStringLiteral("19200bps"));
        QWidget *dialog = Windows::find("frmZ40MOD");
        QVERIFY(dialog && dialog->isVisible() && dialog->windowModality() == Qt::ApplicationModal);
        const QRect frame = dialog->frameGeometry();
        QVERIFY(dialog->screen()->availableGeometry().contains(frame));
        QVERIFY((frame.center() - m_main->frameGeometry().center()).manhattanLength() <= 2);
        QCOMPARE(dialog->findChild<QComboBox *>("Combo1")->currentText() + ' ' +
                     dialog->findChild<QComboBox *>("Combo2")->currentText(),
                 "COM2 19200bps");
        auto &routine = static_cast<frmZ40MOD *>(dialog)->routine();
        QVERIFY(routine.Timer8.isActive());
        routine.stop();
    }

    // Qt's own menus are Chinese once the program's translator is installed: no entry keeps
    // Latin letters once the accelerator "(&U)" and the shortcut after a tab are
    // taken away.
    void qtMenus()
    {
        QMdiArea area;
        QLineEdit box(QStringLiteral("13800138000"));
        box.selectAll();
        const QRegularExpression accelerator(QStringLiteral("\\(&.\\)|\\t.*$"));
        QStringList english;
        // The text box's context menu and the MDI system menu.
        for (const QMenu *menu :
             {box.createStandardContextMenu(), area.addSubWindow(new QWidget)->systemMenu()}) {
            QVERIFY(menu->actions().size() >= 5);
            for (const QAction *action : menu->actions())
                if (action->text().remove(accelerator).contains(QRegularExpression("[A-Za-z]")))
                    english << action->text();
        }
        QCOMPARE(english, QStringList());
    }

    // --- the wait window Form10: a growing row of ">" every half second, the time-out after 90 s

    // No message before the time-out; at it the message, and the window is gone.
    void wait()
    {
        MessageRecorder messages;
        QPointer<Form10> w = Windows::get<Form10>();
        auto *label = w->findChild<QLabel *>(QStringLiteral("Label1"));
        QCOMPARE(w->Timer1.interval(), 500);
        for (int tick = 1; tick < 180; ++tick) { // 30 marks at most, then one again
            w->onTimer1();
            QCOMPARE(label->text(), QString((tick - 1) % 30 + 1, QLatin1Char('>')));
        }
        QVERIFY(messages.messages.isEmpty() && w->Timer1.isActive());
        w->onTimer1(); // 180 ticks, 90 s
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull() && messages.messages.size() == 1);
        const MessageRequest &m = messages.messages[0];
        QCOMPARE(m.text + m.title, "连接超时，可能是网络忙。请少后再试网络出错！");
        QVERIFY(m.icon == MsgIcon::Information && m.buttons == MsgButtons::Ok);
    }

    // --- message boxes of the running program ---

    // The box shows text, title and icon; the answer is the button pressed.
    void widgetMessages()
    {
        InstallWidgetDialogs();
        QStringList shown;
        QTimer::singleShot(0, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown << box->windowTitle() << box->text() << QString::number(box->icon());
                box->button(QMessageBox::No)->click();
            }
        });
        QVERIFY(ShowMessage("模块和计算机通信失败", "系统提示", MsgIcon::Question,
                            MsgButtons::YesNo) == MsgResult::No);
        QCOMPARE(shown, (QStringList{"系统提示", "模块和计算机通信失败",
                                     QString::number(QMessageBox::Question)}));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
