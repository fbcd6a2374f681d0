#pragma once
// Follows every serial link of the program for the traffic monitor: each chunk written or read
// is named (a TrafficNamer per link), time-stamped (ms since that port was opened, and the wall
// clock), marked with its port and handed to the one list model, to the automatic log of that
// connection and to the trace file. A link is listened to only while one of them wants rows, so
// a link nobody watches pays nothing. A log the disk refuses ends with a message that says what
// was lost: a message box for a connection log, a line on standard error for the trace.

#include "monitor/TrafficLogWriter.h"
#include "monitor/TrafficModel.h"
#include "monitor/TrafficNamer.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>

class SerialLink;
class LinkTap;

class TrafficMonitor : public QObject
{
    Q_OBJECT
public:
    explicit TrafficMonitor(QObject *parent = nullptr);
    ~TrafficMonitor() override;

    // Follows link for as long as it lives.
    void follow(SerialLink &link);

    TrafficModel &model() { return m_model; }

    // The monitor window is open: rows go to the list.
    void setWatching(bool on);
    bool watching() const { return m_watching; }
    // Every connection to a file of its own in logsFolder(); remembered between runs.
    void setAutoLog(bool on);
    bool autoLog() const;
    static QString logsFolder();
    // The file of the connection opened last; empty when none is logged.
    QString autoLogPath() const;
    // All traffic to this file as well (--trace); empty: off. False when it cannot be opened.
    bool setTraceFile(const QString &path);

    // Rows wait for the list until this ticks (every 100 ms); public for tests.
    QTimer BatchTimer;
    void batchTick();

Q_SIGNALS:
    // A log could not be written (after the message has been given).
    void logFailed(const QString &message);

private:
    friend class LinkTap;
    void takeRow(TrafficRow &row, TrafficLogWriter *connectionLog);
    bool wantsRows() const { return m_watching || autoLog() || m_trace; }
    void updateListening();
    // Tells the user once that writer has failed; false when it has not.
    bool checkLog(const TrafficLogWriter &writer, bool trace);
    void tell(const QString &message, bool trace);

    TrafficModel m_model;
    bool m_watching = false;
    // Read from the settings when first asked (start-up does not wait for the settings file).
    mutable std::optional<bool> m_autoLog;
    std::unique_ptr<TrafficLogWriter> m_trace;
    bool m_traceFailed = false;
    QString m_traceFailure; // the message given when it failed
    QList<QPointer<LinkTap>> m_taps;
};

// What the monitor keeps of one link: its namer, its clock and its connection log.
class LinkTap : public QObject
{
    Q_OBJECT
public:
    LinkTap(SerialLink &link, TrafficMonitor &monitor);

    void listen(bool on);
    void startLog();
    void stopLog();
    QString logPath() const;
    // A run of bytes with no frame ends when the line has been quiet for a batch tick.
    void tick();
    TrafficNamer &namer() { return m_namer; }

private:
    void onTraffic(bool sent, const QByteArray &bytes);
    void portOpened();
    void portClosed();

    SerialLink &m_link;
    TrafficMonitor &m_monitor;
    TrafficNamer m_namer;
    QElapsedTimer m_since;
    bool m_listening = false;
    bool m_quiet = true;
    std::unique_ptr<TrafficLogWriter> m_connectionLog;
    bool m_logFailed = false;
    QMetaObject::Connection m_connection;
};
