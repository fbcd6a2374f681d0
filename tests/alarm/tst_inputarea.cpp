// Input-alarm area of the alarm window: the input-record write built from the controls, the
// record read, the state read, the delivery modes, the typing rules of its boxes, and the
// connect window instead of a frame when the port is closed.

#include "alarm/ui/AlarmFeatures.h"
#include "alarm/ui/frmZ41COM.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "core/ui/WindowRegistry.h"
#include "support/AlarmTestKit.h"
#include "support/AlarmWindowKit.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {
const QString Low = QStringLiteral("设备已关闭\r\n");
const QString High = QStringLiteral("设备已开启\r\n");
} // namespace

class tst_InputArea : public QObject, private AlarmWindowKit
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { StubConnectWindow(); }

    void init() { openArea(2); } // a second AttachAlarmFeatures() adds nothing

    void cleanup() { closeArea(); }

    void writeFrame_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("trigger"); // option to select, empty: none
        QTest::addColumn<bool>("table");
        QTest::addColumn<bool>("noAdmin");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("lowText");
        QTest::addColumn<bool>("lowEnglish");
        QTest::addColumn<QString>("highText");
        QTest::addColumn<bool>("highEnglish");
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("relay"); // entry of Combo7, -1 none
        QTest::addColumn<QByteArray>("frame");

        QTest::newRow("design texts as UCS-2, header 14")
            << 0 << "Option9" << true << false << "15" << Low << false << High << false << "3" << 2
            << frameOf(199, {{0, "1A2A3A4A5A6A7A8A B4 01 00 6C 02 01 01 0E 0E"},
                             {17, "8BBE59075DF2517395ED000D000A"},
                             {107, "8BBE59075DF25F00542F000D000A"},
                             {197, "03 03"}});
        QTest::newRow("90 English characters, header DA; empty text header 0")
            << 7 << "Option13" << true << true << "2550"
            << "" << false << QString(90, QLatin1Char('A')) << true << "255" << -1
            << frameOf(199, {{0, "1A2A3A4A5A6A7A8A B4 01 07 B7 03 02 FF 00 DA"},
                             {107, "41", 90},
                             {197, "FF 00"}});
        QTest::newRow("no trigger, 45 Chinese characters, header 90, count rounded")
            << 3 << "" << false << true << "9" << QString(45, QChar(0x4E2D)) << false << "" << false
            << "2.6" << 7
            << frameOf(199, {{0, "1A2A3A4A5A6A7A8A B4 01 03 04 00 00 00 5A 00"},
                             {17, "4E2D", 45},
                             {197, "03 08"}});
    }
    void writeFrame()
    {
        QFETCH(int, channel);
        QFETCH(QString, trigger);
        QFETCH(bool, table);
        QFETCH(bool, noAdmin);
        QFETCH(QString, interval);
        QFETCH(QString, lowText);
        QFETCH(bool, lowEnglish);
        QFETCH(QString, highText);
        QFETCH(bool, highEnglish);
        QFETCH(QString, count);
        QFETCH(int, relay);
        QFETCH(QByteArray, frame);

        c<QComboBox>("Combo5")->setCurrentIndex(channel);
        if (trigger.isEmpty())
            clearGroup("Option9");
        else
            select(trigger.toLatin1().constData());
        c<QCheckBox>("Check1")->setChecked(table);
        c<QCheckBox>("Check2")->setChecked(noAdmin);
        c<QLineEdit>("Text16")->setText(interval);
        AlarmUi::SetBoxText(c<QPlainTextEdit>("Text15"), lowText);
        AlarmUi::SetBoxText(c<QPlainTextEdit>("Text17"), highText);
        select(lowEnglish ? "Option12" : "Option11");
        select(highEnglish ? "Option14" : "Option15");
        c<QLineEdit>("Text20")->setText(count);
        c<QComboBox>("Combo7")->setCurrentIndex(relay);
        DiWritePending = 0;

        c<QPushButton>("Command16")->click();
        QCOMPARE(backend->takeWritten(), frame);
        QCOMPARE(DiWritePending, 1);
        QVERIFY(messages->messages.isEmpty());
    }

    void designTextsGoOutUnchanged()
    {
        // The window as it opens: both texts with their CR LF, in Chinese.
        c<QLineEdit>("Text20")->setText("1");
        c<QPushButton>("Command16")->click();
        const QByteArray frame = backend->takeWritten();
        QCOMPARE(frame.mid(15, 2), hex("0E 0E"));
        QCOMPARE(frame.mid(17, 14), hex("8BBE59075DF2517395ED000D000A"));
        QCOMPARE(frame.mid(107, 14), hex("8BBE59075DF25F00542F000D000A"));
    }

    void refusedWrite_data()
    {
        QTest::addColumn<QString>("lowText");
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("message");
        const QString tooLong = QStringLiteral("短信内容超出范围");
        const QString badCount = QStringLiteral("报警次数必须是 0 到 255 之间的整数");
        QTest::newRow("91 English characters") << QString(91, 'x') << true << "1" << tooLong;
        QTest::newRow("46 Chinese characters")
            << QString(46, QChar(0x4E2D)) << false << "1" << tooLong;
        QTest::newRow("count 256") << "ok" << true << "256" << badCount;
        QTest::newRow("count -1") << "ok" << true << "-1" << badCount;
        QTest::newRow("count 255.5 rounds to 256") << "ok" << true << "255.5" << badCount;
    }
    void refusedWrite()
    {
        QFETCH(QString, lowText);
        QFETCH(bool, english);
        QFETCH(QString, count);
        QFETCH(QString, message);
        AlarmUi::SetBoxText(c<QPlainTextEdit>("Text15"), lowText);
        select(english ? "Option12" : "Option11");
        c<QLineEdit>("Text20")->setText(count);
        c<QPushButton>("Command16")->click();
        QCOMPARE(backend->takeWritten(), QByteArray());
        QCOMPARE(messages->texts(), QStringList{message});
        QCOMPARE(messages->messages.first().title, QStringLiteral("提示"));
        QCOMPARE(DiWritePending, 1); // set before the write was refused
    }

    void intervalBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("sent");
        QTest::newRow("2551 becomes 2550") << "2551"
                                           << "2550" << 0xFF;
        QTest::newRow("negative becomes 0") << "-5"
                                            << "0" << 0;
        QTest::newRow("9 is below one unit") << "9"
                                             << "9" << 0;
        QTest::newRow("15") << "15"
                            << "15" << 1;
    }
    void intervalBox()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, sent);
        c<QLineEdit>("Text16")->setText(typed);
        QCOMPARE(c<QLineEdit>("Text16")->text(), shown);
        c<QPushButton>("Command16")->click();
        QCOMPARE(int(quint8(backend->takeWritten().at(14))), sent);
    }

    void optionClicksResetInterval_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("interval");
        QTest::newRow("level change") << "Option9"
                                      << "Option13"
                                      << "0";
        QTest::newRow("Chinese low text under level change") << "Option13"
                                                             << "Option11"
                                                             << "0";
        QTest::newRow("English low text under level change") << "Option13"
                                                             << "Option12"
                                                             << "0";
        QTest::newRow("encoding under high level keeps it") << "Option9"
                                                            << "Option12"
                                                            << "120";
        QTest::newRow("encoding under low level keeps it") << "Option10"
                                                           << "Option11"
                                                           << "120";
    }
    void optionClicksResetInterval()
    {
        QFETCH(QString, trigger);
        QFETCH(QString, clicked);
        QFETCH(QString, interval);
        select(trigger.toLatin1().constData());
        c<QLineEdit>("Text16")->setText("120");
        c<QRadioButton>(clicked.toLatin1().constData())->click();
        QCOMPARE(c<QLineEdit>("Text16")->text(), interval);
    }

    void textsChooseTheirEncoding_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("chinese");
        QTest::addColumn<QString>("english");
        QTest::newRow("low-level text") << "Text15"
                                        << "Option11"
                                        << "Option12";
        QTest::newRow("high-level text") << "Text17"
                                         << "Option15"
                                         << "Option14";
    }
    void textsChooseTheirEncoding()
    {
        QFETCH(QString, box);
        QFETCH(QString, chinese);
        QFETCH(QString, english);
        auto *edit = c<QPlainTextEdit>(box.toLatin1().constData());
        edit->setPlainText("Door open");
        QVERIFY(c<QRadioButton>(english.toLatin1().constData())->isChecked());
        edit->setPlainText(QStringLiteral("Door 开"));
        QVERIFY(c<QRadioButton>(chinese.toLatin1().constData())->isChecked());
        // Deleting it back to ASCII turns it English again.
        edit->setPlainText("Door ");
        QVERIFY(c<QRadioButton>(english.toLatin1().constData())->isChecked());
    }

    void relayListTakesNoTyping()
    {
        auto *combo = c<QComboBox>("Combo7");
        combo->setCurrentIndex(4);
        QTest::keyClick(combo, Qt::Key_3);
        QTest::keyClick(combo, Qt::Key_J);
        QCOMPARE(combo->currentText(), QStringLiteral("继电器4"));
    }

    void readSettings()
    {
        c<QComboBox>("Combo5")->setCurrentIndex(5);
        DiWritePending = 1;
        select("Option13");
        select("Option12");
        select("Option14");
        c<QCheckBox>("Check1")->setChecked(true);
        c<QCheckBox>("Check2")->setChecked(true);
        c<QCheckBox>("Check7")->setChecked(true);
        c<QLineEdit>("Text16")->setText("30");
        c<QPushButton>("Command17")->click();
        QCOMPARE(backend->takeWritten(), hex("1A2A3A4A5A6A7A8A B4 02 05"));
        QCOMPARE(DiWritePending, 0);
        for (const char *box : {"Text15", "Text17"})
            QCOMPARE(c<QPlainTextEdit>(box)->toPlainText(), QString());
        QCOMPARE(c<QLineEdit>("Text16")->text(), QString());
        for (const char *check : {"Check1", "Check2", "Check7"})
            QVERIFY(!c<QCheckBox>(check)->isChecked());
        for (const char *option : {"Option9", "Option11", "Option15"})
            QVERIFY(c<QRadioButton>(option)->isChecked());
    }

    void readState_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("DI0") << 0 << hex("1A2A3A4A5A6A7A8A 98 00");
        QTest::newRow("DI6") << 6 << hex("1A2A3A4A5A6A7A8A 98 06");
        QTest::newRow("no channel") << -1 << QByteArray();
    }
    void readState()
    {
        QFETCH(int, channel);
        QFETCH(QByteArray, frame);
        c<QComboBox>("Combo5")->setCurrentIndex(channel);
        c<QLineEdit>("Text19")->setText("DI0 = 1");
        c<QPushButton>("Command25")->click();
        QCOMPARE(backend->takeWritten(), frame);
        if (frame.isEmpty()) {
            QCOMPARE(messages->texts(), QStringList{QStringLiteral("请指定要读取的DI通道0-7")});
            QCOMPARE(LastQueryCode, qint16(0));
        } else {
            QCOMPARE(LastQueryCode, qint16(0x98));
            QCOMPARE(c<QLineEdit>("Text19")->text(), QString());
        }
    }

    void deliveryModes()
    {
        c<QPushButton>("Command26_0")->click();
        QCOMPARE(backend->takeWritten(), hex("1A2A3A4A5A6A7A8A AC 03"));
        for (int i = 0; i < 8; ++i)
            QCOMPARE(
                window->findChild<QComboBox *>(QStringLiteral("Combo9_%1").arg(i))->currentText(),
                QString());

        const char *texts[8] = {"电话", "短信", "电话+短信", "无", "电话", "", "短信", "电话+短信"};
        for (int i = 0; i < 8; ++i)
            window->findChild<QComboBox *>(QStringLiteral("Combo9_%1").arg(i))
                ->setEditText(QString::fromUtf8(texts[i]));
        c<QPushButton>("Command26_1")->click();
        QCOMPARE(backend->takeWritten(), hex("1A2A3A4A5A6A7A8A AC 01 01 02 03 00 01 00 02 03"));
        QCOMPARE(messages->texts(), QStringList{QStringLiteral("指令发送成功")});
        QCOMPARE(messages->messages.first().title, QStringLiteral("提示"));
        QCOMPARE(messages->messages.first().icon, MsgIcon::None);
    }

    void closedPortShowsConnectWindow_data()
    {
        QTest::addColumn<QString>("button");
        for (const char *b : {"Command16", "Command17", "Command25", "Command26_0", "Command26_1"})
            QTest::newRow(b) << b;
    }
    void closedPortShowsConnectWindow()
    {
        QFETCH(QString, button);
        Link().close();
        DiWritePending = 7;
        c<QLineEdit>("Text16")->setText("40");
        c<QPushButton>(button.toLatin1().constData())->click();
        QCOMPARE(backend->takeWritten(), QByteArray());
        QWidget *connect = Windows::find(QStringLiteral("frmZ40MOD"));
        QVERIFY(connect && connect->isVisible() && connect->isModal());
        QCOMPARE(DiWritePending, 7);
        QCOMPARE(LastQueryCode, qint16(0));
        QCOMPARE(c<QLineEdit>("Text16")->text(), QStringLiteral("40"));
        QVERIFY(messages->messages.isEmpty());
    }
};

QTEST_MAIN(tst_InputArea)
#include "tst_inputarea.moc"
