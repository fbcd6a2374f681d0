#pragma once
// The input-settings record (B4, 187 bytes) and the relay-settings record (B5, 129 bytes): built
// from plain values for the long writes and decoded from the read replies. QtCore only.
//
// Text fields: a flag byte and a fixed-size field. Flag bit 7 set: the first (flag AND 0x7F)
// bytes are ANSI text (English); bit 7 clear: the field holds UTF-16 big-endian text (Chinese),
// the flag being the byte count; 0 for an empty text.

#include "core/ByteRoutines.h"

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

// Header byte and field bytes of one text; false when the bytes do not fit the field, or when
// English text needs GBK and GBK is not available (see AnsiEncodable).
bool EncodeText(const RecordText &text, int fieldSize, quint8 *header, QByteArray *bytes,
                bool gbkAvailable = GbkAvailable());
// The text of a field: with bit 7 of flag set, the first (flag & 0x7F) bytes as ANSI (at most
// the field); otherwise the whole field as UTF-16 big-endian. Zero characters are dropped.
QString DecodeText(quint8 flag, const QByteArray &field);
// ANSI (GBK) bytes as text; plain ASCII, the usual case, is taken without the converter.
QString AnsiText(const QByteArray &bytes);
// Removes leading and trailing spaces only (line breaks stay).
QString TrimSpaces(const QString &text);

// NoGbk: an English text outside ASCII while GBK is not available (tell GbkMissingText()).
enum class EncodeResult { Ok, LowTextTooLong, HighTextTooLong, NoGbk };

// Input alarm record, offsets 0..186.
struct DiRecordValues {
    quint8 trigger = 0;  // 2 high level only, 1 low level only, 3 level change, 0 none
    quint8 group = 0;    // 0 off, 1 table, 2 table without the administrator number
    quint8 interval = 0; // repeat interval in units of 10 s
    RecordText low;      // low-level alarm text (header 3, field 5..94)
    RecordText high;     // high-level alarm text (header 4, field 95..184)
    quint8 count = 0;    // alarm count
    quint8 relay = 0;    // linked relay 1..8, 0 none
};

// Relay record, offsets 0..128.
struct DoRecordValues {
    quint8 mode = 0;       // 1 level, 2 pulse, 0 none
    quint8 reply = 0;      // 0 no SMS reply; 1 operation result, 2 DI0 state, 3 DI1 state
    quint8 replyDelay = 0; // seconds
    quint8 highDelay = 0;  // return-to-high delay, seconds (pulse mode)
    quint8 lowDelay = 0;   // return-to-low delay, seconds (pulse mode)
    RecordText low;        // low-level control text (header 5, field 7..66)
    RecordText high;       // high-level control text (header 6, field 67..126)
    quint8 hold = 0;       // 1 output hold
};

// 187 bytes into record; on a refused text record is left unchanged.
EncodeResult EncodeDiRecord(const DiRecordValues &values, QByteArray *record,
                            bool gbkAvailable = GbkAvailable());
// 129 bytes into record; on a refused text record is left unchanged.
EncodeResult EncodeDoRecord(const DoRecordValues &values, QByteArray *record,
                            bool gbkAvailable = GbkAvailable());

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
