#pragma once
// The input-settings record (B4, 187 bytes) and the relay-settings record (B5, 129 bytes): built
// from plain values for the long writes and decoded from the read replies. QtCore only.
//
// Text fields: a flag byte and a fixed-size field. Flag bit 7 set: the first (flag AND 0x7F)
// bytes are ANSI text (English); bit 7 clear: the field holds UTF-16 big-endian text (Chinese),
// the flag being the byte count; 0 for an empty text.

#include <QByteArray>
#include <QString>
#include <optional>

namespace AlarmRecords {

constexpr int DiTextField = 90;
constexpr int DoTextField = 60;

// A text as a box holds it, with the box's "英文" / "汉字" choice.
struct RecordText {
    QString text;
    bool english = false;
};

// Encodes a text for a field of fieldSize bytes; false when it does not fit.
bool EncodeText(const RecordText &text, int fieldSize, quint8 *header, QByteArray *bytes);
// Decodes a text field by its flag byte; zero characters are dropped.
QString DecodeText(quint8 flag, const QByteArray &field);
// Removes leading and trailing spaces.
QString TrimSpaces(const QString &text);

enum class EncodeResult { Ok, LowTextTooLong, HighTextTooLong };

struct DiRecordValues {
    quint8 trigger = 0;
    quint8 group = 0;
    quint8 interval = 0;
    RecordText low;
    RecordText high;
    quint8 count = 0;
    quint8 relay = 0;
};

struct DoRecordValues {
    quint8 mode = 0;
    quint8 reply = 0;
    quint8 replyDelay = 0;
    quint8 highDelay = 0;
    quint8 lowDelay = 0;
    RecordText low;
    RecordText high;
    quint8 hold = 0;
};

EncodeResult EncodeDiRecord(const DiRecordValues &values, QByteArray *record);
EncodeResult EncodeDoRecord(const DoRecordValues &values, QByteArray *record);

// Decoded fields; a field is empty when the record is too short to hold it.
struct DiRecordFields {
    std::optional<quint8> trigger;
    std::optional<quint8> group;
    std::optional<quint8> interval;
    std::optional<quint8> lowFlag;
    std::optional<quint8> highFlag;
    std::optional<QString> lowText;
    std::optional<QString> highText;
    std::optional<quint8> count;
    std::optional<quint8> relay;
};

struct DoRecordFields {
    std::optional<quint8> mode;
    std::optional<quint8> reply;
    std::optional<quint8> replyDelay;
    std::optional<quint8> highDelay;
    std::optional<quint8> lowDelay;
    std::optional<quint8> lowFlag;
    std::optional<quint8> highFlag;
    std::optional<QString> lowText;
    std::optional<QString> highText;
    std::optional<quint8> hold;
};

DiRecordFields DecodeDiRecord(const QByteArray &record);
DoRecordFields DecodeDoRecord(const QByteArray &record);

} // namespace AlarmRecords
