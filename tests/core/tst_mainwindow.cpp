// Start-up: the main window's title, status bar, menus and launcher timer; the launcher; the
// message boxes of the running program.
#include "core/ConnectTimers.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "core/ui/MainWindow.h"
#include "core/ui/StringTable.h"
#include "core/ui/WidgetDialogs.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/frmMain.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

// Stands in for the alarm-module window: only the box the sending-mode menu empties.
QWidget *MakeAlarmWindow()
{
    auto *w = new QWidget;
    auto *box = new QLineEdit(QStringLiteral("上次输入的短信"), w);
    box->setObjectName(QStringLiteral("Text21_1"));
    return w;
}

QWidget *MakeConnectDialog()
{
    return new QDialog;
}

QAction *Entry(MainWindow *w, const char *name)
{
    return w->findChild<QAction *>(QLatin1String(name));
}

QWidget *Sub(QWidget *w)
{
    return qobject_cast<QMdiSubWindow *>(w->parentWidget());
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
        Windows::registerFactory(QStringLiteral("frmZ41COM"), MakeAlarmWindow);
        Windows::registerFactory(QStringLiteral("frmZ40MOD"), MakeConnectDialog);
        RxStep = 7;
        m_main = new MainWindow;
    }
    void cleanup()
    {
        delete m_main;
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetMessageHandler({});
    }

    void startUp()
    {
        QCOMPARE(m_main->windowTitle(), QStringLiteral("CorvaneV4.0"));
        QCOMPARE(m_main->objectName(), QStringLiteral("main"));
        QCOMPARE(MainWindow::instance(), m_main);
        QCOMPARE(RxStep, qint16(0));
        QVERIFY(!m_main->isSmsMannerMenuVisible());
        QCOMPARE(m_main->smsMode(), MainWindow::SmsMode::Chinese);
        QVERIFY(Windows::mdiArea() == m_main->mdiArea());
    }

    void statusPanels_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QString>("text");
        QTest::newRow("port") << 1 << "串口：未使用";
        QTest::newRow("module state") << 2 << "模块状态：未使用";
        QTest::newRow("transmit bytes") << 3 << "发射区字节数：0";
    }
    void statusPanels()
    {
        QFETCH(int, panel);
        QFETCH(QString, text);
        QCOMPARE(m_main->statusPanel(panel), text);
        auto *label = m_main->findChild<QLabel *>(QStringLiteral("StatusBar1_%1").arg(panel));
        QVERIFY(label && label->isVisibleTo(m_main));
        QCOMPARE(label->text(), text);
        m_main->setStatusPanel(panel, QStringLiteral("串口：COM2--19200,n,8,1"));
        QCOMPARE(label->text(), QStringLiteral("串口：COM2--19200,n,8,1"));
    }

    void stringTable_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("101") << 101 << "串口：";
        QTest::newRow("102") << 102 << "网络：";
        QTest::newRow("103") << 103 << "模块状态：";
        QTest::newRow("104") << 104 << "发射区字节数：";
    }
    void stringTable()
    {
        QFETCH(int, id);
        QFETCH(QString, text);
        QCOMPARE(ResourceString(id), text);
    }

    void menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("entries"); // name=caption
        QTest::newRow("file") << "file"
                              << "文件(&F)"
                              << QStringList{"clear_rece=清空接收区", "clear_send=清空发射区",
                                             "clear_yuan=清空源码区"};
        QTest::newRow("sms_Manner")
            << "sms_Manner"
            << "短信发送方式" << QStringList{"chinese=汉字", "englist=英文", "sendhex=十六进制"};
        QTest::newRow("tool") << "tool"
                              << "工具(&T)"
                              << QStringList{"lookfine=计算地址", "count_k=计算地址K",
                                             "mnuCode=Unicode码转换"};
        QTest::newRow("windows") << "windows"
                                 << "窗口" << QStringList{};
    }
    void menus()
    {
        QFETCH(QString, menu);
        QFETCH(QString, caption);
        QFETCH(QStringList, entries);
        auto *m = m_main->findChild<QMenu *>(menu);
        QVERIFY(m);
        QCOMPARE(m->title(), caption);
        QStringList found;
        for (QAction *a : m->actions())
            found << a->objectName() + QLatin1Char('=') + a->text();
        QCOMPARE(found, entries);
    }

    void menuBarOrder()
    {
        QStringList titles;
        for (QAction *a : m_main->menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"文件(&F)", "短信发送方式", "工具(&T)", "窗口"}));
    }

    void smsMannerMenu()
    {
        m_main->showSmsMannerMenu(true);
        QVERIFY(
            m_main->findChild<QMenu *>(QStringLiteral("sms_Manner"))->menuAction()->isVisible());
        m_main->showSmsMannerMenu(false);
        QVERIFY(
            !m_main->findChild<QMenu *>(QStringLiteral("sms_Manner"))->menuAction()->isVisible());
    }

    void sendingMode_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("alarmOpen");
        QTest::newRow("英文, window open") << QStringList{"englist"} << "englist" << 1 << true;
        QTest::newRow("英文, window never opened")
            << QStringList{"englist"} << "englist" << 1 << false;
        QTest::newRow("十六进制") << QStringList{"sendhex"} << "sendhex" << 2 << true;
        QTest::newRow("英文 then 汉字")
            << QStringList{"englist", "chinese"} << "chinese" << 0 << true;
        QTest::newRow("汉字 chosen again stays")
            << QStringList{"chinese", "chinese"} << "chinese" << 0 << false;
    }
    // Exactly one entry is checked; choosing one empties Text21(1) of the alarm-module window,
    // loading it hidden when it is not open.
    void sendingMode()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QString, checked);
        QFETCH(int, mode);
        QFETCH(bool, alarmOpen);
        if (alarmOpen)
            Windows::get(QStringLiteral("frmZ41COM"));
        for (const QString &name : chosen)
            Entry(m_main, name.toLatin1().constData())->trigger();
        for (const char *name : {"chinese", "englist", "sendhex"})
            QCOMPARE(Entry(m_main, name)->isChecked(), checked == QLatin1String(name));
        QCOMPARE(int(m_main->smsMode()), mode);
        QWidget *alarm = Windows::find(QStringLiteral("frmZ41COM"));
        QVERIFY(alarm);
        QVERIFY(!alarm->isVisible());
        QCOMPARE(alarm->findChild<QLineEdit *>(QStringLiteral("Text21_1"))->text(), QString());
    }

    void sendingModeWithoutAlarmWindow()
    {
        Windows::registerFactory(QStringLiteral("frmZ41COM"), {});
        Entry(m_main, "sendhex")->trigger();
        QCOMPARE(m_main->smsMode(), MainWindow::SmsMode::Hex);
        QVERIFY(!Windows::isLoaded(QStringLiteral("frmZ41COM")));
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
        QVERIFY(launcher);
        QVERIFY(launcher->isVisibleTo(m_main));
        QVERIFY(Sub(launcher));
        QCOMPARE(Sub(launcher)->geometry(), QRect(0, 0, 787, 545));
        QCOMPARE(launcher->windowTitle(), QStringLiteral("短信报警控制模块"));
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
        QTest::newRow("plain then K")
            << QStringList{"lookfine", "count_k"} << "为用户计算地址K" << true;
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
        QVERIFY(tool);
        QCOMPARE(m_main->mdiArea()->subWindowList().size(), 1);
        QCOMPARE(tool->windowTitle(), caption);
        QCOMPARE(Sub(tool)->size(), QSize(484, 310));
        QCOMPARE(AddressModeK, modeK);
        QVERIFY(tool->isVisibleTo(m_main));
    }

    void unicodeConverter()
    {
        Entry(m_main, "mnuCode")->trigger();
        Entry(m_main, "mnuCode")->trigger();
        QWidget *converter = Windows::find(QStringLiteral("Form18"));
        QVERIFY(converter);
        QVERIFY(converter->isWindow());
        QCOMPARE(converter->parentWidget(), m_main);
        QVERIFY(converter->isVisibleTo(m_main));
        QCOMPARE(converter->windowModality(), Qt::NonModal);
        QCOMPARE(m_main->findChildren<QWidget *>(QStringLiteral("Form18")).size(), 1);
    }

    // The menu "窗口" lists the open child windows and switches between them.
    void windowList()
    {
        m_main->onTimer1();
        Entry(m_main, "count_k")->trigger();
        QWidget *launcher = Windows::find(QStringLiteral("frmMain"));
        QWidget *tool = Windows::find(QStringLiteral("Form9"));
        QCOMPARE(m_main->mdiArea()->activeSubWindow(), Sub(tool));

        m_main->refreshWindowList();
        QMenu *menu = m_main->findChild<QMenu *>(QStringLiteral("windows"));
        QStringList texts;
        for (QAction *a : menu->actions())
            texts << a->text() + (a->isChecked() ? QStringLiteral(" *") : QString());
        QCOMPARE(texts, (QStringList{"&1 短信报警控制模块", "&2 为用户计算地址K *"}));

        menu->actions().at(0)->trigger();
        QCOMPARE(m_main->mdiArea()->activeSubWindow(), Sub(launcher));

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

    void launcherLoad()
    {
        QVERIFY(!Link().dtr());
        QWidget *launcher = Windows::get(QStringLiteral("frmMain"));
        QVERIFY(Link().dtr());
        QVERIFY(!launcher->isVisible());
        auto *label2 = launcher->findChild<QLabel *>(QStringLiteral("Label2"));
        QCOMPARE(label2->text(), QStringLiteral("短信 测试程序"));
        QCOMPARE(label2->toolTip(), QStringLiteral("短信模块参数设置与通信测试"));
        QVERIFY(!launcher->findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().isNull());
        QVERIFY(launcher->findChild<QFrame *>(QStringLiteral("Line1")));
        for (const char *name : {"Label3", "Label4", "Label5"})
            QVERIFY(!launcher->findChild<QLabel *>(QLatin1String(name))->text().isEmpty());
        // DTR reaches the device once the port opens.
        Link().open();
        QVERIFY(m_line->dtr());
    }

    void launcherUnload_data()
    {
        QTest::addColumn<bool>("open");
        QTest::newRow("port open: closed") << true;
        QTest::newRow("port closed: left alone") << false;
    }
    void launcherUnload()
    {
        QFETCH(bool, open);
        m_main->onTimer1();
        if (open)
            Link().open();
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
            QVERIFY(dialog->isVisible());
            QVERIFY(dialog->isWindow());
            QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        }
    }

    void launcherVX8()
    {
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        m_main->onTimer1();
        auto *button = Windows::find(QStringLiteral("frmMain"))
                           ->findChild<QPushButton *>(QStringLiteral("CommandVX8"));
        QVERIFY(button->text().contains(QStringLiteral("VX8 GPRS 模块")));
        QTest::mouseClick(button, Qt::LeftButton);
        QWidget *vx8 = Windows::find(QStringLiteral("frmVX8"));
        QVERIFY(vx8 && vx8->isVisible());
        QCOMPARE(vx8->windowModality(), Qt::ApplicationModal);
        QCOMPARE(vx8->windowTitle(), QStringLiteral("VX8 GPRS 数据模块连接"));
        // Start state: a module not identified yet.
        QCOMPARE(vx8->findChild<QComboBox *>(QStringLiteral("Combo2"))->currentText(),
                 QStringLiteral("9600bps"));
        QVERIFY(!vx8->findChild<QRadioButton *>(QStringLiteral("Option1"))->isEnabled());
        QVERIFY(!vx8->findChild<QPushButton *>(QStringLiteral("Command1_1"))->isEnabled());

        QTest::mouseClick(vx8->findChild<QPushButton *>(QStringLiteral("Command1_2")),
                          Qt::LeftButton);
        QVERIFY(!Windows::isLoaded(QStringLiteral("frmVX8")));
    }

    void launcherUnicodeConverterModal()
    {
        m_main->onTimer1();
        auto *launcher = qobject_cast<frmMain *>(Windows::find(QStringLiteral("frmMain")));
        QVERIFY(launcher);
        launcher->showUnicodeConverterModal();
        QWidget *converter = Windows::find(QStringLiteral("Form18"));
        QVERIFY(converter && converter->isVisible());
        QCOMPARE(converter->windowModality(), Qt::ApplicationModal);
    }

    // --- message boxes of the running program ---

    void widgetMessages_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("click"); // QMessageBox::StandardButton, 0: Escape
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("expectedIcon");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("OK, information")
            << int(MsgButtons::Ok) << int(MsgIcon::Information) << int(QMessageBox::Ok)
            << int(MsgResult::Ok) << int(QMessageBox::Information) << QStringList{"确定"};
        QTest::newRow("Yes/No, question, No")
            << int(MsgButtons::YesNo) << int(MsgIcon::Question) << int(QMessageBox::No)
            << int(MsgResult::No) << int(QMessageBox::Question) << QStringList{"是(&Y)", "否(&N)"};
        QTest::newRow("OK/Cancel, Escape")
            << int(MsgButtons::OkCancel) << int(MsgIcon::Critical) << 0 << int(MsgResult::Cancel)
            << int(QMessageBox::Critical) << QStringList{"确定", "取消"};
    }
    void widgetMessages()
    {
        QFETCH(int, buttons);
        QFETCH(int, icon);
        QFETCH(int, click);
        QFETCH(int, result);
        QFETCH(int, expectedIcon);
        QFETCH(QStringList, captions);
        InstallWidgetDialogs();
        QString title, text;
        int shownIcon = -1;
        QStringList shownCaptions;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            text = box->text();
            shownIcon = box->icon();
            for (QAbstractButton *b : box->buttons())
                shownCaptions << b->text();
            if (click)
                box->button(QMessageBox::StandardButton(click))->click();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        const MsgResult answer =
            ShowMessage(QStringLiteral("模块和计算机通信失败，请检查串口号、波特率"),
                        QStringLiteral("系统提示"), MsgIcon(icon), MsgButtons(buttons));
        QCOMPARE(int(answer), result);
        QCOMPARE(title, QStringLiteral("系统提示"));
        QCOMPARE(text, QStringLiteral("模块和计算机通信失败，请检查串口号、波特率"));
        QCOMPARE(shownIcon, expectedIcon);
        shownCaptions.sort();
        captions.sort();
        QCOMPARE(shownCaptions, captions);
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
