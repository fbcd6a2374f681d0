#include "monitor/TrafficNamer.h"

#include "monitor/TrafficNames.h"

#include "alarm/AlarmFrames.h"
#include "connect/ConnectFrames.h"
#include "core/ByteRoutines.h"

namespace {

namespace N = TrafficNames;

N::Conversation ConversationOf(TrafficNamer::Family family)
{
    return family == TrafficNamer::Family::Data      ? N::Conversation::Data
           : family == TrafficNamer::Family::Connect ? N::Conversation::Connect
                                                     : N::Conversation::Alarm;
}

void setName(TrafficRow &row, const N::Name &name)
{
    row.kind = name.kind;
    row.fields = name.fields;
}

QString Spaced(const QByteArray &bytes)
{
    QString text = BytesToHexColon(bytes);
    text.replace(QLatin1Char(':'), QLatin1Char(' '));
    return text.trimmed();
}

// The communication test of the alarm window and the data exchange of the data window send
// the same "$" frames under their own captions.
QString TextFrameName(const QByteArray &frame, bool data)
{
    const bool read = frame.at(3) == 'R';
    const bool state = frame.size() == 7 && frame.at(4) == 0 && frame.at(5) == 0;
    if (data)
        return read    ? QStringLiteral("读取数据")
               : state ? QStringLiteral("判断内存")
                       : QStringLiteral("发送数据");
    return read    ? QStringLiteral("读取短信")
           : state ? QStringLiteral("发送状态")
                   : QStringLiteral("发送短信");
}

} // namespace

QByteArray TrafficNamer::Buffer::readBytes(int n)
{
    const qsizetype count = n <= 0 ? data.size() : qMin<qsizetype>(n, data.size());
    QByteArray out = data.left(count);
    data.remove(0, count);
    consumed += out;
    return out;
}

TrafficNamer::TrafficNamer(QObject *parent)
    : QObject(parent), m_parser(m_buffer, this), m_dataParser(m_buffer, this)
{
    m_parser.setReplyHandler([this](const AlarmReplyValue &reply) { onReply(reply); });
    m_dataParser.setReplyHandler([this](const DataReplyValue &reply) { onDataReply(reply); });
    restart();
}

void TrafficNamer::finish()
{
    flush();
    // What the parsers have read of a frame that has not ended, and what waits for them.
    QByteArray left = std::exchange(m_buffer.consumed, QByteArray()) + m_buffer.data +
                      std::exchange(m_connectFrame, QByteArray());
    m_buffer.data.clear();
    for (qsizetype at = 0; at < left.size(); at += LongestRun)
        addToRun(left.mid(at, LongestRun), N::UnfinishedFrame(), true);
    flush();
    restart();
}

void TrafficNamer::restart()
{
    m_runOpen = false;
    m_tailLeft = 0;
    m_buffer.data.clear();
    m_buffer.consumed.clear();
    m_parser.setFrameMachine(true);
    m_parser.reset();
    m_dataParser.setParameterMachine(true);
    m_dataParser.reset();
    m_connectFrame.clear();
    m_connectLength = -1;
}

void TrafficNamer::nameRequest(const QByteArray &frame, Family family, QString *kind,
                               QString *fields)
{
    const int size = int(frame.size());
    auto at = [&frame](int i) { return quint8(frame.at(i)); };
    if (frame.startsWith(FramePreamble) && size >= 9) {
        const quint8 code = at(8);
        QString action;
        int from = 10;
        if (code == 0x98 || code == 0x99) {
            action = code == 0x98 ? QStringLiteral("读取") : QString();
            from = 9;
        } else if (size < 10) {
            from = 9;
        } else if (code == 0xD9) {
            action = at(9) == 0x02   ? QStringLiteral("写入")
                     : at(9) == 0x04 ? QStringLiteral("清空")
                                     : QStringLiteral("读取");
        } else if (at(9) == 0x01) {
            action = QStringLiteral("设置");
        } else if (at(9) == 0x02 && code == 0xF4 && family == Family::Data) {
            action = QStringLiteral("替换");
        } else if (at(9) == 0x02 || at(9) == 0x03) {
            action = QStringLiteral("读取");
        } else {
            action = QStringLiteral("操作 ") + ByteToHex(at(9));
        }
        *kind = N::CodeText(code, ConversationOf(family)) +
                (action.isEmpty() ? QString() : QLatin1Char(' ') + action);
        *fields =
            Spaced(frame.mid(from, 32)) + (size - from > 32 ? QStringLiteral(" …") : QString());
        return;
    }
    if (size >= 5 && frame.at(0) == '$' && frame.endsWith('\r')) {
        *kind = TextFrameName(frame, family == Family::Data);
        *fields = QStringLiteral("地址 ") + Spaced(frame.mid(1, 2));
        return;
    }
    // Plain bytes: the message of the test in active work form, or data of the data exchange.
    *kind = family == Family::Data    ? QStringLiteral("发送数据")
            : family == Family::Alarm ? QStringLiteral("发送短信")
                                      : QStringLiteral("数据");
    fields->clear();
}

void TrafficNamer::sent(const QByteArray &bytes, Family family)
{
    flush();
    TrafficRow row;
    row.sent = true;
    row.bytes = bytes;
    nameRequest(bytes, family, &row.kind, &row.fields);
    if (family == Family::Alarm)
        tellParser(bytes);
    else if (family == Family::Data)
        tellDataParser(bytes);
    emitRow(row);
}

// The monitor's parser learns what the exchange's parser learns from the request.
void TrafficNamer::tellParser(const QByteArray &frame)
{
    if (!frame.startsWith(FramePreamble)) {
        // The communication test: text machines read the answer.
        m_parser.setFrameMachine(false);
        m_parser.reset();
        if (frame.size() >= 5 && frame.at(0) == '$')
            m_parser.setTestCommand(frame.at(3) == 'R' ? 1 : frame.size() == 7 ? 2 : 3);
        return;
    }
    m_parser.setFrameMachine(true);
    if (frame.size() < 10)
        return;
    const quint8 code = quint8(frame.at(8)), op = quint8(frame.at(9));
    const int channel = frame.size() > 10 ? quint8(frame.at(10)) : 0;
    switch (code) {
    case 0xB4:
        op == 0x01 ? m_parser.expectInputWrite(channel) : m_parser.expectInputRead(channel);
        break;
    case 0xB5:
        op == 0x01 ? m_parser.expectRelayWrite(channel) : m_parser.expectRelayRead(channel);
        break;
    case 0x98:
        m_parser.expectInputState(op);
        break;
    case 0xD9:
        m_parser.setPhoneTableOp(op == 0x02   ? AlarmReplyParser::PhoneOp::Write
                                 : op == 0x04 ? AlarmReplyParser::PhoneOp::Clear
                                              : AlarmReplyParser::PhoneOp::Read);
        break;
    default:
        break;
    }
}

// The data module's parser reads parameter replies after a preamble frame and the data frames
// of the data exchange after "$" frames (passive) or plain data (active).
void TrafficNamer::tellDataParser(const QByteArray &frame)
{
    const bool parameters = frame.startsWith(FramePreamble);
    m_dataParser.setParameterMachine(parameters);
    if (parameters)
        return;
    m_dataParser.reset();
    using Request = DataReplyParser::Request;
    if (frame.size() == 5 && frame.at(0) == '$' && frame.at(3) == 'R')
        m_dataParser.expectAnswerTo(Request::Poll);
    else if (frame.size() == 7 && frame.at(0) == '$' && frame.at(4) == 0 && frame.at(5) == 0)
        m_dataParser.expectAnswerTo(Request::EmptyCheck);
    else
        m_dataParser.expectAnswerTo(Request::Send);
}

void TrafficNamer::received(const QByteArray &bytes, Family family)
{
    if (family == Family::Other) {
        addToRun(bytes, N::UnknownModule(), false);
        return;
    }
    for (const char byte : bytes)
        family == Family::Connect ? receivedConnect(byte) : receivedFramed(byte, family);
}

// One byte at a time, so that a reply and the junk before it become rows of their own.
void TrafficNamer::receivedFramed(char byte, Family family)
{
    if (m_tailLeft > 0) {
        m_tail.bytes.append(byte);
        if (--m_tailLeft == 0)
            emitRow(m_tail);
        return;
    }
    m_buffer.data.append(byte);
    m_replied = false;
    const bool alarm = family == Family::Alarm;
    alarm ? m_parser.parse() : m_dataParser.parse();
    if (m_replied)
        return;
    const qint16 step = alarm ? m_parser.step() : m_dataParser.step();
    if (step == 0 && !m_buffer.consumed.isEmpty()) {
        // Back at the start without a reply: what was read belongs to no frame.
        addToRun(std::exchange(m_buffer.consumed, QByteArray()), N::NoFrame(), true);
    } else if (m_runOpen && m_run.junk && step != 0) {
        flush(); // a frame begins
    }
}

void TrafficNamer::receivedConnect(char byte)
{
    const quint8 b = quint8(byte);
    m_connectFrame.append(byte);
    const int have = int(m_connectFrame.size());
    if (have <= 8) {
        if (b != quint8(FramePreamble.at(have - 1))) {
            const QByteArray dropped = std::exchange(m_connectFrame, QByteArray());
            addToRun(dropped, N::NoFrame(), true);
        }
        return;
    }
    if (have == 9) {
        flush();
        m_connectLength = ConnectFrames::ReplyBytes(b);
        if (m_connectLength < 0) {
            addToRun(std::exchange(m_connectFrame, QByteArray()), N::NoFrame(), true);
            return;
        }
    }
    if (have < 9 + m_connectLength)
        return;
    TrafficRow row;
    row.bytes = std::exchange(m_connectFrame, QByteArray());
    row.kind = N::CodeText(quint8(row.bytes.at(8)), N::Conversation::Connect);
    row.fields = Spaced(row.bytes.mid(9));
    emitRow(row);
}

void TrafficNamer::onReply(const AlarmReplyValue &reply)
{
    namespace R = AlarmReply;
    m_replied = true;
    QByteArray bytes = std::exchange(m_buffer.consumed, QByteArray());
    // Noise the parser read before it found the preamble again belongs to no frame.
    if (const qsizetype start = bytes.indexOf(FramePreamble); start > 0) {
        addToRun(bytes.left(start), N::NoFrame(), true);
        bytes.remove(0, start);
    }
    if (std::holds_alternative<R::TestData>(reply) ||
        std::holds_alternative<R::TestStatus>(reply)) {
        // Message data: gathered into runs; the status is no frame of its own.
        if (!bytes.isEmpty())
            addToRun(bytes, N::MessageData(), false);
        return;
    }
    flush();
    TrafficRow row;
    row.bytes = bytes;
    setName(row, N::OfAlarmReply(reply));
    auto verdict = [&row](bool ok, quint8 checksum, quint8 expected) {
        row.check = ok ? TrafficRow::Check::Correct : TrafficRow::Check::Wrong;
        row.checksum = checksum;
        row.expected = expected;
    };
    if (const auto *r = std::get_if<R::InputRecord>(&reply))
        verdict(r->checksumOk, r->checksum, r->expected);
    else if (const auto *r = std::get_if<R::RelayRecord>(&reply))
        verdict(r->checksumOk, r->checksum, r->expected);
    else if (const auto *r = std::get_if<R::PhoneTable>(&reply); r && !r->empty())
        verdict(r->checksumOk, r->checksum, r->expected);
    if (const auto *r = std::get_if<R::PhoneTable>(&reply); r && r->empty()) {
        // The module sends the entry bytes of an empty table all the same: the row waits for
        // them (or for the next request or a quiet line, if they do not come).
        m_tail = std::move(row);
        m_tailLeft = AlarmReplyParser::PhoneTableBytes;
        return;
    }
    emitRow(row);
}

void TrafficNamer::onDataReply(const DataReplyValue &reply)
{
    m_replied = true;
    // The form the data frames follow, as the exchange learns it.
    if (const auto *w = std::get_if<DataReply::WorkMode>(&reply))
        m_dataForm[0] = w->value;
    else if (const auto *f = std::get_if<DataReply::DataFormat>(&reply))
        m_dataForm[1] = f->value;
    m_dataParser.setModuleForm(m_dataForm[0], m_dataForm[1]);
    QByteArray bytes = std::exchange(m_buffer.consumed, QByteArray());
    if (const qsizetype start = bytes.indexOf(FramePreamble); start > 0) {
        addToRun(bytes.left(start), N::NoFrame(), true);
        bytes.remove(0, start);
    }
    flush();
    TrafficRow row;
    row.bytes = bytes;
    setName(row, N::OfDataReply(reply));
    emitRow(row);
}

void TrafficNamer::addToRun(const QByteArray &bytes, const QString &kind, bool junk)
{
    if (m_runOpen && (m_run.kind != kind || m_run.bytes.size() + bytes.size() > LongestRun))
        flush();
    if (!m_runOpen) {
        m_run = TrafficRow();
        m_run.kind = kind;
        m_run.junk = junk;
        m_runOpen = true;
    }
    m_run.bytes += bytes;
}

void TrafficNamer::flush()
{
    if (std::exchange(m_tailLeft, 0) > 0)
        emitRow(m_tail);
    if (!m_runOpen)
        return;
    m_runOpen = false;
    TrafficRow row = std::move(m_run);
    m_run = TrafficRow();
    row.fields = N::ByteCount(row.bytes.size());
    emitRow(row);
}

void TrafficNamer::emitRow(TrafficRow &row)
{
    if (m_handler)
        m_handler(row);
}
