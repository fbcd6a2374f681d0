#pragma once
// The communication test of the alarm window without its controls: the request a button sends
// (with the checks that refuse it and their messages), the log lines of what goes over the line,
// and the display of a received message once it has ended.

#include "alarm/AlarmFrames.h"
#include "core/ByteRoutines.h"

#include <QByteArray>
#include <QString>

namespace SmsTest {

// How the module was last reported to work, and how the text is turned into bytes.
struct Form {
    bool passive = true;
    bool format = true;
    AlarmFrames::SmsSendMode mode = AlarmFrames::SmsSendMode::Chinese;
};

// The buttons "读取短信", "发送状态", "发送短信" and "复位"; the first three send a request.
enum Button { ReadSms = 0, SendState = 1, SendSms = 2, Reset = 3 };

// The module's own numbering of the last request: 1 read SMS, 2 send state, 3 send SMS.
inline int CommandOf(Button button)
{
    return button == Reset ? 0 : int(button) + 1;
}

struct Request {
    QByteArray frame; // empty when refused
    QString refusal;  // the message that refuses it, empty when the frame is good
};

// The frame of a button from the texts of the module address box ("12:34:"), the send box and
// the receiver box; or the message that refuses them. "复位" gives neither. English text outside
// ASCII is refused when GBK is not available (gbkAvailable, see AnsiEncodable). Line breaks of
// the send box go out as CR LF, as from every multi-line box of the window; the receiver must be
// 11 digits, and a text too long for the frame's 16-bit length field is refused.
Request BuildRequest(Button button, const Form &form, const QString &address,
                     const QString &content, const QString &receiver,
                     bool gbkAvailable = GbkAvailable());

// Bytes the send box gives in a send mode (shown while it is typed), line breaks as CR LF.
int ContentLength(AlarmFrames::SmsSendMode mode, const QString &text);

// "发射  24:12:34:52:0D:" and the line end.
QString SentLine(const QByteArray &frame);

// A received message, ended by the quiet time or by the reception cap. Every reception is
// decoded and shown, whatever its length: a long one must not leave the previous one standing.
struct Reception {
    QString log;     // "接收  " lines for the log box (one or two lines)
    QString sender;  // sender's number (format transmission), else empty
    QString content; // decoded content and the line end
};

// replyText is the reception as hex fields ("21:12:34:..."), as the reply parser collects it.
Reception FinishReception(const QString &replyText, const Form &form);

} // namespace SmsTest
