#pragma once
// One row of the traffic monitor: a frame (or a run of bytes that belong to no frame) that went
// over the line, when, which way, and what it is.

#include <QByteArray>
#include <QDateTime>
#include <QString>

struct TrafficRow {
    enum class Check { None, Correct, Wrong };

    qint64 elapsedMs = 0; // since the port was opened
    QDateTime wall;
    QString port; // "COM1": the port entry of the link the bytes went over
    bool sent = false;
    QByteArray bytes;
    QString kind;   // "F8 工作形式", "B4 DI参数 读取", "帧外字节", ...
    QString fields; // the decoded values
    Check check = Check::None;
    quint8 checksum = 0, expected = 0; // with a checksum: the one received and the right one
    bool junk = false;                 // bytes that belong to no frame

    // Monitor and log columns.
    QString direction() const;
    QString checkText() const;
    QString hex() const;
    // One tab-separated log line (with its line end), and one CSV record.
    QByteArray logLine() const;
    QString csvLine() const;
    static QByteArray logHeader();
    static QString csvHeader();
};
