#include "alarm/AlarmRecords.h"

#include "core/ByteRoutines.h"

namespace AlarmRecords {

namespace {

std::optional<quint8> byteAt(const QByteArray &record, int offset)
{
    if (offset < 0 || offset >= record.size())
        return std::nullopt;
    return quint8(record.at(offset));
}

// The text of a field whose header is at flagOffset; empty when the record does not hold the
// header or the bytes the text needs.
std::optional<QString> textAt(const QByteArray &record, int flagOffset, int fieldOffset,
                              int fieldSize)
{
    const std::optional<quint8> flag = byteAt(record, flagOffset);
    if (!flag)
        return std::nullopt;
    const int needed = (*flag & 0x80) ? qMin(*flag & 0x7F, fieldSize) : fieldSize;
    if (fieldOffset + needed > record.size())
        return std::nullopt;
    return DecodeText(*flag, record.mid(fieldOffset, needed));
}

void put(QByteArray &record, int offset, quint8 value)
{
    record[offset] = char(value);
}

void putText(QByteArray &record, int headerOffset, int fieldOffset, quint8 header,
             const QByteArray &bytes)
{
    put(record, headerOffset, header);
    for (int i = 0; i < bytes.size(); ++i)
        record[fieldOffset + i] = bytes.at(i);
}

bool EnglishEncodable(const RecordText &text, bool gbkAvailable)
{
    return !text.english || AnsiEncodable(text.text, gbkAvailable);
}

} // namespace

bool EncodeText(const RecordText &text, int fieldSize, quint8 *header, QByteArray *bytes,
                bool gbkAvailable)
{
    QByteArray encoded;
    quint8 head = 0;
    if (!text.text.isEmpty()) {
        if (text.english) {
            if (!AnsiEncodable(text.text, gbkAvailable))
                return false;
            encoded = ToAnsi(text.text);
            if (encoded.size() > fieldSize || encoded.size() > 0x7F)
                return false;
            head = quint8(0x80 | encoded.size());
        } else {
            encoded = Ucs2Bytes(text.text);
            if (encoded.size() > fieldSize || encoded.size() > 0x7F)
                return false;
            head = quint8(encoded.size());
        }
    }
    if (header)
        *header = head;
    if (bytes)
        *bytes = encoded;
    return true;
}

QString DecodeText(quint8 flag, const QByteArray &field)
{
    QString text;
    if (flag & 0x80) {
        text = AnsiText(field.left(flag & 0x7F));
    } else {
        text.reserve(field.size() / 2);
        for (int i = 0; i + 1 < field.size(); i += 2)
            text.append(QChar(char16_t(quint8(field.at(i)) << 8 | quint8(field.at(i + 1)))));
    }
    text.remove(QChar(u'\0'));
    return text;
}

QString AnsiText(const QByteArray &bytes)
{
    for (const char b : bytes) {
        if (quint8(b) >= 0x80)
            return FromAnsi(bytes);
    }
    return QString::fromLatin1(bytes);
}

QString TrimSpaces(const QString &text)
{
    int first = 0;
    int last = int(text.size());
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

EncodeResult EncodeDiRecord(const DiRecordValues &values, QByteArray *record, bool gbkAvailable)
{
    if (!EnglishEncodable(values.low, gbkAvailable) || !EnglishEncodable(values.high, gbkAvailable))
        return EncodeResult::NoGbk;
    quint8 lowHeader = 0, highHeader = 0;
    QByteArray lowBytes, highBytes;
    if (!EncodeText(values.low, DiTextField, &lowHeader, &lowBytes, gbkAvailable))
        return EncodeResult::LowTextTooLong;
    if (!EncodeText(values.high, DiTextField, &highHeader, &highBytes, gbkAvailable))
        return EncodeResult::HighTextTooLong;
    QByteArray bytes(187, '\0');
    put(bytes, 0, values.trigger);
    put(bytes, 1, values.group);
    put(bytes, 2, values.interval);
    putText(bytes, 3, 5, lowHeader, lowBytes);
    putText(bytes, 4, 95, highHeader, highBytes);
    put(bytes, 185, values.count);
    put(bytes, 186, values.relay);
    if (record)
        *record = bytes;
    return EncodeResult::Ok;
}

EncodeResult EncodeDoRecord(const DoRecordValues &values, QByteArray *record, bool gbkAvailable)
{
    if (!EnglishEncodable(values.low, gbkAvailable) || !EnglishEncodable(values.high, gbkAvailable))
        return EncodeResult::NoGbk;
    quint8 lowHeader = 0, highHeader = 0;
    QByteArray lowBytes, highBytes;
    if (!EncodeText(values.low, DoTextField, &lowHeader, &lowBytes, gbkAvailable))
        return EncodeResult::LowTextTooLong;
    if (!EncodeText(values.high, DoTextField, &highHeader, &highBytes, gbkAvailable))
        return EncodeResult::HighTextTooLong;
    QByteArray bytes(129, '\0');
    put(bytes, 0, values.mode);
    put(bytes, 1, values.reply);
    put(bytes, 2, values.replyDelay);
    put(bytes, 3, values.highDelay);
    put(bytes, 4, values.lowDelay);
    putText(bytes, 5, 7, lowHeader, lowBytes);
    putText(bytes, 6, 67, highHeader, highBytes);
    put(bytes, 127, values.hold);
    if (record)
        *record = bytes;
    return EncodeResult::Ok;
}

DiRecordFields DecodeDiRecord(const QByteArray &record)
{
    DiRecordFields f;
    f.trigger = byteAt(record, 0);
    f.group = byteAt(record, 1);
    f.interval = byteAt(record, 2);
    f.lowFlag = byteAt(record, 3);
    f.highFlag = byteAt(record, 4);
    f.lowText = textAt(record, 3, 5, DiTextField);
    f.highText = textAt(record, 4, 95, DiTextField);
    f.count = byteAt(record, 185);
    f.relay = byteAt(record, 186);
    return f;
}

DoRecordFields DecodeDoRecord(const QByteArray &record)
{
    DoRecordFields f;
    f.mode = byteAt(record, 0);
    f.reply = byteAt(record, 1);
    f.replyDelay = byteAt(record, 2);
    f.highDelay = byteAt(record, 3);
    f.lowDelay = byteAt(record, 4);
    f.lowFlag = byteAt(record, 5);
    f.highFlag = byteAt(record, 6);
    f.lowText = textAt(record, 5, 7, DoTextField);
    f.highText = textAt(record, 6, 67, DoTextField);
    f.hold = byteAt(record, 127);
    return f;
}

} // namespace AlarmRecords
