// The feature areas of the alarm window (input alarms, relay outputs, phone table, module
// parameters): the frames their controls give, the values they refuse, what they do to their
// own controls, and the connect window instead of a frame when the port is closed.

#include "alarm/ui/frmZ41COM.h"
#include "support/AlarmTestKit.h"
#include "support/AlarmWindowKit.h"

#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

// "a|b|c" as a list.
static QStringList L(const char *items)
{
    return QString::fromUtf8(items).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

namespace {

QString times(int n, const char *text)
{
    return QString::fromUtf8(text).repeated(n);
}

// "Text9=number", "Command19!" for each number: the numbers added to the phone grid.
QStringList added(const QStringList &numbers)
{
    QStringList entries;
    for (const QString &n : numbers)
        entries << "Text9=" + n << "Command19!";
    return entries;
}

} // namespace

class tst_AlarmAreas : public QObject, private AlarmWindowKit
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { StubConnectWindow(); }
    void init() { openArea(); }
    void cleanup() { closeArea(); }

    void writes_data()
    {
        QTest::addColumn<QStringList>("controls");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("box"); // the one message expected, if any
        const QString none;
        QTest::newRow("input: UCS-2 texts, count and relay in the last bytes")
            << L("Combo5=#0|Text15=设备已关闭\r\n|Text17=设备已开启\r\n|Option9=1|Check1=1|Check2="
                 "0|Text16=15|Option11=1|Option15=1|Text20=3|Combo7=#2")
            << "Command16"
            << frameOf(199, {{0, P "B4 01 00 6C 02 01 01 0E 0E"},
                             {17, "8BBE59075DF2517395ED000D000A"},
                             {107, "8BBE59075DF25F00542F000D000A"},
                             {197, "03 03"}})
            << "重复报警间隔只能按10秒一级保存：输入的 15 秒将写为 10 秒。是否照此写入？";
        QTest::newRow("input: 90 English characters, empty low text, no relay")
            << QStringList{"Combo5=#7",   "Text15=",    "Text17=" + times(90, "A"),
                           "Option13=1",  "Check1=1",   "Check2=1",
                           "Text16=2550", "Option11=1", "Option14=1",
                           "Text20=255",  "Combo7=#-1"}
            << "Command16"
            << frameOf(199, {{0, P "B4 01 07 B7 03 02 FF 00 DA"}, {107, "41", 90}, {197, "FF 00"}})
            << none;
        QTest::newRow("input: no trigger, 45 Chinese characters, count rounded, relay 8")
            << QStringList{"Combo5=#3",  "Text15=" + times(45, "中"),
                           "Text17=",    "-Option9",
                           "Check1=0",   "Check2=1",
                           "Text16=0",   "Option11=1",
                           "Option15=1", "Text20=2.6",
                           "Combo7=#7"}
            << "Command16"
            << frameOf(199, {{0, P "B4 01 03 04 00 00 00 5A 00"}, {17, "4E2D", 45}, {197, "03 08"}})
            << "报警次数只能按整数保存：输入的 2.6 次将写为 3 次。是否照此写入？";
        QTest::newRow("relay: UCS-2 texts, level")
            << L("Combo6=#0|Text12=设备关|Text8=设备开|Option16=1|Text10=0|Text14=0|Check5=0|"
                 "Text18=|Option22=1|Option23=1|Check6=0")
            << "Command13"
            << frameOf(141, {{0, P "B5 01 00 82 01 00 00 00 00 06 06"},
                             {19, "8BBE59075173"},
                             {79, "8BBE59075F00"}})
            << none;
        QTest::newRow("relay: pulse, reply DI1, 60 English, 30 Chinese, hold")
            << QStringList{"Combo6=#6",
                           "Text12=" + times(60, "B"),
                           "Text8=" + times(30, "中"),
                           "Option17=1",
                           "Text10=5",
                           "Text14=7",
                           "Check5=1",
                           "Option20=1",
                           "Text18=250",
                           "Option21=1",
                           "Option23=1",
                           "Check6=1"}
            << "Command13"
            << frameOf(141, {{0, P "B5 01 06 E6 02 03 FA 05 07 BC 3C"},
                             {19, "42", 60},
                             {79, "4E2D", 30},
                             {139, "01"}})
            << none;
        QTest::newRow("relay: level sends no delays")
            << L("Combo6=#2|Text12=OFF|Text8=ON|Option16=1|Text10=9|Text14=9|Check5=1|Option19=1|"
                 "Text18=12|Option21=1|Option24=1|Check6=0")
            << "Command13"
            << frameOf(141,
                       {{0, P "B5 01 02 8B 01 01 0C 00 00 83 82"}, {19, "4F4646"}, {79, "4F4E"}})
            << none;
        QTest::newRow("phone table: three entries")
            << added({"13800138000", "13912345678", "15A0B0C0D0E"}) << "Command11"
            << frameOf(183, P "D9 02 AA 03 01 38 00 13 80 00 01 39 12 34 56 78 01 5A 0B 0C 0D 0E")
            << none;
        QTest::newRow("phone table: first digit 9 goes out as 01")
            << added({"90123456789"}) << "Command11"
            << frameOf(183, P "D9 02 5B 01 01 01 23 45 67 89") << none;
        QTest::newRow("phone table: read")
            << QStringList{} << "Command12" << hex(P "D9 01") << none;
        QTest::newRow("phone table: clear, confirmed")
            << QStringList{} << "Command24" << hex(P "D9 04 01")
            << "您确定要清空号码表吗？操作无法恢复！";
        QTest::newRow("A1 both") << L("Check4=1|Check3=1") << "Command1" << hex(P "A1 01 03")
                                 << none;
        QTest::newRow("A1 receive only, on 不需要")
            << L("Check4=0|Check3=1") << "Option2" << hex(P "A1 01 02") << none;
        QTest::newRow("F1 lower case, no last colon")
            << L("Text1=ab:cd:ef:01") << "Command2" << hex(P "F1 01 AB CD EF 01") << none;
        QTest::newRow("A2 first digit 9")
            << L("Text2=90123456789") << "Command3" << hex(P "A2 01 01 01 23 45 67 89") << none;
        QTest::newRow("E2") << L("Text3=0f:e0:") << "Command4" << hex(P "E2 01 0F E0") << none;
        QTest::newRow("A3 60 s") << L("Text4=60") << "Command7" << hex(P "A3 01 00 00 2E E0")
                                 << none;
        QTest::newRow("A3 0.004 s is one unit")
            << L("Text4=0.004") << "Command7" << hex(P "A3 01 00 00 00 01")
            << "重起时间只能按0.005秒一级保存：输入的 0.004 秒将写为 0.005 秒。是否照此写入？";
        QTest::newRow("A3 at the top")
            << L("Text4=21474836.475") << "Command7" << hex(P "A3 01 FF FF FF FF") << none;
        QTest::newRow("D1 SMS model") << L("Option3=1") << "Command9" << hex(P "D1 01 02") << none;
        QTest::newRow("D1 GPRS model") << L("Option4=1") << "Command9" << hex(P "D1 01 01") << none;
        QTest::newRow("D1 neither") << L("-Option3") << "Command9" << QByteArray() << none;
        QTest::newRow("D5") << QStringList{} << "Command18" << hex(P "D5 01") << none;
        QTest::newRow("F2 19200") << L("Combo3=19200bps") << "Command6" << hex(P "F2 01 08")
                                  << none;
        QTest::newRow("F2 14400 typed")
            << L("Combo3=14400bps") << "Command6" << hex(P "F2 01 07") << none;
        QTest::newRow("AC modes, none for an empty box")
            << L("Combo9_0=#0|Combo9_1=#1|Combo9_2=#2|Combo9_3=#-1|Combo9_4=#0|Combo9_5=#-1|Combo9_"
                 "6=#1|Combo9_7=#2")
            << "Command26_1" << hex(P "AC 01 01 02 03 00 01 00 02 03") << "指令发送成功";
        QTest::newRow("AC read") << QStringList{} << "Command26_0" << hex(P "AC 03") << none;
        QTest::newRow("98 state of DI6") << L("Combo5=#6") << "Command25" << hex(P "98 06") << none;
        QTest::newRow("99 close Do3")
            << L("Combo8=#3") << "Command27_0" << hex(P "99 03 01") << none;
        QTest::newRow("99 open Do3 on the second click")
            << L("Combo8=#3|Command27_0!") << "Command27_0" << hex(P "99 03 00") << none;
    }
    void writes()
    {
        QFETCH(QStringList, controls);
        QFETCH(QString, button);
        QFETCH(QString, box);
        apply(controls);
        backend->takeWritten();
        messages->messages.clear();
        press(button);
        QTEST(backend->takeWritten(), "frame");
        QCOMPARE(messages->texts(), box.isEmpty() ? QStringList() : QStringList{box});
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("controls");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("box");
        const QString tooLong = "短信内容超出范围", count = "报警次数必须是 0 到 255 之间的整数",
                      password = "密码必须是 4 组两位十六进制数（0-9、A-F），例如 31:52:24:08:",
                      receiver = "接收号码必须是 11 位号码（0-9，也可用 A-F）",
                      address = "模块地址必须是 2 组两位十六进制数（0-9、A-F），例如 1A:2B",
                      restart = "重起时间必须是 0 到 21474836 秒之间的数";
        QTest::newRow("input, 91 English characters")
            << QStringList{"Text15=" + times(91, "x"), "Option12=1", "Text20=1"} << "Command16"
            << tooLong;
        QTest::newRow("input, 46 Chinese characters")
            << QStringList{"Text17=" + times(46, "中"), "Option15=1", "Text20=1"} << "Command16"
            << tooLong;
        QTest::newRow("input, count 256") << L("Text20=256") << "Command16" << count;
        QTest::newRow("input, count 255.5 rounds to 256")
            << L("Text20=255.5") << "Command16" << count;
        QTest::newRow("input, no channel") << L("Combo5=#-1") << "Command16"
                                           << "请指定要设置的DI通道0-7";
        QTest::newRow("input state, no channel") << L("Combo5=#-1") << "Command25"
                                                 << "请指定要读取的DI通道0-7";
        QTest::newRow("relay, 61 English characters")
            << QStringList{"Text12=" + times(61, "x"), "Option21=1"} << "Command13" << tooLong;
        QTest::newRow("relay, 31 Chinese characters")
            << QStringList{"Text8=" + times(31, "开"), "Option23=1"} << "Command13" << tooLong;
        QTest::newRow("relay, no channel") << L("Combo6=#-1") << "Command13"
                                           << "请指定要设置的Do通道0-7";
        QTest::newRow("password of three fields") << L("Text1=31:52:24:") << "Command2" << password;
        QTest::newRow("password with G") << L("Text1=31:5G:24:08:") << "Command2" << password;
        QTest::newRow("receiver as designed") << L("Text2=***********") << "Command3" << receiver;
        QTest::newRow("receiver of 10 digits") << L("Text2=1380013800") << "Command3" << receiver;
        QTest::newRow("address of one field") << L("Text3=1A:") << "Command4" << address;
        QTest::newRow("negative restart time") << L("Text4=-1") << "Command7" << restart;
        QTest::newRow("restart time of 2^32 units")
            << L("Text4=21474836.48") << "Command7" << restart;
        QTest::newRow("empty phone table") << QStringList{} << "Command11"
                                           << "您输入的电话号码表不完整";
        QTest::newRow("wake delay above 65535 counts")
            << L("Option5=1|Text11=26214001") << "Command14"
            << "醒后延时应在0到26214000毫秒之间";
        QTest::newRow("wake delay of 1000 ms, 800 ms refused")
            << L("Option5=1|Text11=1000|answer=No") << "Command14"
            << "醒后空闲延时只能按400毫秒一级保存：输入的 1000 毫秒将写为 800 毫秒。是否照此写入？";
        QTest::newRow("reply delay of 2.5 s, 2 s refused")
            << L("Combo6=#0|Text18=2.5|answer=No") << "Command13"
            << "短信回复延时只能按整秒保存：输入的 2.5 秒将写为 2 秒。是否照此写入？";
        QTest::newRow("parameter on a closed port")
            << L("Link=closed") << "Command2"
            << "串口没有打开，参数无法发送。请先连接模块：在连接窗口中选择串口和波特率，再点击“连接"
               "”。";
    }
    void refusals()
    {
        QFETCH(QStringList, controls);
        QFETCH(QString, button);
        apply(controls);
        backend->takeWritten();
        press(button);
        QCOMPARE(backend->writtenSoFar(), QByteArray());
        QTEST(messages->texts().join('|'), "box");
        QVERIFY(!window->exchange().Timer3.isActive());
    }

    void closedPortOpensTheConnectWindow_data()
    {
        QTest::addColumn<QString>("button");
        for (const char *b : {"Command16", "Command17", "Command13", "Command27_0", "Command11",
                              "Command24", "Command26_1", "Command5", "Command14"})
            QTest::newRow(b) << b;
    }
    void closedPortOpensTheConnectWindow()
    {
        QFETCH(QString, button);
        apply(added({"13800000001"}));
        window->exchange().link().close();
        press(button);
        QCOMPARE(backend->writtenSoFar(), QByteArray());
        QWidget *connect = Windows::find(QStringLiteral("frmZ40MOD"));
        QVERIFY(connect && connect->isVisible() && connect->isModal());
        QVERIFY(messages->messages.isEmpty());
        QCOMPARE(c<QAbstractButton>("Command27_0")->text(), QStringLiteral("闭合"));
        QVERIFY(!window->exchange().Timer1.isActive() && !window->exchange().Timer3.isActive());
    }

    void ownControls_data()
    {
        QTest::addColumn<QStringList>("controls");
        QTest::addColumn<QStringList>("shownAfter");
        QTest::addColumn<QString>("box");
        const QStringList three = added({"13800000001", "13900000002", "15000000003"});
        QTest::newRow("interval above 2550") << L("Text16=2551") << L("Text16=2550") << "";
        QTest::newRow("negative interval") << L("Text16=-5") << L("Text16=0") << "";
        QTest::newRow("relay delay above 250") << L("Text10=300") << L("Text10=250") << "";
        QTest::newRow("negative reply delay") << L("Text18=-5") << L("Text18=0") << "";
        QTest::newRow("level change clears the interval")
            << L("Option9=1|Text16=120|Option13!") << L("Text16=0") << "";
        QTest::newRow("encoding under high level keeps it")
            << L("Option9=1|Text16=120|Option12!") << L("Text16=120") << "";
        QTest::newRow("level output clears the delays")
            << L("Option17=1|Text10=7|Text14=9|Option16!") << L("Text10=0|Text14=0") << "";
        QTest::newRow("pulse lifts a zero delay to 1")
            << L("Option16=1|Text10=4|Text14=0|Option17!") << L("Text10=4|Text14=1") << "";
        QTest::newRow("ASCII alarm text is English")
            << L("Text15=Door|Text17=Door 开") << L("Option12=1|Option15=1") << "";
        QTest::newRow("Chinese control text is Chinese")
            << L("Text12=ON 开|Text8=ON") << L("Option22=1|Option24=1") << "";
        QTest::newRow("reading the input record clears the area")
            << L("Text16=30|Check1=1|Option13=1|Command17!") << L("Text16=|Check1=0|Option9=1")
            << "";
        QTest::newRow("move the last number up")
            << three + L("Grid=#2|Command20!")
            << L("Grid=13800000001,15000000003,13900000002|Text9=15000000003") << "";
        QTest::newRow("move the first number down")
            << three + L("Grid=#0|Command22!") << L("Grid=13900000002,13800000001,15000000003")
            << "";
        const QStringList rows = L("13800000001|13900000002|15000000003");
        for (const char *edge : {"Grid=#0|Command20!", "Grid=#2|Command22!"})
            QTest::newRow(edge) << three + L(edge) << QStringList{"Grid=" + rows.join(',')} << "";
        QTest::newRow("remove the last number, the new last is selected")
            << three + L("Grid=#2|Command15!|Command15!") << L("Grid=13800000001") << "";
        QTest::newRow("duplicate number")
            << three + added({"13900000002"}) << L("Grid=13800000001,13900000002,15000000003")
            << "电话号码有重复，请检查电话号码";
        QTest::newRow("ten digits")
            << added({"1391234567"}) << L("Grid=") << "您输入的电话号码不正确";
        QStringList twenty;
        for (int i = 0; i < 20; ++i)
            twenty << QStringLiteral("138000000%1").arg(i, 2, 10, QLatin1Char('0'));
        QTest::newRow("21st number") << added(twenty + L("18912345678"))
                                     << QStringList{"Grid=" + twenty.join(',')} << "号码表已满";
    }
    void ownControls()
    {
        QFETCH(QStringList, controls);
        QFETCH(QStringList, shownAfter);
        apply(controls);
        for (const QString &entry : shownAfter)
            QCOMPARE(entry.section('=', 0, 0) + '=' + shown(entry.section('=', 0, 0)), entry);
        QTEST(messages->texts().join('|'), "box");
    }
};

QTEST_MAIN(tst_AlarmAreas)
#include "tst_alarmareas.moc"
