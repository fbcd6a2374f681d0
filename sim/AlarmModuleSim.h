#pragma once
// A virtual multi-channel SMS alarm control module. It reads the bytes the program writes, keeps
// the module's settings, and answers the way the module does on the serial line. It runs on the
// thread that owns it; every answer leaves through a timer, never from inside feed(), so the
// program's write call always returns before the answer arrives.
//
// Requests are binary frames (preamble 1A 2A 3A 4A 5A 6A 7A 8A, command, operation, payload; the
// length is fixed per command and operation) or, on the communication test, the module's
// data-transfer frames. Input may arrive in any split or joined; the module buffers it and
// resynchronises on the next preamble. "P" below stands for the eight preamble bytes, "d0" of every
// binary answer is 00 unless stated.
//
// clang-format off
//  Request (after P)          | Answer                         | Effect
//  ---------------------------+--------------------------------+-------------------------------
//  FE 03  connect query       | P FD i0 i1 i2  (moduleInfo)    | -
//  F8 03 / F8 01 v            | P F8 00 workForm               | write: workForm = v
//  F9 03 / F9 01 v            | P F9 00 transferMode           | write: transferMode = v
//  FB 03 / FB 01 v            | P FB 00 transparentMode        | write: transparentMode = v
//  EC 03                      | P EC 20 + version (11 chars,   | -
//                             |   space padded)                |
//  EC 01 c1..c6               | P EC "SETOK:" / "SETFAIL:"     | OK when c1..c6 == versionCode
//  D6 03                      | P D6 00 00                     | -
//  D1 03 / D1 01 m            | P D1 00 netMode / no answer    | write: netMode = m (1 GPRS)
//  AB 03                      | P AB m0 m1 m2  (model)         | -
//  A3 02 / A3 01 t3 t2 t1 t0  | P A3 00 t3 t2 t1 t0            | write: restartTime = t
//  A1 03 / A1 01 f            | P A1 00 passwordMode           | write: passwordMode = f
//  F1 03 / F1 01 p1..p4       | P F1 00 p1 p2 p3 p4            | write: password
//  E2 03 / E2 01 a b          | P E2 00 a b                    | write: passiveAddress
//  A2 03 / A2 01 01 b1..b5    | P A2 00 01 b1 .. b5            | write: receiverNumber
//  E1 03 / E1 01 p q r t      | P E1 00 p q r t                | write: addressSettings
//  D3 03 / D3 01 s            | P D3 00 powerSaving            | write: powerSaving = s
//  D2 03 / D2 01 ih il dh dl  | P D2 00 ih il dh dl            | write: idleDelay, dataDelay
//  DB 03 / DB 01 m 0 0 0      | P DB 00 wakeMode               | write: wakeMode = m
//  F2 01 code                 | P F2 00 code                   | baudCode = code (the line
//                             |                                |   itself keeps its speed)
//  AC 03 / AC 01 m0..m7       | P AC 00 m0 .. m7               | write: deliveryModes
//  98 ch                      | "<" then '0' when input ch is  | - ("<?" for ch > 7)
//                             |   at level 1, '1' at level 0   |
//  99 r a                     | no answer                      | relayStates[r] = a
//  D5 01                      | no answer                      | parameterClears + 1
//  B4 02 ch                   | P B4 ch BC sum + 187 bytes     | sum = record bytes mod 256
//  B4 01 ch sum + 187 bytes   | P B4 03 "SETOK:" / "SETFAIL:"  | stored when ch < 8 and sum
//                             |                                |   matches bytes 12..198
//  B5 02 ch                   | P B5 ch 82 sum + 129 bytes     | as B4
//  B5 01 ch sum + 129 bytes   | P B5 03 "SETOK:" / "SETFAIL:"  | as B4, sum of bytes 12..140
//  D9 01                      | P D9 01 sum n + 20 entries of  | sum = (n + entries) mod 256;
//                             |   6 bytes (unused ones zero)   |   always 123 bytes after D9
//  D9 02 sum n + entries      | P D9 02 "SETOK:" / "SETFAIL:"  | stored when 1 <= n <= 20 and
//    (183 bytes)              |                                |   sum = bytes 11..11+6n
//  D9 04 01                   | P D9 04 "CLROK:"               | phone table emptied
//  D9 04 x (x != 01)          | P D9 04 "CLRFAIL:"             | -
//  DA 01 x  (VX8 mode switch) | no answer                      | - (not for this module)
//  other code or operation    | no answer                      | preamble, code, operation
//                             |                                |   dropped; resynchronised
// clang-format on
//
// Communication test, passive work form (workForm 0; a1 a2 must equal passiveAddress, frames for
// another address are consumed silently; "L" is a 16-bit length, high byte first; CR = 0D):
//
//  "$" a1 a2 "R" CR             | inbox empty: "!" a1 a2 00 00 CR
//                               | transparent: "!" a1 a2 L content CR
//                               | format: "!" a1 a2 (16+L) D7 01 sender(6) L content time(6) CR
//  "$" a1 a2 "W" 00 00 CR       | "!" a1 a2 "W" smsSendState CR   (0 sent, 1 failed, 2 sending)
//  "$" a1 a2 "W" L content CR   | "!" a1 a2 CR; sent to receiverNumber (transparent mode)
//  "$" a1 a2 "W" L D7 01 r1..r6 | "!" a1 a2 CR; sent to r1..r6 (format mode, L = 10 + inner L)
//    (inner L) content CR       |
//  malformed frame              | "?" a1 a2 CR
//
// Communication test, active work form (the module answers only in format transmission):
//
//  D7 01 r1..r6 L content       | D7 FA sent / D7 FC failed (smsSendResult 1) / D7 FF offline
//  raw bytes (transparent)      | no answer; one message ends when no byte came for 50 ms or a
//                               |   preamble starts; it goes to receiverNumber
//  receiveSms() while active    | format: D7 01 sender(6) L content time(6); transparent: content
//
// Phone numbers are six bytes: the first digit as a byte value, then digits 2..11 two per byte.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <array>

// One short message handled by the communication test.
struct SimSms {
    QByteArray number;    // 6 bytes: first digit, then digits 2..11 packed two per byte
    QByteArray content;   // bytes as they travel (UCS-2, ANSI or raw)
    QByteArray timestamp; // 6 bytes (BCD year, month, day, hour, minute, second)
};

struct AlarmModuleState {
    AlarmModuleState();

    // Work mode and addressing.
    quint8 workForm = 0;                                // F8: 1 active, 0 passive
    quint8 transferMode = 1;                            // F9: 1 format, 0 transparent
    quint8 transparentMode = 1;                         // FB: 1 mode 1, 0 mode 2
    std::array<quint8, 4> addressSettings{1, 10, 4, 0}; // E1: start, group max, length, type
    std::array<quint8, 2> passiveAddress{0x12, 0x34};   // E2

    // Power saving.
    quint8 powerSaving = 0; // D3: 1 on
    quint16 idleDelay = 2;  // D2: idle delay after waking, units of 400 ms
    quint16 dataDelay = 25; // D2: data delay after waking, units of 400 ms
    quint8 wakeMode = 0;    // DB: 0 mode 1, 1 mode 2

    // General parameters.
    quint8 passwordMode = 0;                                // A1: 0 none .. 3, as written
    std::array<quint8, 4> password{0x31, 0x52, 0x24, 0x08}; // F1
    std::array<quint8, 6> receiverNumber{0x01, 0x38, 0x00, 0x13, 0x80, 0x00}; // A2: 13800138000
    quint32 restartTime = 12000;                        // A3: units of 5 ms (60 s)
    std::array<quint8, 3> model{0x00, 0x20, 0x01};      // AB
    QByteArray version = "CVALM V2.10";                 // EC: 11 characters shown
    QByteArray versionCode = "123456";                  // EC 01: accepted code
    quint8 netMode = 2;                                 // D1: 1 GPRS, 2 SMS
    std::array<quint8, 3> moduleInfo{0x01, 0x00, 0x00}; // FD: third byte VX8 flag
    quint8 baudCode = 6;                                // F2: 6 = 9600 bps
    int parameterClears = 0;                            // D5 frames received

    // Inputs and relays.
    std::array<QByteArray, 8> inputRecords;                      // 187 bytes each (B4)
    std::array<quint8, 8> deliveryModes{2, 2, 2, 2, 2, 2, 2, 2}; // AC: 1 call, 2 SMS, 3 both
    std::array<quint8, 8> inputLevels{};                         // 98: present level of each input
    std::array<QByteArray, 8> relayRecords;                      // 129 bytes each (B5)
    std::array<quint8, 8> relayStates{};                         // 99: 1 closed, 0 open

    // Phone number table (D9): up to 20 entries of 6 bytes.
    QList<QByteArray> phoneTable;

    // Communication test.
    bool online = true;       // active format: D7 FF when false
    quint8 smsSendResult = 0; // how the next send ends: 0 sent, 1 failed, 2 still sending
    quint8 smsSendState = 0;  // what the passive send-state query reports
    QList<SimSms> sentMessages;
    QList<SimSms> inbox; // passive form: read one by one with "$" a1 a2 "R"
};

enum class FaultMode { Off, Once, Always };

struct AlarmSimOptions {
    bool silent = false;       // reads nothing and answers nothing
    int replyDelayMs = 0;      // before the first piece of each answer
    int chunkSize = 0;         // 0: each answer in one piece; N: pieces of N bytes
    bool randomChunks = false; // with chunkSize N: piece sizes 1..N drawn from seed
    quint32 seed = 1;
    int pieceGapMs = 0; // between the pieces of one answer
    // Faults; Once is spent on the first answer it applies to.
    FaultMode wrongPreamble = FaultMode::Off; // last preamble byte sent as 8B
    FaultMode badChecksum = FaultMode::Off;   // checksum of B4/B5/D9 read answers plus 1
    FaultMode truncate = FaultMode::Off;      // last byte of the answer left out
    FaultMode noise = FaultMode::Off;         // FF 00 55 AA sent before the answer
    // A message from a phone arrives by itself every so many ms (0: never): sent on at once in
    // active work form, kept for "$" a1 a2 "R" in passive work form.
    int incomingEveryMs = 0;
};

// A message from the phone number, with the text in UCS-2 (a Chinese-mode message).
SimSms IncomingSms(const QString &number, const QString &text);

class AlarmModuleSim : public QObject
{
    Q_OBJECT
public:
    explicit AlarmModuleSim(QObject *parent = nullptr);

    AlarmModuleState &state() { return m_state; }
    const AlarmModuleState &state() const { return m_state; }
    const AlarmSimOptions &options() const { return m_options; }
    void setOptions(const AlarmSimOptions &options);

    // Requests recognised so far (binary frames and data-transfer frames), oldest first.
    const QList<QByteArray> &requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }

    // A message arrives at the module: sent on at once in active work form, kept in the inbox in
    // passive work form.
    void receiveSms(const SimSms &sms);
    // The short notice a module sends by itself when it has started: P FD 01.
    void announceStart();

    // Output queue: pieces wait for the output timer; deliverNext() sends the next one at once.
    int pendingPieces() const { return int(m_out.size()); }
    const QTimer &outputTimer() const { return m_outTimer; }
    void deliverNext();
    void deliverAll();

    // Ends a transparent message in active work form now instead of after the 50 ms pause.
    void finishTransparentInput();

public Q_SLOTS:
    void feed(const QByteArray &bytes);

Q_SIGNALS:
    void reply(const QByteArray &bytes);

private:
    struct Answer {
        QByteArray bytes;
        int checksumAt = -1;
    };
    struct Piece {
        QByteArray bytes;
        int gapMs = 0;
    };

    void processInput();
    bool takeBinaryFrame();
    bool takePassiveFrame();
    bool takePassiveRead(const QByteArray &address, bool forUs);
    bool takePassiveWrite(const QByteArray &address, bool forUs);
    bool takeActiveFrame();
    void handleFrame(const QByteArray &frame);
    bool handleSetting(const QByteArray &frame);
    void handleRecordRead(quint8 code, quint8 channel);
    void handleRecordWrite(const QByteArray &frame, int recordSize);
    void handlePhoneTable(const QByteArray &frame);
    void handleSend(const SimSms &sms);

    static QByteArray frameAnswer(quint8 code, const QByteArray &body);
    void answer(const QByteArray &bytes, int checksumAt = -1);
    bool spend(FaultMode &mode);
    void startOutput();

    AlarmModuleState m_state;
    AlarmSimOptions m_options;
    QRandomGenerator m_rng;
    QByteArray m_in;
    QByteArray m_transparent;
    QTimer m_transparentTimer;
    QTimer m_incomingTimer;
    QList<Piece> m_out;
    QTimer m_outTimer;
    QList<QByteArray> m_requests;
};
