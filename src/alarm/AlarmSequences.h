#pragma once
// The timed write sequences of the alarm window, free of widgets: each tick of the work-mode
// timer (Timer1) or the power-saving timer (Timer3) of the exchange gives the frame to send, if
// any, and the next step. The window gathers the control values into the choice structs.
//
// Work-mode write (one tick every 2 s):
//   0  F8 01 01 (active) / F8 01 00 (passive)                        -> 1
//   1  F9 01 01 (format)                                              -> 5
//      F9 01 00 (transparent mode 1)                                  -> 6
//      F9 01 00 (transparent mode 2)                                  -> 3
//   3  FB 01 00                                                        -> 4
//   6  FB 01 01                                                        -> 4
//   4  E1 01 p q r t (address start, group maximum, length, type)     -> 5
//   5  end
// A step whose combo box has no valid entry sends nothing and stays where it is.
//
// Power-saving write (one tick every 1 s):
//   0  D3 01 01 (power saving)  -> 1      D3 01 00 (none) -> 3
//   1  DB 01 00 (mode 1) / DB 01 01 (mode 2), 14 bytes     -> 2
//   2  D2 01 hi lo hi lo (idle, data delay in 400 ms)      -> 3
//   3  end

#include "core/ByteRoutines.h"

#include <QByteArray>
#include <QString>

namespace AlarmSequences {

struct WriteTick {
    enum class Missing { None, WorkForm, TransferMode };
    QByteArray frame;                // empty: nothing is sent on this tick
    qint16 next = 0;                 // WriteStep after the tick
    bool finished = false;           // the timer stops and the guarded buttons come back
    Missing missing = Missing::None; // the step needs a choice the user has not made
};

struct WorkModeChoice {
    int workForm = -1;        // list entry of Combo1: 0 active, 1 passive; -1 none
    int transferMode = -1;    // list entry of Combo2: 0 format, 1 transparent 1, 2 transparent 2
    quint8 addressStart = 0;  // negated value of VS1
    quint8 groupMaximum = 0;  // negated value of VS2
    quint8 addressLength = 0; // negated value of VS3
    QString addressType;      // text of Combo4
};

struct PowerSavingChoice {
    bool powerSaving = false; // Option5 selected
    bool wakeMode1 = true;    // Option7 selected
    double idleMs = 0;        // number of Text11
    double dataMs = 0;        // number of Text13
};

WriteTick WorkModeTick(qint16 writeStep, const WorkModeChoice &choice);
WriteTick PowerSavingTick(qint16 writeStep, const PowerSavingChoice &choice);

// Largest delay the D2 frame carries: 65535 counts of 400 ms.
constexpr double MaxWakeDelayMs = 65535.0 * 400.0;

// The frame of the code prompt: EC 01 and the six character codes, for an answer of exactly six
// characters that each have a one-byte ANSI code; empty for any other answer, and for an answer
// outside ASCII when GBK is not available.
QByteArray VersionCodeFrame(const QString &answer, bool gbkAvailable = GbkAvailable());

// The number of a text box: the leading numeric value of its text ("12abc" 12, "-3.5" -3.5,
// "abc" 0); leading blanks are skipped.
double TextNumber(const QString &text);

} // namespace AlarmSequences
