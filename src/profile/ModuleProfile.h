#pragma once
// The profile of an alarm module: everything the read-all and the feature reads gather, as a
// JSON document that can be written into other modules. QtCore only; the alarm window and the
// batch mode share it. docs/profile.md describes the format.
//
// A parameter that is absent (or null) in a profile is left as the module has it. Inputs and
// relays are arrays of eight entries, each an object or null. The "module" section holds what a
// module reports but cannot be written (software version, firmware model); writing ignores it.
//
// Reading a profile checks every field before anything is sent; the first bad field is named
// with its allowed range, in Chinese ("inputs[3].repeat_seconds: 0 到 2550").

#include "alarm/AlarmRecords.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

struct AlarmSettings;

namespace Profile {

inline const QString FormatName = QStringLiteral("corvane-alarm-profile");
constexpr int FormatVersion = 1;
// A profile file is a few kilobytes: anything past this is no profile, and is not read whole.
constexpr qint64 MaxFileBytes = 1 << 20;
// The longest profile name and module text (software version, firmware model) accepted.
constexpr int MaxNameLength = 200;

struct Text {
    QString text;
    bool english = false; // ANSI bytes; otherwise UTF-16 ("汉字")
    bool operator==(const Text &o) const { return text == o.text && english == o.english; }
};

struct Input {
    quint8 trigger = 0;        // 0 none, 1 low level only, 2 high level only, 3 level change
    quint8 group = 0;          // 0 off, 1 whole table, 2 table without the administrator
    quint16 repeatSeconds = 0; // 0..2550 in steps of 10
    Text low, high;
    quint8 count = 0; // alarm count
    quint8 relay = 0; // linked relay 1..8, 0 none
};

struct Relay {
    quint8 mode = 0;  // 0 none, 1 level, 2 pulse
    quint8 reply = 0; // 0 no SMS reply, 1 operation result, 2 DI0 state, 3 DI1 state
    quint8 replyDelay = 0, highDelay = 0, lowDelay = 0; // seconds
    Text low, high;
    quint8 hold = 0; // 1 output hold
};

struct Address {
    quint8 start = 0, groupMaximum = 0, length = 0, type = 0;
};

struct Parameters {
    std::optional<quint8> workForm;        // 0 passive, 1 active
    std::optional<quint8> transferMode;    // 0 transparent, 1 format transmission
    std::optional<quint8> transparentMode; // 1 mode 1, 2 mode 2
    std::optional<Address> address;
    std::optional<quint8> passwordMode; // 0 none, 1 sending, 2 receiving, 3 both
    std::optional<std::array<quint8, 4>> password;
    std::optional<QString> receiverNumber; // "1" and ten digits
    std::optional<std::array<quint8, 2>> passiveAddress;
    std::optional<quint32> restartUnits; // units of 5 ms
    std::optional<bool> powerSaving;
    std::optional<quint8> wakeMode;            // 1 or 2
    std::optional<quint16> wakeIdle, wakeData; // counts of 400 ms
};

struct ModuleInfo {
    QString softwareVersion;
    QString firmwareModel;
};

struct ModuleProfile {
    QString name;
    ModuleInfo module;
    Parameters parameters;
    std::array<std::optional<Input>, 8> inputs;
    std::array<std::optional<Relay>, 8> relays;
    std::optional<std::array<quint8, 8>> alarmModes; // 1 call, 2 SMS, 3 both, 0 none
    std::optional<QStringList> phoneTable;           // at most 20 numbers
};

// What a module has reported, as a profile (fields it did not report stay empty).
ModuleProfile FromSettings(const AlarmSettings &settings, const QString &name = QString());

QJsonObject ToJson(const ModuleProfile &profile);
// The file: indented UTF-8 JSON.
QByteArray ToFile(const ModuleProfile &profile);
// Reads and checks a file; on a fault gives false and the Chinese message naming the field.
bool FromFile(const QByteArray &bytes, ModuleProfile *profile, QString *error);
bool FromJson(const QJsonObject &json, ModuleProfile *profile, QString *error);
// Reads the profile file at path: only a regular file (no device, pipe or directory, which could
// block or never end) of at most MaxFileBytes. On a fault gives false and the Chinese message.
bool ReadFile(const QString &path, ModuleProfile *profile, QString *error);

// The caption the alarm window gives a field, with the field's path beside it:
// "重起时间（parameters.restart_seconds）", "DI3 报警次数（inputs[3].count）".
QString FieldCaption(const QString &path);
// A step of a run as a person reads it: "connect" -> "连接", "inputs[3] write" ->
// "写入 DI3 参数（inputs[3]）", "read-all step 12" -> "读取全部设置（第 12 步）".
QString StepCaption(const QString &where);

// SHA-256 (hexadecimal) of the writable sections in compact form: two profiles that write the
// same values have the same checksum, whatever their name, module section or layout.
QString Checksum(const ModuleProfile &profile);

// One writable field with its value as text, in document order ("inputs[3].repeat_seconds",
// "30"). Only the fields present in the profile are listed.
struct Field {
    QString path;
    QString value;
};
QList<Field> Fields(const ModuleProfile &profile);

// A field of the profile whose module value differs; reported is false when the module did not
// report the field, and the profile value is empty for a phone number the module holds beyond
// the profile's table.
struct Difference {
    QString path;
    QString moduleValue;
    QString profileValue;
    bool reported = true;
};
// The fields of wanted that the module (a profile of what it reported) does not hold as wanted.
QList<Difference> Diff(const ModuleProfile &module, const ModuleProfile &wanted);

// The records as the long writes carry them.
AlarmRecords::DiRecordValues RecordValues(const Input &input);
AlarmRecords::DoRecordValues RecordValues(const Relay &relay);

} // namespace Profile
