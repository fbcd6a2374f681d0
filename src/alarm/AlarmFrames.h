#pragma once
// Request frames of the alarm control module: pure functions from plain values to the exact
// bytes on the wire. Every frame starts with FramePreamble, then the command code, then the
// operation byte (0x01 set, 0x03 read, with the exceptions noted per function) and the payload.
// Lengths are fixed per frame; bytes not filled are 0x00. Numbers are big-endian. The three long
// writes (B4 01, B5 01, D9 02) carry a ByteSum checksum in front of the bytes it covers.
//
// The exchange object does the request bookkeeping and writes the frames.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>

namespace AlarmFrames {

// Command codes.
enum Code : quint8 {
    PasswordModeCode = 0xA1,
    ReceiverNumberCode = 0xA2,
    RestartTimeCode = 0xA3,
    FirmwareModelCode = 0xAB,
    AlarmModesCode = 0xAC,
    DiSettingsCode = 0xB4,
    DoSettingsCode = 0xB5,
    DiStateCode = 0x98,
    DoControlCode = 0x99,
    ModuleModelCode = 0xD1,
    WakeDelaysCode = 0xD2,
    PowerSavingCode = 0xD3,
    ParameterClearCode = 0xD5,
    PhoneTableCode = 0xD9,
    WakeModeCode = 0xDB,
    AddressSettingsCode = 0xE1,
    PassiveAddressCode = 0xE2,
    VersionCodeCode = 0xEC,
    SmsPasswordCode = 0xF1,
    BaudRateCode = 0xF2,
    WorkFormCode = 0xF8,
    TransferModeCode = 0xF9,
    TransparentModeCode = 0xFB,
    InitDoneCode = 0xFD, // sent by the module only
};

// Sizes of the settings records carried by the long writes and returned by the reads.
constexpr int DiRecordSize = 187;
constexpr int DoRecordSize = 129;
constexpr int PhoneTableFrameSize = 183;
constexpr int PhoneTableMaxEntries = 20;

// ---- helpers shared by the builders and the windows -------------------------------------------

// Byte from two hexadecimal digit characters at 1-based positions pos and pos+1 of text, high
// nibble first, each digit through HexDigitValue ("0"-"9", "A"-"F"; anything else or missing 0).
quint8 HexPair(const QString &text, int pos);
// A1 flags from the two boxes: 1 when "发送" (send) is ticked, plus 2 when "接收" (receive) is.
quint8 PasswordFlags(bool send, bool receive);
// A3 value: seconds / 0.005 rounded to the nearest unit; false when negative, not a number, or
// not below 2^32 units.
bool RestartUnits(double seconds, quint32 *units);
// D2 count: milliseconds / 400, rounded half to even; values above 65535 give 65535.
quint16 WakeDelayCount(double milliseconds);
// AC mode byte from a delivery-mode box text: "电话" 1, "短信" 2, "电话+短信" 3, anything else 0.
quint8 AlarmModeCode(const QString &text);
// F2 code from the Combo3 text: "1200bps" 3 ... "115200bps" 11; any other text 0.
quint8 BaudCode(const QString &text);
// E1 address type from the Combo4 text: "ASCII" 0, "16进制" 1, "BCD码" 2, "Wex模式" 3, else 0.
quint8 AddressTypeCode(const QString &text);
// Linked-relay byte from the Combo7 text: "继电器0" 1 ... "继电器7" 8, anything else 0.
quint8 LinkedRelayCode(const QString &text);
// Six-byte phone entry: 0x01, then characters 2-3, 4-5, 6-7, 8-9, 10-11 packed in pairs.
QByteArray PhoneEntry(const QString &number);

// ---- plain reads: preamble, code, operation; 10 bytes ------------------------------------------

// Any plain read frame: preamble, code, operation byte (10 bytes).
QByteArray ReadFrame(quint8 code, quint8 operation = 0x03);

// ---- reads with a channel ---------------------------------------------------------------------

QByteArray ReadDiSettings(quint8 channel); // B4 02 ch, 11 bytes
QByteArray ReadDoSettings(quint8 channel); // B5 02 ch, 11 bytes
QByteArray ReadDiState(quint8 channel);    // 98 ch, 10 bytes

// ---- short writes -----------------------------------------------------------------------------

QByteArray PasswordMode(quint8 flags);                       // A1 01 f, 11 bytes
QByteArray ReceiverNumber(const QString &number);            // A2 01 01 + chars 2-11 packed, 16
QByteArray RestartTime(quint32 units);                       // A3 01 + 32-bit count of 5 ms, 14
QByteArray AlarmModes(const std::array<quint8, 8> &modes);   // AC 01 + 8 mode bytes, 18
QByteArray DoControl(quint8 relay, bool close);              // 99 relay action(1 close/0 open), 11
QByteArray ModuleModel(quint8 model);                        // D1 01 m (2 SMS, 1 GPRS), 11
QByteArray WakeDelays(quint16 idleCount, quint16 dataCount); // D2 01 hi lo hi lo (400 ms), 14
QByteArray PowerSaving(bool on);                             // D3 01 s (1 on, 0 off), 11
QByteArray ParameterClear();                                 // D5 01, 10
QByteArray PhoneTableClear();                                // D9 04 01, 11
QByteArray WakeMode(quint8 mode); // DB 01 m 00 00 00 (0 mode 1, 1 mode 2), 14
QByteArray AddressSettings(quint8 p, quint8 q, quint8 r, quint8 type); // E1 01 p q r t, 14
QByteArray PassiveAddress(quint8 a, quint8 b);                         // E2 01 a b, 12
QByteArray PassiveAddressFromText(const QString &text); // E2 from "1A:2B" (chars 1-2, 4-5), 12
QByteArray VersionCode(const QString &code);            // EC 01 + 6 ANSI chars (cut/zero fill), 16
QByteArray SmsPassword(const QString &text);            // F1 01 + chars 1-2,4-5,7-8,10-11, 14
QByteArray BaudRate(quint8 code);                       // F2 01 code, 11
QByteArray WorkForm(quint8 value);                      // F8 01 v (1 active, 0 passive), 11
QByteArray TransferMode(quint8 value);                  // F9 01 v (1 format, 0 transparent), 11
QByteArray TransparentMode(quint8 value);               // FB 01 v (1 mode 1, 0 mode 2), 11

// ---- checksummed long writes ------------------------------------------------------------------

// B4 01 ch sum + 187-byte input record (shorter records are zero filled, longer ones cut), 199.
QByteArray DiSettingsWrite(quint8 channel, const QByteArray &record);
// B5 01 ch sum + 129-byte relay record (zero filled / cut as above), 141 bytes.
QByteArray DoSettingsWrite(quint8 channel, const QByteArray &record);
// D9 02 sum n + n entries (first 20 numbers), zero up to 183 bytes; sum covers 11..11+6n.
QByteArray PhoneTableWrite(const QStringList &numbers);

// ---- communication-test frames (data-transfer frames, no preamble) ----------------------------

enum class SmsSendMode { Chinese, English, Hex };

// Content bytes of Text21(1) in a send mode: UCS-2 big-endian, one ANSI byte per character, or
// one byte per group of three characters ("12:AB:"). ok is false when an English-mode character
// has no single-byte ANSI code, or needs GBK while GBK is not available (the bytes are then not
// usable).
QByteArray SmsContent(SmsSendMode mode, const QString &text, bool *ok = nullptr);
// Receiver number bytes r1..r6: the first digit's value, then characters 2-3 ... 10-11 packed.
QByteArray SmsReceiverBytes(const QString &number);
// "$" a1 a2 "R" CR, 5 bytes.
QByteArray SmsReadRequest(quint8 a1, quint8 a2);
// "$" a1 a2 "W" 00 00 CR, 7 bytes.
QByteArray SmsStateRequest(quint8 a1, quint8 a2);
// Send-SMS frame for the module's work form and transmission mode (receiver used in format
// transmission only, address in passive work form only).
QByteArray SmsSend(bool passive, bool format, quint8 a1, quint8 a2, const QByteArray &receiver,
                   const QByteArray &content);

} // namespace AlarmFrames
