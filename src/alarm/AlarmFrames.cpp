#include "alarm/AlarmFrames.h"

#include "core/ByteRoutines.h"
#include "core/SerialLink.h"

#include <QStringEncoder>
#include <cmath>

namespace AlarmFrames {

namespace {

// A zero-filled frame of the given length with preamble, code and operation byte in place.
QByteArray frame(int length, quint8 code, quint8 operation)
{
    QByteArray bytes(length, '\0');
    for (int i = 0; i < FramePreamble.size(); ++i)
        bytes[i] = FramePreamble.at(i);
    bytes[8] = char(code);
    bytes[9] = char(operation);
    return bytes;
}

// Preamble, code, operation, then the payload bytes, zero filled up to length.
QByteArray frame(int length, quint8 code, quint8 operation, std::initializer_list<quint8> payload)
{
    QByteArray bytes = frame(length, code, operation);
    int at = 10;
    for (const quint8 b : payload) {
        if (at >= length)
            break;
        bytes[at++] = char(b);
    }
    return bytes;
}

quint8 digit(const QString &text, int pos) // 1-based; missing characters count as 0
{
    if (pos < 1 || pos > text.size())
        return 0;
    const char16_t c = text.at(pos - 1).unicode();
    return c < 256 ? HexDigitValue(quint8(c)) : 0;
}

// Copies a record into a long write frame, zero filling or cutting it to size.
void placeRecord(QByteArray &bytes, int at, int size, const QByteArray &record)
{
    const int count = qMin(size, int(record.size()));
    for (int i = 0; i < count; ++i)
        bytes[at + i] = record.at(i);
}

} // namespace

quint8 HexPair(const QString &text, int pos)
{
    return quint8(digit(text, pos) * 16 + digit(text, pos + 1));
}

quint8 PasswordFlags(bool send, bool receive)
{
    return quint8((send ? 1 : 0) + (receive ? 2 : 0));
}

bool RestartUnits(double seconds, quint32 *units)
{
    if (!std::isfinite(seconds) || seconds < 0)
        return false;
    const double value = std::nearbyint(seconds / 0.005);
    if (value >= 4294967296.0)
        return false;
    if (units)
        *units = quint32(value);
    return true;
}

quint16 WakeDelayCount(double milliseconds)
{
    if (!std::isfinite(milliseconds) || milliseconds <= 0)
        return 0;
    const double count = std::nearbyint(milliseconds / 400.0);
    return count >= 65535.0 ? quint16(65535) : quint16(count);
}

quint8 AlarmModeCode(const QString &text)
{
    if (text == QStringLiteral("电话"))
        return 1;
    if (text == QStringLiteral("短信"))
        return 2;
    if (text == QStringLiteral("电话+短信"))
        return 3;
    return 0;
}

quint8 BaudCode(const QString &text)
{
    const int baud = BaudIndex(text);
    return baud < 0 ? 0 : quint8(3 + baud);
}

quint8 AddressTypeCode(const QString &text)
{
    if (text == QStringLiteral("16进制"))
        return 1;
    if (text == QStringLiteral("BCD码"))
        return 2;
    if (text == QStringLiteral("Wex模式"))
        return 3;
    return 0; // "ASCII" and anything else
}

quint8 LinkedRelayCode(const QString &text)
{
    for (int i = 0; i < 8; ++i) {
        if (text == QStringLiteral("继电器") + QString::number(i))
            return quint8(i + 1);
    }
    return 0;
}

QByteArray PhoneEntry(const QString &number)
{
    QByteArray entry(6, '\0');
    entry[0] = 0x01;
    for (int k = 0; k < 5; ++k)
        entry[1 + k] = char(HexPair(number, 2 + 2 * k));
    return entry;
}

QByteArray ReadFrame(quint8 code, quint8 operation)
{
    return frame(10, code, operation);
}

QByteArray ReadDiSettings(quint8 channel)
{
    return frame(11, DiSettingsCode, 0x02, {channel});
}
QByteArray ReadDoSettings(quint8 channel)
{
    return frame(11, DoSettingsCode, 0x02, {channel});
}
// The operation byte of 0x98 is already the channel.
QByteArray ReadDiState(quint8 channel)
{
    return frame(10, DiStateCode, channel);
}

QByteArray PasswordMode(quint8 flags)
{
    return frame(11, PasswordModeCode, 0x01, {flags});
}

QByteArray ReceiverNumber(const QString &number)
{
    QByteArray bytes = frame(16, ReceiverNumberCode, 0x01, {0x01});
    for (int k = 0; k < 5; ++k)
        bytes[11 + k] = char(HexPair(number, 2 + 2 * k));
    return bytes;
}

QByteArray RestartTime(quint32 units)
{
    return frame(14, RestartTimeCode, 0x01,
                 {quint8(units >> 24), quint8(units >> 16), quint8(units >> 8), quint8(units)});
}

QByteArray AlarmModes(const std::array<quint8, 8> &modes)
{
    QByteArray bytes = frame(18, AlarmModesCode, 0x01);
    for (int i = 0; i < 8; ++i)
        bytes[10 + i] = char(modes[size_t(i)]);
    return bytes;
}

// The operation byte of 0x99 is already the relay number.
QByteArray DoControl(quint8 relay, bool close)
{
    return frame(11, DoControlCode, relay, {quint8(close ? 1 : 0)});
}

QByteArray ModuleModel(quint8 model)
{
    return frame(11, ModuleModelCode, 0x01, {model});
}

QByteArray WakeDelays(quint16 idleCount, quint16 dataCount)
{
    return frame(
        14, WakeDelaysCode, 0x01,
        {quint8(idleCount >> 8), quint8(idleCount), quint8(dataCount >> 8), quint8(dataCount)});
}

QByteArray PowerSaving(bool on)
{
    return frame(11, PowerSavingCode, 0x01, {quint8(on ? 1 : 0)});
}

QByteArray ParameterClear()
{
    return frame(10, ParameterClearCode, 0x01);
}

QByteArray PhoneTableClear()
{
    return frame(11, PhoneTableCode, 0x04, {0x01});
}

QByteArray WakeMode(quint8 mode)
{
    return frame(14, WakeModeCode, 0x01, {mode});
}

QByteArray AddressSettings(quint8 p, quint8 q, quint8 r, quint8 type)
{
    return frame(14, AddressSettingsCode, 0x01, {p, q, r, type});
}

QByteArray PassiveAddress(quint8 a, quint8 b)
{
    return frame(12, PassiveAddressCode, 0x01, {a, b});
}

QByteArray PassiveAddressFromText(const QString &text)
{
    return PassiveAddress(HexPair(text, 1), HexPair(text, 4));
}

QByteArray VersionCode(const QString &code)
{
    QByteArray bytes = frame(16, VersionCodeCode, 0x01);
    const QByteArray ansi = ToAnsi(code);
    for (int i = 0; i < 6 && i < ansi.size(); ++i)
        bytes[10 + i] = ansi.at(i);
    return bytes;
}

QByteArray SmsPassword(const QString &text)
{
    return frame(14, SmsPasswordCode, 0x01,
                 {HexPair(text, 1), HexPair(text, 4), HexPair(text, 7), HexPair(text, 10)});
}

QByteArray BaudRate(quint8 code)
{
    return frame(11, BaudRateCode, 0x01, {code});
}
QByteArray WorkForm(quint8 value)
{
    return frame(11, WorkFormCode, 0x01, {value});
}
QByteArray TransferMode(quint8 value)
{
    return frame(11, TransferModeCode, 0x01, {value});
}
QByteArray TransparentMode(quint8 value)
{
    return frame(11, TransparentModeCode, 0x01, {value});
}

QByteArray DiSettingsWrite(quint8 channel, const QByteArray &record)
{
    QByteArray bytes = frame(12 + DiRecordSize, DiSettingsCode, 0x01, {channel});
    placeRecord(bytes, 12, DiRecordSize, record);
    bytes[11] = char(ByteSum(bytes, 12, 12 + DiRecordSize));
    return bytes;
}

QByteArray DoSettingsWrite(quint8 channel, const QByteArray &record)
{
    QByteArray bytes = frame(12 + DoRecordSize, DoSettingsCode, 0x01, {channel});
    placeRecord(bytes, 12, DoRecordSize, record);
    bytes[11] = char(ByteSum(bytes, 12, 12 + DoRecordSize));
    return bytes;
}

QByteArray PhoneTableWrite(const QStringList &numbers)
{
    QByteArray bytes = frame(PhoneTableFrameSize, PhoneTableCode, 0x02);
    const int n = qMin(int(numbers.size()), PhoneTableMaxEntries);
    bytes[11] = char(n);
    for (int i = 0; i < n; ++i) {
        const QByteArray entry = PhoneEntry(numbers.at(i));
        for (int k = 0; k < 6; ++k)
            bytes[12 + 6 * i + k] = entry.at(k);
    }
    // The count and every byte of the last entry: offsets 11 .. 11 + 6n inclusive.
    bytes[10] = char(ByteSum(bytes, 11, 12 + 6 * n));
    return bytes;
}

QByteArray SmsContent(SmsSendMode mode, const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    QByteArray bytes;
    switch (mode) {
    case SmsSendMode::Chinese:
        bytes = Ucs2Bytes(text);
        break;
    case SmsSendMode::English: {
        // One byte per character: a character whose ANSI code takes two bytes cannot be sent.
        QStringEncoder encoder("GBK");
        bytes.reserve(text.size());
        for (int i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.unicode() < 0x80) {
                bytes.append(char(c.unicode()));
                continue;
            }
            // Without GBK there is no code for it: the local code page could give wrong bytes.
            const QByteArray code =
                encoder.isValid() ? QByteArray(encoder.encode(QString(c))) : QByteArray();
            if (code.size() != 1 && ok)
                *ok = false;
            bytes.append(code.isEmpty() ? '?' : code.at(0));
        }
        break;
    }
    case SmsSendMode::Hex: {
        // Groups of three characters (two digits and a separator): length / 3, rounded.
        const int count = int(std::lround(text.size() / 3.0));
        bytes.reserve(count);
        for (int i = 0; i < count; ++i)
            bytes.append(char(HexPair(text, 3 * i + 1)));
        break;
    }
    }
    return bytes;
}

QByteArray SmsReceiverBytes(const QString &number)
{
    QByteArray bytes(6, '\0');
    bytes[0] = char(digit(number, 1));
    for (int k = 0; k < 5; ++k)
        bytes[1 + k] = char(HexPair(number, 2 + 2 * k));
    return bytes;
}

QByteArray SmsReadRequest(quint8 a1, quint8 a2)
{
    return QByteArray("$", 1) + char(a1) + char(a2) + QByteArray("R\r", 2);
}

QByteArray SmsStateRequest(quint8 a1, quint8 a2)
{
    return QByteArray("$", 1) + char(a1) + char(a2) + QByteArray("W\0\0\r", 4);
}

QByteArray SmsSend(bool passive, bool format, quint8 a1, quint8 a2, const QByteArray &receiver,
                   const QByteArray &content)
{
    const int length = int(content.size());
    QByteArray inner;
    if (format) {
        inner.append(char(0xD7)).append(char(0x01));
        QByteArray r = receiver.left(6);
        r.append(QByteArray(6 - r.size(), '\0'));
        inner.append(r);
        inner.append(char((length >> 8) & 0xFF)).append(char(length & 0xFF));
    }
    inner.append(content);
    if (!passive)
        return inner;
    // Passive: the outer length counts everything between itself and the final CR.
    const int outer = format ? length + 10 : length;
    QByteArray bytes("$", 1);
    bytes.append(char(a1)).append(char(a2)).append('W');
    bytes.append(char((outer >> 8) & 0xFF)).append(char(outer & 0xFF));
    bytes.append(inner);
    bytes.append('\r');
    return bytes;
}

} // namespace AlarmFrames
