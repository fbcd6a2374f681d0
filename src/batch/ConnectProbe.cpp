#include "batch/ConnectProbe.h"

#include "core/ByteRoutines.h"
#include "core/SerialLink.h"

namespace {

const quint8 ReadOutCodes[5] = {0xF8, 0xF9, 0xEC, 0xD6, 0xD1};

// Bytes after the code of each answer of the connect; 0 for codes that are not part of it.
int dataBytes(quint8 code, bool noticeAwaited)
{
    switch (code) {
    case 0xFD:
        return noticeAwaited ? 3 : 1;
    case 0xEC:
        return 12;
    case 0xF8:
    case 0xF9:
    case 0xD6:
    case 0xD1:
        return 2;
    default:
        return 0;
    }
}

// Most bytes kept while looking for a frame: the longest answer is 21 bytes.
constexpr int MaxKept = 256;

} // namespace

ConnectProbe::ConnectProbe(SerialLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ConnectProbe::onTimeout);
}

void ConnectProbe::start()
{
    m_active = true;
    m_noticeSeen = false;
    m_queried = false;
    m_readOut = 0;
    m_in.clear();
    m_link.setThreshold(1);
    m_timer.start(QueryDelayMs);
}

void ConnectProbe::sendQuery()
{
    m_link.write(FramePreamble + QByteArray::fromHex("FE03"));
    m_timer.start(NoticeMs);
}

void ConnectProbe::sendReadOut()
{
    m_link.write(FramePreamble + QByteArray(1, char(ReadOutCodes[m_readOut])) + '\x03');
    ++m_readOut;
    // After the last read-out its answer gets as long as the notice did.
    m_timer.start(m_readOut < 5 ? ReadOutMs : NoticeMs);
}

void ConnectProbe::onTimeout()
{
    if (!m_active)
        return;
    if (!m_noticeSeen && m_readOut == 0 && m_link.isOpen() && !m_queried) {
        m_queried = true;
        sendQuery();
    } else if (m_noticeSeen && m_readOut < 5) {
        sendReadOut();
    } else {
        end(Result::NoAnswer);
    }
}

void ConnectProbe::parse()
{
    if (!m_active)
        return;
    m_in += m_link.readBytes(0);
    for (;;) {
        const int at = m_in.indexOf(FramePreamble);
        if (at < 0) {
            // Keep a possible start of the preamble only.
            m_in = m_in.right(FramePreamble.size() - 1);
            break;
        }
        m_in.remove(0, at);
        if (m_in.size() <= FramePreamble.size())
            break;
        const quint8 code = quint8(m_in.at(FramePreamble.size()));
        const int n = dataBytes(code, !m_noticeSeen);
        if (m_in.size() < FramePreamble.size() + 1 + n)
            break;
        const QByteArray data = m_in.mid(FramePreamble.size() + 1, n);
        m_in.remove(0, FramePreamble.size() + 1 + n);
        take(code, data);
        if (!m_active)
            return;
    }
    if (m_in.size() > MaxKept)
        m_in = m_in.right(MaxKept);
    m_link.setThreshold(1);
}

void ConnectProbe::take(quint8 code, const QByteArray &data)
{
    const quint8 value = data.size() >= 2 ? quint8(data.at(1)) : 0;
    switch (code) {
    case 0xFD:
        if (!m_noticeSeen && data.size() == 3) {
            m_noticeSeen = true;
            sendReadOut();
        }
        return;
    case 0xF8:
        m_workForm = value;
        break;
    case 0xF9:
        m_transferMode = value;
        break;
    case 0xEC:
        m_version = QString::fromLatin1(data.mid(1)).trimmed();
        break;
    case 0xD1:
        m_netMode = value;
        end(m_netMode == 1 ? Result::Refused : Result::Connected);
        return;
    default:
        break;
    }
    // The answer to the newest read-out: the next one leaves now instead of after a second.
    if (m_noticeSeen && m_readOut > 0 && m_readOut < 5 && code == ReadOutCodes[m_readOut - 1])
        sendReadOut();
}

void ConnectProbe::end(Result result)
{
    m_active = false;
    m_timer.stop();
    if (result == Result::Connected)
        m_link.setDtr(true);
    Q_EMIT finished(result);
}
