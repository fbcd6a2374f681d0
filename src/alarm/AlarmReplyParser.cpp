#include "alarm/AlarmReplyParser.h"

#include "core/ByteRoutines.h"
#include "core/ByteSource.h"

#include <cstring>

namespace {

// Steps of the frame machine.
enum FrameStep : qint16 {
    WaitStart = 0,
    CheckPreamble = 100,
    CheckPreambleRest = 101, // a lead byte found inside a broken preamble: the rest of it
    ReplyCode = 1,
    InitDone = 2,
    WorkForm = 3,
    TransferMode = 4,
    ReceiverNumber = 5,
    PasswordMode = 6,
    SmsPassword = 7,
    VersionOrText = 8,
    PassiveAddress = 9,
    BaudAnswer = 10,
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
    InputRecordHead = 23,
    InputRecordBody = 24,
    RelayRecordHead = 25,
    RelayRecordBody = 26,
    PhoneTableCleared = 28,
    InputState = 30,
    FirmwareModel = 31,
    AlarmModes = 32,
};

// Steps of the passive text machine of the communication test.
enum PassiveStep : qint16 {
    PassiveStart = 0,     // "!" a1 a2 ... or "?" a1 a2 CR
    PassiveHead = 1,      // a1 a2 after "!"
    PassiveAnswer = 2,    // the byte after a1 a2, read as the open request says
    PassiveLength = 3,    // the low byte of a read message's length
    PassiveEmpty = 4,     // CR after a length of 0: no message stored
    PassiveMessage = 5,   // message bytes
    PassiveSendState = 6, // the state and CR after "W"
    PassiveRefused = 7,   // a1 a2 CR after "?"
};

constexpr int VersionBytes = 12;

bool isTextStep(qint16 step)
{
    return step == VersionOrText || step == PhoneTableWritten || step == RecordWriteText ||
           step == PhoneTableCleared;
}

bool endsWithAnswer(const QByteArray &text)
{
    for (const char *ending : {"SETOK:", "SETFAIL:", "CLROK:", "CLRFAIL:"})
        if (text.endsWith(ending))
            return true;
    return false;
}

quint8 sum(const QByteArray &bytes, int extra = 0)
{
    return quint8((ByteSum(bytes, 0, int(bytes.size())) + extra) % 256);
}

} // namespace

AlarmReplyParser::AlarmReplyParser(ByteSource &source, QObject *parent)
    : QObject(parent), m_source(source)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(QuietMs);
    connect(&m_quiet, &QTimer::timeout, this, &AlarmReplyParser::quietElapsed);
}

void AlarmReplyParser::setModuleForm(quint8 workForm, quint8 transferMode)
{
    m_workForm = workForm;
    m_transferMode = transferMode;
}

void AlarmReplyParser::expectInputRead(int channel)
{
    m_inputWrite = false;
    m_inputChannel = channel;
}
void AlarmReplyParser::expectInputWrite(int channel)
{
    m_inputWrite = true;
    m_inputChannel = channel;
}
void AlarmReplyParser::expectRelayRead(int channel)
{
    m_relayWrite = false;
    m_relayChannel = channel;
}
void AlarmReplyParser::expectRelayWrite(int channel)
{
    m_relayWrite = true;
    m_relayChannel = channel;
}
void AlarmReplyParser::expectInputState(int channel)
{
    m_stateQueried = true;
    m_stateChannel = channel;
}

void AlarmReplyParser::reset()
{
    m_quiet.stop();
    m_text.clear();
    m_message.clear();
    m_messageBytes = 0;
    m_step = WaitStart;
    waitFor(1);
}

void AlarmReplyParser::parse()
{
    if (m_running)
        return;
    m_running = true;
    for (;;) {
        bool acted = false;
        if (!m_frames)
            acted = m_workForm == 0 ? passiveStep() : activeStep();
        else if (isTextStep(m_step))
            acted = textStep();
        else
            acted = frameStep();
        if (!acted)
            break;
    }
    m_running = false;
}

void AlarmReplyParser::emitReply(const AlarmReplyValue &reply)
{
    if (m_handler)
        m_handler(reply);
}

void AlarmReplyParser::waitFor(int n)
{
    m_source.waitFor(n);
}

void AlarmReplyParser::endReply()
{
    m_step = WaitStart;
    waitFor(1);
}

bool AlarmReplyParser::read(int n)
{
    if (n == 0) {
        m_bytes.clear(); // an empty record
        return true;
    }
    if (m_source.bytesWaiting() < n)
        return false;
    m_bytes = m_source.readBytes(n);
    return m_bytes.size() == n;
}

int AlarmReplyParser::d(int i) const
{
    return quint8(m_bytes.at(i));
}

// The seven bytes after a lead byte were not the rest of the preamble. A lead byte among them
// whose following bytes do match may begin the real one (noise just before a frame): keep
// what matched and wait for the rest, so that the frame is not lost with the noise.
void AlarmReplyParser::resynchronise(const QByteArray &afterLead)
{
    for (int k = 0; k < afterLead.size(); ++k) {
        const int have = int(afterLead.size()) - k - 1;
        if (quint8(afterLead.at(k)) == 0x1A &&
            std::memcmp(afterLead.constData() + k + 1, FramePreamble.constData() + 1,
                        size_t(have)) == 0) {
            m_preambleHave = have;
            m_step = CheckPreambleRest;
            waitFor(7 - have);
            return;
        }
    }
    endReply();
}

void AlarmReplyParser::startText(qint16 step)
{
    m_step = step;
    m_text.clear();
    waitFor(1);
}

// ---- frame machine -------------------------------------------------------------------------

void AlarmReplyParser::replyCode(quint8 code)
{
    struct Entry {
        quint8 code;
        qint16 wait;
        qint16 step;
    };
    static const Entry table[] = {
        {0xFD, 1, InitDone},        {0xF8, 2, WorkForm},        {0xF9, 2, TransferMode},
        {0xA2, 7, ReceiverNumber},  {0xA1, 2, PasswordMode},    {0xF1, 5, SmsPassword},
        {0xE2, 3, PassiveAddress},  {0xF2, 2, BaudAnswer},      {0xA3, 5, RestartTime},
        {0xFB, 2, TransparentMode}, {0xE1, 5, AddressSettings}, {0xD3, 2, PowerSaving},
        {0xD2, 5, WakeDelays},      {0xD9, 1, PhoneTableReply}, {0xDB, 2, WakeMode},
        {0xAB, 3, FirmwareModel},   {0xAC, 9, AlarmModes},
    };
    switch (code) {
    case 0xEC:
        startText(VersionOrText);
        return;
    case 0xB4:
    case 0xA5:
        m_step = m_inputWrite ? RecordWriteStatus : InputRecordHead;
        waitFor(m_inputWrite ? 1 : 3);
        return;
    case 0xB5:
    case 0xA7:
        m_step = m_relayWrite ? RecordWriteStatus : RelayRecordHead;
        waitFor(m_relayWrite ? 1 : 3);
        return;
    default:
        break;
    }
    for (const Entry &e : table) {
        if (e.code == code) {
            m_step = e.step;
            waitFor(e.wait);
            return;
        }
    }
    endReply();
}

// Bytes the present step reads; -1 for a step this machine does not know.
int AlarmReplyParser::frameStepSize() const
{
    // Steps of a fixed size: they act once all their bytes are waiting.
    static const struct {
        qint16 step;
        int size;
    } sizes[] = {
        {WaitStart, 1},       {CheckPreamble, 7},   {ReplyCode, 1},      {InitDone, 1},
        {WorkForm, 2},        {TransferMode, 2},    {ReceiverNumber, 7}, {PasswordMode, 2},
        {SmsPassword, 5},     {PassiveAddress, 3},  {BaudAnswer, 2},     {RestartTime, 5},
        {TransparentMode, 2}, {AddressSettings, 5}, {PowerSaving, 2},    {WakeDelays, 5},
        {PhoneTableReply, 1}, {PhoneTableHead, 2},  {WakeMode, 2},       {RecordWriteStatus, 1},
        {InputRecordHead, 3}, {RelayRecordHead, 3}, {InputState, 1},     {FirmwareModel, 3},
        {AlarmModes, 9}};
    int size = -1;
    for (const auto &s : sizes)
        if (s.step == m_step)
            size = s.size;
    if (m_step == PhoneTableEntries)
        size = PhoneTableBytes;
    if (m_step == CheckPreambleRest)
        size = 7 - m_preambleHave;
    if (m_step == InputRecordBody || m_step == RelayRecordBody)
        size = qMax(0, int(quint8(m_head.at(1))) - 1);
    return size;
}

bool AlarmReplyParser::frameStep()
{
    namespace R = AlarmReply;
    const int size = frameStepSize();
    if (size < 0) {
        endReply(); // a step this machine does not know
        return true;
    }
    if (!read(size))
        return false;

    switch (m_step) {
    case WaitStart:
        if (d(0) == 0x1A) {
            m_step = CheckPreamble;
            waitFor(7);
        } else if (d(0) == '<') {
            m_step = InputState;
            waitFor(1);
        }
        break;
    case CheckPreamble:
    case CheckPreambleRest:
        checkPreamble();
        break;
    case ReplyCode:
        replyCode(quint8(d(0)));
        break;
    case InitDone:
        // Values 1..3 end the notice; any other value is taken as a notice again.
        if (d(0) >= 1 && d(0) <= 3) {
            endReply();
            emitReply(R::InitDone{quint8(d(0))});
        }
        break;
    case PhoneTableReply:
    case PhoneTableHead:
    case PhoneTableEntries:
        phoneTableStep();
        break;
    case RecordWriteStatus:
        // Status 3 announces the text result; other values are ignored.
        if (d(0) == 3)
            startText(RecordWriteText);
        break;
    case InputRecordHead:
    case RelayRecordHead:
        m_head = m_bytes;
        m_step = m_step == InputRecordHead ? InputRecordBody : RelayRecordBody;
        waitFor(qMax(1, int(quint8(m_head.at(1))) - 1));
        break;
    case InputRecordBody:
    case RelayRecordBody:
        recordBody();
        break;
    case InputState: {
        R::InputState state{m_stateQueried, m_stateChannel, char(d(0))};
        m_stateQueried = false;
        endReply();
        emitReply(state);
        break;
    }
    default:
        fixedReply();
        break;
    }
    return true;
}

// The seven bytes after a lead byte (or the rest of a preamble begun in them) are in.
void AlarmReplyParser::checkPreamble()
{
    const int have = m_step == CheckPreambleRest ? m_preambleHave : 0;
    if (std::memcmp(m_bytes.constData(), FramePreamble.constData() + 1 + have,
                    size_t(m_bytes.size())) == 0) {
        m_step = ReplyCode;
        waitFor(1);
    } else {
        resynchronise(FramePreamble.mid(1, have) + m_bytes);
    }
}

// D9: by the open request a text answer follows, or the count, the checksum and the entries.
void AlarmReplyParser::phoneTableStep()
{
    namespace R = AlarmReply;
    if (m_step == PhoneTableReply) {
        switch (m_phoneOp) {
        case PhoneOp::Write:
            startText(PhoneTableWritten);
            break;
        case PhoneOp::Read:
            m_step = PhoneTableHead;
            waitFor(2);
            break;
        case PhoneOp::Clear:
            startText(PhoneTableCleared);
            break;
        }
        return;
    }
    if (m_step == PhoneTableHead)
        m_head = m_bytes;
    R::PhoneTable table;
    table.checksum = quint8(m_head.at(0));
    table.count = quint8(m_head.at(1));
    if (m_step == PhoneTableHead && !table.empty()) {
        m_step = PhoneTableEntries;
        waitFor(PhoneTableBytes);
        return;
    }
    if (m_step == PhoneTableEntries) {
        table.expected = sum(m_bytes, table.count);
        table.checksumOk = table.expected == table.checksum;
        if (table.checksumOk) {
            for (int i = 0; i < table.count; ++i) {
                const int at = 6 * i;
                QString number = QString::number(quint8(m_bytes.at(at)), 16).toUpper();
                for (int k = 1; k < 6; ++k)
                    number += ByteToHex(quint8(m_bytes.at(at + k)));
                table.numbers << number;
            }
        }
    }
    endReply();
    emitReply(table);
}

// The body of an input or relay record whose head (channel, length, checksum) came before.
void AlarmReplyParser::recordBody()
{
    namespace R = AlarmReply;
    AlarmReplyValue reply;
    if (m_step == InputRecordBody) {
        R::InputRecord record;
        record.channel = m_inputChannel;
        record.checksum = quint8(m_head.at(2));
        record.expected = sum(m_bytes);
        record.checksumOk = record.expected == record.checksum;
        if (record.checksumOk)
            record.fields = AlarmRecords::DecodeDiRecord(m_bytes);
        reply = record;
    } else {
        R::RelayRecord record;
        record.channel = m_relayChannel;
        record.checksum = quint8(m_head.at(2));
        record.expected = sum(m_bytes);
        record.checksumOk = record.expected == record.checksum;
        if (record.checksumOk)
            record.fields = AlarmRecords::DecodeDoRecord(m_bytes);
        reply = record;
    }
    endReply();
    emitReply(reply);
}

// Replies of a fixed size; d0 is the byte after the reply code.
void AlarmReplyParser::fixedReply()
{
    namespace R = AlarmReply;
    AlarmReplyValue reply;
    switch (m_step) {
    case WorkForm:
        m_workForm = quint8(d(1));
        reply = R::WorkForm{quint8(d(1))};
        break;
    case TransferMode:
        m_transferMode = quint8(d(1));
        reply = R::TransferMode{quint8(d(1))};
        break;
    case ReceiverNumber: {
        QString number = QStringLiteral("1");
        for (int i = 2; i <= 6; ++i)
            number += ByteToHex(quint8(d(i)));
        reply = R::ReceiverNumber{number};
        break;
    }
    case PasswordMode:
        reply = R::PasswordMode{quint8(d(1))};
        break;
    case SmsPassword:
        reply = R::SmsPassword{{quint8(d(1)), quint8(d(2)), quint8(d(3)), quint8(d(4))}};
        break;
    case PassiveAddress:
        reply = R::PassiveAddress{quint8(d(1)), quint8(d(2))};
        break;
    case BaudAnswer:
        reply = R::BaudAnswer{quint8(d(1))};
        break;
    case RestartTime:
        reply = R::RestartTime{quint32(d(1)) << 24 | quint32(d(2)) << 16 | quint32(d(3)) << 8 |
                               quint32(d(4))};
        break;
    case TransparentMode:
        reply = R::TransparentMode{quint8(d(1))};
        break;
    case AddressSettings:
        reply = R::AddressSettings{quint8(d(1)), quint8(d(2)), quint8(d(3)), quint8(d(4))};
        break;
    case PowerSaving:
        reply = R::PowerSaving{quint8(d(1))};
        break;
    case WakeDelays:
        reply = R::WakeDelays{quint16(d(1) << 8 | d(2)), quint16(d(3) << 8 | d(4))};
        break;
    case WakeMode:
        reply = R::WakeMode{quint8(d(1))};
        break;
    case FirmwareModel:
        reply = R::FirmwareModel{quint8(d(1)), quint8(d(2))};
        break;
    case AlarmModes: {
        R::AlarmModes modes;
        for (int i = 0; i < 8; ++i)
            modes.modes[size_t(i)] = quint8(d(i + 1));
        reply = modes;
        break;
    }
    default:
        endReply();
        return;
    }
    endReply();
    emitReply(reply);
}

// ---- text answers ----------------------------------------------------------------------------

bool AlarmReplyParser::textStep()
{
    if (!read(1))
        return false;
    m_text += m_bytes;
    const bool versionDone = m_step == VersionOrText && m_text.size() >= VersionBytes;
    if (endsWithAnswer(m_text) || versionDone || m_text.size() >= LongestText)
        finishText();
    else
        m_quiet.start();
    return true;
}

void AlarmReplyParser::quietElapsed()
{
    m_quiet.stop();
    // A shorter text is a reply still arriving: it has no time limit.
    if (m_frames && isTextStep(m_step) && m_text.size() >= ShortestText)
        finishText();
}

void AlarmReplyParser::finishText()
{
    namespace R = AlarmReply;
    m_quiet.stop();
    const QByteArray bytes = m_text;
    const qint16 step = m_step;
    m_text.clear();
    endReply();
    if (step == VersionOrText && bytes.size() == VersionBytes && !endsWithAnswer(bytes)) {
        QString version = QString::fromLatin1(bytes.constData() + 1, VersionBytes - 1);
        version.remove(QChar(u'\0'));
        emitReply(R::Version{AlarmRecords::TrimSpaces(version)});
        return;
    }
    R::TextAnswer answer;
    answer.text = AlarmRecords::AnsiText(bytes);
    auto verdict = [&answer](bool ok, bool fail) {
        answer.verdict = ok     ? R::TextAnswer::Verdict::Ok
                         : fail ? R::TextAnswer::Verdict::Fail
                                : R::TextAnswer::Verdict::None;
    };
    switch (step) {
    case VersionOrText:
        answer.request = R::TextAnswer::Request::VersionCode;
        verdict(bytes.contains("SETOK:"), bytes.contains("SETFAIL:"));
        break;
    case PhoneTableWritten:
        answer.request = R::TextAnswer::Request::PhoneTableWrite;
        verdict(bytes.startsWith("SETOK:"), bytes.startsWith("SETFAIL:"));
        break;
    case PhoneTableCleared:
        answer.request = R::TextAnswer::Request::PhoneTableClear;
        verdict(bytes.startsWith("CLROK:"), bytes.startsWith("CLRFAIL:"));
        break;
    default:
        answer.request = R::TextAnswer::Request::RecordWrite;
        verdict(bytes.startsWith("SETOK:"), bytes.startsWith("SETFAIL:"));
        break;
    }
    emitReply(answer);
}

// ---- text machines of the communication test -------------------------------------------------

// A message starts with its head; the data timer starts at once, so a message whose data never
// comes still ends and is shown.
void AlarmReplyParser::startMessage(const QString &head, qint16 step)
{
    m_message = head;
    m_messageBytes = int(head.size() / 3);
    m_step = step;
    waitFor(1);
    emitReply(AlarmReply::TestData{m_message, false});
}

// Appends what is waiting to the message, up to the cap; at the cap the message is handed on
// as ended and the machine starts again.
bool AlarmReplyParser::readMessage()
{
    const qint64 room = MessageCap - m_messageBytes;
    const int n = int(qMin<qint64>(m_source.bytesWaiting(), qMax<qint64>(room, 1)));
    if (n < 1 || !read(n))
        return false;
    if (m_messageBytes == 0)
        m_message.clear();
    m_message.reserve(m_message.size() + 3 * n);
    for (int i = 0; i < m_bytes.size(); ++i)
        m_message += HexFields({quint8(m_bytes.at(i))});
    m_messageBytes += n;
    waitFor(1);
    if (m_messageBytes >= MessageCap) {
        const QString text = takeMessage();
        emitReply(AlarmReply::TestData{text, true});
    }
    return true;
}

QString AlarmReplyParser::takeMessage()
{
    QString text;
    text.swap(m_message);
    m_messageBytes = 0;
    endReply();
    return text;
}

// Ends the reply as a line of the test: the head bytes, then the bytes just read.
void AlarmReplyParser::endTestLine(std::initializer_list<quint8> head, const QString &status)
{
    QString text = HexFields(head);
    for (int i = 0; i < m_bytes.size(); ++i)
        text += HexFields({quint8(m_bytes.at(i))});
    endReply();
    emitReply(AlarmReply::TestLine{text, status});
}

bool AlarmReplyParser::passiveStep()
{
    namespace R = AlarmReply;
    if (m_step == PassiveMessage) {
        // Message bytes: each keeps the reply timer from ending the message.
        if (!readMessage())
            return false;
        emitReply(R::TestStatus{QStringLiteral("接收短信")});
        if (m_step == PassiveMessage)
            emitReply(R::TestData{m_message, false});
        return true;
    }
    static const struct {
        qint16 step;
        int size;
    } sizes[] = {{PassiveStart, 1}, {PassiveHead, 2},      {PassiveAnswer, 1}, {PassiveLength, 1},
                 {PassiveEmpty, 1}, {PassiveSendState, 2}, {PassiveRefused, 3}};
    int size = -1;
    for (const auto &s : sizes)
        if (s.step == m_step)
            size = s.size;
    if (size < 0) {
        endReply();
        return true;
    }
    if (!read(size))
        return false;
    switch (m_step) {
    case PassiveStart:
        if (d(0) == '!') {
            m_step = PassiveHead;
            waitFor(2);
        } else if (d(0) == '?') {
            m_step = PassiveRefused;
            waitFor(3);
        }
        break;
    case PassiveHead:
        m_a[0] = quint8(d(0));
        m_a[1] = quint8(d(1));
        m_step = PassiveAnswer;
        waitFor(1);
        break;
    case PassiveAnswer:
        passiveAnswer();
        break;
    case PassiveLength:
        m_a[3] = quint8(d(0));
        if (m_a[2] == 0 && m_a[3] == 0) {
            m_step = PassiveEmpty;
            waitFor(1);
        } else {
            startMessage(HexFields({0x21, m_a[0], m_a[1], m_a[2], m_a[3]}), PassiveMessage);
        }
        break;
    case PassiveEmpty:
        endTestLine({0x21, m_a[0], m_a[1], m_a[2], m_a[3]}, QStringLiteral("读短信空"));
        break;
    case PassiveSendState: {
        const int state = d(0);
        endTestLine({0x21, m_a[0], m_a[1], m_a[2]}, state == 2   ? QStringLiteral("正在发送")
                                                    : state == 1 ? QStringLiteral("发送失败")
                                                                 : QStringLiteral("发送成功"));
        break;
    }
    case PassiveRefused:
        endTestLine({0x3F}, QStringLiteral("格式错误"));
        break;
    }
    return true;
}

// The byte after "!" a1 a2: what it starts depends on the request the test has open.
void AlarmReplyParser::passiveAnswer()
{
    switch (m_testCommand) {
    case 1: // read a message: the high byte of its length
        m_a[2] = quint8(d(0));
        m_step = PassiveLength;
        waitFor(1);
        break;
    case 2: // the send state: "W", then the state and CR
        m_a[2] = quint8(d(0));
        m_step = PassiveSendState;
        waitFor(2);
        break;
    case 3: // a message sent: CR
        endTestLine({0x21, m_a[0], m_a[1]}, QStringLiteral("格式正确"));
        break;
    default:
        endReply(); // no request of the test is open: the reply is dropped
        break;
    }
}

bool AlarmReplyParser::activeStep()
{
    namespace R = AlarmReply;
    if (m_transferMode == 0) {
        // Transparent: every byte is message data.
        if (!readMessage())
            return false;
        if (m_messageBytes > 0)
            emitReply(R::TestData{m_message, false});
        return true;
    }
    if (m_transferMode != 1)
        return false; // no machine for this transmission mode: the bytes stay waiting
    switch (m_step) {
    case 0:
        if (!read(1))
            return false;
        if (d(0) == 0xD7) {
            m_step = 1;
        } else if (d(0) == 0xD8) {
            startMessage(HexFields({0xD8}), 2);
        }
        return true;
    case 1: {
        if (!read(1))
            return false;
        const quint8 b = quint8(d(0));
        const QString status = b == 0xFA   ? QStringLiteral("发送成功")
                               : b == 0xFC ? QStringLiteral("发送失败")
                               : b == 0xFF ? QStringLiteral("没有上网")
                                           : QString();
        if (!status.isEmpty()) {
            endReply();
            emitReply(R::TestLine{HexFields({0xD7, b}), status});
        } else if (b == 0x01) {
            emitReply(R::TestStatus{QStringLiteral("接收短信")});
            startMessage(HexFields({0xD7, 0x01}), 2);
        } else {
            endReply(); // not an answer of the module: dropped
        }
        return true;
    }
    case 2:
        if (!readMessage())
            return false;
        if (m_step == 2)
            emitReply(R::TestData{m_message, false});
        return true;
    default:
        endReply();
        return true;
    }
}
