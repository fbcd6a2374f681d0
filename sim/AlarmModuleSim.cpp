#include "sim/AlarmModuleSim.h"

#include <QDateTime>
#include <algorithm>
#include <utility>

namespace {

constexpr int InputRecordSize = 187;
constexpr int RelayRecordSize = 129;
constexpr int PhoneEntrySize = 6;
constexpr int PhoneTableMax = 20;
constexpr int TransparentPauseMs = 50;
constexpr int InboxSize = 20;
constexpr int MaxTextLength = 1024; // longer "$" frames are taken as line garbage
constexpr char Cr = 0x0D;

const QByteArray OkText = QByteArrayLiteral("SETOK:");
const QByteArray FailText = QByteArrayLiteral("SETFAIL:");
const QByteArray Noise = QByteArray::fromHex("FF0055AA");
// The lead-in of every frame, written out here rather than taken from the product, like the sum
// below: a fault in the product's copy must not hide behind the module it talks to.
const QByteArray Preamble = QByteArray::fromHex("1A2A3A4A5A6A7A8A");

// The one-byte checksum of the module: the sum of bytes[from..to-1], modulo 256.
quint8 Sum(const QByteArray &bytes, int from, int to)
{
    unsigned total = 0;
    for (int i = from; i < to && i < bytes.size(); ++i)
        total += quint8(bytes.at(i));
    return quint8(total);
}

QByteArray Ucs2(const QString &text)
{
    QByteArray bytes;
    for (const QChar unit : text) {
        bytes.append(char(unit.unicode() >> 8));
        bytes.append(char(unit.unicode() & 0xFF));
    }
    return bytes;
}

// A text field of a settings record: header byte (UCS-2 byte count) and the bytes at the field.
void PutText(QByteArray &record, int headerAt, int fieldAt, const QString &text)
{
    const QByteArray bytes = Ucs2(text);
    record[headerAt] = char(bytes.size());
    record.replace(fieldAt, bytes.size(), bytes);
}

// Whole frame length of a request, from its code and operation byte; -1 for unknown requests.
int RequestLength(quint8 code, quint8 op)
{
    switch (code) {
    case 0x98:
        return 10; // byte 9 is the input channel
    case 0x99:
        return 11; // bytes 9 and 10 are relay and action
    case 0xFE:
    case 0xAB:
    case 0xD6:
        return op == 0x03 ? 10 : -1;
    case 0xD5:
        return op == 0x01 ? 10 : -1;
    case 0xF2:
    case 0xDA:
        return op == 0x01 ? 11 : -1;
    case 0xA3:
        return op == 0x02 ? 10 : op == 0x01 ? 14 : -1;
    case 0xB4:
        return op == 0x02 ? 11 : op == 0x01 ? 12 + InputRecordSize : -1;
    case 0xB5:
        return op == 0x02 ? 11 : op == 0x01 ? 12 + RelayRecordSize : -1;
    case 0xD9:
        return op == 0x01 ? 10 : op == 0x02 ? 183 : op == 0x04 ? 11 : -1;
    default:
        break;
    }
    if (op == 0x03) {
        switch (code) {
        case 0xA1:
        case 0xA2:
        case 0xAC:
        case 0xD1:
        case 0xD2:
        case 0xD3:
        case 0xDB:
        case 0xE1:
        case 0xE2:
        case 0xEC:
        case 0xF1:
        case 0xF8:
        case 0xF9:
        case 0xFB:
            return 10;
        default:
            return -1;
        }
    }
    if (op != 0x01)
        return -1;
    switch (code) {
    case 0xA1:
    case 0xD1:
    case 0xD3:
    case 0xF8:
    case 0xF9:
    case 0xFB:
        return 11;
    case 0xE2:
        return 12;
    case 0xA3:
    case 0xD2:
    case 0xDB:
    case 0xE1:
    case 0xF1:
        return 14;
    case 0xA2:
    case 0xEC:
        return 16;
    case 0xAC:
        return 18;
    default:
        return -1;
    }
}

// Settings of one byte.
const struct ByteSetting {
    quint8 code;
    quint8 AlarmModuleState::*value;
} ByteSettings[] = {
    {0xF8, &AlarmModuleState::workForm},        {0xF9, &AlarmModuleState::transferMode},
    {0xFB, &AlarmModuleState::transparentMode}, {0xD3, &AlarmModuleState::powerSaving},
    {0xDB, &AlarmModuleState::wakeMode},        {0xA1, &AlarmModuleState::passwordMode},
};

// Settings of several bytes, kept as written.
const struct BlockSetting {
    quint8 code;
    int size;
    quint8 *(*bytes)(AlarmModuleState &);
} BlockSettings[] = {
    {0xF1, 4, [](AlarmModuleState &s) { return s.password.data(); }},
    {0xE2, 2, [](AlarmModuleState &s) { return s.passiveAddress.data(); }},
    {0xA2, 6, [](AlarmModuleState &s) { return s.receiverNumber.data(); }},
    {0xE1, 4, [](AlarmModuleState &s) { return s.addressSettings.data(); }},
    {0xAC, 8, [](AlarmModuleState &s) { return s.deliveryModes.data(); }},
};

QByteArray Bytes(const quint8 *data, int size)
{
    return QByteArray(reinterpret_cast<const char *>(data), size);
}

QByteArray Length16(int n)
{
    QByteArray bytes(2, '\0');
    bytes[0] = char((n >> 8) & 0xFF);
    bytes[1] = char(n & 0xFF);
    return bytes;
}

int Value16(const QByteArray &bytes, int at)
{
    return quint8(bytes.at(at)) * 256 + quint8(bytes.at(at + 1));
}

QByteArray CurrentTimestamp()
{
    const QDateTime now = QDateTime::currentDateTime();
    const int fields[6] = {now.date().year() % 100, now.date().month(),  now.date().day(),
                           now.time().hour(),       now.time().minute(), now.time().second()};
    QByteArray bytes;
    for (const int v : fields)
        bytes.append(char((v / 10) << 4 | (v % 10)));
    return bytes;
}

} // namespace

AlarmModuleState::AlarmModuleState()
{
    // Factory records: alarm on the high level with the texts the program shows at first, and
    // relays in level output switched by "设备开" / "设备关".
    for (QByteArray &record : inputRecords) {
        record = QByteArray(InputRecordSize, '\0');
        record[0] = 2; // high level only
        PutText(record, 3, 5, QStringLiteral(u"设备已关闭\r\n"));
        PutText(record, 4, 95, QStringLiteral(u"设备已开启\r\n"));
        record[185] = 1; // one alarm
    }
    for (QByteArray &record : relayRecords) {
        record = QByteArray(RelayRecordSize, '\0');
        record[0] = 1; // level output
        PutText(record, 5, 7, QStringLiteral(u"设备关"));
        PutText(record, 6, 67, QStringLiteral(u"设备开"));
    }
}

AlarmModuleSim::AlarmModuleSim(QObject *parent) : QObject(parent), m_rng(m_options.seed)
{
    m_outTimer.setSingleShot(true);
    connect(&m_outTimer, &QTimer::timeout, this, &AlarmModuleSim::deliverNext);
    m_transparentTimer.setSingleShot(true);
    m_transparentTimer.setInterval(TransparentPauseMs);
    connect(&m_transparentTimer, &QTimer::timeout, this, &AlarmModuleSim::finishTransparentInput);
    connect(&m_incomingTimer, &QTimer::timeout, this, [this] {
        receiveSms(
            IncomingSms(QStringLiteral("13912345678"), QStringLiteral("测试短信：门磁报警")));
    });
}

void AlarmModuleSim::setOptions(const AlarmSimOptions &options)
{
    m_options = options;
    m_rng.seed(options.seed);
    if (options.incomingEveryMs > 0)
        m_incomingTimer.start(options.incomingEveryMs);
    else
        m_incomingTimer.stop();
}

// ---- input ----------------------------------------------------------------------------------

void AlarmModuleSim::feed(const QByteArray &bytes)
{
    if (m_options.silent)
        return;
    m_in += bytes;
    processInput();
}

void AlarmModuleSim::processInput()
{
    while (!m_in.isEmpty()) {
        const char first = m_in.at(0);
        bool more;
        if (first == Preamble.at(0))
            more = takeBinaryFrame();
        else if (m_state.workForm == 0 && first == '$')
            more = takePassiveFrame();
        else if (m_state.workForm != 0)
            more = takeActiveFrame();
        else {
            m_in.remove(0, 1); // line noise
            more = true;
        }
        if (!more)
            return; // waiting for the rest of a frame
    }
}

// Returns false while the frame at the head of the input is not complete.
bool AlarmModuleSim::takeBinaryFrame()
{
    const int have = int(qMin<qsizetype>(m_in.size(), Preamble.size()));
    if (m_in.left(have) != Preamble.left(have)) {
        if (m_state.workForm != 0 && !m_transparent.isEmpty()) {
            // A 0x1A inside transparent data in active work form belongs to the message.
            m_transparent.append(m_in.at(0));
            m_transparentTimer.start();
        }
        m_in.remove(0, 1);
        return true;
    }
    if (m_in.size() < 10)
        return false;
    if (!m_transparent.isEmpty())
        finishTransparentInput(); // a frame ends a transparent message
    const int length = RequestLength(quint8(m_in.at(8)), quint8(m_in.at(9)));
    if (length < 0) {
        m_in.remove(0, 10); // unknown request: its payload length is unknown, resynchronise
        return true;
    }
    if (m_in.size() < length) {
        // A new preamble inside an incomplete frame means the frame was cut short.
        const qsizetype next = m_in.indexOf(Preamble, 1);
        if (next > 0) {
            m_in.remove(0, next);
            return true;
        }
        return false;
    }
    const QByteArray frame = m_in.left(length);
    m_in.remove(0, length);
    m_requests.append(frame);
    handleFrame(frame);
    return true;
}

// "$" a1 a2 "R" CR or "$" a1 a2 "W" L(2) data CR.
bool AlarmModuleSim::takePassiveFrame()
{
    if (m_in.size() < 4)
        return false;
    const QByteArray address = m_in.mid(1, 2);
    const bool forUs = address == Bytes(m_state.passiveAddress.data(), 2);
    const char kind = m_in.at(3);
    if (kind == 'R')
        return takePassiveRead(address, forUs);
    if (kind == 'W')
        return takePassiveWrite(address, forUs);
    m_in.remove(0, 4);
    if (forUs) {
        m_requests.append(QByteArray("$") + address + kind);
        answer(QByteArray("?") + address + Cr);
    }
    return true;
}

// "$" a1 a2 "R" CR: the oldest message in the inbox, or a length of 0.
bool AlarmModuleSim::takePassiveRead(const QByteArray &address, bool forUs)
{
    if (m_in.size() < 5)
        return false;
    const QByteArray frame = m_in.left(5);
    m_in.remove(0, 5);
    if (!forUs)
        return true;
    m_requests.append(frame);
    if (frame.at(4) != Cr) {
        answer(QByteArray("?") + address + Cr);
        return true;
    }
    if (m_state.inbox.isEmpty()) {
        answer(QByteArray("!") + address + QByteArray::fromHex("0000") + Cr);
        return true;
    }
    const SimSms sms = m_state.inbox.takeFirst();
    QByteArray body;
    if (m_state.transferMode != 0)
        body = QByteArray::fromHex("D701") + sms.number + Length16(int(sms.content.size())) +
               sms.content + sms.timestamp;
    else
        body = sms.content;
    answer(QByteArray("!") + address + Length16(int(body.size())) + body + Cr);
    return true;
}

// "$" a1 a2 "W" 00 00 CR asks for the send state; with a length it sends a message.
bool AlarmModuleSim::takePassiveWrite(const QByteArray &address, bool forUs)
{
    const QByteArray error = QByteArray("?") + address + Cr;
    if (m_in.size() < 6)
        return false;
    const int length = Value16(m_in, 4);
    if (length > MaxTextLength) {
        m_in.remove(0, 6);
        if (forUs)
            answer(error);
        return true;
    }
    if (m_in.size() < 7 + length)
        return false;
    const QByteArray frame = m_in.left(7 + length);
    m_in.remove(0, 7 + length);
    if (!forUs)
        return true;
    m_requests.append(frame);
    if (frame.at(6 + length) != Cr) {
        answer(error);
        return true;
    }
    if (length == 0) {
        answer(QByteArray("!") + address + 'W' + char(m_state.smsSendState) + Cr);
        return true;
    }
    const QByteArray data = frame.mid(6, length);
    SimSms sms;
    if (m_state.transferMode != 0) {
        const bool wellFormed = length >= 10 && quint8(data.at(0)) == 0xD7 &&
                                quint8(data.at(1)) == 0x01 && Value16(data, 8) + 10 == length;
        if (!wellFormed) {
            answer(error);
            return true;
        }
        sms.number = data.mid(2, 6);
        sms.content = data.mid(10);
    } else {
        sms.number = Bytes(m_state.receiverNumber.data(), 6);
        sms.content = data;
    }
    handleSend(sms);
    answer(QByteArray("!") + address + Cr);
    return true;
}

// Active work form: format frames D7 01 r1..r6 L content, or raw transparent data.
bool AlarmModuleSim::takeActiveFrame()
{
    if (m_state.transferMode == 0) {
        const qsizetype end = m_in.indexOf(Preamble.at(0));
        const qsizetype take = end < 0 ? m_in.size() : end;
        m_transparent += m_in.left(take);
        m_in.remove(0, take);
        m_transparentTimer.start();
        return true;
    }
    if (quint8(m_in.at(0)) != 0xD7) {
        m_in.remove(0, 1);
        return true;
    }
    if (m_in.size() < 2)
        return false;
    if (quint8(m_in.at(1)) != 0x01) {
        m_in.remove(0, 1);
        return true;
    }
    if (m_in.size() < 10)
        return false;
    const int length = Value16(m_in, 8);
    if (m_in.size() < 10 + length)
        return false;
    const QByteArray frame = m_in.left(10 + length);
    m_in.remove(0, 10 + length);
    m_requests.append(frame);
    if (!m_state.online) {
        answer(QByteArray::fromHex("D7FF"));
        return true;
    }
    handleSend({frame.mid(2, 6), frame.mid(10), {}});
    answer(QByteArray::fromHex(m_state.smsSendResult == 1 ? "D7FC" : "D7FA"));
    return true;
}

void AlarmModuleSim::finishTransparentInput()
{
    m_transparentTimer.stop();
    if (m_transparent.isEmpty())
        return;
    m_requests.append(m_transparent);
    handleSend({Bytes(m_state.receiverNumber.data(), 6), m_transparent, {}});
    m_transparent.clear();
}

void AlarmModuleSim::handleSend(const SimSms &sms)
{
    m_state.sentMessages.append(sms);
    m_state.smsSendState = m_state.online ? m_state.smsSendResult : 1;
}

SimSms IncomingSms(const QString &number, const QString &text)
{
    SimSms sms;
    sms.number = QByteArray(6, '\0');
    auto digit = [&number](int i) {
        return i < number.size() ? number.at(i).digitValue() & 15 : 0;
    };
    sms.number[0] = char(digit(0));
    for (int k = 0; k < 5; ++k)
        sms.number[1 + k] = char(digit(1 + 2 * k) << 4 | digit(2 + 2 * k));
    for (const QChar c : text)
        sms.content.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    return sms;
}

void AlarmModuleSim::receiveSms(const SimSms &sms)
{
    SimSms message = sms;
    if (message.timestamp.size() != 6)
        message.timestamp = CurrentTimestamp();
    if (m_state.workForm == 0) {
        // The module's memory holds a limited number of messages; further ones are lost.
        if (m_state.inbox.size() < InboxSize)
            m_state.inbox.append(message);
        return;
    }
    if (m_state.transferMode == 0)
        answer(message.content);
    else
        answer(QByteArray::fromHex("D701") + message.number +
               Length16(int(message.content.size())) + message.content + message.timestamp);
}

void AlarmModuleSim::announceStart()
{
    answer(frameAnswer(0xFD, QByteArray(1, 0x01)));
}

// ---- binary requests ------------------------------------------------------------------------

QByteArray AlarmModuleSim::frameAnswer(quint8 code, const QByteArray &body)
{
    return Preamble + char(code) + body;
}

void AlarmModuleSim::handleFrame(const QByteArray &frame)
{
    const quint8 code = quint8(frame.at(8));
    const quint8 op = quint8(frame.at(9));
    const bool write = op == 0x01;
    auto at = [&frame](int i) { return quint8(frame.at(i)); };
    // Two-byte answers: 00 then the value.
    auto value = [&](quint8 v) { answer(frameAnswer(code, QByteArray(1, '\0') + char(v))); };

    if (handleSetting(frame))
        return;
    switch (code) {
    case 0xFE:
        answer(frameAnswer(0xFD, Bytes(m_state.moduleInfo.data(), 3)));
        break;
    case 0xD1:
        if (write)
            m_state.netMode = at(10); // the module restarts; nothing is answered
        else
            value(m_state.netMode);
        break;
    case 0xF2:
        m_state.baudCode = at(10);
        value(m_state.baudCode);
        break;
    case 0xD6:
        answer(frameAnswer(code, QByteArray(2, '\0')));
        break;
    case 0xAB:
        answer(frameAnswer(code, Bytes(m_state.model.data(), 3)));
        break;
    case 0xEC:
        if (write) {
            answer(frameAnswer(code, frame.mid(10, 6) == m_state.versionCode ? OkText : FailText));
        } else {
            QByteArray text = m_state.version.left(11);
            text.append(11 - text.size(), ' ');
            answer(frameAnswer(code, ' ' + text));
        }
        break;
    case 0x98: {
        const quint8 channel = op;
        char level = '?';
        if (channel < 8)
            level = m_state.inputLevels[channel] ? '0' : '1';
        answer(QByteArray("<") + level);
        break;
    }
    case 0x99:
        if (op < 8)
            m_state.relayStates[op] = at(10);
        break;
    case 0xD5:
        ++m_state.parameterClears;
        break;
    case 0xB4:
    case 0xB5:
        if (write)
            handleRecordWrite(frame, code == 0xB4 ? InputRecordSize : RelayRecordSize);
        else
            handleRecordRead(code, at(10));
        break;
    case 0xD9:
        handlePhoneTable(frame);
        break;
    default:
        break; // DA: a VX8 mode switch, not for this module
    }
}

// A setting read (op 03 or 02) or written (op 01): a write stores the bytes after the operation,
// and both are answered with 00 and the setting. False when the code names no setting.
bool AlarmModuleSim::handleSetting(const QByteArray &frame)
{
    const quint8 code = quint8(frame.at(8));
    const bool write = quint8(frame.at(9)) == 0x01;
    auto zeroThen = [&](const QByteArray &bytes) {
        answer(frameAnswer(code, QByteArray(1, '\0') + bytes));
    };
    for (const ByteSetting &s : ByteSettings) {
        if (s.code == code) {
            if (write)
                m_state.*s.value = quint8(frame.at(10));
            zeroThen(QByteArray(1, char(m_state.*s.value)));
            return true;
        }
    }
    for (const BlockSetting &s : BlockSettings) {
        if (s.code == code) {
            quint8 *bytes = s.bytes(m_state);
            if (write)
                std::copy_n(frame.constData() + 10, s.size, bytes);
            zeroThen(Bytes(bytes, s.size));
            return true;
        }
    }
    if (code == 0xA3) {
        auto at = [&frame](int i) { return quint8(frame.at(i)); };
        if (write)
            m_state.restartTime =
                quint32(at(10)) << 24 | quint32(at(11)) << 16 | quint32(at(12)) << 8 | at(13);
        const quint32 t = m_state.restartTime;
        const quint8 bytes[4] = {quint8(t >> 24), quint8(t >> 16), quint8(t >> 8), quint8(t)};
        zeroThen(Bytes(bytes, 4));
        return true;
    }
    if (code == 0xD2) {
        if (write) {
            m_state.idleDelay = quint16(Value16(frame, 10));
            m_state.dataDelay = quint16(Value16(frame, 12));
        }
        zeroThen(Length16(m_state.idleDelay) + Length16(m_state.dataDelay));
        return true;
    }
    return false;
}

void AlarmModuleSim::handleRecordRead(quint8 code, quint8 channel)
{
    if (channel >= 8)
        return; // no such input or relay: the module stays silent
    const QByteArray &record =
        code == 0xB4 ? m_state.inputRecords[channel] : m_state.relayRecords[channel];
    const QByteArray head = QByteArray(1, char(channel)) + char(record.size() + 1) +
                            char(Sum(record, 0, int(record.size())));
    answer(frameAnswer(code, head + record), 11);
}

void AlarmModuleSim::handleRecordWrite(const QByteArray &frame, int recordSize)
{
    const quint8 code = quint8(frame.at(8));
    const quint8 channel = quint8(frame.at(10));
    const bool valid = channel < 8 && Sum(frame, 12, 12 + recordSize) == quint8(frame.at(11));
    if (valid) {
        QByteArray &record =
            code == 0xB4 ? m_state.inputRecords[channel] : m_state.relayRecords[channel];
        record = frame.mid(12, recordSize);
    }
    answer(frameAnswer(code, QByteArray(1, 0x03) + (valid ? OkText : FailText)));
}

void AlarmModuleSim::handlePhoneTable(const QByteArray &frame)
{
    const quint8 op = quint8(frame.at(9));
    if (op == 0x01) {
        QByteArray entries;
        for (const QByteArray &entry : std::as_const(m_state.phoneTable))
            entries += entry;
        const char count = char(m_state.phoneTable.size());
        const char sum = char(Sum(count + entries, 0, int(entries.size()) + 1));
        entries.append(PhoneTableMax * PhoneEntrySize - entries.size(), '\0');
        answer(frameAnswer(0xD9, QByteArray(1, 0x01) + sum + count + entries), 10);
    } else if (op == 0x02) {
        const int count = quint8(frame.at(11));
        const bool valid = count >= 1 && count <= PhoneTableMax &&
                           Sum(frame, 11, 12 + PhoneEntrySize * count) == quint8(frame.at(10));
        if (valid) {
            m_state.phoneTable.clear();
            for (int i = 0; i < count; ++i)
                m_state.phoneTable.append(frame.mid(12 + PhoneEntrySize * i, PhoneEntrySize));
        }
        answer(frameAnswer(0xD9, QByteArray(1, 0x02) + (valid ? OkText : FailText)));
    } else {
        const bool valid = quint8(frame.at(10)) == 0x01;
        if (valid)
            m_state.phoneTable.clear();
        answer(frameAnswer(0xD9, QByteArray(1, 0x04) + (valid ? QByteArrayLiteral("CLROK:")
                                                              : QByteArrayLiteral("CLRFAIL:"))));
    }
}

// ---- output ---------------------------------------------------------------------------------

bool AlarmModuleSim::spend(FaultMode &mode)
{
    if (mode == FaultMode::Off)
        return false;
    if (mode == FaultMode::Once)
        mode = FaultMode::Off;
    return true;
}

void AlarmModuleSim::answer(const QByteArray &answerBytes, int checksumAt)
{
    QByteArray bytes = answerBytes;
    if (bytes.startsWith(Preamble) && spend(m_options.wrongPreamble))
        bytes[7] = char(0x8B);
    if (checksumAt >= 0 && spend(m_options.badChecksum))
        bytes[checksumAt] = char(quint8(bytes.at(checksumAt)) + 1);
    if (bytes.size() > 1 && spend(m_options.truncate))
        bytes.chop(1);
    if (spend(m_options.noise))
        bytes.prepend(Noise);

    int gap = m_options.replyDelayMs;
    while (!bytes.isEmpty()) {
        int size = int(bytes.size());
        if (m_options.chunkSize > 0) {
            size = m_options.randomChunks ? 1 + int(m_rng.bounded(quint32(m_options.chunkSize)))
                                          : m_options.chunkSize;
            size = qMin(size, int(bytes.size()));
        }
        m_out.append({bytes.left(size), gap});
        bytes.remove(0, size);
        gap = m_options.pieceGapMs;
    }
    if (!m_outTimer.isActive())
        startOutput();
}

void AlarmModuleSim::startOutput()
{
    if (!m_out.isEmpty())
        m_outTimer.start(m_out.first().gapMs);
}

void AlarmModuleSim::deliverNext()
{
    m_outTimer.stop();
    if (m_out.isEmpty())
        return;
    const Piece piece = m_out.takeFirst();
    startOutput(); // before the signal: its receiver may feed a new request
    Q_EMIT reply(piece.bytes);
}

void AlarmModuleSim::deliverAll()
{
    while (!m_out.isEmpty())
        deliverNext();
}
