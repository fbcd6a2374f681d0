#include "alarm/AlarmReplies.h"

#include "core/ByteRoutines.h"

namespace {

// Exact decimal text of units x numerator / denominator: no trailing zeros, no point for whole
// numbers ("60", "0.005", "1.2").
QString decimalText(quint64 units, quint64 numerator, quint64 denominator)
{
    const quint64 scaled = units * numerator;
    QString text = QString::number(scaled / denominator);
    quint64 rest = scaled % denominator;
    if (rest == 0)
        return text;
    text += QLatin1Char('.');
    while (rest != 0) {
        rest *= 10;
        text += QLatin1Char(char('0' + rest / denominator));
        rest %= denominator;
    }
    return text;
}

QString hex2(quint8 b)
{
    return ByteToHex(b);
}

QString opt(const std::optional<quint8> &v)
{
    return v ? QString::number(*v) : QStringLiteral("-");
}

QString optText(const std::optional<QString> &v)
{
    return v ? QLatin1Char('"') + *v + QLatin1Char('"') : QStringLiteral("-");
}

QString checksum(bool ok, quint8 carried, quint8 expected)
{
    return ok ? QStringLiteral("checksum ok")
              : QStringLiteral("checksum %1 wrong, expected %2").arg(hex2(carried), hex2(expected));
}

} // namespace

QString HexFields(std::initializer_list<quint8> bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(int(3 * bytes.size()));
    for (const quint8 b : bytes) {
        const QChar chars[3] = {QLatin1Char(digits[b >> 4]), QLatin1Char(digits[b & 0x0F]),
                                QLatin1Char(':')};
        text.append(chars, 3);
    }
    return text;
}

namespace AlarmReply {

QString RestartTime::seconds() const
{
    return decimalText(units, 5, 1000);
}
QString WakeDelays::idleSeconds() const
{
    return decimalText(idle, 4, 10);
}
QString WakeDelays::dataSeconds() const
{
    return decimalText(data, 4, 10);
}
QString FirmwareModel::text() const
{
    return QString::number(high, 16).toUpper() + QString::number(low, 16).toUpper();
}
QString InputState::text() const
{
    const QString level = value == '0'   ? QStringLiteral(" = 1")
                          : value == '1' ? QStringLiteral(" = 0")
                                         : QStringLiteral(" = ?");
    return QStringLiteral("DI") + QString::number(channel) + level;
}

} // namespace AlarmReply

namespace {

namespace R = AlarmReply;

// The describe() text of each reply kind.
struct Describe {
    QString operator()(const R::InitDone &r) const
    {
        return QStringLiteral("FD init-done %1").arg(r.value);
    }
    QString operator()(const R::WorkForm &r) const
    {
        return QStringLiteral("F8 work-form %1 %2")
            .arg(hex2(r.value), r.passive() ? QStringLiteral("passive") : QStringLiteral("active"));
    }
    QString operator()(const R::TransferMode &r) const
    {
        return QStringLiteral("F9 transfer-mode %1 %2")
            .arg(hex2(r.value),
                 r.format() ? QStringLiteral("format") : QStringLiteral("transparent"));
    }
    QString operator()(const R::ReceiverNumber &r) const
    {
        return QStringLiteral("A2 receiver ") + r.number;
    }
    QString operator()(const R::PasswordMode &r) const
    {
        return QStringLiteral("A1 password-mode %1").arg(r.value);
    }
    QString operator()(const R::SmsPassword &r) const
    {
        return QStringLiteral("F1 password ") +
               HexFields({r.bytes[0], r.bytes[1], r.bytes[2], r.bytes[3]});
    }
    QString operator()(const R::Version &r) const
    {
        return QStringLiteral("EC version \"%1\"").arg(r.text);
    }
    QString operator()(const R::PassiveAddress &r) const
    {
        return QStringLiteral("E2 passive-address ") + HexFields({r.high, r.low});
    }
    QString operator()(const R::BaudAnswer &r) const
    {
        return QStringLiteral("F2 baud-answer %1").arg(r.value);
    }
    QString operator()(const R::RestartTime &r) const
    {
        return QStringLiteral("A3 restart %1 s").arg(r.seconds());
    }
    QString operator()(const R::TransparentMode &r) const
    {
        return QStringLiteral("FB transparent-mode %1").arg(r.mode2() ? 2 : 1);
    }
    QString operator()(const R::AddressSettings &r) const
    {
        return QStringLiteral("E1 address start %1 group %2 length %3 type %4")
            .arg(r.start)
            .arg(r.groupMaximum)
            .arg(r.length)
            .arg(r.type);
    }
    QString operator()(const R::PowerSaving &r) const
    {
        return QStringLiteral("D3 power-saving %1").arg(r.on() ? "on" : "off");
    }
    QString operator()(const R::WakeDelays &r) const
    {
        return QStringLiteral("D2 wake idle %1 s data %2 s").arg(r.idleSeconds(), r.dataSeconds());
    }
    QString operator()(const R::WakeMode &r) const
    {
        return QStringLiteral("DB wake-mode %1").arg(r.mode1() ? 1 : 2);
    }
    QString operator()(const R::FirmwareModel &r) const
    {
        return QStringLiteral("AB model ") + r.text();
    }
    QString operator()(const R::AlarmModes &r) const
    {
        QString text = QStringLiteral("AC modes");
        for (const quint8 m : r.modes)
            text += QLatin1Char(' ') + QString::number(m);
        return text;
    }
    QString operator()(const R::PhoneTable &r) const
    {
        if (r.empty())
            return QStringLiteral("D9 phone-table empty (count %1)").arg(r.count);
        return QStringLiteral("D9 phone-table %1 %2 [%3]")
            .arg(r.count)
            .arg(checksum(r.checksumOk, r.checksum, r.expected), r.numbers.join(QLatin1Char(' ')));
    }
    QString operator()(const R::TextAnswer &r) const
    {
        static const char *const requests[] = {"version-code", "record-write", "phone-write",
                                               "phone-clear"};
        static const char *const verdicts[] = {"none", "ok", "fail"};
        return QStringLiteral("text %1 \"%2\" %3")
            .arg(QLatin1String(requests[int(r.request)]), r.text,
                 QLatin1String(verdicts[int(r.verdict)]));
    }
    QString operator()(const R::InputRecord &r) const
    {
        QString text = QStringLiteral("B4 input %1 %2")
                           .arg(r.channel)
                           .arg(checksum(r.checksumOk, r.checksum, r.expected));
        if (r.checksumOk) {
            const auto &f = r.fields;
            text += QStringLiteral(" trigger %1 group %2 interval %3 flags %4/%5 low %6 "
                                   "high %7 count %8 relay %9")
                        .arg(opt(f.trigger), opt(f.group), opt(f.interval), opt(f.lowFlag),
                             opt(f.highFlag), optText(f.lowText), optText(f.highText), opt(f.count),
                             opt(f.relay));
        }
        return text;
    }
    QString operator()(const R::RelayRecord &r) const
    {
        QString text = QStringLiteral("B5 relay %1 %2")
                           .arg(r.channel)
                           .arg(checksum(r.checksumOk, r.checksum, r.expected));
        if (r.checksumOk) {
            const auto &f = r.fields;
            text += QStringLiteral(" mode %1 reply %2 delays %3/%4/%5 flags %6/%7 low %8 "
                                   "high %9")
                        .arg(opt(f.mode), opt(f.reply), opt(f.replyDelay), opt(f.highDelay),
                             opt(f.lowDelay), opt(f.lowFlag), opt(f.highFlag), optText(f.lowText),
                             optText(f.highText)) +
                    QStringLiteral(" hold ") + opt(f.hold);
        }
        return text;
    }
    QString operator()(const R::InputState &r) const
    {
        return r.queried ? QStringLiteral("< input-state ") + r.text()
                         : QStringLiteral("< input-state unasked %1").arg(hex2(quint8(r.value)));
    }
    QString operator()(const R::TestLine &r) const
    {
        return QStringLiteral("test line %1 %2").arg(r.fields, r.status);
    }
    QString operator()(const R::TestStatus &r) const
    {
        return QStringLiteral("test status ") + r.status;
    }
    QString operator()(const R::TestData &r) const
    {
        return QStringLiteral("test data ") + r.fields;
    }
};

} // namespace

QString describe(const AlarmReplyValue &reply)
{
    return std::visit(Describe{}, reply);
}
