#include "core/ByteRoutines.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString ByteToHex(quint8 value)
{
    static const char digits[] = "0123456789ABCDEF";
    const QChar text[2] = {QLatin1Char(digits[value >> 4]), QLatin1Char(digits[value & 0x0F])};
    return QString(text, 2);
}

quint8 HexDigitValue(quint8 code)
{
    if (code >= '0' && code <= '9')
        return quint8(code - '0');
    if (code >= 'A' && code <= 'F')
        return quint8(code - 'A' + 10);
    return 0;
}

void FilterHexKey(qint16 &key)
{
    if ((key >= 0 && key <= 7) || (key >= 9 && key <= 47) || (key >= 58 && key <= 64) ||
        (key >= 71 && key <= 96) || (key >= 103 && key <= 126)) {
        key = 0;
    } else if (key >= 97 && key <= 102) {
        key = qint16(key - 32);
    }
}

int ByteSum(const QByteArray &bytes, int from, int to)
{
    if (from >= to)
        return 0;
    qint32 sum = 0;
    const int first = qMax(from, 0);
    const int last = qMin(to, int(bytes.size()));
    for (int i = first; i < last; ++i)
        sum += quint8(bytes.at(i));
    return sum % 256;
}

QByteArray Ucs2Bytes(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(2 * text.size());
    for (const QChar unit : text) {
        const ushort code = unit.unicode();
        bytes.append(char(code >> 8));
        bytes.append(char(code & 0xFF));
    }
    return bytes;
}

qint16 TextToUcs2Bytes(QByteArray &bytes, const QString &text)
{
    if (text.isEmpty())
        return 0;
    bytes = QByteArray(1, '\0') + Ucs2Bytes(text);
    return 1;
}

QString BytesToHexColon(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() * 3);
    for (const char b : bytes) {
        text += ByteToHex(quint8(b));
        text += QLatin1Char(':');
    }
    return text;
}

QByteArray ToAnsi(const QString &text)
{
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        return text.toLocal8Bit();
    return encoder.encode(text);
}

QString FromAnsi(const QByteArray &bytes)
{
    QStringDecoder decoder("GBK");
    if (!decoder.isValid())
        return QString::fromLocal8Bit(bytes);
    return decoder.decode(bytes);
}

bool GbkAvailable()
{
    static const bool available =
        QStringEncoder("GBK").isValid() && QStringDecoder("GBK").isValid();
    return available;
}

QString GbkMissingText()
{
    return QStringLiteral("本程序所用的 Qt 不支持 GBK 编码（Windows 上需要带 ICU 的 Qt），"
                          "英文方式只能发送 ASCII 字符。请删去其它字符，或改用汉字方式");
}

QString GbkMissingMessage(bool gbkAvailable)
{
    if (gbkAvailable)
        return QString();
    return QStringLiteral("本程序所用的 Qt 不支持 GBK 编码（Windows 上需要带 ICU 的 Qt）。"
                          "英文方式只能发送 ASCII 字符，模块发来的英文方式文字可能显示为乱码");
}

bool AnsiEncodable(const QString &text, bool gbkAvailable)
{
    if (gbkAvailable)
        return true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

QString FilterHexText(const QString &text, bool colonFields)
{
    QString digits, kept;
    for (const QChar c : text) {
        const QChar u = c.toUpper();
        if ((u >= QLatin1Char('0') && u <= QLatin1Char('9')) ||
            (u >= QLatin1Char('A') && u <= QLatin1Char('F'))) {
            digits += u;
            kept += u;
        } else if (colonFields && c == QLatin1Char(':')) {
            kept += c;
        }
    }
    if (!colonFields)
        return digits;
    // Pairs each followed by ":", the last colon or the last digit possibly missing.
    bool grouped = true;
    for (int i = 0; i < kept.size(); ++i)
        if ((kept.at(i) == QLatin1Char(':')) != (i % 3 == 2))
            grouped = false;
    if (grouped)
        return kept;
    QString out;
    for (int i = 0; i < digits.size(); ++i) {
        out += digits.at(i);
        if (i % 2 == 1)
            out += QLatin1Char(':');
    }
    return out;
}

int PreambleResume(const QByteArray &seen)
{
    for (qsizetype from = 1; from < seen.size(); ++from) {
        const QByteArray tail = seen.mid(from);
        if (FramePreamble.startsWith(tail))
            return int(tail.size());
    }
    return 0;
}
