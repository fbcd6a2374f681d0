#pragma once
// What the SMS data-transmission module answers, one small value type per reply kind, as the
// data-module reply parser emits them. text() gives what the parameter window shows for the
// reply; describe() a stable one-line text of every reply for tests and the log.

#include <QByteArray>
#include <QString>
#include <variant>

namespace DataReply {

// 0xFD: 1 start-up complete, 3 the module asks for the identity address again.
struct Notice {
    quint8 value = 0;
};
// 0xEC: twelve bytes taken as characters.
struct Version {
    QByteArray bytes;
    QString text() const;
};
// 0xE2: the two address bytes of passive mode, shown "30:35:".
struct PassiveAddress {
    quint8 high = 0, low = 0;
    QString text() const;
};
// 0xF3 (target) and the read-back of 0xF4 (identity): four hexadecimal digits, the first the
// project number, the other three the station number.
struct Address {
    bool identity = false;
    quint8 high = 0, low = 0;
    QString text() const; // "1234"
    QString project() const { return text().left(1); }
    QString station() const { return text().mid(1); }
};
// 0xF4 status after a write: 250 set, 252 refused, 8 taken, 10 not online; 3 announces a
// read-back (emitted as Address instead).
struct IdentityStatus {
    quint8 status = 0;
};
// 0xF5: consumed, not shown.
struct Skipped {
    quint8 code = 0;
};
// 0xF6: seconds, value byte 1 * 256 + value byte 2.
struct Heartbeat {
    quint16 seconds = 0;
    QString text() const; // "300秒"
};
// 0xF8: 0 passive, other active.
struct WorkMode {
    quint8 value = 0;
    bool active() const { return value != 0; }
    QString text() const;
};
// 0xF9: 0 transparent, other format transmission.
struct DataFormat {
    quint8 value = 0;
    bool format() const { return value != 0; }
    QString text() const;
};
// 0xFB: 0 mode 2, other mode 1.
struct TransparentMode {
    quint8 value = 0;
    bool mode1() const { return value != 0; }
    QString text() const;
};
// 0xE1: start position, length, group maximum, type (0 ASCII, 1 hex, 2 BCD, other Wex).
struct AddressParams {
    quint8 start = 0, length = 0, groupMaximum = 0, type = 0;
    QString typeText() const;
};
// 0xF2: the baud code; 3..11 name a rate.
struct BaudAnswer {
    quint8 code = 0;
    QString text() const; // "9600bps", empty for an unknown code
};
// 0xE4: restart count.
struct RestartCount {
    quint8 count = 0;
};
// 0xD3: 0 no power saving.
struct PowerSaving {
    quint8 value = 0;
    bool on() const { return value != 0; }
    QString text() const;
};
// 0xD2: idle and data time after waking, units of 400 ms.
struct WakeDelays {
    quint16 idle = 0, data = 0;
    QString text() const; // "0.8s   10s"
};
// 0xDB: 0 mode 1, other mode 2.
struct WakeMode {
    quint8 value = 0;
    QString text() const;
};

// Data exchange; received holds every byte of the reply as it came. Passive mode: "!" and the
// module address, then what the request asked for; "?", the address and one more byte when the
// module refused the frame.
struct PassiveAck {
    quint8 high = 0, low = 0;
    QByteArray received;
};
struct PassiveRefused {
    quint8 high = 0, low = 0;
    QByteArray received;
};
// The memory state after "判断内存": 0 nothing waiting to be sent, other still sending.
struct MemoryState {
    quint8 state = 0;
    QByteArray received;
};
// Active format: D7 then FA sent, FF not online, FC failed.
struct SendResult {
    quint8 code = 0;
    QByteArray received;
};
// Data from another module: the sender's address (empty in transparent transmission, where
// the module passes the bytes alone) and the data bytes.
struct ReceivedData {
    QByteArray sender;
    QByteArray data;
    QByteArray received;
};

} // namespace DataReply

using DataReplyValue =
    std::variant<DataReply::Notice, DataReply::Version, DataReply::PassiveAddress,
                 DataReply::Address, DataReply::IdentityStatus, DataReply::Skipped,
                 DataReply::Heartbeat, DataReply::WorkMode, DataReply::DataFormat,
                 DataReply::TransparentMode, DataReply::AddressParams, DataReply::BaudAnswer,
                 DataReply::RestartCount, DataReply::PowerSaving, DataReply::WakeDelays,
                 DataReply::WakeMode, DataReply::PassiveAck, DataReply::PassiveRefused,
                 DataReply::MemoryState, DataReply::SendResult, DataReply::ReceivedData>;

// One line naming the reply and its fields, e.g. "F6 heartbeat 300秒".
QString describe(const DataReplyValue &reply);
// Every byte of a data-exchange reply; empty for the parameter replies.
QByteArray dataBytes(const DataReplyValue &reply);
