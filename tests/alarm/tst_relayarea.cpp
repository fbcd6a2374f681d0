// Relay area of the alarm window: the relay-record write built from the controls, the record
// read, the output test, the typing rules of its boxes, and the connect window instead of a
// frame when the port is closed.

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
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

class tst_RelayArea : public QObject, private AlarmWindowKit
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { StubConnectWindow(); }

    void init() { openArea(); }

    void cleanup() { closeArea(); }

    void writeFrame_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("mode");   // Option16 level / Option17 pulse
        QTest::addColumn<QString>("delays"); // Text10 and Text14, "high,low"
        QTest::addColumn<bool>("reply");
        QTest::addColumn<QString>("replyOption");
        QTest::addColumn<QString>("replyDelay");
        QTest::addColumn<QString>("lowText");
        QTest::addColumn<bool>("lowEnglish");
        QTest::addColumn<QString>("highText");
        QTest::addColumn<bool>("highEnglish");
        QTest::addColumn<bool>("hold");
        QTest::addColumn<QByteArray>("frame");

        QTest::newRow("design texts as UCS-2, header 6")
            << 0 << "Option16"
            << "0,0" << false << "Option18"
            << "" << QStringLiteral("设备关") << false << QStringLiteral("设备开") << false << false
            << frameOf(141, {{0, "1A2A3A4A5A6A7A8A B5 01 00 82 01 00 00 00 00 06 06"},
                             {19, "8BBE59075173"},
                             {79, "8BBE59075F00"}});
        QTest::newRow("pulse, reply DI1, 60 English, 30 Chinese, hold")
            << 6 << "Option17"
            << "5,7" << true << "Option20"
            << "250" << QString(60, 'B') << true << QString(30, QChar(0x4E2D)) << false << true
            << frameOf(141, {{0, "1A2A3A4A5A6A7A8A B5 01 06 E6 02 03 FA 05 07 BC 3C"},
                             {19, "42", 60},
                             {79, "4E2D", 30},
                             {139, "01"}});
        QTest::newRow("level mode sends no delays; reply with the result")
            << 2 << "Option16"
            << "9,9" << true << "Option19"
            << "12"
            << "OFF" << true << "ON" << true << false
            << frameOf(141, {{0, "1A2A3A4A5A6A7A8A B5 01 02 8B 01 01 0C 00 00 83 82"},
                             {19, "4F4646"},
                             {79, "4F4E"}});
    }
    void writeFrame()
    {
        QFETCH(int, channel);
        QFETCH(QString, mode);
        QFETCH(QString, delays);
        QFETCH(bool, reply);
        QFETCH(QString, replyOption);
        QFETCH(QString, replyDelay);
        QFETCH(QString, lowText);
        QFETCH(bool, lowEnglish);
        QFETCH(QString, highText);
        QFETCH(bool, highEnglish);
        QFETCH(bool, hold);
        QFETCH(QByteArray, frame);

        c<QComboBox>("Combo6")->setCurrentIndex(channel);
        select(mode);
        c<QLineEdit>("Text10")->setText(delays.section(',', 0, 0));
        c<QLineEdit>("Text14")->setText(delays.section(',', 1, 1));
        c<QCheckBox>("Check5")->setChecked(reply);
        select(replyOption);
        c<QLineEdit>("Text18")->setText(replyDelay);
        c<QLineEdit>("Text12")->setText(lowText);
        c<QLineEdit>("Text8")->setText(highText);
        select(lowEnglish ? "Option21" : "Option22");
        select(highEnglish ? "Option24" : "Option23");
        c<QCheckBox>("Check6")->setChecked(hold);
        DoWritePending = 0;

        c<QPushButton>("Command13")->click();
        QCOMPARE(backend->takeWritten(), frame);
        QCOMPARE(DoWritePending, 1);
        QVERIFY(messages->messages.isEmpty());
    }

    void textTooLong_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoding");
        QTest::newRow("61 English, low") << "Text12" << QString(61, 'x') << "Option21";
        QTest::newRow("61 English, high") << "Text8" << QString(61, 'x') << "Option24";
        QTest::newRow("31 Chinese, low") << "Text12" << QString(31, QChar(0x5173)) << "Option22";
        QTest::newRow("31 Chinese, high") << "Text8" << QString(31, QChar(0x5F00)) << "Option23";
    }
    void textTooLong()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, encoding);
        c<QLineEdit>(box)->setText(text);
        select(encoding);
        c<QPushButton>("Command13")->click();
        QCOMPARE(backend->takeWritten(), QByteArray());
        QCOMPARE(messages->texts(), QStringList{QStringLiteral("短信内容超出范围")});
        QCOMPARE(messages->messages.first().title, QStringLiteral("提示"));
        QCOMPARE(DoWritePending, 1);
    }

    void delayBoxes_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        for (const char *box : {"Text10", "Text14", "Text18"}) {
            QTest::addRow("%s 300", box) << box << "300"
                                         << "250";
            QTest::addRow("%s -5", box) << box << "-5"
                                        << "0";
            QTest::addRow("%s 250", box) << box << "250"
                                         << "250";
        }
    }
    void delayBoxes()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        c<QLineEdit>(box)->setText(typed);
        QCOMPARE(c<QLineEdit>(box)->text(), shown);
    }

    void outputModeClicks_data()
    {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("level clears the delays") << "Option16"
                                                 << "7,9"
                                                 << "0,0";
        QTest::newRow("pulse lifts zero delays to 1") << "Option17"
                                                      << "0,0"
                                                      << "1,1";
        QTest::newRow("pulse keeps set delays") << "Option17"
                                                << "4,0"
                                                << "4,1";
    }
    void outputModeClicks()
    {
        QFETCH(QString, clicked);
        QFETCH(QString, before);
        QFETCH(QString, after);
        select(clicked == QLatin1String("Option16") ? "Option17" : "Option16");
        c<QLineEdit>("Text10")->setText(before.section(',', 0, 0));
        c<QLineEdit>("Text14")->setText(before.section(',', 1, 1));
        c<QRadioButton>(clicked)->click();
        QCOMPARE(c<QLineEdit>("Text10")->text() + ',' + c<QLineEdit>("Text14")->text(), after);
    }

    void textsChooseTheirEncoding_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("chinese");
        QTest::addColumn<QString>("english");
        QTest::newRow("low-level command") << "Text12"
                                           << "Option22"
                                           << "Option21";
        QTest::newRow("high-level command") << "Text8"
                                            << "Option23"
                                            << "Option24";
    }
    void textsChooseTheirEncoding()
    {
        QFETCH(QString, box);
        QFETCH(QString, chinese);
        QFETCH(QString, english);
        c<QLineEdit>(box)->setText("ON");
        QVERIFY(c<QRadioButton>(english)->isChecked());
        c<QLineEdit>(box)->setText(QStringLiteral("ON 开"));
        QVERIFY(c<QRadioButton>(chinese)->isChecked());
    }

    void outputTest()
    {
        auto *button = c<QPushButton>("Command27_0");
        c<QComboBox>("Combo8")->setCurrentIndex(3);
        QCOMPARE(button->text(), QStringLiteral("闭合"));
        button->click();
        QCOMPARE(backend->takeWritten(), hex("1A2A3A4A5A6A7A8A 99 03 01"));
        QCOMPARE(button->text(), QStringLiteral("断开"));
        button->click();
        QCOMPARE(backend->takeWritten(), hex("1A2A3A4A5A6A7A8A 99 03 00"));
        QCOMPARE(button->text(), QStringLiteral("闭合"));

        // A typed channel that is no list entry sends nothing and keeps the caption.
        c<QComboBox>("Combo8")->setEditText("Do9 通道");
        button->click();
        QCOMPARE(backend->takeWritten(), QByteArray());
        QCOMPARE(button->text(), QStringLiteral("闭合"));
    }

    void readSettings()
    {
        c<QComboBox>("Combo6")->setCurrentIndex(7);
        DoWritePending = 1;
        select("Option17");
        select("Option20");
        select("Option21");
        select("Option24");
        c<QCheckBox>("Check5")->setChecked(true);
        c<QCheckBox>("Check6")->setChecked(true);
        for (const char *box : {"Text10", "Text14", "Text18"})
            c<QLineEdit>(box)->setText("5");
        c<QPushButton>("Command23")->click();
        QCOMPARE(backend->takeWritten(), hex("1A2A3A4A5A6A7A8A B5 02 07"));
        QCOMPARE(DoWritePending, 0);
        for (const char *box : {"Text8", "Text10", "Text12", "Text14", "Text18"})
            QCOMPARE(c<QLineEdit>(box)->text(), QString());
        QVERIFY(!c<QCheckBox>("Check5")->isChecked());
        QVERIFY(!c<QCheckBox>("Check6")->isChecked());
        for (const char *option : {"Option16", "Option19", "Option22", "Option23"})
            QVERIFY(c<QRadioButton>(option)->isChecked());
    }

    void closedPortShowsConnectWindow_data()
    {
        QTest::addColumn<QString>("button");
        for (const char *b : {"Command13", "Command23", "Command27_0"})
            QTest::newRow(b) << b;
    }
    void closedPortShowsConnectWindow()
    {
        QFETCH(QString, button);
        Link().close();
        DoWritePending = 7;
        c<QPushButton>(button)->click();
        QCOMPARE(backend->takeWritten(), QByteArray());
        QWidget *connect = Windows::find(QStringLiteral("frmZ40MOD"));
        QVERIFY(connect && connect->isVisible() && connect->isModal());
        QCOMPARE(DoWritePending, 7);
        QCOMPARE(c<QPushButton>("Command27_0")->text(), QStringLiteral("闭合"));
        QCOMPARE(c<QLineEdit>("Text8")->text(), QStringLiteral("设备开"));
    }
};

QTEST_MAIN(tst_RelayArea)
#include "tst_relayarea.moc"
