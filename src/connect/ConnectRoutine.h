#pragma once
// The connect over one link, as one object for the connect dialog, the VX8 window and the batch
// mode: the connect query (P FE 03) 100 ms after the start, the module's notice (P FD and three
// bytes) within 2 s, then the five read-outs F8, F9, EC, D6 and D1, one a second. The D1 answer
// ends the connect with a ModuleIdentity; a GPRS module (network mode 1) is refused.
//
//   Timer8  sends the connect query once, 100 ms after start();
//   Timer9  gives up 2 s later when the module did not announce itself;
//   Timer11 sends the read-outs, the first 100 ms after the notice and then one a second;
//   Timer5  closes the port one second after a notice stopped half-way (when asked to).
//
// The batch mode does not wait out the second: the next read-out leaves as soon as the last
// one is answered (Pace::OnAnswer). QtCore only.

#include "connect/ConnectReplyParser.h"
#include "connect/ModuleIdentity.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class SerialLink;

class ConnectRoutine : public QObject
{
    Q_OBJECT
public:
    static constexpr int QueryDelayMs = 100;
    static constexpr int NoticeMs = 2000;
    static constexpr int FirstReadOutMs = 100;
    static constexpr int ReadOutMs = 1000;
    static constexpr int ClosePortMs = 1000;

    enum class Pace { OnePerSecond, OnAnswer };
    enum class Result {
        Connected,
        GprsRefused, // a GPRS module: the connect dialog does not take it
        NoAnswer,    // no notice within 2 s: the port is closed
        GaveUp,      // the network mode was not answered after the fifth read-out
        DeviceLost,  // the device went away during the connect
    };

    explicit ConnectRoutine(SerialLink &link, QObject *parent = nullptr);
    ~ConnectRoutine() override;

    void setPace(Pace pace) { m_pace = pace; }
    void setClosePortOnPartialNotice(bool on) { m_closeOnPartialNotice = on; }

    // Starts on an open port: binds to the link and ends with finished(). A routine that is
    // running starts over.
    void start();
    // Ends without a result (the window that started it goes).
    void stop();
    bool isActive() const { return m_active; }

    SerialLink &link() { return m_link; }
    ConnectReplyParser &parser() { return m_parser; }
    const ModuleIdentity &identity() const { return m_identity; }
    qint16 readOutStep() const { return m_readOutStep; }

    QTimer Timer5;
    QTimer Timer8;
    QTimer Timer9;
    QTimer Timer11;
    // Tick handlers, public so tests can call them directly.
    void onTimer5();
    void onTimer8();
    void onTimer9();
    void onTimer11();

Q_SIGNALS:
    // The progress bar of the starting window: the read-outs sent so far (0 at the end).
    void progress(int value);
    void finished(ConnectRoutine::Result result);

private:
    void onReply(const ConnectReplyValue &reply);
    void onDeviceLost();
    void finish(Result result);
    void stopTimers();

    SerialLink &m_link;
    QPointer<SerialLink> m_boundTo; // the link, while it lives
    ConnectReplyParser m_parser;
    ModuleIdentity m_identity;
    Pace m_pace = Pace::OnePerSecond;
    bool m_closeOnPartialNotice = false;
    bool m_active = false;
    qint16 m_readOutStep = 0;
};
