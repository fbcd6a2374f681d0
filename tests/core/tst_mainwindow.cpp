// The main window: its static calls, menus and launcher timer, the menu wiring of the
// application; the launcher; --connect and Qt's texts in Chinese; the wait window; the message
// boxes of the running program.
#include "alarm/ui/frmZ41COM.h"
#include "app/AppWindows.h"
#include "app/Translations.h"
#include "connect/ConnectTimers.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "core/ui/Form10.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WidgetDialogs.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/frmMain.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionMenuItem>
#include <QtTest>

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
    MemorySerialBackend *m_line = nullptr;

    QAction *entry(const QString &name) { return m_main->findChild<QAction *>(name); }
    void trigger(const QStringList &names)
    {
        for (const QString &name : names)
            entry(name)->trigger();
    }
    QWidget *showLauncher()
    {
        m_main->show();
        if (!QTest::qWaitForWindowActive(m_main))
            return nullptr;
        m_main->onTimer1();
        return Windows::find(QStringLiteral("frmMain"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        RegisterWindows();
        QVERIFY(InstallQtTranslations());
    }
    void init()
    {
        m_line = ResetWorld();
        Windows::registerFactory(QStringLiteral("frmZ40MOD"), [] { return new QDialog; });
        RxStep = 7;
        m_main = new MainWindow;
    }
    void cleanup()
    {
        delete m_main;
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetMessageHandler({});
        RegisterWindows();
    }

    // Other windows reach the status bar and the menu "短信发送方式" through static calls that
    // do nothing while no main window exists.
    void staticCalls()
    {
        QVERIFY(MainWindow::instance() == m_main && RxStep == 0);
        MainWindow::setStatusText(2, QStringLiteral("模块状态：已连接"));
        auto *label = m_main->findChild<QLabel *>(QStringLiteral("StatusBar1_2"));
        QCOMPARE(label->text() + label->accessibleName(), "模块状态：已连接模块状态：已连接");
        for (bool visible : {true, false}) {
            MainWindow::setSmsMannerVisible(visible);
            QCOMPARE(m_main->isSmsMannerMenuVisible(), visible);
        }
        MainWindow::setStatusText(4, QStringLiteral("x"));
        delete m_main;
        m_main = nullptr;
        MainWindow::setStatusText(1, QStringLiteral("串口：COM1--9600,n,8,1"));
        MainWindow::setSmsMannerVisible(true);
        QVERIFY(!MainWindow::instance());
    }

    void sendingMode_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<int>("mode"); // 0 汉字 chinese, 1 英文 englist, 2 十六进制 sendhex
        QTest::newRow("nothing chosen: 汉字") << QStringList{} << 0;
        QTest::newRow("十六进制") << QStringList{"sendhex"} << 2;
        QTest::newRow("英文 then 汉字") << QStringList{"englist", "chinese"} << 0;
        QTest::newRow("英文 chosen again stays") << QStringList{"englist", "englist"} << 1;
    }
    // Exactly one entry is checked and drawn with a check mark, not a radio dot; every choice
    // asks for the alarm window's send box to be emptied.
    void sendingMode()
    {
        QFETCH(QStringList, chosen);
        QFETCH(int, mode);
        QSignalSpy clear(m_main, &MainWindow::clearSendRequested);
        trigger(chosen);
        auto *menu = static_cast<MenuPeek *>(m_main->findChild<QMenu *>("sms_Manner"));
        const QStringList names{"chinese", "englist", "sendhex"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(entry(names[i])->isChecked(), i == mode);
            QStyleOptionMenuItem option;
            menu->initStyleOption(&option, entry(names[i]));
            QCOMPARE(option.checkType, QStyleOptionMenuItem::NonExclusive);
        }
        QCOMPARE(int(m_main->smsMode()), mode);
        QCOMPARE(clear.size(), chosen.size());
    }

    // The application empties Text21(1), loading the alarm window hidden when it is not open.
    void sendBoxCleared()
    {
        trigger({"englist"});
        auto *alarm = qobject_cast<frmZ41COM *>(Windows::find(QStringLiteral("frmZ41COM")));
        QVERIFY(alarm && !alarm->isVisible());
        auto *box = alarm->findChild<QPlainTextEdit *>(QStringLiteral("Text21_1"));
        box->setPlainText(QStringLiteral("上次输入的短信"));
        trigger({"sendhex"});
        QCOMPARE(box->toPlainText(), QString());
    }

    // 100 ms after start-up the launcher is shown at 0,0 with 11800 x 8180 twips.
    void launcherTimer()
    {
        QCOMPARE(m_main->Timer1.interval(), 100);
        QVERIFY(m_main->Timer1.isActive() && !Windows::isLoaded(QStringLiteral("frmMain")));
        m_main->onTimer1();
        QVERIFY(!m_main->Timer1.isActive());
        QWidget *launcher = Windows::find(QStringLiteral("frmMain"));
        QVERIFY(launcher && launcher->isVisibleTo(m_main));
        QCOMPARE(launcher->parentWidget()->geometry(), QRect(0, 0, 787, 545));
    }

    void tools_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("modeK");
        QTest::newRow("计算地址") << QStringList{"lookfine"} << "为用户计算地址" << false;
        QTest::newRow("计算地址K") << QStringList{"count_k"} << "为用户计算地址K" << true;
        QTest::newRow("K then plain")
            << QStringList{"count_k", "lookfine"} << "为用户计算地址" << false;
    }
    // The address tool: one child window of 484 x 310.
    void tools()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, caption);
        QFETCH(bool, modeK);
        AddressModeK = !modeK;
        trigger(entries);
        QWidget *tool = Windows::find(QStringLiteral("Form9"));
        QVERIFY(tool && tool->isVisibleTo(m_main));
        QCOMPARE(m_main->mdiArea()->subWindowList().size(), 1);
        QCOMPARE(tool->windowTitle(), caption);
        QCOMPARE(tool->parentWidget()->size(), QSize(484, 310));
        QCOMPARE(AddressModeK, modeK);
    }

    // The menu "窗口" lists the open child windows, marks only the active one and switches.
    void windowList()
    {
        QWidget *launcher = showLauncher();
        QVERIFY(launcher);
        trigger({"count_k"});
        QMenu *menu = m_main->findChild<QMenu *>(QStringLiteral("windows"));
        m_main->refreshWindowList();
        QCOMPARE(Marked(menu), "&1 短信报警控制模块|&2 为用户计算地址K *");
        menu->actions().at(0)->trigger();
        QVERIFY(m_main->mdiArea()->activeSubWindow() == launcher->parentWidget());
        QCOMPARE(Marked(menu), "&1 短信报警控制模块 *|&2 为用户计算地址K");
        menu->actions().at(0)->trigger(); // chosen again: keeps its mark
        m_main->refreshWindowList();
        QCOMPARE(Marked(menu), "&1 短信报警控制模块 *|&2 为用户计算地址K");
        Windows::unload(QStringLiteral("Form9"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_main->refreshWindowList();
        QCOMPARE(Marked(menu), "&1 短信报警控制模块 *");
    }

    // --- the launcher frmMain ---

    // Loading the launcher raises DTR (it reaches the device once the port opens); unloading it
    // closes the port, closing the main window also unloads the other child windows.
    void closing_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("mainWindow");
        QTest::newRow("launcher unloaded, port open: closed") << true << false;
        QTest::newRow("launcher unloaded, port closed: left alone") << false << false;
        QTest::newRow("main window closed") << true << true;
    }
    void closing()
    {
        QFETCH(bool, open);
        QFETCH(bool, mainWindow);
        QVERIFY(!Link().dtr());
        m_main->onTimer1();
        QVERIFY(Link().dtr());
        trigger({"lookfine"});
        if (open) {
            Link().open();
            QVERIFY(m_line->dtr());
        }
        QSignalSpy closed(&Link(), &SerialLink::portClosed);
        if (mainWindow)
            m_main->close();
        else
            Windows::unload(QStringLiteral("frmMain"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Link().isOpen() && !Windows::isLoaded(QStringLiteral("frmMain")));
        QCOMPARE(closed.size(), open ? 1 : 0);
        QCOMPARE(Windows::isLoaded(QStringLiteral("Form9")), !mainWindow);
        QCOMPARE(m_main->mdiArea()->subWindowList().size(), mainWindow ? 0 : 1);
    }

    // The launcher's ways out open application-modal windows; the menu entry "Unicode码转换"
    // opens the converter once, not modal.
    void opens_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("modality");
        QTest::newRow("Label2: connect dialog") << "frmZ40MOD" << int(Qt::ApplicationModal);
        QTest::newRow("VX8 window") << "frmVX8" << int(Qt::ApplicationModal);
        QTest::newRow("Unicode converter") << "Form18" << int(Qt::ApplicationModal);
        QTest::newRow("menu: converter twice") << "mnuCode" << int(Qt::NonModal);
    }
    void opens()
    {
        QFETCH(QString, window);
        auto *launcher = qobject_cast<frmMain *>(showLauncher());
        QVERIFY(launcher);
        if (window == QLatin1String("frmZ40MOD"))
            QTest::mouseClick(launcher->findChild<QLabel *>("Label2"), Qt::LeftButton);
        else if (window == QLatin1String("frmVX8"))
            QTest::mouseClick(launcher->findChild<QPushButton *>("CommandVX8"), Qt::LeftButton);
        else if (window == QLatin1String("Form18"))
            launcher->showUnicodeConverterModal();
        else
            trigger({"mnuCode", "mnuCode"});
        QWidget *w = Windows::find(window == QLatin1String("mnuCode") ? "Form18" : window);
        QVERIFY(w && w->isVisible() && w->isWindow());
        QTEST(int(w->windowModality()), "modality");
        if (window == QLatin1String("mnuCode"))
            QCOMPARE(m_main->findChildren<QWidget *>(QStringLiteral("Form18")).size(), 1);
    }

    // --- the application around the windows

    // --connect: the dialog opens modal, centred over the main window and inside the screen, with
    // the port and baud rate chosen, and the connect has started.
    void connectAtStartUp_data()
    {
        QTest::addColumn<QRect>("mainGeometry");
        QTest::newRow("main window inside the screen") << QRect(20, 30, 560, 420);
        QTest::newRow("main window past the screen's edge") << QRect(500, 400, 813, 626);
    }
    void connectAtStartUp()
    {
        QFETCH(QRect, mainGeometry);
        MessageRecorder messages;
        RegisterWindows(); // the real connect dialog
        m_main->setGeometry(mainGeometry);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        ConnectAtStartUp(QStringLiteral("COM2"), QStringLiteral("19200bps"));
        QWidget *dialog = Windows::find(QStringLiteral("frmZ40MOD"));
        QVERIFY(dialog && dialog->isVisible() && dialog->isWindow());
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        const QRect frame = dialog->frameGeometry();
        QVERIFY(dialog->screen()->availableGeometry().contains(frame));
        if (dialog->screen()->availableGeometry().contains(m_main->frameGeometry()))
            QVERIFY((frame.center() - m_main->frameGeometry().center()).manhattanLength() <= 2);
        QCOMPARE(dialog->findChild<QComboBox *>("Combo1")->currentText(), QStringLiteral("COM2"));
        QCOMPARE(dialog->findChild<QComboBox *>("Combo2")->currentText(), "19200bps");
        QVERIFY(MainTimers().Timer8.isActive());
        MainTimers().Timer8.stop();
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

    void wait_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("label"); // empty: timed out
        const QString full(30, QLatin1Char('>'));
        QTest::newRow("first tick") << 1 << ">";
        QTest::newRow("30 marks stay shown") << 30 << full;
        QTest::newRow("31st tick starts again") << 31 << ">";
        QTest::newRow("last tick before the time-out") << 179 << full.left(29);
        QTest::newRow("180 ticks, 90 s: time-out") << 180 << "";
    }
    // Before the time-out no message, also when the data-module window unloads the wait window;
    // at the time-out the message, and the window is gone.
    void wait()
    {
        QFETCH(int, ticks);
        QFETCH(QString, label);
        MessageRecorder messages;
        QPointer<Form10> w = Windows::get<Form10>();
        QCOMPARE(w->Timer1.interval(), 500);
        for (int i = 0; i < ticks; ++i)
            w->onTimer1();
        if (!label.isEmpty()) {
            QCOMPARE(w->findChild<QLabel *>("Label1")->text(), label);
            QVERIFY(w->Timer1.isActive());
            Windows::unload(QStringLiteral("Form10"));
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull());
        QCOMPARE(messages.messages.size(), label.isEmpty() ? 1 : 0);
        if (label.isEmpty()) {
            const MessageRequest &m = messages.messages[0];
            QCOMPARE(m.text + m.title, "连接超时，可能是网络忙。请少后再试网络出错！");
            QVERIFY(m.icon == MsgIcon::Information && m.buttons == MsgButtons::Ok);
        }
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
