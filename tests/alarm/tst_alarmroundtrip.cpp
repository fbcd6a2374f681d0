// Write, then read back, through the virtual alarm module: what the areas write, the module
// keeps, and its read replies show the same record, table or value in the window.

#include "alarm/AlarmParser.h"
#include "alarm/ui/AlarmFeatures.h"
#include "alarm/ui/frmZ41COM.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "core/ui/WindowRegistry.h"
#include "sim/AlarmModuleSim.h"
#include "sim/SimAttach.h"
#include "support/AlarmWindowKit.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>

class tst_AlarmRoundTrip : public QObject, private AlarmWindowKit
{
    Q_OBJECT

    AlarmModuleSim *sim = nullptr;

    // "name=value" for each control: the text of boxes and labels, 1/0 for check and option
    // buttons.
    QStringList snapshot(const QStringList &names)
    {
        QStringList list;
        for (const QString &name : names) {
            auto *button = window->findChild<QAbstractButton *>(name);
            const bool state = name.startsWith("Check") || name.startsWith("Option");
            list << name + '=' +
                        (state ? QString::number(button && button->isChecked())
                               : window->text(name));
        }
        return list;
    }
    // The module has answered and the parser has finished with the answer.
    bool settled()
    {
        return sim->pendingPieces() == 0 && Link().bytesWaiting() == 0 && RxStep == 0 &&
               !AlarmParserSettling();
    }

private Q_SLOTS:
    void init()
    {
        backend = ResetWorld(true);
        sim = new AlarmModuleSim;
        AttachAlarmSim(backend, sim);
        openWindow();
        RegisterAlarmParser();
        SetAlarmView(window);
        ProtocolId = ProtocolAlarm;
        ParamTabActive = true;
        RxStep = 0;
        Link().setThreshold(1);
    }

    void cleanup()
    {
        SetAlarmView(nullptr);
        ResetAlarmParser();
        DetachAlarmSim(backend, sim);
        closeWindow();
        delete sim;
    }

    void inputRecord_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<bool>("table");
        QTest::addColumn<bool>("noAdmin");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("high");
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("relay");
        QTest::newRow("high level, English low text, Chinese high text")
            << 2 << "Option9" << true << false << "120"
            << "Door closed" << QStringLiteral("门已打开") << "5" << 3;
        QTest::newRow("level change with interval, design texts, no relay")
            << 7 << "Option13" << true << true << "30" << QStringLiteral("设备已关闭\r\n")
            << QStringLiteral("设备已开启\r\n") << "255" << -1;
        QTest::newRow("low level, longest texts")
            << 0 << "Option10" << false << false << "2550" << QString(90, 'L')
            << QString(45, QChar(0x95ED)) << "0" << 7;
    }
    void inputRecord()
    {
        QFETCH(int, channel);
        QFETCH(QString, trigger);
        QFETCH(bool, table);
        QFETCH(bool, noAdmin);
        QFETCH(QString, interval);
        QFETCH(QString, low);
        QFETCH(QString, high);
        QFETCH(QString, count);
        QFETCH(int, relay);
        c<QComboBox>("Combo5")->setCurrentIndex(channel);
        c<QRadioButton>(trigger)->setChecked(true);
        c<QCheckBox>("Check1")->setChecked(table);
        c<QCheckBox>("Check2")->setChecked(noAdmin);
        c<QLineEdit>("Text16")->setText(interval);
        window->setText("Text15", low);
        window->setText("Text17", high);
        c<QLineEdit>("Text20")->setText(count);
        c<QComboBox>("Combo7")->setCurrentIndex(relay);
        const QStringList names = {"Option9",  "Option10", "Option13", "Check1",   "Check2",
                                   "Text16",   "Text15",   "Option11", "Option12", "Text17",
                                   "Option14", "Option15", "Text20",   "Combo7"};
        const QStringList written = snapshot(names);

        press("Command16");
        QTRY_COMPARE(messages->texts(), QStringList{QStringLiteral("设置成功")});
        QTRY_VERIFY(settled());
        QCOMPARE(sim->state().inputRecords[size_t(channel)].size(), 187);

        // Other values in the boxes the read does not empty itself.
        c<QRadioButton>(trigger == "Option10" ? "Option9" : "Option10")->setChecked(true);
        c<QLineEdit>("Text20")->setText("77");
        c<QComboBox>("Combo7")->setCurrentIndex(relay == 0 ? 1 : 0);
        messages->messages.clear();
        press("Command17");
        QTRY_COMPARE(messages->texts(), QStringList{QStringLiteral("读取参数成功")});
        QCOMPARE(snapshot(names), written);
    }

    void relayRecord_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("pulse");
        QTest::addColumn<bool>("reply");
        QTest::addColumn<QString>("replyOption");
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("high");
        QTest::addColumn<bool>("hold");
        QTest::newRow("pulse, reply with DI0, mixed texts, hold")
            << 4 << true << true << "Option18"
            << "RELAY OFF" << QStringLiteral("继电器开") << true;
        QTest::newRow("level, no reply, design texts")
            << 0 << false << false << "Option19" << QStringLiteral("设备关")
            << QStringLiteral("设备开") << false;
        QTest::newRow("level, reply with DI1, longest texts")
            << 7 << false << true << "Option20" << QString(30, QChar(0x5173)) << QString(60, 'H')
            << false;
    }
    void relayRecord()
    {
        QFETCH(int, channel);
        QFETCH(bool, pulse);
        QFETCH(bool, reply);
        QFETCH(QString, replyOption);
        QFETCH(QString, low);
        QFETCH(QString, high);
        QFETCH(bool, hold);
        c<QComboBox>("Combo6")->setCurrentIndex(channel);
        press(pulse ? "Option17" : "Option16");
        if (pulse) {
            c<QLineEdit>("Text10")->setText("12");
            c<QLineEdit>("Text14")->setText("250");
        }
        c<QCheckBox>("Check5")->setChecked(reply);
        c<QRadioButton>(replyOption)->setChecked(true);
        c<QLineEdit>("Text18")->setText("45");
        c<QLineEdit>("Text12")->setText(low);
        c<QLineEdit>("Text8")->setText(high);
        c<QCheckBox>("Check6")->setChecked(hold);
        const QStringList names = {"Option16", "Option17", "Text10",   "Text14",
                                   "Check5",   "Option18", "Option19", "Option20",
                                   "Text18",   "Text12",   "Option21", "Option22",
                                   "Text8",    "Option23", "Option24", "Check6"};
        const QStringList written = snapshot(names);

        press("Command13");
        QTRY_COMPARE(messages->texts(), QStringList{QStringLiteral("设置成功")});
        QTRY_VERIFY(settled());
        messages->messages.clear();
        press("Command23");
        QTRY_COMPARE(messages->texts(), QStringList{QStringLiteral("读取参数成功")});
        QCOMPARE(snapshot(names), written);
    }

    void phoneTable()
    {
        auto *grid = c<QTableWidget>("Grid");
        const QStringList numbers = {"13800138000", "15A0B0C0D0E", "18900000009"};
        for (const QString &n : numbers) {
            c<QLineEdit>("Text9")->setText(n);
            press("Command19");
        }
        press("Command11");
        QTRY_COMPARE(messages->texts(), QStringList{QStringLiteral("电话号码表设置成功")});
        QTRY_VERIFY(settled());
        QCOMPARE(sim->state().phoneTable.size(), 3);

        messages->messages.clear();
        press("Command12");
        QCOMPARE(grid->rowCount(), 0);
        QTRY_COMPARE(grid->rowCount(), 3);
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(grid->item(r, 0)->text(), QString::number(r + 1));
            QCOMPARE(grid->item(r, 1)->text(), numbers.at(r));
        }

        press("Command24");
        QTRY_COMPARE(messages->texts().last(), QStringLiteral("清空号码表成功"));
        QCOMPARE(grid->rowCount(), 0);
        QTRY_VERIFY(settled());
        press("Command12");
        QTRY_COMPARE(messages->texts().last(), QStringLiteral("号码表空"));
    }

    void parameters_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("readStep");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("password") << "Text1"
                                  << "1A:2B:3C:4D:"
                                  << "Command2" << 3 << QStringList{"Label5=1A:2B:3C:4D:"};
        QTest::newRow("receiver number")
            << "Text2"
            << "13912345678"
            << "Command3" << 8 << QStringList{"Label6=13912345678", "Text2=13912345678"};
        QTest::newRow("passive address")
            << "Text3"
            << "5A:A5"
            << "Command4" << 5 << QStringList{"Label9=5A:A5:", "Text3=5A:A5:"};
        QTest::newRow("restart time")
            << "Text4"
            << "90.5"
            << "Command7" << 1 << QStringList{"Label12=90.5", "Text4=90.5"};
        QTest::newRow("password for sending only")
            << "Check4"
            << "1"
            << "Command1" << 2
            << QStringList{"Label10=有密码", "Option1=1", "Check4=1", "Check3=0"};
        QTest::newRow("password for receiving only")
            << "Check3"
            << "1"
            << "Command1" << 2
            << QStringList{"Label10=有密码", "Option1=1", "Check4=0", "Check3=1"};
        QTest::newRow("no password")
            << ""
            << ""
            << "Option2" << 2 << QStringList{"Label10=无密码", "Option2=1"};
    }
    void parameters()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, button);
        QFETCH(int, readStep);
        QFETCH(QStringList, shown);
        c<QCheckBox>("Check3")->setChecked(false);
        c<QCheckBox>("Check4")->setChecked(false);
        if (box.startsWith("Check"))
            c<QCheckBox>(box)->setChecked(true);
        else if (!box.isEmpty())
            c<QLineEdit>(box)->setText(text);
        press(button);
        QTRY_VERIFY(!sim->requests().isEmpty());
        QTRY_VERIFY(settled());
        QVERIFY(messages->messages.isEmpty());

        // Forget what was shown, then let the read-all sender ask for this value.
        window->refresh();
        window->Timer2.stop();
        for (const char *name : {"Text1", "Text2", "Text3", "Text4"})
            c<QLineEdit>(name)->clear();
        c<QCheckBox>(shown.contains("Check3=1") ? "Check4" : "Check3")->setChecked(true);
        c<QRadioButton>("Option3")->setChecked(true);
        ReadAllStep = qint16(readStep);
        window->onTimer2();
        window->Timer2.stop();
        for (const QString &pair : shown) {
            const QString name = pair.section('=', 0, 0);
            QTRY_COMPARE(snapshot({name}).first(), pair);
        }
    }

    void deliveryModes()
    {
        const QStringList modes = {"电话", "短信", "电话+短信", "电话",
                                   "短信", "短信", "电话",      "电话+短信"};
        for (int i = 0; i < 8; ++i)
            c<QComboBox>(QStringLiteral("Combo9_%1").arg(i))->setCurrentText(modes.at(i));
        press("Command26_1");
        QTRY_VERIFY(settled());
        press("Command26_0");
        for (int i = 0; i < 8; ++i)
            QTRY_COMPARE(c<QComboBox>(QStringLiteral("Combo9_%1").arg(i))->currentText(),
                         modes.at(i));
    }

    void moduleKeepsWhatHasNoReadBack()
    {
        c<QRadioButton>("Option4")->setChecked(true);
        press("Command9");
        QTRY_COMPARE(int(sim->state().netMode), 1);
        c<QRadioButton>("Option3")->setChecked(true);
        press("Command9");
        QTRY_COMPARE(int(sim->state().netMode), 2);
        press("Command18");
        QTRY_COMPARE(sim->state().parameterClears, 1);
        c<QComboBox>("Combo8")->setCurrentIndex(5);
        press("Command27_0");
        QTRY_COMPARE(int(sim->state().relayStates[5]), 1);
        press("Command27_0");
        QTRY_COMPARE(int(sim->state().relayStates[5]), 0);
    }

    void inputState()
    {
        sim->state().inputLevels[3] = 1;
        c<QComboBox>("Combo5")->setCurrentIndex(3);
        press("Command25");
        QTRY_COMPARE(c<QLineEdit>("Text19")->text(), QStringLiteral("DI3 = 1"));
    }
};

QTEST_MAIN(tst_AlarmRoundTrip)
#include "tst_alarmroundtrip.moc"
