#include "data/DataReplyParser.h"

#include "core/ByteRoutines.h"
#include "core/ByteSource.h"

#include <cstring>

namespace {

namespace R = DataReply;

// Steps of the parameter machine.
enum ParamStep : qint16 {
    WaitStart = 0,
    CheckPreamble = 100,
    ReplyCode = 1,
    Notice = 2,
    Version = 3,
    PassiveAddress = 4,
    TargetAddress = 5,
    IdentityStatus = 6,
    Skipped = 7,
    Heartbeat = 8,
    WorkMode = 10,
    DataFormat = 11,
    TransparentMode = 12,
    AddressParams = 13,
    Baud = 14,
    IdentityAddress = 15,
    RestartCount = 16,
    PowerSaving = 17,
    WakeDelays = 18,
    WakeMode = 19,
};

// Steps of the data machine.
enum DataStep : qint16 {
    DataStart = 200,
    PassiveHead = 201,    // a1 a2 after "!"
    PassiveSent = 202,    // CR after a data send
    PassiveMemory = 203,  // "W" state CR
    PassiveLength = 204,  // L(2) after a poll
    PassiveBody = 205,    // body(L) CR
    PassiveEmpty = 206,   // CR after L = 0
    PassiveRefused = 207, // a1 a2 CR after "?"
    ActiveKind = 210,     // the byte after D7
    ActiveHead = 211,     // sender(2) n(2)
    ActiveData = 212,     // data(n)
};

struct CodeEntry {
    quint8 code;
    qint16 step;
    int count;
};
const CodeEntry Codes[] = {
    {0xFD, Notice, 1},          {0xEC, Version, 12},       {0xE2, PassiveAddress, 3},
    {0xF3, TargetAddress, 3},   {0xF4, IdentityStatus, 1}, {0xF5, Skipped, 9},
    {0xF6, Heartbeat, 3},       {0xF8, WorkMode, 2},       {0xF9, DataFormat, 2},
    {0xFB, TransparentMode, 2}, {0xE1, AddressParams, 5},  {0xF2, Baud, 1},
    {0xE4, RestartCount, 2},    {0xD3, PowerSaving, 2},    {0xD2, WakeDelays, 5},
    {0xDB, WakeMode, 2},
};

} // namespace

DataReplyParser::DataReplyParser(ByteSource &source, QObject *parent)
    : QObject(parent), m_source(source)
{
}

void DataReplyParser::setModuleForm(quint8 workForm, quint8 transferMode)
{
    m_workForm = workForm;
    m_transferMode = transferMode;
}

void DataReplyParser::reset()
{
    m_step = WaitStart;
    m_need = 1;
    m_source.waitFor(1);
}

void DataReplyParser::next(qint16 step, int count)
{
    m_step = step;
    m_need = count;
    m_source.waitFor(count);
}

void DataReplyParser::endReply()
{
    next(WaitStart, 1);
}

void DataReplyParser::emitReply(const DataReplyValue &reply)
{
    if (m_handler)
        m_handler(reply);
}

bool DataReplyParser::read(int n)
{
    if (m_source.bytesWaiting() < n)
        return false;
    m_bytes = m_source.readBytes(n);
    return m_bytes.size() == n;
}

void DataReplyParser::parse()
{
    if (m_running)
        return;
    m_running = true;
    for (;;) {
        // A machine switched while a reply was half read starts over in the other one.
        const bool dataStep = m_step >= DataStart;
        if (m_parameters == dataStep)
            endReply();
        bool acted = false;
        if (m_parameters)
            acted = parameterStep();
        else if (m_workForm == 0)
            acted = passiveStep();
        else
            acted = activeStep();
        if (!acted)
            break;
    }
    m_running = false;
}

// ---- parameter machine ---------------------------------------------------------------------

void DataReplyParser::onCode(quint8 code)
{
    for (const CodeEntry &e : Codes) {
        if (e.code == code) {
            next(e.step, e.count);
            return;
        }
    }
    // A lead byte where a code belongs starts the next reply; any other code is skipped and
    // the next byte read as a code.
    if (code == 0x1A) {
        m_matched = 1;
        next(CheckPreamble, 7);
    } else
        next(ReplyCode, 1);
}

bool DataReplyParser::parameterStep()
{
    const int need = m_step == WaitStart ? 1 : m_need;
    if (!read(need))
        return false;
    switch (m_step) {
    case WaitStart:
        if (d(0) == 0x1A) {
            m_matched = 1;
            next(CheckPreamble, 7);
        } else {
            endReply();
        }
        return true;
    case CheckPreamble: {
        // m_matched bytes of the preamble are in; these complete it, or a lead byte among them
        // may begin the real one.
        if (std::memcmp(m_bytes.constData(), FramePreamble.constData() + m_matched, need) == 0) {
            m_matched = 1;
            next(ReplyCode, 1);
            return true;
        }
        m_matched = PreambleResume(FramePreamble.left(m_matched) + m_bytes);
        if (m_matched > 0)
            next(CheckPreamble, 8 - m_matched);
        else
            endReply();
        return true;
    }
    case ReplyCode:
        onCode(d(0));
        return true;
    case IdentityStatus:
        if (d(0) == 3) {
            next(IdentityAddress, 2);
            return true;
        }
        break;
    default:
        break;
    }
    // The other steps end their reply with the bytes just read.
    const std::optional<DataReplyValue> reply = parameterReply();
    endReply();
    if (reply)
        emitReply(*reply);
    return true;
}

// The reply of a parameter step whose bytes are all read; none for a step this machine never
// sets.
std::optional<DataReplyValue> DataReplyParser::parameterReply() const
{
    switch (m_step) {
    case Notice:
        return R::Notice{d(0)};
    case Version:
        return R::Version{m_bytes.mid(1).trimmed()};
    case PassiveAddress:
        return R::PassiveAddress{d(1), d(2)};
    case TargetAddress:
        return R::Address{false, d(1), d(2)};
    case IdentityStatus:
        return R::IdentityStatus{d(0)};
    case IdentityAddress:
        return R::Address{true, d(0), d(1)};
    case Skipped:
        return R::Skipped{0xF5};
    case Heartbeat:
        return R::Heartbeat{quint16(d(1) * 256 + d(2))};
    case WorkMode:
        return R::WorkMode{d(1)};
    case DataFormat:
        return R::DataFormat{d(1)};
    case TransparentMode:
        return R::TransparentMode{d(1)};
    case AddressParams:
        return R::AddressParams{d(1), d(2), d(3), d(4)};
    case Baud:
        return R::BaudAnswer{d(0)};
    case RestartCount:
        return R::RestartCount{d(1)};
    case PowerSaving:
        return R::PowerSaving{d(1)};
    case WakeDelays:
        return R::WakeDelays{quint16(d(1) * 256 + d(2)), quint16(d(3) * 256 + d(4))};
    case WakeMode:
        return R::WakeMode{d(1)};
    default:
        return std::nullopt;
    }
}

// ---- data machine --------------------------------------------------------------------------

// The bytes just read belong to the data reply under way; a first byte starts a new one.
void DataReplyParser::keep()
{
    if (m_step == DataStart)
        m_reply = m_bytes;
    else
        m_reply += m_bytes;
}

bool DataReplyParser::passiveStep()
{
    if (m_step == WaitStart)
        next(DataStart, 1);
    if (!read(m_need))
        return false;
    keep();
    switch (m_step) {
    case DataStart:
        if (d(0) == '!')
            next(PassiveHead, 2);
        else if (d(0) == '?')
            next(PassiveRefused, 3);
        else
            next(DataStart, 1); // not the start of an answer: dropped
        return true;
    case PassiveHead:
        m_address[0] = d(0);
        m_address[1] = d(1);
        switch (m_request) {
        case Request::Send:
            next(PassiveSent, 1);
            break;
        case Request::EmptyCheck:
            next(PassiveMemory, 3);
            break;
        case Request::Poll:
            next(PassiveLength, 2);
            break;
        }
        return true;
    case PassiveSent:
    case PassiveEmpty:
        next(DataStart, 1);
        emitReply(R::PassiveAck{m_address[0], m_address[1], m_reply});
        return true;
    case PassiveMemory:
        next(DataStart, 1);
        emitReply(R::MemoryState{d(1), m_reply});
        return true;
    case PassiveLength: {
        const int length = d(0) * 256 + d(1);
        if (length == 0)
            next(PassiveEmpty, 1);
        else
            next(PassiveBody, length + 1);
        return true;
    }
    case PassiveBody: {
        QByteArray body = m_bytes.left(m_bytes.size() - 1); // without the CR
        R::ReceivedData data{{}, {}, m_reply};
        if (m_transferMode != 0 && body.size() >= 6 && quint8(body.at(0)) == 0xD7 &&
            quint8(body.at(1)) == 0x01) {
            const int n = quint8(body.at(4)) * 256 + quint8(body.at(5));
            data.sender = body.mid(2, 2);
            data.data = body.mid(6, n);
        } else {
            data.data = body;
        }
        next(DataStart, 1);
        emitReply(data);
        return true;
    }
    case PassiveRefused:
        next(DataStart, 1);
        emitReply(R::PassiveRefused{d(0), d(1), m_reply});
        return true;
    default:
        next(DataStart, 1);
        return true;
    }
}

bool DataReplyParser::activeStep()
{
    if (m_transferMode == 0) {
        // Transparent transmission: the module hands over the bytes alone.
        if (m_step != DataStart)
            next(DataStart, 1);
        if (m_source.bytesWaiting() < 1)
            return false;
        const QByteArray bytes = m_source.readBytes(0);
        if (bytes.isEmpty())
            return false;
        emitReply(R::ReceivedData{{}, bytes, bytes});
        return true;
    }
    if (m_step == WaitStart)
        next(DataStart, 1);
    if (m_step == ActiveData && m_need == 0) {
        next(DataStart, 1);
        emitReply(
            R::ReceivedData{QByteArray(reinterpret_cast<const char *>(m_address), 2), {}, m_reply});
        return true;
    }
    if (!read(m_need))
        return false;
    keep();
    switch (m_step) {
    case DataStart:
        if (d(0) == 0xD7)
            next(ActiveKind, 1);
        else
            next(DataStart, 1);
        return true;
    case ActiveKind:
        if (d(0) == 0x01) {
            next(ActiveHead, 4);
        } else {
            next(DataStart, 1);
            if (d(0) == 0xFA || d(0) == 0xFF || d(0) == 0xFC)
                emitReply(R::SendResult{d(0), m_reply});
        }
        return true;
    case ActiveHead:
        m_address[0] = d(0);
        m_address[1] = d(1);
        next(ActiveData, d(2) * 256 + d(3));
        return true;
    case ActiveData:
        next(DataStart, 1);
        emitReply(R::ReceivedData{QByteArray(reinterpret_cast<const char *>(m_address), 2), m_bytes,
                                  m_reply});
        return true;
    default:
        next(DataStart, 1);
        return true;
    }
}
