#include "data/DataFrames.h"

#include "core/ByteRoutines.h"

#include <QStringList>
#include <array>
#include <cmath>

namespace DataFrames {

namespace {

QByteArray one(quint8 value)
{
    return QByteArray(1, char(value));
}

QByteArray two(quint16 value)
{
    QByteArray bytes;
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
    return bytes;
}

quint8 digit(const QString &text, int i)
{
    if (i >= text.size() || text.at(i).unicode() > 0xFF)
        return 0;
    return HexDigitValue(quint8(text.at(i).unicode()));
}

const std::array<const char *, 9> BaudTexts{"1200bps",  "2400bps",  "4800bps",
                                            "9600bps",  "14400bps", "19200bps",
                                            "38400bps", "57600bps", "115200bps"};

} // namespace

QByteArray Frame(quint8 code, quint8 operation, const QByteArray &payload)
{
    QByteArray frame = FramePreamble;
    frame.append(char(code));
    frame.append(char(operation));
    frame.append(payload);
    return frame;
}

QByteArray ReadFrame(quint8 code)
{
    return Frame(code, 0x03);
}

quint16 WakeUnits(qint64 milliseconds)
{
    if (milliseconds <= 0)
        return 0;
    const double units = std::nearbyint(double(milliseconds) / 400.0); // ties to even
    return units > 65535.0 ? 65535 : quint16(units);
}

QByteArray WakeDelays(qint64 idleMs, qint64 dataMs)
{
    return Frame(WakeDelaysCode, 0x01, two(WakeUnits(idleMs)) + two(WakeUnits(dataMs)));
}

QByteArray PowerSaving(bool on)
{
    return Frame(PowerSavingCode, 0x01, one(on ? 1 : 0));
}

QByteArray WakeMode(bool mode2)
{
    return Frame(WakeModeCode, 0x01, one(mode2 ? 1 : 0));
}

QByteArray AddressParams(quint8 start, quint8 length, quint8 groupMaximum, quint8 type)
{
    QByteArray payload;
    for (quint8 b : {start, length, groupMaximum, type})
        payload.append(char(b));
    return Frame(AddressParamsCode, 0x01, payload);
}

QByteArray PassiveAddress(const QString &address)
{
    QByteArray text = address.left(2).toLatin1();
    if (text.size() == 1)
        text.prepend('0');
    while (text.size() < 2)
        text.append('0');
    return Frame(PassiveAddressCode, 0x01, text);
}

QByteArray RestartCount(quint8 count)
{
    return Frame(RestartCountCode, 0x01, one(count));
}

QByteArray Baud(quint8 code)
{
    return Frame(BaudCode, 0x01, one(code));
}

QByteArray Heartbeat(quint16 seconds)
{
    return Frame(HeartbeatCode, 0x01, two(seconds));
}

QByteArray WorkMode(bool active)
{
    return Frame(WorkModeCode, 0x01, one(active ? 1 : 0));
}

QByteArray DataFormat(bool format)
{
    return Frame(DataFormatCode, 0x01, one(format ? 1 : 0));
}

QByteArray TransparentMode(bool mode1)
{
    return Frame(TransparentModeCode, 0x01, one(mode1 ? 1 : 0));
}

quint8 BaudCodeOf(const QString &text)
{
    for (size_t i = 0; i < BaudTexts.size(); ++i)
        if (text == QLatin1String(BaudTexts[i]))
            return quint8(i + 3);
    return 0;
}

QString BaudTextOf(quint8 code)
{
    if (code < 3 || code > 11)
        return QString();
    return QLatin1String(BaudTexts[code - 3]);
}

QByteArray PackAddress(const QString &project, const QString &station)
{
    QByteArray bytes;
    bytes.append(char(digit(project, 0) * 16 + digit(station, 0)));
    bytes.append(char(digit(station, 1) * 16 + digit(station, 2)));
    return bytes;
}

AddressCheck CheckAddress(const QString &project, const QString &station)
{
    if (project.isEmpty())
        return AddressCheck::NoProject;
    if (station.size() != 3)
        return AddressCheck::BadStation;
    return AddressCheck::Ok;
}

QByteArray TargetAddress(const QString &project, const QString &station)
{
    return Frame(TargetAddressCode, 0x01, PackAddress(project, station));
}

QByteArray IdentityAddress(const QString &project, const QString &station, bool replace)
{
    return Frame(IdentityAddressCode, replace ? 0x02 : 0x01, PackAddress(project, station));
}

QByteArray AddressBytes(const QString &text)
{
    QByteArray bytes;
    for (const QString &pair : text.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        bytes.append(char(digit(pair, 0) * 16 + digit(pair, 1)));
    return bytes;
}

QByteArray DataBytes(const QString &text)
{
    QByteArray bytes;
    const int count = int(text.size() / 3);
    for (int i = 0; i < count; ++i)
        bytes.append(char(digit(text, 3 * i) * 16 + digit(text, 3 * i + 1)));
    return bytes;
}

QByteArray PollFrame(const QByteArray &moduleAddress)
{
    return "$" + moduleAddress.left(2) + "R\r";
}

QByteArray EmptyCheckFrame(const QByteArray &moduleAddress)
{
    return "$" + moduleAddress.left(2) + QByteArray("W\0\0\r", 4);
}

QByteArray PassiveDataFrame(const QByteArray &moduleAddress, bool format,
                            const QByteArray &receiver, const QByteArray &data)
{
    QByteArray frame = "$" + moduleAddress.left(2) + "W";
    frame += two(quint16(data.size() + 6));
    if (format)
        frame += QByteArray("\xD7\x01", 2) + receiver.left(2);
    frame += data;
    frame += '\r';
    return frame;
}

QByteArray FormatDataFrame(const QByteArray &receiver, const QByteArray &data)
{
    return QByteArray("\xD7\x01", 2) + receiver.left(2) + two(quint16(data.size())) + data;
}

QString JoinedHex(const QByteArray &bytes)
{
    QStringList parts;
    for (char c : bytes)
        parts << ByteToHex(quint8(c));
    return parts.join(QLatin1Char(':'));
}

} // namespace DataFrames
