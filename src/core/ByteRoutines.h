#pragma once
// Byte and text routines used by frame builders, reply parsers and input boxes.

#include <QByteArray>
#include <QString>

// The frame lead-in that opens every request and every reply of all module families.
inline const QByteArray FramePreamble = QByteArray::fromHex("1A2A3A4A5A6A7A8A");

// Two upper-case hexadecimal digits: 0 -> "00", 15 -> "0F", 255 -> "FF".
QString ByteToHex(quint8 value);

// Value of one hexadecimal digit given as its character code; "0"-"9" and "A"-"F" only,
// every other code (lower case included) gives 0.
quint8 HexDigitValue(quint8 code);

// Key-press filter: sets key to 0 to drop it; also turns "a".."f" into "A".."F".
void FilterHexKey(qint16 &key);

// What a hexadecimal box keeps of a text however it was entered: hexadecimal digits in upper
// case. With colonFields, colons too: text already in pairs ("31:52:2", "31:52") stays as it is
// (so deleting a colon works), anything else is regrouped, each complete pair followed by ":"
// ("3152240" gives "31:52:24:0").
QString FilterHexText(const QString &text, bool colonFields);

// Sum of bytes[from..to-1] modulo 256; 0 when from >= to. Indices outside the array count as 0.
int ByteSum(const QByteArray &bytes, int from, int to);

// The UCS-2 text towards the modules: UTF-16 code units, high byte first ("中A" -> 4E 2D 00 41).
QByteArray Ucs2Bytes(const QString &text);
// The same behind one leading 0 byte (index 0). Empty text: returns 0, bytes untouched.
qint16 TextToUcs2Bytes(QByteArray &bytes, const QString &text);

// Bytes as the user sees them: "1A:2A:" (two upper-case digits and ":" per byte).
QString BytesToHexColon(const QByteArray &bytes);

// The system's ANSI code page (GBK) both ways.
QByteArray ToAnsi(const QString &text);
QString FromAnsi(const QByteArray &bytes);

// Whether this Qt converts GBK both ways. Qt does so through ICU: Debian's Qt has it, a Qt for
// Windows built without ICU does not. Checked once; the answer cannot change while the program
// runs.
bool GbkAvailable();
// What the user is told when GBK is not available and "英文" text outside ASCII was to be sent.
QString GbkMissingText();
// The start-up warning when GBK is not available (what will not work); empty when it is.
QString GbkMissingMessage(bool gbkAvailable = GbkAvailable());
// Whether "英文" text converts to the bytes the module expects: ASCII always (GBK leaves it as it
// is), any other character only with GBK. Without GBK other characters would come out wrong.
bool AnsiEncodable(const QString &text, bool gbkAvailable = GbkAvailable());

// Resynchronisation of a parser whose preamble check failed: how many bytes at the end of seen
// (the preamble bytes matched so far and the bytes just read) begin FramePreamble; 0 for none.
int PreambleResume(const QByteArray &seen);
