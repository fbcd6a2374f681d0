// The alarm window: the replies of the module as its controls show them, the read-all sequence
// and the busy handling around it, the tabs, the work-mode write, and the boxes that take only
// what a frame can carry.

#include "alarm/ui/frmZ41COM.h"
#include "core/SerialLink.h"
#include "support/AlarmTestKit.h"
#include "support/AlarmWindowKit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

// "a|b|c" as a list.
static QStringList L(const char *items)
{
    return QString::fromUtf8(items).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

class tst_frmZ41COM : public QObject, private AlarmWindowKit
{
    Q_OBJECT

    // Enabled state of the guarded buttons, one character each, in GuardedButtons order.
    QString states() const
    {
        QString s;
        for (const char *name : frmZ41COM::GuardedButtons)
            s += window->button(QLatin1String(name))->isEnabled() ? '1' : '0';
        return s;
    }

private Q_SLOTS:
    void initTestCase() { StubConnectWindow(); }
    void init() { openArea(); }
    void cleanup() { closeArea(); }

    void replies_data()
    {
        QTest::addColumn<QStringList>("before"); // controls set or clicked first
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("shownAfter");
        QTest::addColumn<QStringList>("boxes");
        auto row = [](const char *tag, const char *before, const QByteArray &reply,
                      const char *shownAfter, const char *boxes) {
            QTest::newRow(tag) << L(before) << reply << L(shownAfter) << L(boxes);
        };
        row("F8 passive", "", hex(P "F8 00 00"), "Label3=被动方式|Combo1=1", "");
        row("F8 active", "", hex(P "F8 00 01"), "Label3=主动方式|Combo1=0", "");
        row("F9 format", "", hex(P "F9 00 01"), "Label4=格式传输|Combo2=0", "");
        row("F9 transparent", "", hex(P "F9 00 00"), "Label4=透明传输|Combo2=1", "");
        row("FB mode 2", "", hex(P "FB 00 00"), "Label4=透明方式2|Combo2=2", "");
        row("A3 60 s", "", hex(P "A3 00 00 00 2E E0"), "Text4=60|Label12=60", "");
        row("D2 delays", "", hex(P "D2 00 00 01 00 02"),
            "Label22=0.4s   0.8s|Text11=400|Text13=800", "");
        row("AB model in the model row", "", hex(P "AB 00 20 01"), "Label13=201", "");
        row("EC version", "", hex(P "EC 00 20 20 56 33 2E 30 35 20 20 20 20"),
            "Label8=V3.05|Label7=9600bps", "");
        row("E1 settings", "", hex(P "E1 00 05 0A 03 01"),
            "Label15=5|Label16=10|Label17=3|Label18=十六进制|Combo4=1", "");
        row("D3 on", "", hex(P "D3 00 01"), "Label19=有省电|Option5=1", "");
        row("DB mode 2", "", hex(P "DB 00 01"), "Label30=模式2|Option8=1", "");
        row("A1 both", "", hex(P "A1 00 03"), "Label10=有密码|Check3=1|Check4=1", "");
        row("AC none shows 无", "", hex(P "AC 00 01 02 03 00 02 01 03 00"),
            "Combo9_0=0|Combo9_3/text=无|Combo9_7/text=无", "");
        row("F1 password", "", hex(P "F1 00 31 52 24 08"), "Label5=31:52:24:08:", "");
        row("E2 address", "", hex(P "E2 00 12 34"), "Label9=12:34:|Text3=12:34:", "");
        row("A2 receiver", "", hex(P "A2 00 01 38 00 13 80 AA"),
            "Label6=138001380AA|Text2=138001380AA", "");
        row("FD start-up done", "", hex(P "FD 01"), "", "模块初始化已经完成，您可以设置参数了");
        row("EC SETOK after the code", "", hex(P "EC 5345544F4B3A"), "", "设置成功");
        row("D9 read fills the grid", "Command12!",
            hex(P "D9 00 28 02 010123456789 013800138000") + QByteArray(108, '\0'),
            "Grid=10123456789,13800138000", "");
        row("D9 read, empty", "Command12!", hex(P "D9 00 00 00"), "Grid=", "号码表空");
        row("D9 read, checksum off by one", "Command12!",
            hex(P "D9 00 29 02 010123456789 013800138000") + QByteArray(108, '\0'),
            "Grid=", "号码表结构错误");
        row("state of DI3 at level 1", "Combo5=#3|Command25!", hex("3C 30"), "Text19=DI3 = 1", "");
        row("state of DI3 at level 0", "Combo5=#3|Command25!", hex("3C 31"), "Text19=DI3 = 0", "");
        row("B4 read fills the input area", "Combo5=#2|Command17!", hex(P "B4 00 04 0C 01 01 0A"),
            "Option10=1|Check1=1|Text16=100", "读取参数成功");
        row("B4 read, checksum off by one", "Combo5=#2|Command17!", hex(P "B4 00 04 0D 01 01 0A"),
            "Option10=0|Text16=", "读取参数失败");
        // A record without group sending clears a ticked box; relay 1 is the first list entry.
        row("B4 read, group 0 and relay 1", "Check1=1|Combo7=#5",
            hex(P "B4 00 BC 01") + QByteArray(186, '\0') + hex("01"), "Check1=0|Combo7=0",
            "读取参数成功");
    }
    void replies()
    {
        QFETCH(QStringList, before);
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, shownAfter);
        window->onTimer5();
        apply(before);
        messages->messages.clear();
        inject(reply);
        for (const QString &entry : shownAfter)
            QCOMPARE(entry.section('=', 0, 0) + '=' + shown(entry.section('=', 0, 0)), entry);
        QTEST(messages->texts(), "boxes");
    }

    // Panel 2 says what a write set and whether the module confirmed it, until the next action.
    void writeFeedback_data()
    {
        QTest::addColumn<QStringList>("controls");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArrayList>("replies");
        QTest::addColumn<QString>("line");
        QTest::newRow("restart time confirmed")
            << L("Text4=60") << "Command7" << QByteArrayList{hex(P "A3 00 00 00 2E E0")}
            << "模块状态：模块已确认 重起时间 60 秒";
        QTest::newRow("restart time unanswered")
            << L("Text4=60") << "Command7" << QByteArrayList{}
            << "模块状态：模块没有确认 重起时间 60 秒（3 秒内没有应答，请检查连接后重试）";
        QTest::newRow("model, never answered")
            << L("Option3=1") << "Command9" << QByteArrayList{}
            << "模块状态：已发送 模块型号 短信（模块对这条指令不作应答）";
        QTest::newRow("power saving off, confirmed")
            << L("Option6=1") << "Command14" << QByteArrayList{hex(P "D3 00 00")}
            << "模块状态：模块已确认 省电设置（不省电）";
    }
    void writeFeedback()
    {
        QFETCH(QStringList, controls);
        QFETCH(QString, button);
        QFETCH(QByteArrayList, replies);
        window->onTimer5();
        apply(controls);
        press(button);
        AlarmExchange &x = window->exchange();
        for (const QByteArray &reply : replies) {
            if (x.Timer3.isActive())
                x.powerSavingTick();
            inject(reply);
        }
        if (x.Timer3.isActive())
            x.powerSavingTick();
        QVERIFY(!x.Timer3.isActive());
        window->onConfirmTimer();
        QTEST(moduleLine, "line");
    }

    // A send the module reports as failed is shown in a message box, not only in panel 2, and
    // the state does not outlive the next action.
    void testFailureIsShown()
    {
        window->onTimer5();
        window->exchange().parser().setModuleForm(1, 1);
        window->tabs()->setCurrentIndex(frmZ41COM::TestPage);
        inject(hex("D7 FC"));
        QCOMPARE(moduleLine, QStringLiteral("模块状态：发送失败"));
        press("Command21_3");
        QCOMPARE(moduleLine, QString());
        QCOMPARE(messages->texts(),
                 QStringList{QStringLiteral("模块报告：发送失败。这条指令没有成功，请检查后重试")});
    }

    void parserTakesOverAtTimer5()
    {
        QVERIFY(!window->exchange().listening());
        QCOMPARE(window->exchange().link().receiver(), &window->exchange());
        inject(hex(P "F8 00 00"));
        QCOMPARE(shown("Label3"), QStringLiteral("* * * *"));
        window->onTimer5();
        QVERIFY(window->exchange().listening());
        inject(hex(P "F9 00 01"));
        QCOMPARE(shown("Label3"), QStringLiteral("被动方式"));
        QCOMPARE(shown("Label4"), QStringLiteral("格式传输"));
    }

    // The read-all disables the guarded buttons (a selected phone row keeps 移除号码 usable)
    // and gives them back when it ends; the order itself is the exchange's.
    void readAllBusy()
    {
        apply({"Text9=13800138000", "Command19!"});
        window->grid()->selectRow(0);
        window->onTimer5();
        window->refresh();
        QCOMPARE(states(), QStringLiteral("00000000001000"));
        window->exchange().readAllTick();
        QCOMPARE(backend->takeWritten(), hex(P "AB 03"));
        inject(hex(P "D3 00 00")); // power saving off ends the order
        window->exchange().readAllTick();
        QVERIFY(!window->exchange().readAllRunning());
        QCOMPARE(states(), QStringLiteral("11111111111111"));
    }

    void offlineStartSendsNothing()
    {
        closeArea();
        ModuleIdentity offline;
        offline.offlineStart = true;
        openArea(offline);
        window->onTimer5();
        window->onTimer6();
        QVERIFY(!window->exchange().readAllRunning());
        QVERIFY(backend->takeWritten().isEmpty());
        QCOMPARE(states(), QStringLiteral("00000000000000"));
    }

    // 刷新 with the device gone says why and leaves the buttons usable.
    void refreshWithoutDevice()
    {
        window->onTimer5();
        backend->setOpenResult(OpenResult::NoSuchPort);
        window->refresh();
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY(messages->texts().first().contains(QStringLiteral("本机没有这个串口")));
        QVERIFY(!window->exchange().link().isOpen() && !window->exchange().readAllRunning());
        QCOMPARE(states().left(10), QStringLiteral("1111111111")); // Command15 waits for a row
    }

    void tabs_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("frames");
        QTest::newRow("to the test page") << 0 << 1 << "短信模块通信测试" << false;
        QTest::newRow("test page to other") << 1 << 2 << "其他参数设置" << true;
        QTest::newRow("test page to phones") << 1 << 5 << "短信模块参数设置" << true;
        QTest::newRow("test page to parameters") << 1 << 0 << "短信模块参数设置" << true;
    }
    void tabs()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        window->tabs()->setCurrentIndex(from);
        window->tabs()->setCurrentIndex(to);
        QTEST(window->windowTitle(), "caption");
        QTEST(window->exchange().parser().frameMachine(), "frames");
    }

    void workModeWrite_data()
    {
        QTest::addColumn<int>("workForm");
        QTest::addColumn<int>("transfer");
        QTest::addColumn<int>("addressType");
        QTest::addColumn<QByteArrayList>("frames"); // one per tick, then the end
        QTest::newRow("passive, transparent 1, BCD")
            << 1 << 1 << 2
            << QByteArrayList{hex(P "F8 01 00"), hex(P "F9 01 00"), hex(P "FB 01 01"),
                              hex(P "E1 01 05 14 03 02")};
    }
    void workModeWrite()
    {
        QFETCH(int, workForm);
        QFETCH(int, transfer);
        QFETCH(int, addressType);
        QFETCH(QByteArrayList, frames);
        c<QComboBox>("Combo1")->setCurrentIndex(workForm);
        c<QComboBox>("Combo2")->setCurrentIndex(transfer);
        c<QComboBox>("Combo4")->setCurrentIndex(addressType);
        c<QScrollBar>("VS1")->setValue(-5);
        c<QScrollBar>("VS2")->setValue(-20);
        c<QScrollBar>("VS3")->setValue(-3);
        const QString before = states();
        press("Command5");
        QCOMPARE(states(), QStringLiteral("00000000000000"));
        for (const QByteArray &frame : frames) {
            window->exchange().workModeTick();
            QCOMPARE(backend->takeWritten(), frame);
        }
        window->exchange().workModeTick();
        QCOMPARE(backend->takeWritten(), QByteArray());
        QVERIFY(!window->exchange().Timer1.isActive());
        QCOMPARE(states(), before);
    }

    void workModeWaitsForAChoice()
    {
        press("Command5");
        window->exchange().workModeTick();
        QCOMPARE(backend->takeWritten(), QByteArray());
        QCOMPARE(messages->texts(), QStringList{QStringLiteral("你必须选择需要的工作方式")});
        QVERIFY(window->exchange().Timer1.isActive());
        c<QComboBox>("Combo1")->setCurrentIndex(1);
        window->exchange().workModeTick();
        QCOMPARE(backend->takeWritten(), hex(P "F8 01 00"));
        window->exchange().workModeTick();
        QCOMPARE(backend->takeWritten(), QByteArray());
        QCOMPARE(messages->messages.size(), 2);
    }

    void channelIsTheOneShown_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("input") << "Combo5"
                               << "Command17" << hex(P "B4 02 03");
        QTest::newRow("relay") << "Combo6"
                               << "Command23" << hex(P "B5 02 03");
    }
    void channelIsTheOneShown()
    {
        QFETCH(QString, box);
        QFETCH(QString, button);
        QVERIFY(!c<QComboBox>(box)->isEditable());
        c<QComboBox>(box)->setCurrentIndex(3);
        press(button);
        QTEST(backend->takeWritten(), "frame");
    }

    void pastedText_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("kept");
        auto row = [](const char *tag, const char *box, const char *pasted, const char *kept) {
            QTest::newRow(tag) << QString(box) << QString(pasted) << QString(kept);
        };
        row("phone number", "Text9", "1380013800g", "1380013800");
        row("password", "Text1", "31522408", "31:52:24:08:");
        row("password with junk", "Text1", "3x1-52", "31:52:");
        row("address", "Text3", "1a2b", "1A:2B:");
        row("test address", "Text22", "0f e0", "0F:E0:");
    }
    void pastedText()
    {
        QFETCH(QString, box);
        QFETCH(QString, pasted);
        auto *edit = c<QLineEdit>(box);
        edit->clear();
        QGuiApplication::clipboard()->setText(pasted);
        edit->paste();
        QTEST(edit->text(), "kept");
    }

    void addressControlsFollowTheMode_data()
    {
        QTest::addColumn<int>("entry"); // -2: as the window opens
        QTest::addColumn<bool>("usable");
        QTest::newRow("as opened") << -2 << false;
        QTest::newRow("format") << 0 << false;
        QTest::newRow("transparent 1") << 1 << false;
        QTest::newRow("transparent 2") << 2 << true;
    }
    void addressControlsFollowTheMode()
    {
        QFETCH(int, entry);
        QFETCH(bool, usable);
        if (entry != -2) {
            c<QComboBox>("Combo2")->setCurrentIndex(entry == 2 ? 0 : 2);
            c<QComboBox>("Combo2")->setCurrentIndex(entry);
        }
        for (const char *name : {"VS1", "VS2", "VS3", "Text5", "Text6", "Text7", "Combo4"})
            QCOMPARE(c<QWidget>(name)->isEnabled(), usable);
    }

    void phoneRowButtonsFollowTheSelection()
    {
        apply({"Text9=13800000001", "Command19!", "Text9=13800000002", "Command19!",
               "Text9=13800000003", "Command19!"});
        const QStringList rowButtons = {"Command15", "Command20", "Command22"};
        for (const QString &b : rowButtons)
            QVERIFY2(!c<QPushButton>(b)->isEnabled(), qPrintable(b));
        window->grid()->selectRow(1);
        for (const QString &b : rowButtons)
            QVERIFY2(c<QPushButton>(b)->isEnabled(), qPrintable(b));
        press("Command15");
        QCOMPARE(shown("Grid"), QStringLiteral("13800000001,13800000003"));
    }
};

QTEST_MAIN(tst_frmZ41COM)
#include "tst_frmz41com.moc"
