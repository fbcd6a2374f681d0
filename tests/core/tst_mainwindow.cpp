// Start-up: the main window's title, status bar, menus and launcher timer, the menu wiring of the
// application; the launcher; the message boxes of the running program.
#include "alarm/ui/frmZ41COM.h"
#include "app/AppWindows.h"
#include "connect/ConnectTimers.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WidgetDialogs.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/frmMain.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionMenuItem>
#include <QtTest>

namespace {

QAction *Entry(MainWindow *w, const char *name)
{
    return w->findChild<QAction *>(QLatin1String(name));
}

QWidget *Sub(QWidget *w)
{
    return qobject_cast<QMdiSubWindow *>(w->parentWidget());
}

// How the menu draws an entry's check indicator (radio dot or check mark).
struct MenuPeek : QMenu {
    using QMenu::initStyleOption;
};
QStyleOptionMenuItem::CheckType CheckType(QMenu *menu, QAction *action)
{
    QStyleOptionMenuItem option;
    static_cast<MenuPeek *>(menu)->initStyleOption(&option, action);
    return option.checkType;
}

// The entries of a menu as "text" with " *" after the checked ones.
QStringList Marked(QMenu *menu)
{
    QStringList texts;
    for (QAction *a : menu->actions())
        texts << a->text() + (a->isChecked() ? QStringLiteral(" *") : QString());
    return texts;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
    MainWindow *m_main = nullptr;
    MemorySerialBackend *m_line = nullptr;

private Q_SLOTS:
    void initTestCase() { RegisterWindows(); }
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

    void startUp()
    {
        QCOMPARE(m_main->windowTitle(), QStringLiteral("CorvaneV4.0"));
        QCOMPARE(MainWindow::instance(), m_main);
        QCOMPARE(RxStep, qint16(0));
        QVERIFY(!m_main->isSmsMannerMenuVisible());
        QCOMPARE(m_main->smsMode(), MainWindow::SmsMode::Chinese);
        QCOMPARE(
            (QStringList{m_main->statusPanel(1), m_main->statusPanel(2), m_main->statusPanel(3)}),
            (QStringList{"串口：未使用", "模块状态：未使用", "发射区字节数：0"}));
    }

    // Other windows reach the status bar and the menu "短信发送方式" through static calls that
    // do nothing while no main window exists.
    void staticCalls()
    {
        MainWindow::setStatusText(2, QStringLiteral("模块状态：已连接"));
        MainWindow::setSmsMannerVisible(true);
        auto *label = m_main->findChild<QLabel *>(QStringLiteral("StatusBar1_2"));
        QCOMPARE(label->text(), QStringLiteral("模块状态：已连接"));
        QCOMPARE(label->accessibleName(), QStringLiteral("模块状态：已连接"));
        QVERIFY(m_main->isSmsMannerMenuVisible());
        MainWindow::setSmsMannerVisible(false);
        QVERIFY(!m_main->isSmsMannerMenuVisible());
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
        QTest::addColumn<QString>("checked");
        QTest::newRow("英文") << QStringList{"englist"} << "englist";
        QTest::newRow("十六进制") << QStringList{"sendhex"} << "sendhex";
        QTest::newRow("英文 then 汉字") << QStringList{"englist", "chinese"} << "chinese";
        QTest::newRow("汉字 chosen again stays") << QStringList{"chinese", "chinese"} << "chinese";
        QTest::newRow("十六进制 twice stays") << QStringList{"sendhex", "sendhex"} << "sendhex";
    }
    // Exactly one entry is checked and drawn with a check mark, not a radio dot; every choice
    // asks for the alarm window's send box to be emptied.
    void sendingMode()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QString, checked);
        QSignalSpy clear(m_main, &MainWindow::clearSendRequested);
        for (const QString &name : chosen)
            Entry(m_main, name.toLatin1().constData())->trigger();
        auto *menu = m_main->findChild<QMenu *>(QStringLiteral("sms_Manner"));
        for (const char *name : {"chinese", "englist", "sendhex"}) {
            QCOMPARE(Entry(m_main, name)->isChecked(), checked == QLatin1String(name));
            QCOMPARE(CheckType(menu, Entry(m_main, name)), QStyleOptionMenuItem::NonExclusive);
        }
        const int mode = checked == QLatin1String("englist")   ? 1
                         : checked == QLatin1String("sendhex") ? 2
                                                               : 0;
        QCOMPARE(int(m_main->smsMode()), mode);
        QCOMPARE(clear.size(), chosen.size());
    }

    // The application empties Text21(1), loading the alarm window hidden when it is not open.
    void sendBoxCleared()
    {
        Entry(m_main, "englist")->trigger();
        auto *alarm = qobject_cast<frmZ41COM *>(Windows::find(QStringLiteral("frmZ41COM")));
        QVERIFY(alarm);
        QVERIFY(!alarm->isVisible());
        auto *box = alarm->findChild<QPlainTextEdit *>(QStringLiteral("Text21_1"));
        box->setPlainText(QStringLiteral("上次输入的短信"));
        Entry(m_main, "sendhex")->trigger();
        QCOMPARE(box->toPlainText(), QString());
    }

    // 100 ms after start-up the launcher is shown at 0,0 with 11800 x 8180 twips.
    void launcherTimer()
    {
        QCOMPARE(m_main->Timer1.interval(), 100);
        QVERIFY(m_main->Timer1.isActive());
        QVERIFY(!Windows::isLoaded(QStringLiteral("frmMain")));
        m_main->onTimer1();
        QVERIFY(!m_main->Timer1.isActive());
        QWidget *launcher = Windows::find(QStringLiteral("frmMain"));
        QVERIFY(launcher && launcher->isVisibleTo(m_main));
        QCOMPARE(Sub(launcher)->geometry(), QRect(0, 0, 787, 545));
    }

    void addressTool_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("modeK");
        QTest::newRow("计算地址") << QStringList{"lookfine"} << "为用户计算地址" << false;
        QTest::newRow("计算地址K") << QStringList{"count_k"} << "为用户计算地址K" << true;
        QTest::newRow("K then plain")
            << QStringList{"count_k", "lookfine"} << "为用户计算地址" << false;
    }
    void addressTool()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, caption);
        QFETCH(bool, modeK);
        AddressModeK = !modeK;
        for (const QString &name : entries)
            Entry(m_main, name.toLatin1().constData())->trigger();
        QWidget *tool = Windows::find(QStringLiteral("Form9"));
        QVERIFY(tool && tool->isVisibleTo(m_main));
        QCOMPARE(m_main->mdiArea()->subWindowList().size(), 1);
        QCOMPARE(tool->windowTitle(), caption);
        QCOMPARE(Sub(tool)->size(), QSize(484, 310));
        QCOMPARE(AddressModeK, modeK);
    }

    void unicodeConverter()
    {
        Entry(m_main, "mnuCode")->trigger();
        Entry(m_main, "mnuCode")->trigger();
        QWidget *converter = Windows::find(QStringLiteral("Form18"));
        QVERIFY(converter && converter->isWindow() && converter->isVisibleTo(m_main));
        QCOMPARE(converter->parentWidget(), m_main);
        QCOMPARE(converter->windowModality(), Qt::NonModal);
        QCOMPARE(m_main->findChildren<QWidget *>(QStringLiteral("Form18")).size(), 1);
    }

    // The menu "窗口" lists the open child windows, marks only the active one and switches.
    void windowList()
    {
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main));
        m_main->onTimer1();
        Entry(m_main, "count_k")->trigger();
        QWidget *launcher = Windows::find(QStringLiteral("frmMain"));
        QWidget *tool = Windows::find(QStringLiteral("Form9"));
        QMenu *menu = m_main->findChild<QMenu *>(QStringLiteral("windows"));
        m_main->refreshWindowList();
        QCOMPARE(Marked(menu), (QStringList{"&1 短信报警控制模块", "&2 为用户计算地址K *"}));

        menu->actions().at(0)->trigger();
        QCOMPARE(m_main->mdiArea()->activeSubWindow(), Sub(launcher));
        QCOMPARE(Marked(menu), (QStringList{"&1 短信报警控制模块 *", "&2 为用户计算地址K"}));
        m_main->refreshWindowList();
        QCOMPARE(Marked(menu), (QStringList{"&1 短信报警控制模块 *", "&2 为用户计算地址K"}));
        // Choosing the active window again keeps its mark.
        menu->actions().at(0)->trigger();
        QCOMPARE(Marked(menu), (QStringList{"&1 短信报警控制模块 *", "&2 为用户计算地址K"}));

        m_main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(Sub(tool)));
        m_main->refreshWindowList();
        QCOMPARE(Marked(menu), (QStringList{"&1 短信报警控制模块", "&2 为用户计算地址K *"}));
        Windows::unload(QStringLiteral("Form9"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_main->refreshWindowList();
        QCOMPARE(menu->actions().size(), 1);
    }

    // The timers of the main window act on the window that started the connection.
    void connectTimerHooks()
    {
        MessageRecorder messages;
        QWidget *vx8 = Windows::get(QStringLiteral("frmVX8"));
        for (const char *name : {"Command1_0", "Combo1", "Combo2"})
            vx8->findChild<QWidget *>(QLatin1String(name))->setEnabled(false);
        ProtocolId = ProtocolIdentity;
        MainTimers().onTimer9();
        for (const char *name : {"Command1_0", "Command1_1", "Combo1", "Combo2"})
            QVERIFY2(vx8->findChild<QWidget *>(QLatin1String(name))->isEnabled(), name);
        QCOMPARE(messages.messages.size(), 1);
    }

    void closingMainWindow()
    {
        Link().open();
        m_main->onTimer1();
        Entry(m_main, "lookfine")->trigger();
        m_main->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Windows::isLoaded(QStringLiteral("frmMain")));
        QVERIFY(!Windows::isLoaded(QStringLiteral("Form9")));
        QVERIFY(!Link().isOpen());
    }

    // --- the launcher frmMain ---

    // Loading raises DTR (it reaches the device once the port opens); unloading closes the port.
    void launcherLoadUnload_data()
    {
        QTest::addColumn<bool>("open");
        QTest::newRow("port open: closed") << true;
        QTest::newRow("port closed: left alone") << false;
    }
    void launcherLoadUnload()
    {
        QFETCH(bool, open);
        QVERIFY(!Link().dtr());
        m_main->onTimer1();
        QVERIFY(Link().dtr());
        if (open) {
            Link().open();
            QVERIFY(m_line->dtr());
        }
        QSignalSpy closed(&Link(), &SerialLink::portClosed);
        Windows::unload(QStringLiteral("frmMain"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Link().isOpen());
        QCOMPARE(closed.size(), open ? 1 : 0);
        QVERIFY(m_main->mdiArea()->subWindowList().isEmpty());
    }

    void launcherLabel2_data()
    {
        QTest::addColumn<bool>("registered");
        QTest::addColumn<bool>("byKey");
        QTest::newRow("mouse click") << true << false;
        QTest::newRow("keyboard") << true << true;
        QTest::newRow("no connect dialog yet") << false << false;
    }
    void launcherLabel2()
    {
        QFETCH(bool, registered);
        QFETCH(bool, byKey);
        if (!registered)
            Windows::registerFactory(QStringLiteral("frmZ40MOD"), {});
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        m_main->onTimer1();
        auto *label2 =
            Windows::find(QStringLiteral("frmMain"))->findChild<QLabel *>(QStringLiteral("Label2"));
        if (byKey)
            QTest::keyClick(label2, Qt::Key_Return);
        else
            QTest::mouseClick(label2, Qt::LeftButton);
        QWidget *dialog = Windows::find(QStringLiteral("frmZ40MOD"));
        QCOMPARE(dialog != nullptr, registered);
        if (dialog) {
            QVERIFY(dialog->isVisible() && dialog->isWindow());
            QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        }
    }

    // The launcher's other ways out: the VX8 window and the Unicode converter, both modal.
    void launcherOpens_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("VX8 window") << "frmVX8";
        QTest::newRow("Unicode converter") << "Form18";
    }
    void launcherOpens()
    {
        QFETCH(QString, window);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        m_main->onTimer1();
        auto *launcher = qobject_cast<frmMain *>(Windows::find(QStringLiteral("frmMain")));
        if (window == QLatin1String("frmVX8"))
            QTest::mouseClick(launcher->findChild<QPushButton *>(QStringLiteral("CommandVX8")),
                              Qt::LeftButton);
        else
            launcher->showUnicodeConverterModal();
        QWidget *w = Windows::find(window);
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowModality(), Qt::ApplicationModal);
    }

    // --- message boxes of the running program ---

    // The answer is the button pressed (Escape: Cancel); the box shows text, title and icon.
    void widgetMessages_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("click"); // QMessageBox::StandardButton, 0: Escape
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("shownIcon");
        QTest::newRow("OK") << int(MsgButtons::Ok) << int(MsgIcon::Information)
                            << int(QMessageBox::Ok) << int(MsgResult::Ok)
                            << int(QMessageBox::Information);
        QTest::newRow("No") << int(MsgButtons::YesNo) << int(MsgIcon::Question)
                            << int(QMessageBox::No) << int(MsgResult::No)
                            << int(QMessageBox::Question);
        QTest::newRow("Escape") << int(MsgButtons::OkCancel) << int(MsgIcon::Critical) << 0
                                << int(MsgResult::Cancel) << int(QMessageBox::Critical);
    }
    void widgetMessages()
    {
        QFETCH(int, buttons);
        QFETCH(int, icon);
        QFETCH(int, click);
        InstallWidgetDialogs();
        QStringList shown;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            shown << box->windowTitle() << box->text() << QString::number(box->icon());
            if (click)
                box->button(QMessageBox::StandardButton(click))->click();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        const MsgResult answer =
            ShowMessage(QStringLiteral("模块和计算机通信失败"), QStringLiteral("系统提示"),
                        MsgIcon(icon), MsgButtons(buttons));
        QTEST(int(answer), "result");
        QFETCH(int, shownIcon);
        QCOMPARE(shown,
                 (QStringList{"系统提示", "模块和计算机通信失败", QString::number(shownIcon)}));
    }

    void widgetInput()
    {
        InstallWidgetDialogs();
        QTimer::singleShot(0, this, [] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->setTextValue(QStringLiteral("1234"));
            dialog->accept();
        });
        QString answer;
        QVERIFY(AskInput(QStringLiteral("请输入密码"), QStringLiteral("提示"), QString(), &answer));
        QCOMPARE(answer, QStringLiteral("1234"));
        SetInputHandler({});
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
