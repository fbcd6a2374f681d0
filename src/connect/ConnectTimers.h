#pragma once
// The main window's connect timers and its close-port timer:
//   Timer8  sends the connect query once, 100 ms after a connect operation armed it;
//   Timer9  gives up 2 s later when the module did not announce itself;
//   Timer11 sends the five read-out queries, one per second, after the module's notice;
//   Timer5  closes the port one second after a reply stopped half-way.
// The connect-time parsers stop and start them. What they do to the window that started the
// connection (frmZ40MOD for ProtocolId 100, frmVX8 for 110) goes through the hooks, so this
// stays free of widgets.

#include <QObject>
#include <QTimer>
#include <functional>

class ConnectTimers : public QObject
{
    Q_OBJECT
public:
    struct Hooks {
        // Enables Command1(0), Command1(1), Combo1 and Combo2 of the starting window.
        std::function<void(qint16 protocolId)> restoreControls;
        // Sets the progress bar PBar of the starting window.
        std::function<void(qint16 protocolId, int value)> setProgress;
        // Enables Command1(0) and Command1(1) of the starting window (read-out gave up).
        std::function<void(qint16 protocolId)> restoreButtons;
    };

    explicit ConnectTimers(QObject *parent = nullptr);

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    QTimer Timer5;  // close port, 1000 ms
    QTimer Timer8;  // connect query, 0 at start, 100 ms once armed
    QTimer Timer9;  // no answer, 2000 ms
    QTimer Timer11; // read-out, 100 ms at start, 1000 ms after its first tick

    // What a connect operation does here: ReadSeqStep 0 and Timer8 armed with 100 ms.
    void armConnect();
    // What the parsers do when the notice 0xFD is complete, and when the 0xD1 answer is.
    void noticeReceived();
    void readOutComplete();
    void startCloseTimer();
    void stopCloseTimer();
    // The device went away: a connect that was running ends here, without the time-out message,
    // and the starting window's controls come back so the user can connect again.
    void deviceLost();

    // Tick handlers, public so tests can call them directly.
    void onTimer5();
    void onTimer8();
    void onTimer9();
    void onTimer11();

private:
    Hooks m_hooks;
};

// The main window's instance, created on first use.
ConnectTimers &MainTimers();
