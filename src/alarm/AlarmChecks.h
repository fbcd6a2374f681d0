#pragma once
// Control states of the alarm window turned into record codes, and the checks a value must pass
// before a frame can carry it. QtCore only: the windows gather the control states and show the
// refusal messages (all with the title "提示").

#include <QString>

namespace AlarmChecks {

// True when the text holds a character whose ANSI code is below 1 or at least 128 (a Chinese
// character, NUL, anything outside ASCII): its box then switches to "汉字", else to "英文".
bool NeedsChinese(const QString &text);

// Text of a multi-line box as the module gets it: every line break as CR LF.
QString WireLineEnds(const QString &text);

// Trigger of an input: first selected of "仅高电平" (2), "仅低电平" (1), "电平变化" (3); else 0.
quint8 TriggerCode(bool highOnly, bool lowOnly, bool levelChange);
// Group sending: 0 off, 1 to the whole table, 2 to the table without the administrator.
quint8 GroupCode(bool table, bool withoutAdministrator);
// Relay output mode: 1 level, 2 pulse (when level is not selected), 0 neither.
quint8 OutputModeCode(bool level, bool pulse);
// SMS reply: 0 without reply; with it 2 "检测DI0状态", 3 "检测DI1状态", otherwise 1.
quint8 SmsReplyCode(bool reply, bool di0, bool di1);
// Repeat interval byte: seconds rounded, kept within 0..2550, divided by 10 and truncated.
quint8 IntervalUnits(double seconds);
// Relay delay byte: seconds rounded; above 250 gives 250, below 0 gives 0.
quint8 DelaySeconds(double seconds);
// Relay of the output test from its list text: "Do0 通道" 0 ... "Do7 通道" 7; anything else -1.
int TestRelayNumber(const QString &text);

// ---- refusals: the message to show, empty when the value can be sent --------------------------

// A short message text longer than its field.
QString TextTooLongMessage();
// "报警次数": the number rounded must lie in 0..255.
QString CheckAlarmCount(double number, quint8 *count = nullptr);
// "密码": four fields of two hexadecimal digits, each followed by ":" (the last one may be left
// out), as in "31:52:24:08:". Lower-case digits are accepted.
QString CheckPassword(const QString &text);
// "接收号码": exactly 11 characters, each a digit (hexadecimal digits A-F are accepted too).
QString CheckReceiverNumber(const QString &text);
// "模块地址": two fields of two hexadecimal digits, as in "1A:2B" (a trailing ":" is allowed).
QString CheckPassiveAddress(const QString &text);
// "重起时间": seconds from 0 up to 2^32 - 1 units of 5 ms.
QString CheckRestartTime(double seconds, quint32 *units = nullptr);
// A parameter write while the serial port is closed.
QString PortClosedMessage();

} // namespace AlarmChecks
