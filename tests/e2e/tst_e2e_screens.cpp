// End to end, in real time, with the real windows and the virtual module:
// - over a pseudo-terminal and the real QSerialPort: launcher -> connect dialog -> identification
//   -> alarm window -> read-all -> the parameter display shows what the module holds;
// - with the built-in module (as --demo runs it): the input, relay and phone-table reads fill
//   their areas. With CORVANE_SHOT_DIR set this saves a picture of the connect dialog and of
//   every page (scripts/screenshots);
// - the device goes away in the middle of a connect (the pseudo-terminal closes);
// - the communication test against corvane-sim: send, read an incoming message, send state.
#include "alarm/ui/frmZ41COM.h"
#include "app/AppWindows.h"
#include "connect/ui/frmZ40MOD.h"
#include "core/OpenFailure.h"
#include "core/SerialLink.h"
#include "monitor/TrafficMonitor.h"
#include "monitor/ui/frmMonitor.h"
#include "serial/QtSerialBackend.h"
#include "shell/MainWindow.h"
#include "shell/WindowRegistry.h"
#include "sim/AlarmModuleSim.h"
#include "sim/PtyServer.h"
#include "sim/SimAttach.h"
#include "support/AlarmTestKit.h"
#include "support/AppKit.h"
#include "support/TestSupport.h"

#include <QTableWidget>
#include <QtTest>
#include <QtWidgets>

namespace {
// The texts of the named labels and text boxes of window, joined by '/'.
QString boxes(QWidget *window, const char *names)
{
    QStringList texts;
    for (const QString &name : QString(names).split(' ')) {
        const QWidget *w = window->findChild<QWidget *>(name);
        const QVariant plain = w ? w->property("plainText") : QVariant("<none>");
        texts << (plain.isValid() ? plain : w->property("text")).toString().trimmed();
    }
    return texts.join('/');
}

void saveShot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("CORVANE_SHOT_DIR");
    if (!dir.isEmpty())
        w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
} // namespace

class TestE2EScreens : public QObject
{
    Q_OBJECT
    MainWindow *main = nullptr;
    AppKit *app = nullptr;

    MainWindow *mainWindow()
    {
        main = Windows::get<MainWindow>();
        WireMainWindow(main);
        return main;
    }

    // Launcher -> connect dialog on COM1 (the real QSerialPort on path) at 9600 bps -> connect
    // clicked. Returns the dialog.
    frmZ40MOD *connectThroughLauncher(const QString &path)
    {
        app->ports.map().set(1, path);
        mainWindow();
        main->show();
        main->onTimer1(); // the launcher comes up
        QWidget *launcher = Windows::find(QStringLiteral("frmMain"));
        QTest::mouseClick(launcher->findChild<QLabel *>(QStringLiteral("Label2")), Qt::LeftButton);
        auto *dialog = Windows::findTyped<frmZ40MOD>();
        if (!dialog || !QTest::qWaitFor([dialog] { return dialog->isVisible(); }))
            return nullptr;
        dialog->findChild<QComboBox *>(QStringLiteral("Combo1"))->setCurrentText("COM1");
        dialog->findChild<QComboBox *>(QStringLiteral("Combo2"))->setCurrentText("9600bps");
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Command1_0")),
                          Qt::LeftButton);
        return dialog;
    }

private Q_SLOTS:
    void init() { app = new AppKit(false); }
    // Whatever a test left behind: windows and with them their ports and timers.
    void cleanup()
    {
        delete app;
        app = nullptr;
        delete main;
        main = nullptr;
    }

    // Module configurations and what the display's labels then show.
    void launcherToFilledParameterDisplay_data()
    {
        QTest::addColumn<int>("workForm");
        QTest::addColumn<int>("transferMode");
        QTest::addColumn<int>("chunk");
        QTest::addColumn<QString>("labels");
        QTest::addColumn<QString>("shown");
        QTest::newRow("passive, format, whole replies")
            << 0 << 1 << 0 << "Label3 Label4 Label9 Label8 Label7 Label12 Label10"
            << "被动方式/格式传输/12:34:/CVALM V2.10/9600bps/60/无密码";
        QTest::newRow("active, transparent, 3-byte pieces")
            << 1 << 0 << 3 << "Label3 Label4 Label8 Label7 Label12 Label10"
            << "主动方式/透明方式1/CVALM V2.10/9600bps/60/无密码";
    }
    void launcherToFilledParameterDisplay()
    {
        QFETCH(int, workForm);
        QFETCH(int, transferMode);
        QFETCH(int, chunk);
        QFETCH(QString, labels);
        MessageRecorder messages;
        AlarmModuleSim module;
        module.state().workForm = quint8(workForm);
        module.state().transferMode = quint8(transferMode);
        AlarmSimOptions options;
        options.chunkSize = chunk;
        options.pieceGapMs = chunk ? 5 : 0;
        module.setOptions(options);
        PtyServer server;
        QString error;
        QVERIFY2(server.open(&error), qPrintable(error));
        server.serve(&module);
        frmZ40MOD *dialog = connectThroughLauncher(server.slavePath());
        QVERIFY(dialog && dialog->link().isOpen());

        // Identification: five read-outs one per second, then the alarm window opens.
        QTRY_VERIFY_WITH_TIMEOUT(Windows::find(QStringLiteral("frmZ41COM")), 9000);
        auto *alarm = Windows::findTyped<frmZ41COM>();
        QCOMPARE(alarm->identity().netMode, quint8(2));
        QCOMPARE(int(alarm->identity().workForm), workForm);

        // The read-all sequence fills the display; with power saving off its last read is D3.
        QTRY_COMPARE_WITH_TIMEOUT(boxes(alarm, "Label19"), QStringLiteral("无省电"), 15000);
        QTEST(boxes(alarm, qPrintable(labels)), "shown");
        QVERIFY2(messages.messages.isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
        alarm->exchange().link().close(); // before the server goes: no device loss
    }

    void readsFillEveryArea()
    {
        MemoryLine mem(true);
        MessageRecorder messages;
        AlarmModuleSim module;
        AttachAlarmSim(mem.backend, &module);
        auto &state = module.state();
        // DI0: level change, group sending to both, 60 s interval, three alarms, relay Do1;
        // texts in UCS-2: 仓库门已打开 (low level) and 仓库门已关闭 (high level).
        state.inputRecords[0] = hex("03 02 06 0C 0C 4ED35E9395E85DF262535F00") + zeros(78) +
                                hex("4ED35E9395E85DF2517395ED") + zeros(78) + hex("03 02");
        // Do0: pulse output, SMS reply checking DI0, delays 5/10/20, English control texts.
        state.relayRecords[0] = hex("02 02 05 0A 14 88 87") + "PUMP OFF" + QByteArray(52, '\0') +
                                "PUMP ON" + QByteArray(53, '\0') + hex("01 00");
        state.phoneTable = {hex("013800138000"), hex("013912345678"), hex("015000001111")};

        mainWindow();
        main->Timer1.stop(); // no launcher over the alarm window in the pictures
        main->resize(1000, 760);
        main->show();

        // The connect dialog as the user first sees it.
        QWidget *dialog = Windows::get(QStringLiteral("frmZ40MOD"));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        saveShot(dialog, QStringLiteral("connect-dialog"));
        dialog->close();

        // The traffic monitor beside the alarm window watches the read-all.
        Q_EMIT main->monitorRequested();
        auto *monitor = main->findChild<frmMonitor *>();
        QVERIFY(monitor && monitor->isVisible());
        app->monitor.follow(*mem);
        OpenAlarmWindow(app->ports, mem.release(), ModuleIdentity());
        auto *alarm = Windows::findTyped<frmZ41COM>();
        auto find = [alarm](const char *name) {
            return alarm->findChild<QWidget *>(QLatin1String(name));
        };
        QTRY_VERIFY_WITH_TIMEOUT(monitor->shownRows()->rowCount() >= 10, 15000);
        saveShot(main, QStringLiteral("monitor-during-read-all"));
        QTRY_COMPARE_WITH_TIMEOUT(boxes(alarm, "Label19"), QStringLiteral("无省电"), 15000);
        QTest::qWait(150); // the last batch of rows
        const TrafficModel &rows = monitor->monitor()->model();
        for (int i = 0; i < rows.rowCount(); ++i)
            QVERIFY2(!rows.row(i).junk && !rows.row(i).kind.startsWith("未识别"),
                     rows.row(i).logLine().constData());
        main->findChild<QDockWidget *>()->hide();
        // The end of the read-all sequence gives the buttons back.
        QTRY_VERIFY_WITH_TIMEOUT(find("Command8")->isEnabled() && find("Command16")->isEnabled(),
                                 2000);

        auto *tabs = alarm->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
        // Shows the page of a read button, picks record 0 of combo and clicks; with a success box
        // to wait for, whether it came.
        auto read = [&](const char *button, const char *combo, bool success = true) {
            QWidget *b = find(button);
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->widget(i)->isAncestorOf(b))
                    tabs->setCurrentIndex(i);
            if (combo)
                alarm->findChild<QComboBox *>(QLatin1String(combo))->setCurrentIndex(0);
            messages.messages.clear();
            static_cast<QPushButton *>(b)->click();
            return !success || QTest::qWaitFor([&] {
                return messages.texts().contains(QStringLiteral("读取参数成功"));
            });
        };

        // Input alarms of DI0 and the delivery modes.
        QVERIFY(read("Command17", "Combo5"));
        QCOMPARE(boxes(alarm, "Text15 Text17 Text20 Text16"), "仓库门已打开/仓库门已关闭/3/60");
        read("Command26_0", nullptr, false);
        QTRY_COMPARE_WITH_TIMEOUT(
            alarm->findChild<QComboBox *>(QStringLiteral("Combo9_0"))->currentText(),
            QStringLiteral("短信"), 5000);
        saveShot(alarm->parentWidget(), QStringLiteral("alarm-inputs"));

        // Relay Do0.
        QVERIFY(read("Command23", "Combo6"));
        QCOMPARE(boxes(alarm, "Text12 Text8 Text10"), "PUMP OFF/PUMP ON/10");
        saveShot(alarm->parentWidget(), QStringLiteral("alarm-relays"));

        // The phone number table: sequence number and number of each row.
        read("Command12", nullptr, false);
        auto *grid = alarm->findChild<QTableWidget *>(QStringLiteral("Grid"));
        QTRY_COMPARE_WITH_TIMEOUT(grid->rowCount(), 3, 5000);
        QCOMPARE(grid->item(0, 1)->text() + '|' + grid->item(2, 0)->text() + '|' +
                     grid->item(2, 1)->text(),
                 "13800138000|3|15000001111");
        saveShot(alarm->parentWidget(), QStringLiteral("alarm-phones"));

        // The remaining pages as the read-all left them.
        for (int i = 0; i < 3 && i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            saveShot(alarm->parentWidget(), QStringLiteral("alarm-page%1").arg(i));
        }
        saveShot(main, QStringLiteral("main-with-alarm-window"));
    }

    // A passive module in format transmission, served by corvane-sim on a pseudo-terminal.
    void communicationTest()
    {
        MessageRecorder messages;
        QProcess sim;
        sim.start(QStringLiteral(CORVANE_BINARY_DIR "/bin/corvane-sim"),
                  {"--work-form", "passive", "--transfer", "format"});
        QVERIFY(sim.waitForReadyRead(5000));
        const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed().section(' ', 2);
        sim.write("send-result failed\n");
        app->ports.map().set(1, path);
        SerialLink *link = app->ports.makeLink(QStringLiteral("test"), nullptr);
        QVERIFY(link->open() == OpenResult::Ok);
        ModuleIdentity identity; // as the connect read it: passive, format transmission
        identity.transferMode = 1;
        mainWindow();
        main->Timer1.stop();
        main->resize(1000, 760);
        main->show();
        OpenAlarmWindow(app->ports, link, identity);
        auto *alarm = Windows::findTyped<frmZ41COM>();
        alarm->Timer5.stop();
        alarm->Timer6.stop(); // no read-all: the module form is already known
        alarm->onTimer5();
        alarm->findChild<QTabWidget *>(QStringLiteral("SSTab1"))->setCurrentIndex(1);
        auto button = [alarm](int i) {
            return alarm->findChild<QPushButton *>(QStringLiteral("Command21_%1").arg(i));
        };
        alarm->findChild<QLineEdit *>("Text22")->setText("12:34:");
        alarm->findChild<QLineEdit *>("Text21_4")->setText("13800138000");
        alarm->findChild<QPlainTextEdit *>("Text21_1")->setPlainText(QStringLiteral("测试"));
        QCOMPARE(main->statusPanel(3), QStringLiteral("发射区字节数：4"));

        // The 2 s before the frame do not hold up the window: a timer fires meanwhile, with
        // nothing written yet and the buttons disabled.
        bool answered = false;
        QTimer::singleShot(500, alarm, [&] {
            answered = boxes(alarm, "Text21_0").isEmpty() && !button(0)->isEnabled() &&
                       !button(2)->isEnabled();
        });
        button(2)->click();
        QTRY_VERIFY_WITH_TIMEOUT(boxes(alarm, "Text21_0").contains("接收"), 5000);
        QVERIFY(answered);
        QVERIFY(button(2)->isEnabled());
        QCOMPARE(main->statusPanel(2), QStringLiteral("模块状态：格式正确"));

        // A message reaches the module; "读取短信" fetches it.
        sim.write("sms 13912345678 门磁报警\n");
        button(0)->click();
        QTRY_COMPARE_WITH_TIMEOUT(boxes(alarm, "Text21_2 Text21_3"), "门磁报警/13912345678", 5000);

        // The send state the module keeps for the message sent above.
        button(1)->click();
        QTRY_COMPARE_WITH_TIMEOUT(main->statusPanel(2), QStringLiteral("模块状态：发送失败"), 5000);
        const QStringList log = boxes(alarm, "Text21_0").split('\n');
        QCOMPARE(log.mid(0, 3), (QStringList{"发射  24:12:34:57:00:0E:D7:01:01:38:00:13:80:00:00:"
                                             "04:6D:4B:8B:D5:0D:",
                                             "接收  21:12:34:0D:", "发射  24:12:34:52:0D:"}));
        QVERIFY(log.at(3).startsWith("接收  21:12:34:00:18:D7:01:01:39:12:34:56:78:00:08:"));
        QCOMPARE(log.mid(5, 2),
                 (QStringList{"发射  24:12:34:57:00:00:0D:", "接收  21:12:34:57:01:0D:"}));
        // The failed send is also shown in a message box.
        QCOMPARE(messages.texts(),
                 QStringList{"模块报告：发送失败。这条指令没有成功，请检查后重试"});
        button(2)->show(); // as the work-form read shows it
        saveShot(main, QStringLiteral("alarm-communication-test"));

        link->close();
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
    }

    // One message (the loss, with its title), no connect time-out message 2 s later, the timers
    // stopped and the dialog ready to connect again.
    void lossDuringConnect_data()
    {
        QTest::addColumn<bool>("noticeFirst");
        QTest::newRow("during the connect query") << false;
        QTest::newRow("during the read-out") << true;
    }
    void lossDuringConnect()
    {
        QFETCH(bool, noticeFirst);
        MessageRecorder messages;
        PtyServer server;
        QString error;
        QVERIFY2(server.open(&error), qPrintable(error));
        frmZ40MOD *dialog = connectThroughLauncher(server.slavePath());
        QVERIFY(dialog && dialog->link().isOpen());
        ConnectRoutine &t = dialog->routine();
        QTRY_VERIFY(t.Timer9.isActive()); // the connect query is out
        if (noticeFirst) {
            server.send(hex("1A2A3A4A5A6A7A8A FD 000000"));
            QTRY_VERIFY(t.Timer11.isActive());
            QTest::qWait(1200); // a read-out query or two
        }
        server.close();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->link().isOpen(), 3000);
        QTest::qWait(2500); // longer than the connect time-out and a read-out step

        QCOMPARE(
            messages.texts(),
            QStringList{QStringLiteral("串口设备 %1 已断开，端口已关闭。请检查连线后重新连接。")
                            .arg(server.slavePath())});
        QCOMPARE(messages.messages[0].title, QStringLiteral("端口错误"));
        QVERIFY(!t.Timer8.isActive() && !t.Timer9.isActive() && !t.Timer11.isActive());
        for (const char *name : {"Command1_0", "Command1_1", "Command1_2", "Combo1", "Combo2"})
            QVERIFY2(dialog->findChild<QWidget *>(name)->isEnabled(), name);
    }
};

QTEST_MAIN(TestE2EScreens)
#include "tst_e2e_screens.moc"
