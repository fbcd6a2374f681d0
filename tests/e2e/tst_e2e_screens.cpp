// End to end, in real time, with the real windows and the virtual module:
// - over a pseudo-terminal and the real QSerialPort: launcher -> connect dialog -> identification
//   -> alarm window -> read-all -> the parameter display shows what the module holds;
// - with the built-in module (as --demo runs it): the input, relay and phone-table reads fill
//   their areas. With CORVANE_SHOT_DIR set this saves a picture of the connect dialog and of
//   every page (scripts/screenshots).
#include "alarm/ui/frmZ41COM.h"
#include "app/AppWindows.h"
#include "connect/ConnectParser.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "core/serial/QtSerialBackend.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowRegistry.h"
#include "sim/AlarmModuleSim.h"
#include "sim/PtyServer.h"
#include "sim/SimAttach.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <QtWidgets>

namespace {
QString boxText(QWidget *w)
{
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text().trimmed();
    if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        return p->toPlainText().trimmed();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    return QStringLiteral("<no text box>");
}

void saveShot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("CORVANE_SHOT_DIR");
    if (!dir.isEmpty())
        w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}
} // namespace

class TestE2EScreens : public QObject
{
    Q_OBJECT
    MainWindow *main = nullptr;

private Q_SLOTS:
    void init() { RegisterWindows(); }
    // Whatever a test left behind: windows, the open port, running timers.
    void cleanup()
    {
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Link().close();
        for (QTimer *t : {&MainTimers().Timer8, &MainTimers().Timer9, &MainTimers().Timer11})
            t->stop();
        delete main;
        main = nullptr;
    }

    // Module configurations and "Label=text;..." the display must show for them.
    void launcherToFilledParameterDisplay_data()
    {
        QTest::addColumn<int>("workForm");
        QTest::addColumn<int>("transferMode");
        QTest::addColumn<int>("chunk");
        QTest::addColumn<QString>("labels");
        QTest::newRow("passive, format, whole replies")
            << 0 << 1 << 0 << QStringLiteral("Label3=被动方式;Label4=格式传输;Label9=12:34:");
        QTest::newRow("active, transparent, 3-byte pieces")
            << 1 << 0 << 3 << QStringLiteral("Label3=主动方式;Label4=透明方式1");
    }
    void launcherToFilledParameterDisplay()
    {
        QFETCH(int, workForm);
        QFETCH(int, transferMode);
        QFETCH(int, chunk);
        QFETCH(QString, labels);
        ResetWorld();
        MessageRecorder messages;
        Link().setBackend(new QtSerialBackend);
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
        const QString path = server.slavePath();
        Link().setPortResolver([path](int n) { return n == 1 ? path : QString(); });

        InstallConnectParser();
        main = Windows::get<MainWindow>();
        main->show();
        main->onTimer1(); // the launcher comes up
        QWidget *launcher = Windows::find(QStringLiteral("frmMain"));
        QVERIFY(launcher);
        QTest::mouseClick(launcher->findChild<QLabel *>(QStringLiteral("Label2")), Qt::LeftButton);
        QWidget *dialog = Windows::find(QStringLiteral("frmZ40MOD"));
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->isVisible());
        dialog->findChild<QComboBox *>(QStringLiteral("Combo1"))->setCurrentText("COM1");
        dialog->findChild<QComboBox *>(QStringLiteral("Combo2"))->setCurrentText("9600bps");
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Command1_0")),
                          Qt::LeftButton);
        QVERIFY(Link().isOpen());

        // Identification: five read-outs one per second, then the alarm window opens.
        QTRY_VERIFY_WITH_TIMEOUT(Windows::find(QStringLiteral("frmZ41COM")), 9000);
        QWidget *alarm = Windows::find(QStringLiteral("frmZ41COM"));
        QCOMPARE(ModuleNetMode, quint8(2));
        QCOMPARE(int(WorkFormFlag), workForm);

        // The read-all sequence fills the display; with power saving off its last read is D3.
        auto label = [alarm](const QString &name) {
            return boxText(alarm->findChild<QLabel *>(name));
        };
        QTRY_COMPARE_WITH_TIMEOUT(label("Label19"), QStringLiteral("无省电"), 15000);
        qInfo("connect click to filled parameter display over a pty: %lld ms", clock.elapsed());
        labels += ";Label8=CVALM V2.10;Label7=9600bps;Label12=60;Label10=无密码";
        for (const QString &pair : labels.split(QLatin1Char(';'))) {
            const QString name = pair.section(QLatin1Char('='), 0, 0);
            QCOMPARE(name + QLatin1Char('=') + label(name), pair);
        }
        QVERIFY2(messages.messages.isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    }

    void readsFillEveryArea()
    {
        MemorySerialBackend *line = ResetWorld(true);
        MessageRecorder messages;
        AlarmModuleSim module;
        AttachAlarmSim(line, &module);
        auto &state = module.state();
        // DI0: level change, group sending to both, 60 s interval, three alarms, relay Do1;
        // texts in UCS-2: 仓库门已打开 (low level) and 仓库门已关闭 (high level).
        const QByteArray zeros(78, '\0');
        state.inputRecords[0] = hex("03 02 06 0C 0C 4ED35E9395E85DF262535F00") + zeros +
                                hex("4ED35E9395E85DF2517395ED") + zeros + hex("03 02");
        // Do0: pulse output, SMS reply checking DI0, delays 5/10/20, English control texts.
        state.relayRecords[0] = hex("02 02 05 0A 14 88 87") + "PUMP OFF" + QByteArray(52, '\0') +
                                "PUMP ON" + QByteArray(53, '\0') + hex("01 00");
        state.phoneTable = {hex("013800138000"), hex("013912345678"), hex("015000001111")};

        main = Windows::get<MainWindow>();
        main->Timer1.stop(); // no launcher over the alarm window in the pictures
        main->resize(1000, 760);
        main->show();

        // The connect dialog as the user first sees it.
        QWidget *dialog = Windows::get(QStringLiteral("frmZ40MOD"));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        saveShot(dialog, QStringLiteral("connect-dialog"));
        dialog->close();

        auto *alarm = static_cast<frmZ41COM *>(Windows::get(QStringLiteral("frmZ41COM")));
        Windows::showChild(alarm);
        auto find = [alarm](const char *name) {
            return alarm->findChild<QWidget *>(QLatin1String(name));
        };
        QTRY_COMPARE_WITH_TIMEOUT(boxText(find("Label19")), QStringLiteral("无省电"), 15000);
        // The end of the read-all sequence gives the buttons back.
        QTRY_VERIFY_WITH_TIMEOUT(find("Command8")->isEnabled(), 2000);
        QVERIFY(find("Command16")->isEnabled());

        auto *tabs = alarm->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
        QVERIFY(tabs);
        // Shows the page of a read button, picks record 0 and clicks; waits for the success box.
        auto read = [&](const char *button, const char *combo) {
            QWidget *b = find(button);
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->widget(i)->isAncestorOf(b))
                    tabs->setCurrentIndex(i);
            if (combo)
                alarm->findChild<QComboBox *>(QLatin1String(combo))->setCurrentIndex(0);
            messages.messages.clear();
            static_cast<QPushButton *>(b)->click();
        };
        const QString success = QStringLiteral("读取参数成功");

        // Input alarms of DI0 and the delivery modes.
        read("Command17", "Combo5");
        QTRY_VERIFY_WITH_TIMEOUT(messages.texts().contains(success), 5000);
        QCOMPARE(boxText(find("Text15")), QStringLiteral("仓库门已打开"));
        QCOMPARE(boxText(find("Text17")), QStringLiteral("仓库门已关闭"));
        QCOMPARE(boxText(find("Text20")) + '/' + boxText(find("Text16")), QStringLiteral("3/60"));
        static_cast<QPushButton *>(find("Command26_0"))->click();
        QTRY_COMPARE_WITH_TIMEOUT(
            alarm->findChild<QComboBox *>(QStringLiteral("Combo9_0"))->currentText(),
            QStringLiteral("短信"), 5000);
        saveShot(alarm->parentWidget(), QStringLiteral("alarm-inputs"));

        // Relay Do0.
        read("Command23", "Combo6");
        QTRY_VERIFY_WITH_TIMEOUT(messages.texts().contains(success), 5000);
        QCOMPARE(boxText(find("Text12")) + '/' + boxText(find("Text8")) + '/' +
                     boxText(find("Text10")),
                 QStringLiteral("PUMP OFF/PUMP ON/10"));
        saveShot(alarm->parentWidget(), QStringLiteral("alarm-relays"));

        // The phone number table; row 0 is the header row, column 0 the fixed column.
        read("Command12", nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(alarm->gridRows(), 4, 5000);
        QCOMPARE(alarm->gridCell(1, 2), QStringLiteral("13800138000"));
        QCOMPARE(alarm->gridCell(3, 2), QStringLiteral("15000001111"));
        QCOMPARE(alarm->gridCell(3, 1), QStringLiteral("3"));
        saveShot(alarm->parentWidget(), QStringLiteral("alarm-phones"));

        // The remaining pages as the read-all left them.
        for (int i = 0; i < 3 && i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            saveShot(alarm->parentWidget(), QStringLiteral("alarm-page%1").arg(i));
        }
        saveShot(main, QStringLiteral("main-with-alarm-window"));
        QVERIFY(find("Command8")->isEnabled());
    }
};

QTEST_MAIN(TestE2EScreens)
#include "tst_e2e_screens.moc"
