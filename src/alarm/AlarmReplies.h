#pragma once
// What the alarm control module answers, one small value type per reply kind, as the reply
// parser emits them. Nothing here knows a window: the alarm window, the exchange and the tools
// decide what a reply means to them. describe() gives a stable one-line text of every reply for
// tests and for the traffic view.

#include "alarm/AlarmRecords.h"

#include <QString>
#include <QStringList>
#include <array>
#include <variant>

namespace AlarmReply {

// 0xFD notice; value 1 means the module has finished its start-up.
struct InitDone {
    quint8 value = 0;
};
// 0xF8: 0 passive work form, other active.
struct WorkForm {
    quint8 value = 0;
    bool passive() const { return value == 0; }
};
// 0xF9: 0 transparent, other format transmission.
struct TransferMode {
    quint8 value = 0;
    bool format() const { return value != 0; }
};
// 0xA2: the receiver number, "1" and ten hexadecimal digits.
struct ReceiverNumber {
    QString number;
};
// 0xA1: 0 no password; 1 for sending, 2 for receiving, 3 both.
struct PasswordMode {
    quint8 value = 0;
};
// 0xF1: the four bytes of the SMS password.
struct SmsPassword {
    std::array<quint8, 4> bytes{};
};
// 0xEC with twelve bytes: the software version (bytes 1..11 as ASCII, trimmed).
struct Version {
    QString text;
};
// 0xE2: the two address bytes of passive work form.
struct PassiveAddress {
    quint8 high = 0, low = 0;
};
// 0xF2: the answer to a baud-rate command (nothing in it is shown).
struct BaudAnswer {
    quint8 value = 0;
};
// 0xA3: restart time in units of 5 ms.
struct RestartTime {
    quint32 units = 0;
    QString seconds() const; // exact decimal text ("60", "0.005")
};
// 0xFB: 0 transparent mode 2, other transparent mode 1.
struct TransparentMode {
    quint8 value = 0;
    bool mode2() const { return value == 0; }
};
// 0xE1: address start, group maximum, address length, address type (1 hex, 2 BCD, else ASCII).
struct AddressSettings {
    quint8 start = 0, groupMaximum = 0, length = 0, type = 0;
};
// 0xD3: 0 no power saving.
struct PowerSaving {
    quint8 value = 0;
    bool on() const { return value != 0; }
};
// 0xD2: idle and data delays in counts of 400 ms.
struct WakeDelays {
    quint16 idle = 0, data = 0;
    QString idleSeconds() const;
    QString dataSeconds() const;
};
// 0xDB: 0 wake mode 1, other mode 2.
struct WakeMode {
    quint8 value = 0;
    bool mode1() const { return value == 0; }
};
// 0xAB: the firmware model, two bytes shown as hexadecimal without leading zeros.
struct FirmwareModel {
    quint8 high = 0, low = 0;
    QString text() const;
};
// 0xAC: delivery mode of each input: 1 call, 2 SMS, 3 both, other none.
struct AlarmModes {
    std::array<quint8, 8> modes{};
};
// 0xD9 read: count 0 or above 20 means an empty table; checksumOk false means the entries did
// not add up to the checksum (expected is the sum the bytes give).
struct PhoneTable {
    quint8 checksum = 0, expected = 0, count = 0;
    bool checksumOk = true;
    QStringList numbers;
    bool empty() const { return count == 0 || count > 20; }
};
// Text answers after a write: "SETOK:", "SETFAIL:", "CLROK:", "CLRFAIL:".
struct TextAnswer {
    enum class Request { VersionCode, RecordWrite, PhoneTableWrite, PhoneTableClear };
    enum class Verdict { None, Ok, Fail };
    Request request = Request::RecordWrite;
    QString text;
    Verdict verdict = Verdict::None;
};
// 0xB4 / 0xA5 read of an input record and 0xB5 / 0xA7 read of a relay record. A record whose
// bytes do not add up to the checksum is reported with checksumOk false and nothing decoded.
struct InputRecord {
    int channel = -1;
    quint8 checksum = 0, expected = 0;
    bool checksumOk = false;
    AlarmRecords::DiRecordFields fields;
};
struct RelayRecord {
    int channel = -1;
    quint8 checksum = 0, expected = 0;
    bool checksumOk = false;
    AlarmRecords::DoRecordFields fields;
};
// "<" and the state character of an input: '0' is level 1, '1' level 0. queried is false when
// no state read was asked for (nothing is shown then).
struct InputState {
    bool queried = false;
    int channel = -1;
    char value = 0;
    QString text() const; // "DI3 = 1", "DI3 = 0", "DI3 = ?"
};
// Communication test: a line of the receive area ("接收  " and hex fields) with the module
// state it implies, a state alone, or message bytes collected so far (the reply timer restarts).
struct TestLine {
    QString fields;
    QString status;
};
struct TestStatus {
    QString status;
};
struct TestData {
    QString fields; // everything collected for the message so far
    bool ended;     // the message reached the cap and has ended; otherwise more may come
};

} // namespace AlarmReply

using AlarmReplyValue =
    std::variant<AlarmReply::InitDone, AlarmReply::WorkForm, AlarmReply::TransferMode,
                 AlarmReply::ReceiverNumber, AlarmReply::PasswordMode, AlarmReply::SmsPassword,
                 AlarmReply::Version, AlarmReply::PassiveAddress, AlarmReply::BaudAnswer,
                 AlarmReply::RestartTime, AlarmReply::TransparentMode, AlarmReply::AddressSettings,
                 AlarmReply::PowerSaving, AlarmReply::WakeDelays, AlarmReply::WakeMode,
                 AlarmReply::FirmwareModel, AlarmReply::AlarmModes, AlarmReply::PhoneTable,
                 AlarmReply::TextAnswer, AlarmReply::InputRecord, AlarmReply::RelayRecord,
                 AlarmReply::InputState, AlarmReply::TestLine, AlarmReply::TestStatus,
                 AlarmReply::TestData>;

// One line naming the reply and its fields, e.g. "F8 work-form 00 passive".
QString describe(const AlarmReplyValue &reply);

// "1A:2B:" style text of bytes (hex2 and ":" each).
QString HexFields(std::initializer_list<quint8> bytes);
