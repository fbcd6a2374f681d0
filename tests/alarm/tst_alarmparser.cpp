// The alarm-module reply parser: every reply kind fed whole, byte by byte and in random pieces
// must give the same window updates, messages and state; plus the edge cases of the step machine.

#include "alarm/AlarmParser.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "support/FakeAlarmView.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}
QByteArray zeros(int n)
{
    return QByteArray(n, '\0');
}

enum class Feed { Whole, ByteByByte, RandomPieces };

// Shared values the senders set before a reply, written as "tab=1 work=0 phone=1 ...".
struct Conditions {
    bool tab = true;
    int work = 0, transfer = 0, di = 0, doWrite = 0, phone = 0, query = 0, sms = 0, combo5 = 0;

    static Conditions parse(const QString &text)
    {
        Conditions c;
        for (const QString &item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString key = item.section(QLatin1Char('='), 0, 0);
            const int value = item.section(QLatin1Char('='), 1).toInt();
            if (key == QLatin1String("tab"))
                c.tab = value != 0;
            else if (key == QLatin1String("work"))
                c.work = value;
            else if (key == QLatin1String("transfer"))
                c.transfer = value;
            else if (key == QLatin1String("di"))
                c.di = value;
            else if (key == QLatin1String("do"))
                c.doWrite = value;
            else if (key == QLatin1String("phone"))
                c.phone = value;
            else if (key == QLatin1String("query"))
                c.query = value;
            else if (key == QLatin1String("sms"))
                c.sms = value;
            else if (key == QLatin1String("combo5"))
                c.combo5 = value;
        }
        return c;
    }
};

struct Outcome {
    QStringList calls;
    QStringList messages;
    int rxStep = 0;
    int readAllStep = 0;
    int workForm = 0;
    int transfer = 0;
    int lastQuery = 0;
    QString replyText;
    qint64 left = 0;
};

QString iconName(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return QStringLiteral("info");
    case MsgIcon::Exclamation:
        return QStringLiteral("warn");
    default:
        return QStringLiteral("none");
    }
}

// Fires the settle timer until the waiting step has acted (a quiet line).
void settle()
{
    for (int i = 0; i < 100 && AlarmParserSettling(); ++i)
        AlarmParserSettleTick();
}

// A fresh line on COM1 at 9600 baud, the parser registered and selected, nothing waiting.
MemorySerialBackend *openLine()
{
    MemorySerialBackend *line = ResetWorld(true);
    ResetAlarmParser();
    RegisterAlarmParser();
    ProtocolId = ProtocolAlarm;
    ReadAllStep = 77; // a value no reply sets
    Link().setThreshold(1);
    return line;
}

Outcome run(const QString &conditionText, const QByteArray &bytes, Feed feed, quint32 seed)
{
    MemorySerialBackend *line = openLine();
    const Conditions c = Conditions::parse(conditionText);
    ParamTabActive = c.tab;
    WorkFormFlag = quint8(c.work);
    TransferModeFlag = quint8(c.transfer);
    DiWritePending = c.di;
    DoWritePending = c.doWrite;
    PhoneTableOp = c.phone;
    LastQueryCode = qint16(c.query);
    SmsTestCommand = qint16(c.sms);

    FakeAlarmView view;
    view.indexes[QStringLiteral("Combo5")] = c.combo5;
    SetAlarmView(&view);
    MessageRecorder recorder;

    QRandomGenerator random(seed);
    int at = 0;
    while (at < bytes.size()) {
        int size = int(bytes.size()) - at;
        if (feed == Feed::ByteByByte)
            size = 1;
        else if (feed == Feed::RandomPieces)
            size = qMin(size, int(random.bounded(1, 9)));
        line->inject(bytes.mid(at, size));
        at += size;
        // Gaps shorter than the settle time: fewer quiet ticks than the step waits for.
        const int ticks = feed == Feed::Whole ? 0 : int(random.bounded(AlarmSettleQuietTicks));
        for (int i = 0; i < ticks && AlarmParserSettling(); ++i)
            AlarmParserSettleTick();
    }
    settle();
    SetAlarmView(nullptr);

    Outcome o;
    o.calls = view.calls;
    for (const MessageRequest &m : recorder.messages)
        o.messages << m.title + QLatin1Char('|') + iconName(m.icon) + QLatin1Char('|') + m.text;
    o.rxStep = RxStep;
    o.readAllStep = ReadAllStep;
    o.workForm = WorkFormFlag;
    o.transfer = TransferModeFlag;
    o.lastQuery = LastQueryCode;
    o.replyText = ReplyText;
    o.left = Link().bytesWaiting();
    return o;
}

} // namespace

class TestAlarmParser : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void replies_data();
    void replies();
    void inputStateOutsideFrame();
    void textWaitsForQuietLine();
    void wholeRepliesDoNotWait();
    void messageBoxDoesNotReenter();
    void worksWithoutWindow();
    void settleStopsWhenAnotherParserTakesOver();
};

void TestAlarmParser::cleanup()
{
    SetAlarmView(nullptr);
    ResetAlarmParser();
}

void TestAlarmParser::replies_data()
{
    QTest::addColumn<QString>("conditions");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("readAllStep");
    QTest::addColumn<int>("rxStep");
    QTest::addColumn<QString>("replyText");
    QTest::addColumn<int>("left");

    const QStringList none;

    // ---- frame machine ----
    QTest::newRow("FD 1: initialisation done")
        << "tab=1" << hex(P "FD 01") << none
        << QStringList{"提示信息|none|模块初始化已经完成，您可以设置参数了"} << 77 << 0 << "" << 0;
    QTest::newRow("FD 4 stays, the next byte is another FD value")
        << "tab=1" << hex(P "FD 04 02") << none << none << 77 << 0 << "" << 0;
    QTest::newRow("FD 4 then 1")
        << "tab=1" << hex(P "FD 04 01") << none
        << QStringList{"提示信息|none|模块初始化已经完成，您可以设置参数了"} << 77 << 0 << "" << 0;
    QTest::newRow("F8 passive") << "tab=1" << hex(P "F8 00 00")
                                << QStringList{"setText Label3=被动方式",
                                               "setComboIndex Combo1=1",
                                               "setVisible Label31=1",
                                               "setVisible Text22=1",
                                               "setVisible Command21_0=1",
                                               "setVisible Command21_1=1",
                                               "setVisible Command21_2=1"}
                                << none << 5 << 0 << "" << 0;
    QTest::newRow("F8 active") << "tab=1" << hex(P "F8 00 01")
                               << QStringList{"setText Label3=主动方式",
                                              "setComboIndex Combo1=0",
                                              "setVisible Label31=0",
                                              "setVisible Text22=0",
                                              "setVisible Command21_0=0",
                                              "setVisible Command21_1=0",
                                              "setVisible Command21_2=1"}
                               << none << 6 << 0 << "" << 0;
    QTest::newRow("F9 01 selects format transmission")
        << "tab=1" << hex(P "F9 00 01")
        << QStringList{"setText Label4=格式传输", "setComboIndex Combo2=0",
                       "setVisible Label21_4=1",  "setVisible Label21_5=1",
                       "setVisible Text21_3=1",   "setVisible Text21_4=1"}
        << none << 10 << 0 << "" << 0;
    QTest::newRow("F9 transparent")
        << "tab=1" << hex(P "F9 00 00")
        << QStringList{"setText Label4=透明传输", "setComboIndex Combo2=1",
                       "setVisible Label21_4=0",  "setVisible Label21_5=0",
                       "setVisible Text21_3=0",   "setVisible Text21_4=0"}
        << none << 7 << 0 << "" << 0;
    QTest::newRow("A2 receiver number")
        << "tab=1" << hex(P "A2 00 01 01 23 45 67 89")
        << QStringList{"setText Label6=10123456789", "setText Text2=10123456789"} << none << 10 << 0
        << "" << 0;
    QTest::newRow("A1 0: no password, password boxes cleared")
        << "tab=1" << hex(P "A1 00 00")
        << QStringList{"setText Label10=无密码", "setChecked Option2=1", "setChecked Check3=0",
                       "setChecked Check4=0"}
        << none << 4 << 0 << "" << 0;
    QTest::newRow("A1 1: for sending only")
        << "tab=1" << hex(P "A1 00 01")
        << QStringList{"setText Label10=有密码", "setChecked Option1=1", "setChecked Check4=1",
                       "setChecked Check3=0"}
        << none << 3 << 0 << "" << 0;
    QTest::newRow("A1 2: for receiving only")
        << "tab=1" << hex(P "A1 00 02")
        << QStringList{"setText Label10=有密码", "setChecked Option1=1", "setChecked Check4=0",
                       "setChecked Check3=1"}
        << none << 3 << 0 << "" << 0;
    QTest::newRow("A1 3: both") << "tab=1" << hex(P "A1 00 03")
                                << QStringList{"setText Label10=有密码", "setChecked Option1=1",
                                               "setChecked Check4=1", "setChecked Check3=1"}
                                << none << 3 << 0 << "" << 0;
    QTest::newRow("F1 SMS password")
        << "tab=1" << hex(P "F1 00 31 52 24 08") << QStringList{"setText Label5=31:52:24:08:"}
        << none << 4 << 0 << "" << 0;
    QTest::newRow("EC version") << "tab=1" << hex(P "EC 00 20 20 56 33 2E 30 35 20 20 20 20")
                                << QStringList{"setText Label7=9600bps", "setText Label8=V3.05"}
                                << none << 1 << 0 << "" << 0;
    QTest::newRow("EC SETOK text")
        << "tab=1" << hex(P "EC 5345544F4B3A") << none << QStringList{"提示！！|info|设置成功"}
        << 77 << 0 << "SETOK:" << 0;
    QTest::newRow("EC SETFAIL text")
        << "tab=1" << hex(P "EC 5345544641494C3A") << none << QStringList{"提示！！|warn|设置错误 "}
        << 77 << 0 << "SETFAIL:" << 0;
    QTest::newRow("E2 passive address")
        << "tab=1" << hex(P "E2 00 1A 2B")
        << QStringList{"setText Label9=1A:2B:", "setText Text3=1A:2B:"} << none << 6 << 0 << ""
        << 0;
    QTest::newRow("F2 shows nothing")
        << "tab=1" << hex(P "F2 00 06") << none << none << 77 << 0 << "" << 0;
    QTest::newRow("A3 12000 units is 60 s")
        << "tab=1" << hex(P "A3 00 00 00 2E E0")
        << QStringList{"setText Text4=60", "setText Label12=60"} << none << 2 << 0 << "" << 0;
    QTest::newRow("A3 one unit is 0.005 s")
        << "tab=1" << hex(P "A3 00 00 00 00 01")
        << QStringList{"setText Text4=0.005", "setText Label12=0.005"} << none << 2 << 0 << "" << 0;
    QTest::newRow("FB 0: transparent mode 2")
        << "tab=1" << hex(P "FB 00 00")
        << QStringList{"setText Label4=透明方式2", "setComboIndex Combo2=2", "setEnabled Combo4=1",
                       "setEnabled Text5=1",       "setEnabled Text6=1",     "setEnabled Text7=1"}
        << none << 9 << 0 << "" << 0;
    QTest::newRow("FB 1: transparent mode 1")
        << "tab=1" << hex(P "FB 00 01")
        << QStringList{"setText Label4=透明方式1", "setComboIndex Combo2=1", "setEnabled Combo4=0",
                       "setEnabled Text5=0",       "setEnabled Text6=0",     "setEnabled Text7=0"}
        << none << 8 << 0 << "" << 0;
    QTest::newRow("E1 hexadecimal")
        << "tab=1" << hex(P "E1 00 05 0A 10 01")
        << QStringList{"setText Label15=5", "setText Label16=10", "setText Label17=16",
                       "setText Label18=十六进制", "setComboIndex Combo4=1"}
        << none << 10 << 0 << "" << 0;
    QTest::newRow("E1 BCD") << "tab=1" << hex(P "E1 00 00 FF 01 02")
                            << QStringList{"setText Label15=0", "setText Label16=255",
                                           "setText Label17=1", "setText Label18=BCD码",
                                           "setComboIndex Combo4=2"}
                            << none << 10 << 0 << "" << 0;
    QTest::newRow("E1 other type is ASCII")
        << "tab=1" << hex(P "E1 00 01 02 03 07")
        << QStringList{"setText Label15=1", "setText Label16=2", "setText Label17=3",
                       "setText Label18=ASCII", "setComboIndex Combo4=0"}
        << none << 10 << 0 << "" << 0;
    QTest::newRow("D3 off ends the read-all")
        << "tab=1" << hex(P "D3 00 00")
        << QStringList{"setText Label19=无省电", "setChecked Option6=1"} << none << 100 << 0 << ""
        << 0;
    QTest::newRow("D3 on") << "tab=1" << hex(P "D3 00 01")
                           << QStringList{"setText Label19=有省电", "setChecked Option5=1"} << none
                           << 11 << 0 << "" << 0;
    QTest::newRow("D2 delays") << "tab=1" << hex(P "D2 00 00 03 00 19")
                               << QStringList{"setText Label22=1.2s   10s", "setText Text11=1200",
                                              "setText Text13=10000"}
                               << none << 12 << 0 << "" << 0;
    QTest::newRow("DB mode 1") << "tab=1" << hex(P "DB 00 00")
                               << QStringList{"setText Label30=模式1", "setChecked Option7=1"}
                               << none << 13 << 0 << "" << 0;
    QTest::newRow("DB mode 2") << "tab=1" << hex(P "DB 00 05")
                               << QStringList{"setText Label30=模式2", "setChecked Option8=1"}
                               << none << 13 << 0 << "" << 0;
    QTest::newRow("AB firmware model")
        << "tab=1" << hex(P "AB 00 0A 05") << QStringList{"setText Label50=A5"} << none << 20 << 0
        << "" << 0;
    QTest::newRow("AC delivery modes")
        << "tab=1" << hex(P "AC 00 01 02 03 00 01 02 03 04")
        << QStringList{"setText Combo9_0=电话",      "setText Combo9_1=短信",
                       "setText Combo9_2=电话+短信", "setText Combo9_3=无",
                       "setText Combo9_4=电话",      "setText Combo9_5=短信",
                       "setText Combo9_6=电话+短信", "setText Combo9_7=无"}
        << none << 77 << 0 << "" << 0;

    // Phone table.
    QTest::newRow("D9 read, two entries")
        << "tab=1 phone=0" << hex(P "D9 00 28 02 010123456789 013800138000") + zeros(108)
        << QStringList{"setGridRows 3", "setGridCell 1,1=1", "setGridCell 1,2=10123456789",
                       "setGridCell 2,1=2", "setGridCell 2,2=13800138000"}
        << none << 77 << 0 << "" << 0;
    QTest::newRow("D9 read, checksum mismatch leaves the grid")
        << "tab=1 phone=0" << hex(P "D9 00 29 02 010123456789 013800138000") + zeros(108) << none
        << QStringList{"提示|info|号码表结构错误"} << 77 << 0 << "" << 0;
    QTest::newRow("D9 read, count 21 is an empty table")
        << "tab=1 phone=0" << hex(P "D9 00 00 15") << QStringList{"setGridRows 1"}
        << QStringList{"提示|info|号码表空"} << 77 << 0 << "" << 0;
    QTest::newRow("D9 read, count 0")
        << "tab=1 phone=0" << hex(P "D9 00 00 00") << QStringList{"setGridRows 1"}
        << QStringList{"提示|info|号码表空"} << 77 << 0 << "" << 0;
    QTest::newRow("D9 write SETOK")
        << "tab=1 phone=1" << hex(P "D9 00 5345544F4B3A") << none
        << QStringList{"提示！！|info|电话号码表设置成功"} << 77 << 0 << "SETOK:" << 0;
    QTest::newRow("D9 write SETFAIL")
        << "tab=1 phone=1" << hex(P "D9 00 5345544641494C3A") << none
        << QStringList{"提示！！|warn|电话号码表设置错误 "} << 77 << 0 << "SETFAIL:" << 0;
    QTest::newRow("D9 clear CLROK")
        << "tab=1 phone=2" << hex(P "D9 00 434C524F4B3A") << QStringList{"setGridRows 1"}
        << QStringList{"提示！！|info|清空号码表成功"} << 77 << 0 << "CLROK:" << 0;
    QTest::newRow("D9 clear CLRFAIL")
        << "tab=1 phone=2" << hex(P "D9 00 434C524641494C3A") << none
        << QStringList{"提示！！|warn|清空号码表失败"} << 77 << 0 << "CLRFAIL:" << 0;

    // Settings records.
    QTest::newRow("B4 write, status 3 then SETOK")
        << "tab=1 di=1" << hex(P "B4 03 5345544F4B3A") << none << QStringList{"提示|info|设置成功"}
        << 77 << 0 << "SETOK:" << 0;
    QTest::newRow("B4 write, status 2 ignored before 3")
        << "tab=1 di=1" << hex(P "B4 02 03 5345544641494C3A") << none
        << QStringList{"提示|info|设置失败"} << 77 << 0 << "SETFAIL:" << 0;
    QTest::newRow("A5 write") << "tab=1 di=1" << hex(P "A5 03 5345544F4B3A") << none
                              << QStringList{"提示|info|设置成功"} << 77 << 0 << "SETOK:" << 0;
    QTest::newRow("B5 write") << "tab=1 do=1" << hex(P "B5 03 5345544F4B3A") << none
                              << QStringList{"提示|info|设置成功"} << 77 << 0 << "SETOK:" << 0;
    QTest::newRow("B4 read: English and Chinese texts")
        << "tab=1 di=0"
        << hex(P "B4 00 BC 46 03 02 06 87 0E 20414C41524D20") + zeros(83) +
               hex("8BBE59075DF25F00542F000D000A") + zeros(76) + hex("05 03")
        << QStringList{"setChecked Option13=1", "setChecked Check1=1",
                       "setChecked Check2=1",   "setText Text16=60",
                       "setChecked Option12=1", "setChecked Option15=1",
                       "setText Text15=ALARM",  "setText Text17=设备已开启\r\n",
                       "setText Text20=5",      "setComboIndex Combo7=2"}
        << QStringList{"提示|info|读取参数成功"} << 77 << 0 << "" << 0;
    QTest::newRow("B4 read: checksum mismatch leaves the page")
        << "tab=1 di=0"
        << hex(P "B4 00 BC 47 03 02 06 87 0E 20414C41524D20") + zeros(83) +
               hex("8BBE59075DF25F00542F000D000A") + zeros(76) + hex("05 03")
        << none << QStringList{"提示|info|读取参数失败"} << 77 << 0 << "" << 0;
    QTest::newRow("B4 read: short record shows what it holds")
        << "tab=1 di=0" << hex(P "B4 00 04 0C 01 01 0A")
        << QStringList{"setChecked Option10=1", "setChecked Check1=1", "setText Text16=100"}
        << QStringList{"提示|info|读取参数成功"} << 77 << 0 << "" << 0;
    QTest::newRow("B5 read: Chinese and English control texts")
        << "tab=1 do=0"
        << hex(P "B5 00 82 AE 02 03 0A 05 07 06 82 8BBE59075173") + zeros(54) + hex("4F4E") +
               zeros(58) + hex("01 00")
        << QStringList{"setChecked Option17=1", "setChecked Check5=1",   "setChecked Option20=1",
                       "setText Text18=10",     "setText Text10=5",      "setText Text14=7",
                       "setChecked Option22=1", "setChecked Option24=1", "setText Text12=设备关",
                       "setText Text8=ON",      "setChecked Check6=1"}
        << QStringList{"提示|info|读取参数成功"} << 77 << 0 << "" << 0;

    // Input state and resynchronisation.
    QTest::newRow("input state after a 98 read")
        << "tab=1 query=152 combo5=3" << hex("3C 31 3E") << QStringList{"setText Text19=DI3 = 0"}
        << none << 77 << 0 << "" << 0;
    QTest::newRow("input state 0 reads as 1")
        << "tab=1 query=152 combo5=6" << hex("3C 30") << QStringList{"setText Text19=DI6 = 1"}
        << none << 77 << 0 << "" << 0;
    QTest::newRow("< without a 98 read shows nothing")
        << "tab=1 query=0" << hex("3C 30") << none << none << 77 << 0 << "" << 0;
    QTest::newRow("preamble ending 8B dropped, next frame found")
        << "tab=1" << hex("1A2A3A4A5A6A7A8B" P "F9 00 01")
        << QStringList{"setText Label4=格式传输", "setComboIndex Combo2=0",
                       "setVisible Label21_4=1",  "setVisible Label21_5=1",
                       "setVisible Text21_3=1",   "setVisible Text21_4=1"}
        << none << 10 << 0 << "" << 0;
    QTest::newRow("bad preamble dropped whole, even a 1A inside")
        << "tab=1" << hex("1A" P "F9 00 01") << none << none << 77 << 0 << "" << 0;
    QTest::newRow("noise before a frame")
        << "tab=1" << hex("00 FF 8A 2A" P "DB 00 00")
        << QStringList{"setText Label30=模式1", "setChecked Option7=1"} << none << 13 << 0 << ""
        << 0;
    QTest::newRow("unknown reply code")
        << "tab=1" << hex(P "77 00 00") << none << none << 77 << 0 << "" << 0;

    // ---- passive text machine ----
    QTest::newRow("passive send state: sending")
        << "tab=0 work=0 sms=2" << hex("21 12 34 00 02 00")
        << QStringList{"appendText Text21_0=接收  21:12:34:00:02:00:\r\n",
                       "setModuleStatus 正在发送"}
        << none << 77 << 0 << "" << 0;
    QTest::newRow("passive send state: failed")
        << "tab=0 work=0 sms=2" << hex("21 12 34 00 01 00")
        << QStringList{"appendText Text21_0=接收  21:12:34:00:01:00:\r\n",
                       "setModuleStatus 发送失败"}
        << none << 77 << 0 << "" << 0;
    QTest::newRow("passive send state: sent")
        << "tab=0 work=0 sms=2" << hex("21 12 34 00 00 00")
        << QStringList{"appendText Text21_0=接收  21:12:34:00:00:00:\r\n",
                       "setModuleStatus 发送成功"}
        << none << 77 << 0 << "" << 0;
    QTest::newRow("passive send SMS answer")
        << "tab=0 work=0 sms=3" << hex("21 12 34 05")
        << QStringList{"appendText Text21_0=接收  21:12:34:05:\r\n", "setModuleStatus 格式正确"}
        << none << 77 << 0 << "" << 0;
    QTest::newRow("passive read: no SMS")
        << "tab=0 work=0 sms=1" << hex("21 12 34 00 00 00")
        << QStringList{"appendText Text21_0=接收  21:12:34:00:00:00:\r\n",
                       "setModuleStatus 读短信空"}
        << none << 77 << 0 << "" << 0;
    QTest::newRow("passive read: message bytes")
        << "tab=0 work=0 sms=1" << hex("21 12 34 00 05 41 42")
        << QStringList{"restartReplyTimer 200", "setModuleStatus 接收短信", "restartReplyTimer 200",
                       "setModuleStatus 接收短信"}
        << none << 77 << 5 << "21:12:34:00:05:41:42:" << 0;
    QTest::newRow("passive error reply")
        << "tab=0 work=0 sms=1" << hex("55 3F 01 02 03")
        << QStringList{"appendText Text21_0=接收  3F:01:02:03:\r\n", "setModuleStatus 格式错误"}
        << none << 77 << 0 << "" << 0;

    // ---- active text machine ----
    QTest::newRow("active transparent")
        << "tab=0 work=1 transfer=0" << hex("48 49")
        << QStringList{"restartReplyTimer 200", "restartReplyTimer 200"} << none << 77 << 0
        << "48:49:" << 0;
    QTest::newRow("active format: sent")
        << "tab=0 work=1 transfer=1" << hex("00 D7 FA")
        << QStringList{"appendText Text21_0=接收  D7:FA:\r\n", "setModuleStatus 发送成功"} << none
        << 77 << 0 << "" << 0;
    QTest::newRow("active format: failed")
        << "tab=0 work=1 transfer=1" << hex("D7 FC")
        << QStringList{"appendText Text21_0=接收  D7:FC:\r\n", "setModuleStatus 发送失败"} << none
        << 77 << 0 << "" << 0;
    QTest::newRow("active format: not online, after an ignored byte")
        << "tab=0 work=1 transfer=1" << hex("D7 33 FF")
        << QStringList{"appendText Text21_0=接收  D7:FF:\r\n", "setModuleStatus 没有上网"} << none
        << 77 << 0 << "" << 0;
    QTest::newRow("active format: message")
        << "tab=0 work=1 transfer=1" << hex("D7 01 41 42")
        << QStringList{"setModuleStatus 接收短信", "restartReplyTimer 200", "restartReplyTimer 200"}
        << none << 77 << 2 << "D7:01:41:42:" << 0;
    QTest::newRow("active format: D8 data")
        << "tab=0 work=1 transfer=1" << hex("D8 10 20")
        << QStringList{"restartReplyTimer 200", "restartReplyTimer 200"} << none << 77 << 2
        << "D8:10:20:" << 0;
    QTest::newRow("active, unknown transmission mode: bytes stay")
        << "tab=0 work=1 transfer=2" << hex("D7 FA") << none << none << 77 << 0 << "" << 2;
}

void TestAlarmParser::replies()
{
    QFETCH(QString, conditions);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, messages);
    QFETCH(int, readAllStep);
    QFETCH(int, rxStep);
    QFETCH(QString, replyText);
    QFETCH(int, left);

    const Outcome whole = run(conditions, bytes, Feed::Whole, 0);
    QCOMPARE(whole.calls, calls);
    QCOMPARE(whole.messages, messages);
    QCOMPARE(whole.readAllStep, readAllStep);
    QCOMPARE(whole.rxStep, rxStep);
    QCOMPARE(whole.replyText, replyText);
    QCOMPARE(whole.left, qint64(left));

    auto same = [&whole](const Outcome &o) {
        QCOMPARE(o.calls, whole.calls);
        QCOMPARE(o.messages, whole.messages);
        QCOMPARE(o.readAllStep, whole.readAllStep);
        QCOMPARE(o.rxStep, whole.rxStep);
        QCOMPARE(o.replyText, whole.replyText);
        QCOMPARE(o.left, whole.left);
        QCOMPARE(o.workForm, whole.workForm);
        QCOMPARE(o.transfer, whole.transfer);
        QCOMPARE(o.lastQuery, whole.lastQuery);
    };
    same(run(conditions, bytes, Feed::ByteByByte, 1));
    if (QTest::currentTestFailed())
        return;
    for (quint32 seed = 1; seed <= 8; ++seed) {
        same(run(conditions, bytes, Feed::RandomPieces, seed));
        if (QTest::currentTestFailed()) {
            qWarning("random pieces, seed %u", seed);
            return;
        }
    }
}

void TestAlarmParser::inputStateOutsideFrame()
{
    MemorySerialBackend *line = openLine();
    ParamTabActive = true;
    line->inject(hex("3C"));
    QCOMPARE(RxStep, qint16(30));
    QCOMPARE(Link().threshold(), 0); // receive notifications off
    settle();
    QVERIFY(!AlarmParserSettling()); // nothing waiting: the step rests

    line->inject(hex("30"));
    QCOMPARE(Link().bytesWaiting(), qint64(1)); // not delivered with the threshold at 0
    QCOMPARE(RxStep, qint16(30));

    // A sender sets the threshold back to 1: the byte is taken as the input state.
    Link().setThreshold(1);
    QCoreApplication::processEvents();
    settle();
    QCOMPARE(Link().bytesWaiting(), qint64(0));
    QCOMPARE(RxStep, qint16(0));
    QCOMPARE(LastQueryCode, qint16(0));
}

void TestAlarmParser::textWaitsForQuietLine()
{
    MemorySerialBackend *line = openLine();
    ParamTabActive = true;
    PhoneTableOp = 1;
    MessageRecorder recorder;
    line->inject(hex(P "D9 00 5345544F4B3A"));
    QVERIFY(AlarmParserSettling());
    for (int i = 0; i < AlarmSettleQuietTicks - 1; ++i)
        AlarmParserSettleTick();
    QVERIFY(recorder.messages.isEmpty());

    // One more byte restarts the quiet count and is part of the text.
    line->inject(QByteArray("X"));
    for (int i = 0; i < AlarmSettleQuietTicks; ++i)
        AlarmParserSettleTick();
    QVERIFY(recorder.messages.isEmpty());
    AlarmParserSettleTick();
    QCOMPARE(recorder.texts(), QStringList{QStringLiteral("电话号码表设置成功")});
    QCOMPARE(ReplyText, QStringLiteral("SETOK:X"));
    QVERIFY(!AlarmParserSettling());
    QCOMPARE(Link().threshold(), 1);
}

void TestAlarmParser::wholeRepliesDoNotWait()
{
    MemorySerialBackend *line = openLine();
    ParamTabActive = true;
    FakeAlarmView view;
    SetAlarmView(&view);
    // Fixed-size replies, one after another in one piece: all handled in the same delivery.
    line->inject(hex(P "F8 00 01" P "EC 00 56 31 2E 30 00 00 00 00 00 00 00" P "DB 00 01"));
    QVERIFY(!AlarmParserSettling());
    QCOMPARE(view.text(QStringLiteral("Label3")), QStringLiteral("主动方式"));
    QCOMPARE(view.text(QStringLiteral("Label8")), QStringLiteral("V1.0"));
    QCOMPARE(view.text(QStringLiteral("Label30")), QStringLiteral("模式2"));
    QCOMPARE(ReadAllStep, qint16(13));
    QCOMPARE(Link().bytesWaiting(), qint64(0));
    QCOMPARE(Link().threshold(), 1);
}

void TestAlarmParser::messageBoxDoesNotReenter()
{
    MemorySerialBackend *line = openLine();
    ParamTabActive = true;
    FakeAlarmView view;
    SetAlarmView(&view);
    int boxes = 0;
    // While the box is open the event loop runs: a reply arrives and the settle timer fires.
    SetMessageHandler([&](const MessageRequest &) {
        if (++boxes == 1) {
            line->inject(hex(P "F8 00 00"));
            ParseAlarmReply(); // a second notification must not start a second parse
            AlarmParserSettleTick();
            view.calls << QStringLiteral("box closed");
        }
        return MsgResult::Ok;
    });
    line->inject(hex(P "FD 01"));
    SetMessageHandler({});
    QCOMPARE(boxes, 1);
    QCOMPARE(view.calls.value(0), QStringLiteral("box closed"));
    QCOMPARE(view.calls.value(1), QStringLiteral("setText Label3=被动方式"));
    QCOMPARE(RxStep, qint16(0));
    QCOMPARE(Link().bytesWaiting(), qint64(0));
}

void TestAlarmParser::worksWithoutWindow()
{
    MemorySerialBackend *line = openLine();
    ParamTabActive = true;
    MessageRecorder recorder;
    SetAlarmView(nullptr);
    line->inject(hex(P "F8 00 01" P "F9 00 00" P "FD 01"));
    QCOMPARE(WorkFormFlag, quint8(1));
    QCOMPARE(TransferModeFlag, quint8(0));
    QCOMPARE(ReadAllStep, qint16(7));
    LastQueryCode = 0x98;
    line->inject(hex("3C 31"));
    settle();
    QCOMPARE(LastQueryCode, qint16(0));
    DiWritePending = 0;
    line->inject(hex(P "B4 00 04 0C 01 01 0A"));
    settle();
    QCOMPARE(recorder.texts(), (QStringList{QStringLiteral("模块初始化已经完成，您可以设置参数了"),
                                            QStringLiteral("读取参数成功")}));
    QCOMPARE(RxStep, qint16(0));
}

void TestAlarmParser::settleStopsWhenAnotherParserTakesOver()
{
    MemorySerialBackend *line = openLine();
    ParamTabActive = true;
    PhoneTableOp = 1;
    MessageRecorder recorder;
    line->inject(hex(P "D9 00 5345544F4B3A"));
    QVERIFY(AlarmParserSettling());
    ProtocolId = ProtocolAlarmWindowLoading;
    settle();
    QVERIFY(!AlarmParserSettling());
    QVERIFY(recorder.messages.isEmpty());
    QCOMPARE(Link().bytesWaiting(), qint64(6)); // left for whoever reads next
}

QTEST_GUILESS_MAIN(TestAlarmParser)
#include "tst_alarmparser.moc"
