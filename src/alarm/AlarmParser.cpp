#include "alarm/AlarmParser.h"

#include "alarm/AlarmRecords.h"
#include "alarm/AlarmView.h"
#include "core/ByteRoutines.h"
#include "core/Dialogs.h"
#include "core/Module1.h"
#include "core/ReceiveDispatch.h"
#include "core/SerialLink.h"

#include <QTimer>
#include <cstring>
#include <utility>

namespace {

// Steps of the frame machine.
enum FrameStep : qint16 {
    WaitStart = 0,
    CheckPreamble = 100,
    ReplyCode = 1,
    InitDone = 2,
    WorkForm = 3,
    TransferMode = 4,
    ReceiverNumber = 5,
    PasswordMode = 6,
    SmsPassword = 7,
    VersionOrText = 8,
    PassiveAddress = 9,
    BaudRate = 10,
    RestartTime = 11,
    TransparentMode = 12,
    AddressSettings = 13,
    PowerSaving = 14,
    WakeDelays = 15,
    PhoneTableReply = 16,
    PhoneTableHead = 17,
    PhoneTableEntries = 18,
    PhoneTableWritten = 19,
    WakeMode = 20,
    RecordWriteStatus = 21,
    RecordWriteText = 22,
    DiRecordHead = 23,
    DiRecordBody = 24,
    DoRecordHead = 25,
    DoRecordBody = 26,
    PhoneTableCleared = 28,
    InputState = 30,
    FirmwareModel = 31,
    AlarmModes = 32,
};

constexpr int PhoneTableBytes = 120; // 20 entries of 6 bytes
constexpr int VersionBytes = 12;
constexpr int ShortestText = 6; // "SETOK:", "CLROK:"

struct ParserState {
    AlarmView *view = nullptr;
    bool running = false;
    QTimer *settleTimer = nullptr;
    qint64 settleSeen = -1; // bytes waiting at the last settle tick
    int quietTicks = 0;
    // Address bytes of a communication-test reply, kept between steps.
    quint8 a0 = 0, a1 = 0, a2 = 0, a3 = 0;
};

ParserState &state()
{
    static ParserState s;
    return s;
}

// ---- display helpers (a missing window skips the update) --------------------------------------

AlarmView *view()
{
    return state().view;
}

void setText(const QString &control, const QString &text)
{
    if (AlarmView *v = view())
        v->setText(control, text);
}
void setIndex(const QString &control, int index)
{
    if (AlarmView *v = view())
        v->setComboIndex(control, index);
}
void check(const QString &control, bool checked)
{
    if (AlarmView *v = view())
        v->setChecked(control, checked);
}
void select(const QString &option)
{
    check(option, true);
}
void show(const QString &control, bool visible)
{
    if (AlarmView *v = view())
        v->setVisible(control, visible);
}
void enable(const QString &control, bool enabled)
{
    if (AlarmView *v = view())
        v->setEnabled(control, enabled);
}
void status(const QString &text)
{
    if (AlarmView *v = view())
        v->setModuleStatus(text);
}
void gridRows(int rows)
{
    if (AlarmView *v = view())
        v->setGridRows(rows);
}
void gridCell(int row, int column, const QString &text)
{
    if (AlarmView *v = view())
        v->setGridCell(row, column, text);
}
void restartReplyTimer()
{
    if (AlarmView *v = view())
        v->restartReplyTimer(200);
}
// A line of the communication test's receive area.
void addLine(const QString &text)
{
    if (AlarmView *v = view())
        v->appendText(QStringLiteral("Text21_0"),
                      QStringLiteral("接收  ") + text + QStringLiteral("\r\n"));
}

void info(const QString &text, const QString &title)
{
    ShowMessage(text, title, MsgIcon::Information, MsgButtons::Ok);
}
void warn(const QString &text, const QString &title)
{
    ShowMessage(text, title, MsgIcon::Exclamation, MsgButtons::Ok);
}

// ---- hex text ----------------------------------------------------------------------------------

const char HexDigits[] = "0123456789ABCDEF";

// hex2(b) followed by ":", appended without a temporary string.
void appendField(QString &text, quint8 b)
{
    const QChar chars[3] = {QLatin1Char(HexDigits[b >> 4]), QLatin1Char(HexDigits[b & 0x0F]),
                            QLatin1Char(':')};
    text.append(chars, 3);
}
QString fields(std::initializer_list<quint8> bytes)
{
    QString text;
    text.reserve(int(3 * bytes.size()));
    for (const quint8 b : bytes)
        appendField(text, b);
    return text;
}
// hex(b): upper-case hexadecimal without a leading zero.
QString hexShort(quint8 b)
{
    return QString::number(b, 16).toUpper();
}

// Exact decimal text of units × step, where step = stepNumerator / stepDenominator; no trailing
// zeros and no decimal point for whole numbers ("60", "0.005", "1.2").
QString decimalText(quint64 units, quint64 stepNumerator, quint64 stepDenominator)
{
    const quint64 scaled = units * stepNumerator;
    const quint64 whole = scaled / stepDenominator;
    quint64 rest = scaled % stepDenominator;
    QString text = QString::number(whole);
    if (rest == 0)
        return text;
    text += QLatin1Char('.');
    while (rest != 0) {
        rest *= 10;
        text += QLatin1Char(char('0' + rest / stepDenominator));
        rest %= stepDenominator;
    }
    return text;
}

// ---- port helpers ------------------------------------------------------------------------------

// "Wait for n": receive threshold and read length n.
void waitFor(int n)
{
    SerialLink &link = Link();
    if (link.threshold() != n || link.readLength() != n)
        link.setThreshold(n);
}

// The reply is complete or rejected: back to the first step, one byte at a time.
void endReply()
{
    RxStep = WaitStart;
    waitFor(1);
}

// Reads exactly n bytes into RxBytes; false (nothing read) when fewer are waiting.
bool readExactly(int n)
{
    SerialLink &link = Link();
    if (link.bytesWaiting() < n)
        return false;
    if (link.readLength() != n)
        link.setReadLength(n);
    RxBytes = link.read();
    return true;
}

// Reads everything waiting into RxBytes.
void readPending()
{
    Link().setReadLength(0);
    RxBytes = Link().read();
}

// Byte i of the last read, or -1 when the read was shorter.
int d(int i)
{
    return i < RxBytes.size() ? quint8(RxBytes.at(i)) : -1;
}

// The bytes of a fixed-size step are all there (a short read resynchronises on the next frame).
bool complete(int n)
{
    if (RxBytes.size() >= n)
        return true;
    endReply();
    return false;
}

// ---- frame machine -----------------------------------------------------------------------------

bool isSettleStep(qint16 step)
{
    switch (step) {
    case VersionOrText:
    case PhoneTableEntries:
    case PhoneTableWritten:
    case RecordWriteText:
    case DiRecordBody:
    case DoRecordBody:
    case PhoneTableCleared:
    case InputState:
        return true;
    default:
        return false;
    }
}

// Bytes a settle step needs before it acts on whatever is pending.
qint64 settleMinimum(qint16 step)
{
    switch (step) {
    case PhoneTableEntries:
        return PhoneTableBytes;
    case DiRecordBody:
    case DoRecordBody:
        return ReplyHead.size() > 1 ? qint64(quint8(ReplyHead.at(1))) - 1 : 0;
    case InputState:
        return 1;
    default:
        return ShortestText;
    }
}

bool settleActive()
{
    return ParamTabActive && isSettleStep(RxStep);
}

void replyCode(quint8 code)
{
    struct Entry {
        quint8 code;
        qint16 wait;
        qint16 step;
    };
    static const Entry table[] = {
        {0xFD, 1, InitDone},       {0xF8, 2, WorkForm},        {0xF9, 2, TransferMode},
        {0xA2, 7, ReceiverNumber}, {0xA1, 2, PasswordMode},    {0xF1, 5, SmsPassword},
        {0xEC, 12, VersionOrText}, {0xE2, 3, PassiveAddress},  {0xF2, 2, BaudRate},
        {0xA3, 5, RestartTime},    {0xFB, 2, TransparentMode}, {0xE1, 5, AddressSettings},
        {0xD3, 2, PowerSaving},    {0xD2, 5, WakeDelays},      {0xD9, 1, PhoneTableReply},
        {0xDB, 2, WakeMode},       {0xAB, 3, FirmwareModel},   {0xAC, 9, AlarmModes},
    };
    switch (code) {
    case 0xB4:
    case 0xA5:
        RxStep = DiWritePending == 1 ? RecordWriteStatus : DiRecordHead;
        waitFor(DiWritePending == 1 ? 1 : 3);
        return;
    case 0xB5:
    case 0xA7:
        RxStep = DoWritePending == 1 ? RecordWriteStatus : DoRecordHead;
        waitFor(DoWritePending == 1 ? 1 : 3);
        return;
    default:
        break;
    }
    for (const Entry &e : table) {
        if (e.code == code) {
            RxStep = e.step;
            waitFor(e.wait);
            return;
        }
    }
    endReply();
}

void showWorkForm(quint8 value)
{
    WorkFormFlag = value;
    const bool passive = value == 0;
    setText(QStringLiteral("Label3"),
            passive ? QStringLiteral("被动方式") : QStringLiteral("主动方式"));
    setIndex(QStringLiteral("Combo1"), passive ? 1 : 0);
    show(QStringLiteral("Label31"), passive);
    show(QStringLiteral("Text22"), passive);
    show(QStringLiteral("Command21_0"), passive);
    show(QStringLiteral("Command21_1"), passive);
    show(QStringLiteral("Command21_2"), true);
    ReadAllStep = passive ? 5 : 6;
}

void showTransferMode(quint8 value)
{
    TransferModeFlag = value;
    const bool format = value != 0;
    setText(QStringLiteral("Label4"),
            format ? QStringLiteral("格式传输") : QStringLiteral("透明传输"));
    setIndex(QStringLiteral("Combo2"), format ? 0 : 1);
    show(QStringLiteral("Label21_4"), format);
    show(QStringLiteral("Label21_5"), format);
    show(QStringLiteral("Text21_3"), format);
    show(QStringLiteral("Text21_4"), format);
    ReadAllStep = format ? 10 : 7;
}

// 0xA1: 1 = password for sending only, 2 = for receiving only, 3 = both (the meaning the write
// side sends: 1 for "发送", plus 2 for "接收").
void showPasswordMode(quint8 value)
{
    if (value == 0) {
        setText(QStringLiteral("Label10"), QStringLiteral("无密码"));
        select(QStringLiteral("Option2"));
        check(QStringLiteral("Check3"), false);
        check(QStringLiteral("Check4"), false);
        ReadAllStep = 4;
        return;
    }
    setText(QStringLiteral("Label10"), QStringLiteral("有密码"));
    select(QStringLiteral("Option1"));
    if (value >= 1 && value <= 3) {
        check(QStringLiteral("Check4"), (value & 1) != 0); // send
        check(QStringLiteral("Check3"), (value & 2) != 0); // receive
    }
    ReadAllStep = 3;
}

void showTransparentMode(quint8 value)
{
    const bool mode2 = value == 0;
    setText(QStringLiteral("Label4"),
            mode2 ? QStringLiteral("透明方式2") : QStringLiteral("透明方式1"));
    // Combo2 lists only two entries: index 2 is refused by the window and changes nothing.
    setIndex(QStringLiteral("Combo2"), mode2 ? 2 : 1);
    enable(QStringLiteral("Combo4"), mode2);
    enable(QStringLiteral("Text5"), mode2);
    enable(QStringLiteral("Text6"), mode2);
    enable(QStringLiteral("Text7"), mode2);
    ReadAllStep = mode2 ? 9 : 8;
}

void showAddressSettings()
{
    setText(QStringLiteral("Label15"), QString::number(d(1)));
    setText(QStringLiteral("Label16"), QString::number(d(2)));
    setText(QStringLiteral("Label17"), QString::number(d(3)));
    switch (d(4)) {
    case 1:
        setText(QStringLiteral("Label18"), QStringLiteral("十六进制"));
        setIndex(QStringLiteral("Combo4"), 1);
        break;
    case 2:
        setText(QStringLiteral("Label18"), QStringLiteral("BCD码"));
        setIndex(QStringLiteral("Combo4"), 2);
        break;
    default:
        setText(QStringLiteral("Label18"), QStringLiteral("ASCII"));
        setIndex(QStringLiteral("Combo4"), 0);
        break;
    }
    ReadAllStep = 10;
}

void showWakeDelays()
{
    const quint64 idle = quint64(d(1)) * 256 + quint64(d(2));
    const quint64 data = quint64(d(3)) * 256 + quint64(d(4));
    setText(QStringLiteral("Label22"), decimalText(idle, 4, 10) + QStringLiteral("s   ") +
                                           decimalText(data, 4, 10) + QStringLiteral("s"));
    setText(QStringLiteral("Text11"), QString::number(idle * 400));
    setText(QStringLiteral("Text13"), QString::number(data * 400));
    ReadAllStep = 12;
}

void showVersion()
{
    const QString settings = Link().settings();
    if (settings.size() >= 6)
        setText(QStringLiteral("Label7"),
                settings.left(settings.size() - 6) + QStringLiteral("bps"));
    QString version = QString::fromLatin1(RxBytes.constData() + 1, 11);
    version.remove(QChar(u'\0'));
    setText(QStringLiteral("Label8"), AlarmRecords::TrimSpaces(version));
    ReadAllStep = 1;
}

QString pendingText()
{
    readPending();
    ReplyText = AlarmRecords::AnsiText(RxBytes);
    return ReplyText;
}

void versionOrText()
{
    if (Link().bytesWaiting() >= VersionBytes) {
        if (readExactly(VersionBytes) && complete(VersionBytes))
            showVersion();
        endReply();
        return;
    }
    waitFor(0);
    const QString text = pendingText();
    if (text.contains(QLatin1String("SETOK:")))
        info(QStringLiteral("设置成功"), QStringLiteral("提示！！"));
    if (text.contains(QLatin1String("SETFAIL:")))
        warn(QStringLiteral("设置错误 "), QStringLiteral("提示！！"));
    endReply();
}

void phoneTableEntries()
{
    readPending();
    const QByteArray entries = RxBytes;
    const int count = ReplyHead.size() > 1 ? quint8(ReplyHead.at(1)) : 0;
    const int checksum = ReplyHead.isEmpty() ? -1 : quint8(ReplyHead.at(0));
    if ((ByteSum(entries, 0, int(entries.size())) + count) % 256 == checksum) {
        gridRows(count + 1);
        for (int i = 1; i <= count; ++i) {
            const int at = 6 * (i - 1);
            if (at + 6 > entries.size())
                break; // the reply holds no more entries
            QString number = hexShort(quint8(entries.at(at)));
            for (int k = 1; k < 6; ++k)
                number += ByteToHex(quint8(entries.at(at + k)));
            gridCell(i, 1, QString::number(i));
            gridCell(i, 2, number);
        }
    } else {
        info(QStringLiteral("号码表结构错误"), QStringLiteral("提示"));
    }
    if (Link().bytesWaiting() > 0)
        readPending(); // anything after the table is dropped
    endReply();
}

void showDiRecord(const QByteArray &record)
{
    using namespace AlarmRecords;
    const DiRecordFields f = DecodeDiRecord(record);
    if (f.trigger)
        select(*f.trigger == 1   ? QStringLiteral("Option10")
               : *f.trigger == 3 ? QStringLiteral("Option13")
                                 : QStringLiteral("Option9"));
    if (f.group) {
        if (*f.group == 1) {
            check(QStringLiteral("Check1"), true);
        } else if (*f.group == 2) {
            check(QStringLiteral("Check1"), true);
            check(QStringLiteral("Check2"), true);
        } else {
            check(QStringLiteral("Check1"), false);
        }
    }
    if (f.interval)
        setText(QStringLiteral("Text16"), QString::number(*f.interval * 10));
    if (f.lowFlag)
        select((*f.lowFlag & 0x80) ? QStringLiteral("Option12") : QStringLiteral("Option11"));
    if (f.highFlag)
        select((*f.highFlag & 0x80) ? QStringLiteral("Option14") : QStringLiteral("Option15"));
    if (f.lowText)
        setText(QStringLiteral("Text15"), TrimSpaces(*f.lowText));
    if (f.highText)
        setText(QStringLiteral("Text17"), *f.highText);
    if (f.count)
        setText(QStringLiteral("Text20"), QString::number(*f.count));
    if (f.relay)
        setIndex(QStringLiteral("Combo7"), *f.relay >= 1 && *f.relay <= 8 ? *f.relay - 1 : -1);
}

void showDoRecord(const QByteArray &record)
{
    using namespace AlarmRecords;
    const DoRecordFields f = DecodeDoRecord(record);
    if (f.mode)
        select(*f.mode == 2 ? QStringLiteral("Option17") : QStringLiteral("Option16"));
    if (f.reply) {
        if (*f.reply == 0) {
            check(QStringLiteral("Check5"), false);
        } else {
            check(QStringLiteral("Check5"), true);
            select(*f.reply == 2   ? QStringLiteral("Option18")
                   : *f.reply == 3 ? QStringLiteral("Option20")
                                   : QStringLiteral("Option19"));
        }
    }
    if (f.replyDelay)
        setText(QStringLiteral("Text18"), QString::number(*f.replyDelay));
    if (f.highDelay)
        setText(QStringLiteral("Text10"), QString::number(*f.highDelay));
    if (f.lowDelay)
        setText(QStringLiteral("Text14"), QString::number(*f.lowDelay));
    if (f.lowFlag)
        select((*f.lowFlag & 0x80) ? QStringLiteral("Option21") : QStringLiteral("Option22"));
    if (f.highFlag)
        select((*f.highFlag & 0x80) ? QStringLiteral("Option24") : QStringLiteral("Option23"));
    if (f.lowText)
        setText(QStringLiteral("Text12"), TrimSpaces(*f.lowText));
    if (f.highText)
        setText(QStringLiteral("Text8"), *f.highText);
    if (f.hold)
        check(QStringLiteral("Check6"), *f.hold == 1);
}

void recordBody(bool input)
{
    readPending();
    const QByteArray record = RxBytes;
    const int checksum = ReplyHead.size() > 2 ? quint8(ReplyHead.at(2)) : -1;
    if (ByteSum(record, 0, int(record.size())) == checksum) {
        if (input)
            showDiRecord(record);
        else
            showDoRecord(record);
        info(QStringLiteral("读取参数成功"), QStringLiteral("提示"));
    } else {
        info(QStringLiteral("读取参数失败"), QStringLiteral("提示"));
    }
    endReply();
}

void inputState()
{
    readPending();
    if (LastQueryCode == 0x98 && !RxBytes.isEmpty() && view()) {
        const char b = RxBytes.at(0);
        const QString value = b == '0'   ? QStringLiteral(" = 1")
                              : b == '1' ? QStringLiteral(" = 0")
                                         : QStringLiteral(" = ?");
        setText(QStringLiteral("Text19"),
                QStringLiteral("DI") +
                    QString::number(view()->comboIndex(QStringLiteral("Combo5"))) + value);
    }
    LastQueryCode = 0;
    endReply();
}

// A variable-length step of the frame machine, once the line has settled.
void settleStep()
{
    switch (RxStep) {
    case VersionOrText:
        versionOrText();
        break;
    case PhoneTableEntries:
        phoneTableEntries();
        break;
    case PhoneTableWritten: {
        const QString text = pendingText();
        if (text.startsWith(QLatin1String("SETOK:")))
            info(QStringLiteral("电话号码表设置成功"), QStringLiteral("提示！！"));
        if (text.startsWith(QLatin1String("SETFAIL:")))
            warn(QStringLiteral("电话号码表设置错误 "), QStringLiteral("提示！！"));
        endReply();
        break;
    }
    case RecordWriteText: {
        const QString text = pendingText();
        if (text.startsWith(QLatin1String("SETOK:")))
            info(QStringLiteral("设置成功"), QStringLiteral("提示"));
        if (text.startsWith(QLatin1String("SETFAIL:")))
            info(QStringLiteral("设置失败"), QStringLiteral("提示"));
        endReply();
        break;
    }
    case DiRecordBody:
        recordBody(true);
        break;
    case DoRecordBody:
        recordBody(false);
        break;
    case PhoneTableCleared: {
        const QString text = pendingText();
        if (text.startsWith(QLatin1String("CLROK:"))) {
            info(QStringLiteral("清空号码表成功"), QStringLiteral("提示！！"));
            gridRows(1);
        }
        if (text.startsWith(QLatin1String("CLRFAIL:")))
            warn(QStringLiteral("清空号码表失败"), QStringLiteral("提示！！"));
        endReply();
        break;
    }
    case InputState:
        inputState();
        break;
    default:
        break;
    }
}

// One fixed-size step of the frame machine; false when its bytes are not all waiting.
bool frameStep()
{
    switch (RxStep) {
    case WaitStart: {
        if (!readExactly(1) || !complete(1))
            return false;
        const quint8 b = quint8(RxBytes.at(0));
        if (b == 0x1A) {
            RxStep = CheckPreamble;
            waitFor(7);
        } else if (b == '<') {
            RxStep = InputState;
            waitFor(0);
        }
        return true;
    }
    case CheckPreamble:
        if (!readExactly(7))
            return false;
        if (RxBytes.size() == 7 &&
            std::memcmp(RxBytes.constData(), FramePreamble.constData() + 1, 7) == 0) {
            RxStep = ReplyCode;
            waitFor(1);
        } else {
            endReply();
        }
        return true;
    case ReplyCode:
        if (!readExactly(1))
            return false;
        if (complete(1))
            replyCode(quint8(RxBytes.at(0)));
        return true;
    case InitDone:
        if (!readExactly(1))
            return false;
        if (complete(1)) {
            const int value = d(0);
            if (value == 1)
                ShowMessage(QStringLiteral("模块初始化已经完成，您可以设置参数了"),
                            QStringLiteral("提示信息"), MsgIcon::None, MsgButtons::Ok);
            if (value >= 1 && value <= 3)
                endReply();
        }
        return true;
    case WorkForm:
        if (!readExactly(2))
            return false;
        if (complete(2)) {
            showWorkForm(quint8(d(1)));
            endReply();
        }
        return true;
    case TransferMode:
        if (!readExactly(2))
            return false;
        if (complete(2)) {
            showTransferMode(quint8(d(1)));
            endReply();
        }
        return true;
    case ReceiverNumber:
        if (!readExactly(7))
            return false;
        if (complete(7)) {
            const QString number = QStringLiteral("1") + ByteToHex(quint8(d(2))) +
                                   ByteToHex(quint8(d(3))) + ByteToHex(quint8(d(4))) +
                                   ByteToHex(quint8(d(5))) + ByteToHex(quint8(d(6)));
            setText(QStringLiteral("Label6"), number);
            setText(QStringLiteral("Text2"), number);
            ReadAllStep = 10;
            endReply();
        }
        return true;
    case PasswordMode:
        if (!readExactly(2))
            return false;
        if (complete(2)) {
            showPasswordMode(quint8(d(1)));
            endReply();
        }
        return true;
    case SmsPassword:
        if (!readExactly(5))
            return false;
        if (complete(5)) {
            setText(QStringLiteral("Label5"),
                    fields({quint8(d(1)), quint8(d(2)), quint8(d(3)), quint8(d(4))}));
            ReadAllStep = 4;
            endReply();
        }
        return true;
    case PassiveAddress:
        if (!readExactly(3))
            return false;
        if (complete(3)) {
            const QString address = fields({quint8(d(1)), quint8(d(2))});
            setText(QStringLiteral("Label9"), address);
            setText(QStringLiteral("Text3"), address);
            ReadAllStep = 6;
            endReply();
        }
        return true;
    case BaudRate:
        if (!readExactly(2))
            return false;
        endReply();
        return true;
    case RestartTime:
        if (!readExactly(5))
            return false;
        if (complete(5)) {
            const quint64 units =
                quint64(d(1)) << 24 | quint64(d(2)) << 16 | quint64(d(3)) << 8 | quint64(d(4));
            const QString seconds = decimalText(units, 5, 1000);
            setText(QStringLiteral("Text4"), seconds);
            setText(QStringLiteral("Label12"), seconds);
            ReadAllStep = 2;
            endReply();
        }
        return true;
    case TransparentMode:
        if (!readExactly(2))
            return false;
        if (complete(2)) {
            showTransparentMode(quint8(d(1)));
            endReply();
        }
        return true;
    case AddressSettings:
        if (!readExactly(5))
            return false;
        if (complete(5)) {
            showAddressSettings();
            endReply();
        }
        return true;
    case PowerSaving:
        if (!readExactly(2))
            return false;
        if (complete(2)) {
            if (d(1) == 0) {
                setText(QStringLiteral("Label19"), QStringLiteral("无省电"));
                select(QStringLiteral("Option6"));
                ReadAllStep = 100;
            } else {
                setText(QStringLiteral("Label19"), QStringLiteral("有省电"));
                select(QStringLiteral("Option5"));
                ReadAllStep = 11;
            }
            endReply();
        }
        return true;
    case WakeDelays:
        if (!readExactly(5))
            return false;
        if (complete(5)) {
            showWakeDelays();
            endReply();
        }
        return true;
    case PhoneTableReply:
        if (!readExactly(1))
            return false;
        switch (PhoneTableOp) {
        case 1:
            RxStep = PhoneTableWritten;
            waitFor(0);
            break;
        case 0:
            RxStep = PhoneTableHead;
            waitFor(2);
            break;
        case 2:
            RxStep = PhoneTableCleared;
            waitFor(0);
            break;
        default:
            endReply();
            break;
        }
        return true;
    case PhoneTableHead:
        if (!readExactly(2))
            return false;
        if (complete(2)) {
            ReplyHead = RxBytes;
            waitFor(0);
            const int count = d(1);
            if (count == 0 || count > 20) {
                info(QStringLiteral("号码表空"), QStringLiteral("提示"));
                gridRows(1);
                endReply();
            } else {
                RxStep = PhoneTableEntries;
            }
        }
        return true;
    case WakeMode:
        if (!readExactly(2))
            return false;
        if (complete(2)) {
            const bool mode1 = d(1) == 0;
            setText(QStringLiteral("Label30"),
                    mode1 ? QStringLiteral("模式1") : QStringLiteral("模式2"));
            select(mode1 ? QStringLiteral("Option7") : QStringLiteral("Option8"));
            ReadAllStep = 13;
            endReply();
        }
        return true;
    case RecordWriteStatus:
        if (!readExactly(1))
            return false;
        if (d(0) == 3) {
            RxStep = RecordWriteText;
            waitFor(0);
        }
        return true;
    case DiRecordHead:
    case DoRecordHead:
        if (!readExactly(3))
            return false;
        if (complete(3)) {
            ReplyHead = RxBytes;
            waitFor(0);
            RxStep = RxStep == DiRecordHead ? DiRecordBody : DoRecordBody;
        }
        return true;
    case FirmwareModel:
        if (!readExactly(3))
            return false;
        if (complete(3)) {
            setText(QStringLiteral("Label50"), hexShort(quint8(d(1))) + hexShort(quint8(d(2))));
            ReadAllStep = 20;
            endReply();
        }
        return true;
    case AlarmModes:
        if (!readExactly(9))
            return false;
        if (complete(9)) {
            for (int i = 1; i <= 8; ++i) {
                const int mode = d(i);
                setText(QStringLiteral("Combo9_") + QString::number(i - 1),
                        mode == 1   ? QStringLiteral("电话")
                        : mode == 2 ? QStringLiteral("短信")
                        : mode == 3 ? QStringLiteral("电话+短信")
                                    : QStringLiteral("无"));
            }
            endReply();
        }
        return true;
    default:
        endReply(); // a step this machine does not know
        return true;
    }
}

// ---- text machines of the communication test ---------------------------------------------------

bool passiveStep()
{
    ParserState &s = state();
    switch (RxStep) {
    case 0: {
        if (!readExactly(1) || !complete(1))
            return false;
        const char b = RxBytes.at(0);
        if (b == '!') {
            RxStep = 1;
            waitFor(2);
        } else if (b == '?') {
            RxStep = 7;
            waitFor(3);
        }
        return true;
    }
    case 1:
        if (!readExactly(2))
            return false;
        if (complete(2)) {
            s.a0 = quint8(d(0));
            s.a1 = quint8(d(1));
            RxStep = 2;
            waitFor(1);
        }
        return true;
    case 2:
        if (!readExactly(1))
            return false;
        if (!complete(1))
            return true;
        switch (SmsTestCommand) {
        case 1:
            s.a2 = quint8(d(0));
            RxStep = 3;
            waitFor(1);
            break;
        case 2:
            s.a2 = quint8(d(0));
            RxStep = 6;
            waitFor(2);
            break;
        case 3:
            addLine(fields({0x21, s.a0, s.a1, quint8(d(0))}));
            status(QStringLiteral("格式正确"));
            endReply();
            break;
        default:
            break;
        }
        return true;
    case 3:
        if (!readExactly(1))
            return false;
        if (complete(1)) {
            s.a3 = quint8(d(0));
            if (s.a2 == 0 && s.a3 == 0) {
                RxStep = 4;
            } else {
                ReplyText = fields({0x21, s.a0, s.a1, s.a2, s.a3});
                RxStep = 5;
            }
            waitFor(1);
        }
        return true;
    case 4:
        if (!readExactly(1))
            return false;
        if (complete(1)) {
            addLine(fields({0x21, s.a0, s.a1, s.a2, s.a3, quint8(d(0))}));
            status(QStringLiteral("读短信空"));
            endReply();
        }
        return true;
    case 5: {
        // Message bytes: each one is logged and keeps rTimer from ending the message.
        if (Link().bytesWaiting() < 1)
            return false;
        readPending();
        for (const char b : std::as_const(RxBytes)) {
            appendField(ReplyText, quint8(b));
            restartReplyTimer();
            status(QStringLiteral("接收短信"));
        }
        waitFor(1);
        return true;
    }
    case 6:
        if (!readExactly(2))
            return false;
        if (complete(2)) {
            addLine(fields({0x21, s.a0, s.a1, s.a2, quint8(d(0)), quint8(d(1))}));
            status(d(0) == 2   ? QStringLiteral("正在发送")
                   : d(0) == 1 ? QStringLiteral("发送失败")
                               : QStringLiteral("发送成功"));
            endReply();
        }
        return true;
    case 7:
        if (!readExactly(3))
            return false;
        if (complete(3)) {
            addLine(fields({0x3F, quint8(d(0)), quint8(d(1)), quint8(d(2))}));
            status(QStringLiteral("格式错误"));
            endReply();
        }
        return true;
    default:
        endReply();
        return true;
    }
}

bool activeStep()
{
    if (TransferModeFlag == 0) {
        // Transparent: every byte is message data.
        if (Link().bytesWaiting() < 1)
            return false;
        readPending();
        for (const char b : std::as_const(RxBytes)) {
            appendField(ReplyText, quint8(b));
            restartReplyTimer();
        }
        endReply();
        return true;
    }
    if (TransferModeFlag != 1)
        return false; // no machine for this transmission mode: the bytes stay waiting
    switch (RxStep) {
    case 0:
        if (!readExactly(1) || !complete(1))
            return false;
        if (quint8(RxBytes.at(0)) == 0xD7) {
            RxStep = 1;
        } else if (quint8(RxBytes.at(0)) == 0xD8) {
            ReplyText = fields({0xD8});
            RxStep = 2;
        }
        return true;
    case 1:
        if (!readExactly(1) || !complete(1))
            return false;
        switch (quint8(RxBytes.at(0))) {
        case 0xFA:
            addLine(fields({0xD7, 0xFA}));
            status(QStringLiteral("发送成功"));
            endReply();
            break;
        case 0xFC:
            addLine(fields({0xD7, 0xFC}));
            status(QStringLiteral("发送失败"));
            endReply();
            break;
        case 0xFF:
            addLine(fields({0xD7, 0xFF}));
            status(QStringLiteral("没有上网"));
            endReply();
            break;
        case 0x01:
            status(QStringLiteral("接收短信"));
            ReplyText = fields({0xD7, 0x01});
            RxStep = 2;
            break;
        default:
            break;
        }
        return true;
    case 2:
        if (Link().bytesWaiting() < 1)
            return false;
        readPending();
        for (const char b : std::as_const(RxBytes)) {
            appendField(ReplyText, quint8(b));
            restartReplyTimer();
        }
        waitFor(1);
        return true;
    default:
        endReply();
        return true;
    }
}

// ---- outer loop ---------------------------------------------------------------------------------

QTimer *settleTimer()
{
    ParserState &s = state();
    if (!s.settleTimer) {
        s.settleTimer = new QTimer; // lives for the whole run, like the parser
        s.settleTimer->setSingleShot(true);
        s.settleTimer->setInterval(AlarmSettleTickMs);
        QObject::connect(s.settleTimer, &QTimer::timeout, &AlarmParserSettleTick);
    }
    return s.settleTimer;
}

void startSettle()
{
    QTimer *timer = settleTimer();
    if (timer->isActive())
        return;
    ParserState &s = state();
    s.settleSeen = Link().bytesWaiting();
    s.quietTicks = 0;
    timer->start();
}

void stopSettle()
{
    ParserState &s = state();
    if (s.settleTimer)
        s.settleTimer->stop();
    s.settleSeen = -1;
    s.quietTicks = 0;
}

// Runs steps while their bytes are waiting. A variable-length step hands over to the settle
// timer; the 12-byte version reply needs no settling once all 12 bytes are there.
void pump()
{
    for (;;) {
        if (settleActive()) {
            if (RxStep == VersionOrText && Link().bytesWaiting() >= VersionBytes) {
                stopSettle();
                versionOrText();
                continue;
            }
            startSettle();
            return;
        }
        bool acted = false;
        if (ParamTabActive)
            acted = frameStep();
        else if (WorkFormFlag == 0)
            acted = passiveStep();
        else
            acted = activeStep();
        if (!acted)
            return;
    }
}

} // namespace

void ParseAlarmReply()
{
    ParserState &s = state();
    if (s.running)
        return;
    s.running = true;
    pump();
    s.running = false;
}

void AlarmParserSettleTick()
{
    ParserState &s = state();
    QTimer *timer = settleTimer();
    if (ProtocolId != ProtocolAlarm) {
        stopSettle(); // another parser owns the line now
        return;
    }
    // Called by the timer when it fires, or directly (tests) while it still runs: either way
    // the timer runs on afterwards until the step has acted.
    auto again = [timer] {
        if (!timer->isActive())
            timer->start();
    };
    if (s.running || Link().isDelivering()) {
        again(); // a message box of a running step is open: look again later
        return;
    }
    if (!settleActive()) {
        // The step changed meanwhile (a refresh, a tab switch): serve whatever waits.
        stopSettle();
        s.running = true;
        pump();
        s.running = false;
        return;
    }
    const qint64 waiting = Link().bytesWaiting();
    if (waiting != s.settleSeen) {
        s.settleSeen = waiting;
        s.quietTicks = 0;
        again();
        return;
    }
    if (++s.quietTicks < AlarmSettleQuietTicks) {
        again();
        return;
    }
    if (waiting == 0) {
        stopSettle(); // the line is idle: the step is tried again on the next delivery
        return;
    }
    if (waiting < settleMinimum(RxStep)) {
        s.quietTicks = 0;
        again(); // not enough for this step yet: keep looking
        return;
    }
    stopSettle();
    s.running = true;
    settleStep();
    pump();
    s.running = false;
}

bool AlarmParserSettling()
{
    return state().settleTimer && state().settleTimer->isActive();
}

void ResetAlarmParser()
{
    stopSettle();
    ParserState &s = state();
    s.a0 = s.a1 = s.a2 = s.a3 = 0;
}

void SetAlarmView(AlarmView *view)
{
    state().view = view;
}

AlarmView *CurrentAlarmView()
{
    return state().view;
}

void RegisterAlarmParser()
{
    SetReplyParser(ProtocolAlarm, &ParseAlarmReply);
}
