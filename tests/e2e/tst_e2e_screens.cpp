// End to end, in real time, with the built-in virtual module (as --demo runs it): the alarm
// window reads all parameters, then the input, relay and phone-table reads fill their areas.
// With CORVANE_SHOT_DIR set it also saves a picture of the connect dialog and of every page.
#include "alarm/ui/frmZ41COM.h"
#include "app/AppWindows.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowRegistry.h"
#include "sim/AlarmModuleSim.h"
#include "sim/SimAttach.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

namespace {
QString boxText(QWidget *w)
{
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        return p->toPlainText();
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
} // namespace

class TestE2EScreens : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsFillEveryArea()
    {
        MemorySerialBackend *line = ResetWorld(true);
        MessageRecorder messages;
        AlarmModuleSim module;
        AttachAlarmSim(line, &module);
        auto &state = module.state();
        // DI0: level change, group sending to both, 60 s interval, three alarms, relay Do1;
        // texts in UCS-2: 仓库门已打开 (low level) and 仓库门已关闭 (high level).
        QByteArray di(187, '\0');
        di[0] = 3;
        di[1] = 2;
        di[2] = 6;
        di[3] = 0x0C;
        di[4] = 0x0C;
        di.replace(5, 12, QByteArray::fromHex("4ED35E9395E85DF262535F00"));
        di.replace(95, 12, QByteArray::fromHex("4ED35E9395E85DF2517395ED"));
        di[185] = 3;
        di[186] = 2;
        state.inputRecords[0] = di;
        // Do0: pulse output, SMS reply checking DI0, delays 5/10/20, English control texts.
        QByteArray dout(129, '\0');
        dout[0] = 2;
        dout[1] = 2;
        dout[2] = 5;
        dout[3] = 10;
        dout[4] = 20;
        dout[5] = char(0x88);
        dout[6] = char(0x87);
        dout.replace(7, 8, "PUMP OFF");
        dout.replace(67, 7, "PUMP ON");
        dout[127] = 1;
        state.relayRecords[0] = dout;
        state.phoneTable = {QByteArray::fromHex("013800138000"),
                            QByteArray::fromHex("013912345678"),
                            QByteArray::fromHex("015000001111")};

        RegisterWindows();
        auto *main = Windows::get<MainWindow>();
        main->Timer1.stop(); // no launcher over the alarm window in the pictures
        main->resize(1000, 760);
        main->show();

        // The connect dialog as the user first sees it.
        QWidget *dialog = Windows::get(QStringLiteral("frmZ40MOD"));
        QVERIFY(dialog);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        saveShot(dialog, QStringLiteral("connect-dialog"));
        dialog->close();

        QWidget *alarm = Windows::get(QStringLiteral("frmZ41COM"));
        QVERIFY(alarm);
        Windows::showChild(alarm);
        auto find = [alarm](const char *name) {
            return alarm->findChild<QWidget *>(QLatin1String(name));
        };
        QTRY_COMPARE_WITH_TIMEOUT(boxText(find("Label19")), QStringLiteral("无省电"), 15000);
        QCOMPARE(boxText(find("Label8")), QStringLiteral("CVALM V2.10"));
        // The end of the read-all sequence gives the buttons back.
        QTRY_VERIFY_WITH_TIMEOUT(find("Command8")->isEnabled(), 2000);
        QVERIFY(find("Command16")->isEnabled());
        QCOMPARE(boxText(find("Label12")), QStringLiteral("60"));

        auto *tabs = alarm->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
        QVERIFY(tabs);
        auto click = [alarm](const char *name) {
            auto *b = alarm->findChild<QPushButton *>(QLatin1String(name));
            QVERIFY2(b, name);
            b->click();
        };
        auto pageOf = [tabs](QWidget *w) {
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->widget(i)->isAncestorOf(w))
                    return i;
            return -1;
        };

        // Input alarms of DI0 and the delivery modes.
        tabs->setCurrentIndex(pageOf(find("Command17")));
        alarm->findChild<QComboBox *>(QStringLiteral("Combo5"))->setCurrentIndex(0);
        click("Command17");
        QTRY_VERIFY_WITH_TIMEOUT(messages.texts().contains(QStringLiteral("读取参数成功")), 5000);
        QCOMPARE(boxText(find("Text15")).trimmed(), QStringLiteral("仓库门已打开"));
        QCOMPARE(boxText(find("Text17")).trimmed(), QStringLiteral("仓库门已关闭"));
        QCOMPARE(boxText(find("Text20")), QStringLiteral("3"));
        QCOMPARE(boxText(find("Text16")), QStringLiteral("60"));
        QVERIFY(alarm->findChild<QRadioButton *>(QStringLiteral("Option13"))->isChecked());
        QVERIFY(alarm->findChild<QCheckBox *>(QStringLiteral("Check2"))->isChecked());
        click("Command26_0");
        QTRY_COMPARE_WITH_TIMEOUT(
            alarm->findChild<QComboBox *>(QStringLiteral("Combo9_0"))->currentText(),
            QStringLiteral("短信"), 5000);
        saveShot(alarm->parentWidget(), QStringLiteral("alarm-inputs"));

        // Relay Do0.
        messages.messages.clear();
        tabs->setCurrentIndex(pageOf(find("Command23")));
        alarm->findChild<QComboBox *>(QStringLiteral("Combo6"))->setCurrentIndex(0);
        click("Command23");
        QTRY_VERIFY_WITH_TIMEOUT(messages.texts().contains(QStringLiteral("读取参数成功")), 5000);
        QCOMPARE(boxText(find("Text12")).trimmed(), QStringLiteral("PUMP OFF"));
        QCOMPARE(boxText(find("Text8")).trimmed(), QStringLiteral("PUMP ON"));
        QCOMPARE(boxText(find("Text10")), QStringLiteral("10"));
        QVERIFY(alarm->findChild<QRadioButton *>(QStringLiteral("Option17"))->isChecked());
        QVERIFY(alarm->findChild<QCheckBox *>(QStringLiteral("Check6"))->isChecked());
        saveShot(alarm->parentWidget(), QStringLiteral("alarm-relays"));

        // The phone number table.
        tabs->setCurrentIndex(pageOf(find("Command12")));
        click("Command12");
        // Row 0 is the header row, column 0 the fixed column.
        auto *window = static_cast<frmZ41COM *>(alarm);
        QTRY_COMPARE_WITH_TIMEOUT(window->gridRows(), 4, 5000);
        QCOMPARE(window->gridCell(1, 2), QStringLiteral("13800138000"));
        QCOMPARE(window->gridCell(3, 2), QStringLiteral("15000001111"));
        QCOMPARE(window->gridCell(3, 1), QStringLiteral("3"));
        saveShot(alarm->parentWidget(), QStringLiteral("alarm-phones"));

        // The remaining pages as the read-all left them.
        const QStringList names{QStringLiteral("alarm-page0"), QStringLiteral("alarm-page1"),
                                QStringLiteral("alarm-page2")};
        for (int i = 0; i < 3 && i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            saveShot(alarm->parentWidget(), names[i]);
        }
        saveShot(main, QStringLiteral("main-with-alarm-window"));
        QVERIFY(find("Command8")->isEnabled());

        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Link().close();
        delete main;
    }
};

QTEST_MAIN(TestE2EScreens)
#include "tst_e2e_screens.moc"
