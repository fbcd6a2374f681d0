#pragma once
// Command frames of the SMS data-transmission module, pure builders. A frame is FramePreamble,
// the command code, the operation byte (0x01 write, 0x03 read, 0x02 replace of the identity
// address) and the payload; no checksum, no length, no terminator. Two-byte numbers go high
// byte first.
//
// The data frames of the data exchange are built here too: the passive-mode frames that start
// with "$" and end with CR, and the active format frame that starts with 0xD7 0x01.

#include <QByteArray>
#include <QString>

namespace DataFrames {

enum Code : quint8 {
    WakeDelaysCode = 0xD2,
    PowerSavingCode = 0xD3,
    Vx8ModeCode = 0xDA,
    WakeModeCode = 0xDB,
    AddressParamsCode = 0xE1,
    PassiveAddressCode = 0xE2,
    RestartCountCode = 0xE4,
    VersionCode = 0xEC,
    BaudCode = 0xF2,
    TargetAddressCode = 0xF3,
    IdentityAddressCode = 0xF4,
    HeartbeatCode = 0xF6,
    WorkModeCode = 0xF8,
    DataFormatCode = 0xF9,
    TransparentModeCode = 0xFB,
    NoticeCode = 0xFD,
};

QByteArray Frame(quint8 code, quint8 operation, const QByteArray &payload = {});
QByteArray ReadFrame(quint8 code);

// Milliseconds in units of 400 ms, rounded to the nearest whole unit, halves to the even one
// (1000 ms -> 2, 1400 ms -> 4, 600 ms -> 2); clamped to 0..65535.
quint16 WakeUnits(qint64 milliseconds);

QByteArray WakeDelays(qint64 idleMs, qint64 dataMs); // D2
QByteArray PowerSaving(bool on);                     // D3
QByteArray WakeMode(bool mode2);                     // DB: 0 mode 1, 1 mode 2
QByteArray AddressParams(quint8 start, quint8 length, quint8 groupMaximum,
                         quint8 type);             // E1
QByteArray PassiveAddress(const QString &address); // E2: "5" goes as "05"
QByteArray RestartCount(quint8 count);             // E4
QByteArray Baud(quint8 code);                      // F2
QByteArray Heartbeat(quint16 seconds);             // F6
QByteArray WorkMode(bool active);                  // F8
QByteArray DataFormat(bool format);                // F9
QByteArray TransparentMode(bool mode1);            // FB

// The baud code of a rate text ("9600bps" -> 6, "115200bps" -> 11); 0 for any other text.
quint8 BaudCodeOf(const QString &text);
// The rate text of a code 3..11 ("1200bps" .. "115200bps"); empty for any other code.
QString BaudTextOf(quint8 code);

// Identity and target addresses: one project digit and three station digits, one per nibble.
// Characters other than "0".."9" and "A".."F" count as 0.
QByteArray PackAddress(const QString &project, const QString &station);
enum class AddressCheck { Ok, NoProject, BadStation };
AddressCheck CheckAddress(const QString &project, const QString &station);
QByteArray TargetAddress(const QString &project, const QString &station); // F3
// F4 with operation 0x01, or 0x02 when it replaces an address another module holds.
QByteArray IdentityAddress(const QString &project, const QString &station, bool replace = false);

// "12:34" -> 12 34: each pair of hexadecimal digits before, between and after ":" is one byte.
QByteArray AddressBytes(const QString &text);
// "01:02:03:" -> 01 02 03: text length / 3 bytes, each the two digits of its group.
QByteArray DataBytes(const QString &text);

// Passive mode: "$" address "R" CR, and "$" address "W" 00 00 CR.
QByteArray PollFrame(const QByteArray &moduleAddress);
QByteArray EmptyCheckFrame(const QByteArray &moduleAddress);
// Passive data: "$" address "W" L(2) [D7 01 receiver(2)] data CR with L = data + 6.
QByteArray PassiveDataFrame(const QByteArray &moduleAddress, bool format,
                            const QByteArray &receiver, const QByteArray &data);
// Active format: D7 01 receiver(2) n(2) data.
QByteArray FormatDataFrame(const QByteArray &receiver, const QByteArray &data);

// "1A:2A:3A" (hex pairs joined by ":"), as the log shows frames.
QString JoinedHex(const QByteArray &bytes);

} // namespace DataFrames
