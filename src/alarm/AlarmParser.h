#pragma once
// Reply parser of the alarm control module (ProtocolId 101). It turns what the module sends into
// updates of the alarm window (through AlarmView), message boxes and status-bar texts, and moves
// the read-all sequence on through ReadAllStep.
//
// It is a step machine over RxStep shared by three machines: the binary frame machine
// (ParamTabActive true) and the passive and active text machines of the communication test.
// Each step reads exactly the bytes it needs with Link().read() into RxBytes and then sets the
// receive threshold for the next step. Steps whose bytes are waiting run back to back in one
// call. Steps that take "everything pending" (texts after a write, the phone table, the settings
// records, the input state after "<", and the 0xEC choice between the 12-byte version and a text)
// first let the line settle: they act once no byte has arrived for 50 ms, polled by a
// single-shot timer, so the thread never sleeps and a reply split by any timing with gaps under
// 50 ms gives the same result as a reply that arrived whole.

class AlarmView;

// The data-received handler for ProtocolAlarm. Never re-entered: a call while a step is running
// (a message box is open) returns at once and the running call serves the new bytes.
void ParseAlarmReply();

// The window the parser shows its results in; nullptr skips every display update (messages and
// shared values are still handled).
void SetAlarmView(AlarmView *view);
AlarmView *CurrentAlarmView();

// Registers ParseAlarmReply with the receive dispatch for ProtocolAlarm (both names do the same;
// InstallAlarmParser matches the start-up calls of the other parsers).
void RegisterAlarmParser();
void InstallAlarmParser();

// The settle wait. The timer ticks every AlarmSettleTickMs while a variable-length step waits;
// the step acts after AlarmSettleQuietTicks ticks in a row saw no new byte.
constexpr int AlarmSettleTickMs = 10;
constexpr int AlarmSettleQuietTicks = 5;
// True while a variable-length step waits for the line to settle (its timer is running).
bool AlarmParserSettling();
// What the settle timer does when it fires (tests call it directly instead of waiting).
void AlarmParserSettleTick();
// Stops the settle wait and clears the parser's own state (not the shared values).
void ResetAlarmParser();
