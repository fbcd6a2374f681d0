#include "connect/ConnectReplyParser.h"

#include "connect/ConnectFrames.h"
#include "core/ByteRoutines.h"
#include "core/ByteSource.h"

#include <cstring>

namespace {

namespace R = ConnectReply;

// Steps, as the connect-time parser of the alarm module numbers them.
enum Step : qint16 {
    LeadByte = 0,
    PreambleRest = 1,
    Code = 2,
    Notice = 3,
    WorkForm = 4,
    TransferMode = 5,
    Version = 6,
    SkipD6 = 7,
    NetMode = 8,
    ShortNotice = 9,
};

struct Describe {
    QString operator()(const R::Notice &r) const
    {
        return QStringLiteral("FD notice ") + BytesToHexColon(r.info);
    }
    QString operator()(const R::ShortNotice &r) const
    {
        return QStringLiteral("FD short %1").arg(r.value);
    }
    QString operator()(const R::WorkForm &r) const
    {
        return QStringLiteral("F8 work-form %1").arg(r.value);
    }
    QString operator()(const R::TransferMode &r) const
    {
        return QStringLiteral("F9 transfer %1").arg(r.value);
    }
    QString operator()(const R::Version &r) const
    {
        return QStringLiteral("EC version ") + QString::fromLatin1(r.bytes);
    }
    QString operator()(const R::D6 &) const { return QStringLiteral("D6"); }
    QString operator()(const R::NetMode &r) const
    {
        return QStringLiteral("D1 net-mode %1").arg(r.value);
    }
};

} // namespace

QString describe(const ConnectReplyValue &reply)
{
    return std::visit(Describe{}, reply);
}

ConnectReplyParser::ConnectReplyParser(ByteSource &source, QObject *parent)
    : QObject(parent), m_source(source)
{
}

void ConnectReplyParser::next(qint16 step, int count)
{
    m_step = step;
    m_need = count;
    m_source.waitFor(count);
}

void ConnectReplyParser::reset()
{
    next(LeadByte, 1);
}

void ConnectReplyParser::parse()
{
    if (m_running)
        return;
    m_running = true;
    while (stepOnce()) {
    }
    m_running = false;
}

void ConnectReplyParser::onCode(quint8 code)
{
    // Which step reads the bytes of each reply code.
    static constexpr struct {
        quint8 code;
        qint16 step;
    } Steps[] = {{0xFD, Notice},  {0xF8, WorkForm}, {0xF9, TransferMode},
                 {0xEC, Version}, {0xD6, SkipD6},   {0xD1, NetMode}};
    if (code == 0xFD && !(m_answersQuery && m_answersQuery())) {
        next(ShortNotice, ConnectFrames::NoticeAloneBytes);
        return;
    }
    for (const auto &s : Steps) {
        if (s.code == code) {
            next(s.step, ConnectFrames::ReplyBytes(code));
            if (code == 0xFD && m_noticeBegun)
                m_noticeBegun();
            return;
        }
    }
    if (code == 0x1A) {
        m_matched = 1;
        next(PreambleRest, 7); // a new frame where a code belongs
        return;
    }
    next(Code, 1); // not a code of this exchange: the next byte is read as a code
}

bool ConnectReplyParser::stepOnce()
{
    if (m_step < LeadByte || m_step > ShortNotice)
        reset(); // a step this parser never sets
    if (m_step == LeadByte)
        m_need = 1;
    if (m_source.bytesWaiting() < m_need)
        return false;
    const QByteArray b = m_source.readBytes(m_need);
    if (b.size() != m_need)
        return false;
    const auto v = [&b](int i) { return quint8(b.at(i)); };
    const auto emitReply = [this](const ConnectReplyValue &reply) {
        if (m_handler)
            m_handler(reply);
    };
    switch (m_step) {
    case LeadByte:
        if (v(0) == 0x1A) {
            m_matched = 1;
            next(PreambleRest, 7);
        } else {
            reset();
        }
        return true;
    case PreambleRest:
        // m_matched preamble bytes are in; these complete it, or a lead byte among them may
        // begin the real one.
        if (std::memcmp(b.constData(), FramePreamble.constData() + m_matched, size_t(m_need)) ==
            0) {
            next(Code, 1);
        } else {
            m_matched = PreambleResume(FramePreamble.left(m_matched) + b);
            if (m_matched > 0)
                next(PreambleRest, 8 - m_matched);
            else
                reset();
        }
        return true;
    case Code:
        onCode(v(0));
        return true;
    case Notice:
        reset();
        emitReply(R::Notice{b});
        return true;
    case ShortNotice:
        reset();
        emitReply(R::ShortNotice{v(0)});
        return true;
    case WorkForm:
        reset();
        emitReply(R::WorkForm{v(1)});
        return true;
    case TransferMode:
        reset();
        emitReply(R::TransferMode{v(1)});
        return true;
    case Version:
        reset();
        emitReply(R::Version{b});
        return true;
    case SkipD6:
        reset();
        emitReply(R::D6{});
        return true;
    case NetMode:
        reset();
        emitReply(R::NetMode{v(1)});
        return true;
    default:
        reset();
        return true;
    }
}
