#include "data/DataReplies.h"

#include "core/ByteRoutines.h"
#include "data/DataFrames.h"

namespace DataReply {

namespace {
// Units of 400 ms as seconds: the shortest decimal text ("0.8", "10", "26214").
QString seconds(quint16 units)
{
    const quint32 tenths = quint32(units) * 4;
    if (tenths % 10 == 0)
        return QString::number(tenths / 10);
    return QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
}
} // namespace

QString Version::text() const
{
    return QString::fromLatin1(bytes);
}

QString PassiveAddress::text() const
{
    return ByteToHex(high) + QLatin1Char(':') + ByteToHex(low) + QLatin1Char(':');
}

QString Address::text() const
{
    return ByteToHex(high) + ByteToHex(low);
}

QString Heartbeat::text() const
{
    return QString::number(seconds) + QStringLiteral("秒");
}

QString WorkMode::text() const
{
    return active() ? QStringLiteral("主动方式") : QStringLiteral("被动方式");
}

QString DataFormat::text() const
{
    return format() ? QStringLiteral("格式传输") : QStringLiteral("透明传输");
}

QString TransparentMode::text() const
{
    return mode1() ? QStringLiteral("方式1") : QStringLiteral("方式2");
}

QString AddressParams::typeText() const
{
    switch (type) {
    case 0:
        return QStringLiteral("ASCII");
    case 1:
        return QStringLiteral("16进制");
    case 2:
        return QStringLiteral("BCD码");
    default:
        return QStringLiteral("Wex模式");
    }
}

QString BaudAnswer::text() const
{
    return DataFrames::BaudTextOf(code);
}

QString PowerSaving::text() const
{
    return on() ? QStringLiteral("有省电") : QStringLiteral("无省电");
}

QString WakeDelays::text() const
{
    return seconds(idle) + QStringLiteral("s   ") + seconds(data) + QStringLiteral("s");
}

QString WakeMode::text() const
{
    return value == 0 ? QStringLiteral("模式1") : QStringLiteral("模式2");
}

} // namespace DataReply

namespace {
namespace R = DataReply;
using DataFrames::JoinedHex;

struct Describe {
    QString operator()(const R::Notice &r) const
    {
        return QStringLiteral("FD notice %1").arg(r.value);
    }
    QString operator()(const R::Version &r) const
    {
        return QStringLiteral("EC version ") + r.text();
    }
    QString operator()(const R::PassiveAddress &r) const
    {
        return QStringLiteral("E2 passive-address ") + r.text();
    }
    QString operator()(const R::Address &r) const
    {
        return (r.identity ? QStringLiteral("F4 identity ") : QStringLiteral("F3 target ")) +
               r.project() + QLatin1Char('-') + r.station();
    }
    QString operator()(const R::IdentityStatus &r) const
    {
        return QStringLiteral("F4 status %1").arg(r.status);
    }
    QString operator()(const R::Skipped &r) const
    {
        return QStringLiteral("%1 skipped").arg(ByteToHex(r.code));
    }
    QString operator()(const R::Heartbeat &r) const
    {
        return QStringLiteral("F6 heartbeat ") + r.text();
    }
    QString operator()(const R::WorkMode &r) const
    {
        return QStringLiteral("F8 work-mode ") + r.text();
    }
    QString operator()(const R::DataFormat &r) const
    {
        return QStringLiteral("F9 data-format ") + r.text();
    }
    QString operator()(const R::TransparentMode &r) const
    {
        return QStringLiteral("FB transparent ") + r.text();
    }
    QString operator()(const R::AddressParams &r) const
    {
        return QStringLiteral("E1 address %1 %2 %3 ")
                   .arg(r.start)
                   .arg(r.length)
                   .arg(r.groupMaximum) +
               r.typeText();
    }
    QString operator()(const R::BaudAnswer &r) const
    {
        return QStringLiteral("F2 baud %1 ").arg(r.code) + r.text();
    }
    QString operator()(const R::RestartCount &r) const
    {
        return QStringLiteral("E4 restarts %1").arg(r.count);
    }
    QString operator()(const R::PowerSaving &r) const
    {
        return QStringLiteral("D3 power ") + r.text();
    }
    QString operator()(const R::WakeDelays &r) const
    {
        return QStringLiteral("D2 wake ") + r.text();
    }
    QString operator()(const R::WakeMode &r) const
    {
        return QStringLiteral("DB wake-mode ") + r.text();
    }
    QString operator()(const R::PassiveAck &r) const
    {
        return QStringLiteral("! ") + ByteToHex(r.high) + ByteToHex(r.low);
    }
    QString operator()(const R::PassiveRefused &r) const
    {
        return QStringLiteral("? ") + JoinedHex(r.received.mid(1));
    }
    QString operator()(const R::MemoryState &r) const
    {
        return QStringLiteral("memory %1").arg(r.state);
    }
    QString operator()(const R::SendResult &r) const
    {
        return QStringLiteral("D7 result ") + ByteToHex(r.code);
    }
    QString operator()(const R::ReceivedData &r) const
    {
        return QStringLiteral("data from [") + JoinedHex(r.sender) + QStringLiteral("] ") +
               JoinedHex(r.data);
    }
};

struct DataBytes {
    QByteArray operator()(const R::PassiveAck &r) const { return r.received; }
    QByteArray operator()(const R::PassiveRefused &r) const { return r.received; }
    QByteArray operator()(const R::MemoryState &r) const { return r.received; }
    QByteArray operator()(const R::SendResult &r) const { return r.received; }
    QByteArray operator()(const R::ReceivedData &r) const { return r.received; }
    template <class T> QByteArray operator()(const T &) const { return {}; }
};
} // namespace

QString describe(const DataReplyValue &reply)
{
    return std::visit(Describe{}, reply);
}

QByteArray dataBytes(const DataReplyValue &reply)
{
    return std::visit(DataBytes{}, reply);
}
