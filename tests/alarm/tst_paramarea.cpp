// Module-parameter area of the alarm window: the single-frame writes built from the boxes, the
// refusals of values a frame cannot carry, the colon fields typed into the hexadecimal boxes,
// and the message instead of a frame when the port is closed.

#include "alarm/ui/AlarmFeatures.h"
#include "alarm/ui/frmZ41COM.h"
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

class tst_ParamArea : public QObject, private AlarmWindowKit
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { StubConnectWindow(); }

    void init() { openArea(); }

    void cleanup() { closeArea(); }

    void passwordFlags_data()
    {
        QTest::addColumn<bool>("send");    // Check4 "发送"
        QTest::addColumn<bool>("receive"); // Check3 "接收"
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("both") << true << true << "Command1" << hex("1A2A3A4A5A6A7A8A A1 01 03");
        QTest::newRow("neither, needed chosen")
            << false << false << "Option1" << hex("1A2A3A4A5A6A7A8A A1 01 00");
        QTest::newRow("send only")
            << true << false << "Command1" << hex("1A2A3A4A5A6A7A8A A1 01 01");
        QTest::newRow("receive only, not needed clicked")
            << false << true << "Option2" << hex("1A2A3A4A5A6A7A8A A1 01 02");
    }
    void passwordFlags()
    {
        QFETCH(bool, send);
        QFETCH(bool, receive);
        QFETCH(QString, button);
        QFETCH(QByteArray, frame);
        c<QCheckBox>("Check4")->setChecked(send);
        c<QCheckBox>("Check3")->setChecked(receive);
        c<QAbstractButton>(button)->click();
        QCOMPARE(backend->takeWritten(), frame);
    }

    void boxFrames_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("design-time password")
            << "Text1"
            << "31:52:24:08:"
            << "Command2" << hex("1A2A3A4A5A6A7A8A F1 01 31 52 24 08");
        QTest::newRow("password, lower case, no last colon")
            << "Text1"
            << "ab:cd:ef:01"
            << "Command2" << hex("1A2A3A4A5A6A7A8A F1 01 AB CD EF 01");
        QTest::newRow("receiver, first digit 9")
            << "Text2"
            << "90123456789"
            << "Command3" << hex("1A2A3A4A5A6A7A8A A2 01 01 01 23 45 67 89");
        QTest::newRow("receiver, first digit 1")
            << "Text2"
            << "10123456789"
            << "Command3" << hex("1A2A3A4A5A6A7A8A A2 01 01 01 23 45 67 89");
        QTest::newRow("address 1A:2B") << "Text3"
                                       << "1A:2B"
                                       << "Command4" << hex("1A2A3A4A5A6A7A8A E2 01 1A 2B");
        QTest::newRow("address 0f:e0:") << "Text3"
                                        << "0f:e0:"
                                        << "Command4" << hex("1A2A3A4A5A6A7A8A E2 01 0F E0");
        QTest::newRow("restart 60 s") << "Text4"
                                      << "60"
                                      << "Command7" << hex("1A2A3A4A5A6A7A8A A3 01 00 00 2E E0");
        QTest::newRow("restart 0.004 s is one unit")
            << "Text4"
            << "0.004"
            << "Command7" << hex("1A2A3A4A5A6A7A8A A3 01 00 00 00 01");
        QTest::newRow("restart 0") << "Text4"
                                   << "0"
                                   << "Command7" << hex("1A2A3A4A5A6A7A8A A3 01 00 00 00 00");
        QTest::newRow("restart at the top")
            << "Text4"
            << "21474836.475"
            << "Command7" << hex("1A2A3A4A5A6A7A8A A3 01 FF FF FF FF");
    }
    void boxFrames()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, button);
        QFETCH(QByteArray, frame);
        c<QLineEdit>(box)->setText(text);
        c<QPushButton>(button)->click();
        QCOMPARE(backend->takeWritten(), frame);
        QVERIFY(messages->messages.isEmpty());
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message");
        const QString password =
            QStringLiteral("密码必须是 4 组两位十六进制数（0-9、A-F），例如 31:52:24:08:");
        const QString receiver = QStringLiteral("接收号码必须是 11 位号码（0-9，也可用 A-F）");
        const QString address =
            QStringLiteral("模块地址必须是 2 组两位十六进制数（0-9、A-F），例如 1A:2B");
        const QString restart = QStringLiteral("重起时间必须是 0 到 21474836 秒之间的数");
        QTest::newRow("empty password") << "Text1"
                                        << ""
                                        << "Command2" << password;
        QTest::newRow("password of three fields") << "Text1"
                                                  << "31:52:24:"
                                                  << "Command2" << password;
        QTest::newRow("password with G") << "Text1"
                                         << "31:5G:24:08:"
                                         << "Command2" << password;
        QTest::newRow("password of five fields") << "Text1"
                                                 << "31:52:24:08:11:"
                                                 << "Command2" << password;
        QTest::newRow("password without colons") << "Text1"
                                                 << "31522408xxx"
                                                 << "Command2" << password;
        QTest::newRow("design-time receiver") << "Text2"
                                              << "***********"
                                              << "Command3" << receiver;
        QTest::newRow("receiver of 10 digits") << "Text2"
                                               << "1380013800"
                                               << "Command3" << receiver;
        QTest::newRow("receiver of 12 digits") << "Text2"
                                               << "138001380001"
                                               << "Command3" << receiver;
        QTest::newRow("design-time address") << "Text3"
                                             << "**:**"
                                             << "Command4" << address;
        QTest::newRow("address of one field") << "Text3"
                                              << "1A:"
                                              << "Command4" << address;
        QTest::newRow("negative restart time") << "Text4"
                                               << "-1"
                                               << "Command7" << restart;
        QTest::newRow("restart time of 2^32 units") << "Text4"
                                                    << "21474836.48"
                                                    << "Command7" << restart;
    }
    void refusals()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, button);
        QFETCH(QString, message);
        c<QLineEdit>(box)->setText(text);
        c<QPushButton>(button)->click();
        QCOMPARE(backend->takeWritten(), QByteArray());
        QCOMPARE(messages->texts(), QStringList{message});
        QCOMPARE(messages->messages.first().title, QStringLiteral("提示"));
    }

    void moduleModel_data()
    {
        QTest::addColumn<QString>("option"); // empty: neither chosen
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("SMS model") << "Option3" << hex("1A2A3A4A5A6A7A8A D1 01 02");
        QTest::newRow("GPRS model") << "Option4" << hex("1A2A3A4A5A6A7A8A D1 01 01");
        QTest::newRow("neither") << "" << QByteArray();
    }
    void moduleModel()
    {
        QFETCH(QString, option);
        QFETCH(QByteArray, frame);
        clearGroup("Option3");
        if (!option.isEmpty())
            c<QRadioButton>(option)->setChecked(true);
        c<QPushButton>("Command9")->click();
        QCOMPARE(backend->takeWritten(), frame);
    }

    void parameterClear()
    {
        c<QPushButton>("Command18")->click();
        QCOMPARE(backend->takeWritten(), hex("1A2A3A4A5A6A7A8A D5 01"));
    }

    void colonFields_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("password digits") << "Text1"
                                         << "31522408"
                                         << "31:52:24:08:";
        QTest::newRow("address, lower case") << "Text3"
                                             << "1a2b"
                                             << "1A:2B:";
        QTest::newRow("rejected keys insert nothing") << "Text3"
                                                      << "1xg-A"
                                                      << "1A:";
        QTest::newRow("typed colons are dropped") << "Text1"
                                                  << "3:1:5"
                                                  << "31:5";
    }
    void colonFields()
    {
        QFETCH(QString, box);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        auto *edit = c<QLineEdit>(box);
        edit->clear();
        QTest::keyClicks(edit, keys);
        QCOMPARE(edit->text(), shown);
    }

    void backspaceActsNormally()
    {
        auto *edit = c<QLineEdit>("Text1");
        edit->clear();
        QTest::keyClicks(edit, "31");
        QCOMPARE(edit->text(), QStringLiteral("31:"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("31"));
        // The next key, even a rejected one, puts the colon back.
        QTest::keyClick(edit, Qt::Key_X);
        QCOMPARE(edit->text(), QStringLiteral("31:"));
    }

    void workFormEnablesAddress_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("active") << 0 << false;
        QTest::newRow("passive") << 1 << true;
    }
    void workFormEnablesAddress()
    {
        QFETCH(int, entry);
        QFETCH(bool, enabled);
        c<QComboBox>("Combo1")->setCurrentIndex(1 - entry);
        c<QComboBox>("Combo1")->setCurrentIndex(entry);
        QCOMPARE(c<QLineEdit>("Text3")->isEnabled(), enabled);
    }

    void closedPort_data()
    {
        QTest::addColumn<QString>("button");
        for (const char *b : {"Command1", "Option1", "Option2", "Command2", "Command3", "Command4",
                              "Command7", "Command9", "Command18"})
            QTest::newRow(b) << b;
    }
    void closedPort()
    {
        QFETCH(QString, button);
        c<QLineEdit>("Text2")->setText("13800138000");
        c<QLineEdit>("Text3")->setText("1A:2B");
        c<QLineEdit>("Text4")->setText("60");
        c<QRadioButton>("Option3")->setChecked(true);
        Link().close();
        c<QAbstractButton>(button)->click();
        QCOMPARE(backend->takeWritten(), QByteArray());
        QCOMPARE(messages->texts(),
                 QStringList{QStringLiteral("串口没有打开，参数无法发送。请先连接模块：在连接窗口"
                                            "中选择串口和波特率，再点击“连接”。")});
    }
};

QTEST_MAIN(tst_ParamArea)
#include "tst_paramarea.moc"
