#pragma once
// Literal frames for the alarm tests: bytes written as hexadecimal text, and zero-filled frames
// with literal pieces placed at their offsets. QtCore only, so widget-free tests may use it too.

#include <QByteArray>
#include <QJsonValue>
#include <QStringList>

#include <initializer_list>

// The bytes of hexadecimal text; spaces are ignored ("1A2A 3A" is 1A 2A 3A).
QByteArray hex(const char *text);

// n zero bytes (the unused part of a record or of the phone table).
QByteArray zeros(int n);

// A literal piece of a frame: the bytes of hex(bytes), repeated times times, placed at offset at.
struct FramePiece {
    int at;
    const char *bytes;
    int times = 1;
};

// A zero-filled frame of length bytes with the pieces placed in it (a later piece overwrites an
// earlier one where they meet).
QByteArray frameOf(int length, std::initializer_list<FramePiece> pieces);

// A zero-filled frame of length bytes that starts with the bytes of hex(head).
QByteArray frameOf(int length, const char *head);

// value set at a dotted path of a JSON document ("inputs.3.repeat_seconds"); numbers index arrays.
QJsonValue patched(const QJsonValue &node, QStringList path, const QJsonValue &value);
