#pragma once
// The Chinese names the traffic monitor, its log and the trace give to what goes over the line:
// request and reply codes with the captions the module windows use for them, and every field
// of every reply. A name is split in two columns: the kind ("F8 工作形式", used by the kind
// filter) and the fields ("01 主动方式").

#include "alarm/AlarmReplies.h"
#include "data/DataReplies.h"

#include <QString>

namespace TrafficNames {

struct Name {
    QString kind;
    QString fields;
};

// Which conversation a code belongs to: the same code means different settings in the connect,
// the alarm module and the data module.
enum class Conversation { Connect, Alarm, Data };

// "F8 工作形式"; the bare code when the conversation has no such code.
QString CodeText(quint8 code, Conversation conversation);

Name OfAlarmReply(const AlarmReplyValue &reply);
Name OfDataReply(const DataReplyValue &reply);

// Kinds of rows that are no reply of their own.
QString NoFrame();         // bytes that belong to no frame
QString UnknownModule();   // bytes of a conversation the monitor cannot read
QString MessageData();     // the bytes of a message in the communication test
QString UnfinishedFrame(); // a frame the port closed on before it ended
QString ByteCount(qsizetype count);

} // namespace TrafficNames
