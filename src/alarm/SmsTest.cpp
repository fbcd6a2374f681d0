#include "alarm/SmsTest.h"

#include "alarm/AlarmChecks.h"
#include "core/ByteRoutines.h"

#include <climits>

namespace SmsTest {

using AlarmFrames::SmsSendMode;

namespace {

const QString WrongAddress = QStringLiteral("您输入的模块地址不正确，请重新输入");
const QString WrongContent = QStringLiteral("您所发射的内容不符合要求， 请输入要发射的内容");
const QString WrongReceiver = QStringLiteral("您接收方地址不符合要求， 请输入接收方地址");

// The largest value of a 16-bit length field.
constexpr int LengthFieldMax = 0xFFFF;

bool AllDigits(const QString &text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// The largest content the frame's length field can count: the passive format frame counts the
// ten header bytes too; the active transparent frame has no length field.
int LongestContent(const Form &form)
{
    if (!form.passive && !form.format)
        return INT_MAX;
    return form.passive && form.format ? LengthFieldMax - 10 : LengthFieldMax;
}

// The first character of an English-mode text that has no single-byte code, or a null QChar.
QChar FirstWideCharacter(const QString &text)
{
    for (const QChar c : text) {
        bool ok = true;
        AlarmFrames::SmsContent(SmsSendMode::English, QString(c), &ok);
        if (!ok)
            return c;
    }
    return QChar();
}

// Hex fields ("21:12:") back to bytes: each group of three characters gives one byte.
QByteArray FieldBytes(const QString &fields)
{
    QByteArray bytes;
    bytes.reserve(int(fields.size() / 3 + 1));
    for (int i = 0; i + 1 < fields.size(); i += 3)
        bytes.append(char(AlarmFrames::HexPair(fields, i + 1)));
    return bytes;
}

QString DecodeContent(const QByteArray &bytes, int first, int last, SmsSendMode mode)
{
    QString text;
    switch (mode) {
    case SmsSendMode::Chinese:
        for (int i = first; i + 1 <= last; i += 2)
            text += QChar(char16_t(quint8(bytes.at(i)) << 8 | quint8(bytes.at(i + 1))));
        break;
    case SmsSendMode::English:
        for (int i = first; i <= last; ++i) {
            const quint8 b = quint8(bytes.at(i));
            text += b < 0x80 ? QString(QChar(b)) : FromAnsi(QByteArray(1, char(b)));
        }
        break;
    case SmsSendMode::Hex:
        if (first <= last)
            text = BytesToHexColon(bytes.mid(first, last - first + 1));
        break;
    }
    return text;
}

} // namespace

Request BuildRequest(Button button, const Form &form, const QString &address, const QString &typed,
                     const QString &receiver, bool gbkAvailable)
{
    const QString content = AlarmChecks::WireLineEnds(typed);
    if (button == Reset)
        return {};
    const bool addressNeeded = button != SendSms || form.passive;
    if (button == SendSms) {
        const int shortest = form.mode == SmsSendMode::Hex ? 3 : 1;
        if (content.size() < shortest)
            return {{}, WrongContent};
        if (form.mode == SmsSendMode::English) {
            if (!AnsiEncodable(content, gbkAvailable))
                return {{}, GbkMissingText()};
            const QChar wide = FirstWideCharacter(content);
            if (!wide.isNull())
                return {{},
                        QStringLiteral("字符“%1”没有单字节编码，不能按英文方式发送。"
                                       "请删去它，或改用汉字方式发送")
                            .arg(wide)};
        }
    }
    if (addressNeeded && address.size() != 6)
        return {{}, WrongAddress};
    const quint8 a1 = AlarmFrames::HexPair(address, 1);
    const quint8 a2 = AlarmFrames::HexPair(address, 4);
    switch (button) {
    case ReadSms:
        return {AlarmFrames::SmsReadRequest(a1, a2), {}};
    case SendState:
        return {AlarmFrames::SmsStateRequest(a1, a2), {}};
    default:
        break;
    }
    if (form.format && (receiver.size() != 11 || !AllDigits(receiver)))
        return {{}, WrongReceiver};
    const QByteArray bytes = AlarmFrames::SmsContent(form.mode, content);
    if (bytes.size() > LongestContent(form))
        return {{},
                QStringLiteral("发射内容有%1字节，超过了一帧最多能带的%2字节，请缩短后再发送")
                    .arg(bytes.size())
                    .arg(LongestContent(form))};
    const QByteArray to = form.format ? AlarmFrames::SmsReceiverBytes(receiver) : QByteArray();
    return {AlarmFrames::SmsSend(form.passive, form.format, a1, a2, to, bytes), {}};
}

int ContentLength(SmsSendMode mode, const QString &text)
{
    return int(AlarmFrames::SmsContent(mode, AlarmChecks::WireLineEnds(text)).size());
}

QString SentLine(const QByteArray &frame)
{
    return QStringLiteral("发射  ") + BytesToHexColon(frame) + QLatin1Char('\n');
}

Reception FinishReception(const QString &replyText, const Form &form)
{
    Reception r;
    const QString head = QStringLiteral("接收  ");
    if (replyText.size() > 44)
        r.log =
            head + replyText.left(45) + QLatin1Char('\n') + replyText.mid(45) + QLatin1Char('\n');
    else
        r.log = head + replyText + QLatin1Char('\n');

    const QByteArray bytes = FieldBytes(replyText);
    const int last = int(bytes.size()) - 1;

    if (form.format) {
        // The sender's six bytes: the first digit's value, then the digits two per byte.
        const int at = form.passive ? 7 : 2;
        if (at + 5 <= last) {
            r.sender = QString::number(quint8(bytes.at(at)), 16).toUpper();
            for (int k = 1; k <= 5; ++k)
                r.sender += ByteToHex(quint8(bytes.at(at + k)));
        }
    }

    // Where the content lies: behind the reply head and the sender, before the time and CR.
    int first = 0, end = last;
    if (form.passive) {
        first = form.format ? 15 : 5;
        end = form.format ? last - 7 : last - 1;
    } else if (form.format) {
        first = 10;
        end = last - 6;
    }
    r.content = DecodeContent(bytes, first, end, form.mode) + QLatin1Char('\n');
    return r;
}

} // namespace SmsTest
