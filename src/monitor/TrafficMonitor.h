#pragma once
// Watches one serial link for the traffic monitor: every chunk written or read is named
// (TrafficNamer), time-stamped (ms since the port was opened, and the wall clock) and handed to
// the list model, to the automatic log of the connection and to the trace file. It listens to
// the link only while one of them wants rows, so a link nobody watches pays nothing.

#include "core/TrafficLogWriter.h"
#include "monitor/TrafficModel.h"
#include "monitor/TrafficNamer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

class SerialLink;

class TrafficMonitor : public QObject
{
    Q_OBJECT
public:
    explicit TrafficMonitor(SerialLink &link, QObject *parent = nullptr);
    ~TrafficMonitor() override;

    // The monitor of a link, made on first use and owned by the link.
    static TrafficMonitor *of(SerialLink &link);

    TrafficModel &model() { return m_model; }
    TrafficNamer &namer() { return m_namer; }

    // The monitor window is open: rows go to the list.
    void setWatching(bool on);
    bool watching() const { return m_watching; }
    // Every connection to a file of its own in logsFolder(); remembered between runs.
    void setAutoLog(bool on);
    bool autoLog() const { return m_autoLog; }
    static QString logsFolder();
    QString autoLogPath() const;
    // All traffic to this file as well (--trace); empty: off.
    void setTraceFile(const QString &path);

    // Rows wait for the list until this ticks (every 100 ms); public for tests.
    QTimer BatchTimer;
    void batchTick();

private:
    void onTraffic(bool sent, const QByteArray &bytes);
    void onRow(TrafficRow &row);
    void portOpened();
    void portClosed();
    void updateListening();

    SerialLink &m_link;
    TrafficModel m_model;
    TrafficNamer m_namer;
    QElapsedTimer m_since;
    bool m_watching = false;
    bool m_autoLog = false;
    bool m_listening = false;
    bool m_quiet = true; // no traffic since the last batch tick
    std::unique_ptr<TrafficLogWriter> m_connectionLog;
    std::unique_ptr<TrafficLogWriter> m_trace;
    QMetaObject::Connection m_connection;
};
