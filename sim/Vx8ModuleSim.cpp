#include "sim/Vx8ModuleSim.h"

namespace {

// Written out here rather than taken from the product: a fault in the product's copy must not
// hide behind the module it talks to.
const QByteArray Preamble = QByteArray::fromHex("1A2A3A4A5A6A7A8A");
constexpr char Cr = 0x0D;

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(char(v));
    return bytes;
}

// Whole length of a request from its code and operation; -1 for an unknown request.
int RequestLength(quint8 code, quint8 op)
{
    if (op == 0x03) {
        switch (code) {
        case 0xFE:
        case 0xF8:
        case 0xF9:
        case 0xFB:
        case 0xD3:
        case 0xDB:
        case 0xE4:
        case 0xEC:
        case 0xD6:
        case 0xD1:
        case 0xE2:
        case 0xF3:
        case 0xF4:
        case 0xF6:
        case 0xE1:
        case 0xD2:
        case 0xF2:
            return 10;
        default:
            return -1;
        }
    }
    if (op == 0x02)
        return code == 0xF4 ? 12 : -1;
    if (op != 0x01)
        return -1;
    switch (code) {
    case 0xF8:
    case 0xF9:
    case 0xFB:
    case 0xD3:
    case 0xDB:
    case 0xE4:
    case 0xF2:
    case 0xDA:
        return 11;
    case 0xE2:
    case 0xF3:
    case 0xF4:
    case 0xF6:
        return 12;
    case 0xE1:
    case 0xD2:
        return 14;
    default:
        return -1;
    }
}

// Settings of one byte: a write stores the byte after the operation; both are answered with the
// code, the operation and the value.
const struct ByteSetting {
    quint8 code;
    quint8 Vx8ModuleState::*value;
} ByteSettings[] = {
    {0xF8, &Vx8ModuleState::workMode},        {0xF9, &Vx8ModuleState::dataFormat},
    {0xFB, &Vx8ModuleState::transparentMode}, {0xD3, &Vx8ModuleState::powerSaving},
    {0xDB, &Vx8ModuleState::wakeMode},        {0xE4, &Vx8ModuleState::restarts},
};

} // namespace

Vx8ModuleSim::Vx8ModuleSim(QObject *parent) : QObject(parent)
{
    m_outTimer.setSingleShot(true);
    connect(&m_outTimer, &QTimer::timeout, this, &Vx8ModuleSim::deliver);
}

void Vx8ModuleSim::feed(const QByteArray &bytes)
{
    m_in += bytes;
    for (;;) {
        if (m_in.isEmpty())
            return;
        bool progressed = false;
        if (m_in.at(0) == Preamble.at(0))
            progressed = takeFrame();
        else if (m_state.workMode == 0)
            progressed = takePassive();
        else
            progressed = takeActive();
        if (!progressed)
            return;
    }
}

bool Vx8ModuleSim::takeFrame()
{
    if (m_in.size() < 10)
        return false;
    if (!m_in.startsWith(Preamble)) {
        m_in.remove(0, 1);
        return true;
    }
    const quint8 code = quint8(m_in.at(8)), op = quint8(m_in.at(9));
    const int length = RequestLength(code, op);
    if (length < 0) {
        m_in.remove(0, 10);
        return true;
    }
    if (m_in.size() < length)
        return false;
    const QByteArray frame = m_in.left(length);
    m_in.remove(0, length);
    m_requests << frame;
    handle(code, op, frame.mid(10));
    return true;
}

bool Vx8ModuleSim::takePassive()
{
    if (m_in.at(0) != '$') {
        m_in.remove(0, 1);
        return true;
    }
    if (m_in.size() < 5)
        return false;
    const QByteArray address = m_in.mid(1, 2);
    const bool ours = address == m_state.passiveAddress;
    const QByteArray ack = "!" + address;
    int length = -1;
    if (m_in.at(3) == 'R') {
        length = 5;
        if (ours && m_in.at(4) == Cr) {
            if (m_state.inbox.isEmpty()) {
                answer(ack + Bytes({0, 0, Cr}));
            } else {
                const auto in = m_state.inbox.takeFirst();
                QByteArray body = in.data;
                if (m_state.dataFormat != 0)
                    body = Bytes({0xD7, 0x01}) + in.sender.left(2) +
                           Bytes({int(in.data.size() >> 8), int(in.data.size() & 0xFF)}) + in.data;
                answer(ack + Bytes({int(body.size() >> 8), int(body.size() & 0xFF)}) + body + Cr);
            }
        }
    } else if (m_in.at(3) == 'W') {
        if (m_in.size() < 6)
            return false;
        const int l = quint8(m_in.at(4)) * 256 + quint8(m_in.at(5));
        if (l == 0) {
            length = 7;
            if (m_in.size() < length)
                return false;
            if (ours)
                answer(ack + "W" + Bytes({0, Cr}));
        } else {
            length = m_state.dataFormat != 0 ? l + 5 : l + 1;
            if (l < 6 || length > 4096) {
                m_in.remove(0, 4);
                answer("?" + address + Cr);
                return true;
            }
            if (m_in.size() < length)
                return false;
            if (ours) {
                const int skip = m_state.dataFormat != 0 ? 10 : 6;
                m_state.sentData << m_in.mid(skip, length - skip - 1);
                answer(ack + Cr);
            }
        }
    } else {
        m_in.remove(0, 4);
        answer("?" + address + Cr);
        return true;
    }
    m_requests << m_in.left(length);
    m_in.remove(0, length);
    return true;
}

bool Vx8ModuleSim::takeActive()
{
    if (m_state.dataFormat == 0) {
        // Transparent: everything up to the next preamble is data.
        int end = int(m_in.indexOf(Preamble.at(0)));
        if (end < 0)
            end = int(m_in.size());
        m_state.sentData << m_in.left(end);
        m_in.remove(0, end);
        return true;
    }
    if (quint8(m_in.at(0)) != 0xD7) {
        m_in.remove(0, 1);
        return true;
    }
    if (m_in.size() < 6)
        return false;
    const int n = quint8(m_in.at(4)) * 256 + quint8(m_in.at(5));
    if (m_in.size() < 6 + n)
        return false;
    m_requests << m_in.left(6 + n);
    m_state.sentData << m_in.mid(6, n);
    m_in.remove(0, 6 + n);
    answer(Bytes({0xD7, m_state.online ? 0xFA : 0xFF}));
    return true;
}

void Vx8ModuleSim::handle(quint8 code, quint8 op, const QByteArray &p)
{
    Vx8ModuleState &s = m_state;
    const bool write = op == 0x01;
    const auto v = [&p](int i) { return i < p.size() ? quint8(p.at(i)) : quint8(0); };
    for (const ByteSetting &setting : ByteSettings) {
        if (setting.code == code) {
            quint8 &value = s.*setting.value;
            if (write)
                value = v(0);
            answer(Preamble + Bytes({code, op, value}));
            return;
        }
    }
    switch (code) {
    case 0xFE:
        answer(Preamble + Bytes({0xFD, 0x01, 0x00, s.dataMode ? 0x80 : 0x00}));
        break;
    case 0xEC:
        answer(Preamble + Bytes({0xEC, 0x03}) + s.version.leftJustified(11, ' ', true));
        break;
    case 0xD6:
        answer(Preamble + Bytes({0xD6, 0x03, 0x00}));
        break;
    case 0xD1:
        answer(Preamble + Bytes({0xD1, 0x03, s.netMode}));
        break;
    case 0xE2:
        if (write)
            s.passiveAddress = p.left(2);
        answer(Preamble + Bytes({0xE2, op}) + s.passiveAddress);
        break;
    case 0xF3:
        if (write)
            s.target = {v(0), v(1)};
        answer(Preamble + Bytes({0xF3, op, s.target[0], s.target[1]}));
        break;
    case 0xF4:
        if (op == 0x03)
            answer(Preamble + Bytes({0xF4, 0x03, s.identity[0], s.identity[1]}));
        else
            identityWrite(op, p);
        break;
    case 0xF6:
        if (write)
            s.heartbeat = quint16(v(0) * 256 + v(1));
        answer(Preamble + Bytes({0xF6, op, s.heartbeat >> 8, s.heartbeat & 0xFF}));
        break;
    case 0xE1:
        if (write)
            s.addressParams = {v(0), v(1), v(2), v(3)};
        answer(Preamble + Bytes({0xE1, op, s.addressParams[0], s.addressParams[1],
                                 s.addressParams[2], s.addressParams[3]}));
        break;
    case 0xD2:
        if (write) {
            s.idleDelay = quint16(v(0) * 256 + v(1));
            s.dataDelay = quint16(v(2) * 256 + v(3));
        }
        answer(Preamble + Bytes({0xD2, op, s.idleDelay >> 8, s.idleDelay & 0xFF, s.dataDelay >> 8,
                                 s.dataDelay & 0xFF}));
        break;
    case 0xF2:
        if (write)
            s.baudCode = v(0);
        answer(Preamble + Bytes({0xF2, s.baudCode}));
        break;
    case 0xDA:
        // The module restarts into the chosen mode and says nothing.
        s.dataMode = v(0) == 0x00;
        ++s.restartCount;
        m_in.clear();
        break;
    default:
        break;
    }
}

void Vx8ModuleSim::identityWrite(quint8 op, const QByteArray &p)
{
    using Identity = Vx8ModuleState::Identity;
    Vx8ModuleState &s = m_state;
    quint8 status = 0xFA;
    switch (s.identityOutcome) {
    case Identity::Set:
        if (op != 0x02 && s.takenAddresses.contains(p.left(2)))
            status = 0x08;
        break;
    case Identity::Refused:
        status = 0xFC;
        break;
    case Identity::NotOnline:
        status = 0x0A;
        break;
    case Identity::Taken:
        if (op != 0x02) {
            status = 0x08;
        }
        break;
    case Identity::Notice3:
        if (!m_noticeOnce) {
            m_noticeOnce = true;
            answer(Preamble + Bytes({0xFD, 0x03}), m_identityDelay);
            return;
        }
        break;
    }
    if (status == 0xFA && p.size() >= 2)
        s.identity = {quint8(p.at(0)), quint8(p.at(1))};
    answer(Preamble + Bytes({0xF4, status}), m_identityDelay);
}

void Vx8ModuleSim::receiveData(const QByteArray &sender, const QByteArray &data)
{
    if (m_state.workMode == 0) {
        m_state.inbox << Vx8ModuleState::Incoming{sender, data};
        return;
    }
    if (m_state.dataFormat == 0)
        answer(data);
    else
        answer(Bytes({0xD7, 0x01}) + sender.left(2) +
               Bytes({int(data.size() >> 8), int(data.size() & 0xFF)}) + data);
}

void Vx8ModuleSim::answer(const QByteArray &bytes, int delayMs)
{
    if (delayMs > 0) {
        QTimer::singleShot(delayMs, this, [this, bytes] { answer(bytes); });
        return;
    }
    if (m_chunk > 0) {
        for (int at = 0; at < bytes.size(); at += m_chunk)
            m_out << bytes.mid(at, m_chunk);
    } else {
        m_out << bytes;
    }
    if (!m_outTimer.isActive())
        m_outTimer.start(m_chunk > 0 ? 5 : 0);
}

void Vx8ModuleSim::deliver()
{
    if (m_out.isEmpty())
        return;
    const QByteArray piece = m_out.takeFirst();
    if (!m_out.isEmpty())
        m_outTimer.start(m_chunk > 0 ? 5 : 0);
    Q_EMIT reply(piece);
}
