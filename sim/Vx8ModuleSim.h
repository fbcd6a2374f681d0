#pragma once
// A virtual VX8 GPRS data module with the SMS data-transmission module behind it. It reads the
// bytes the program writes, keeps what is written, and answers the way the module does; every
// answer leaves through a timer, never from inside feed().
//
// "P" is the preamble 1A 2A 3A 4A 5A 6A 7A 8A; "op" the operation byte of the request.
//
// clang-format off
//  Request (after P)        | Answer                        | Effect
//  -------------------------+-------------------------------+---------------------------------
//  FE 03  connect query     | P FD 01 00 mode               | mode 80 data communication,
//                           |                               |   00 address setting
//  F8/F9/FB/D3/DB/E4 03     | P code 03 value               | -
//  ... 01 v                 | P code 01 v                   | value = v
//  EC 03                    | P EC 03 + version (11 chars)  | -
//  D6 03 / D1 03            | P D6 03 00 / P D1 03 netMode  | -
//  E2 03 / E2 01 c1 c2      | P E2 op c1 c2                 | write: passive address
//  F3 03 / F3 01 h l        | P F3 op h l                   | write: target address
//  F4 03                    | P F4 03 h l                   | -
//  F4 01 h l / F4 02 h l    | P F4 status (after the data   | by identityOutcome: set FA;
//                           |   centre's delay)             |   refused FC; not online 0A;
//                           |                               |   taken 08, then FA on op 02;
//                           |                               |   notice 3: P FD 03, then FA;
//                           |                               |   taken also for takenAddresses
//  F6 03 / F6 01 h l        | P F6 op h l                   | write: heartbeat
//  E1 03 / E1 01 s l m t    | P E1 op s l m t               | write: address parameters
//  D2 03 / D2 01 ih il dh dl| P D2 op ih il dh dl           | write: wake-up delays
//  F2 03 / F2 01 c          | P F2 c                        | write: baud code
//  DA 01 x                  | none                          | restarts: x 1 address setting,
//                           |                               |   x 0 data communication
//  other                    | none                          | dropped, resynchronised
// clang-format on
//
// Data exchange, passive work mode (a1 a2 must be the passive address; CR = 0D):
//   "$" a1 a2 "R" CR          -> "!" a1 a2 00 00 CR (nothing waiting) or "!" a1 a2 L body CR,
//                                body = D7 01 sender(2) n(2) data (format) or data (transparent)
//   "$" a1 a2 "W" 00 00 CR    -> "!" a1 a2 "W" 00 CR (memory empty)
//   "$" a1 a2 "W" L ... CR    -> "!" a1 a2 CR; the data is kept as sent
//   a malformed "$" frame     -> "?" a1 a2 CR
// Active work mode, format: D7 01 r(2) n(2) data -> D7 FA (sent) or D7 FF (not online);
// transparent: raw bytes are kept as sent. receiveData() delivers data from another module:
// kept for the poll in passive mode, sent at once in active mode.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <array>

struct Vx8ModuleState {
    enum class Identity { Set, Refused, Taken, NotOnline, Notice3 };

    bool dataMode = true; // the third notice byte: 80 data communication, 00 address setting
    quint8 netMode = 2;   // D1: 1 GPRS
    QByteArray version = "VX8K V1.05";
    quint8 workMode = 0;        // F8: 1 active
    quint8 dataFormat = 1;      // F9: 1 format
    quint8 transparentMode = 1; // FB: 1 mode 1
    std::array<quint8, 4> addressParams{1, 2, 4, 0};
    QByteArray passiveAddress = "01";
    std::array<quint8, 2> target{0x20, 0x02};
    std::array<quint8, 2> identity{0x10, 0x01};
    quint16 heartbeat = 300;
    quint8 restarts = 3;
    quint8 powerSaving = 0;
    quint16 idleDelay = 2, dataDelay = 25; // units of 400 ms
    quint8 wakeMode = 0;
    quint8 baudCode = 6;

    Identity identityOutcome = Identity::Set;
    // Addresses other modules hold: a write of one of them is answered "taken" (08), its
    // replace (op 02) sets it.
    QList<QByteArray> takenAddresses;
    bool online = true;
    int restartCount = 0;
    QList<QByteArray> sentData; // data the program sent through the module
    struct Incoming {
        QByteArray sender, data;
    };
    QList<Incoming> inbox; // passive mode: waits for the poll
};

class Vx8ModuleSim : public QObject
{
    Q_OBJECT
public:
    explicit Vx8ModuleSim(QObject *parent = nullptr);

    Vx8ModuleState &state() { return m_state; }
    // Pieces of at most n bytes, one per output tick (0: whole answers).
    void setChunkSize(int n) { m_chunk = n; }
    // How long the data centre takes to answer an identity write.
    void setIdentityDelay(int ms) { m_identityDelay = ms; }
    const QList<QByteArray> &requests() const { return m_requests; }

    void receiveData(const QByteArray &sender, const QByteArray &data);

public Q_SLOTS:
    void feed(const QByteArray &bytes);

Q_SIGNALS:
    void reply(const QByteArray &bytes);

private:
    bool takeFrame();
    bool takePassive();
    bool takeActive();
    void handle(quint8 code, quint8 op, const QByteArray &payload);
    void identityWrite(quint8 op, const QByteArray &payload);
    void answer(const QByteArray &bytes, int delayMs = 0);
    void deliver();

    Vx8ModuleState m_state;
    QByteArray m_in;
    QList<QByteArray> m_out;
    QList<QByteArray> m_requests;
    QTimer m_outTimer;
    int m_chunk = 0;
    int m_identityDelay = 200;
    bool m_noticeOnce = false;
};
