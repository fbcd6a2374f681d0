#pragma once
// The one place through which message boxes, input boxes and pauses go. The program installs
// the widget implementation at start-up; tests install their own and answer without a modal loop.

#include <QString>
#include <functional>

enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgResult { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

struct InputRequest {
    QString prompt;
    QString title;
    QString defaultText;
};

using MessageHandler = std::function<MsgResult(const MessageRequest &)>;
// Returns false when the user cancelled.
using InputHandler = std::function<bool(const InputRequest &, QString *answer)>;
using PauseHandler = std::function<void(int milliseconds)>;

MsgResult ShowMessage(const QString &text, const QString &title, MsgIcon icon = MsgIcon::None,
                      MsgButtons buttons = MsgButtons::Ok);
bool AskInput(const QString &prompt, const QString &title, const QString &defaultText,
              QString *answer);
// A value the frame carries only in steps (name of the box, the typed and the stored value, the
// unit and the step, as in "400毫秒一级"): the question asked before writing the stored value
// instead of the typed one; empty when they agree.
QString SteppedValueQuestion(const QString &name, double typed, double stored, const QString &unit,
                             const QString &step);
// Asks that question when the values differ: true when they agree or the user answers Yes.
bool AcceptSteppedValue(const QString &name, double typed, double stored, const QString &unit,
                        const QString &step);
// Waits without blocking the event loop (timers and received data go on being handled).
void Pause(int milliseconds);

// Install handlers; an empty function restores the default (Ok / cancelled / event-loop wait).
void SetMessageHandler(MessageHandler handler);
void SetInputHandler(InputHandler handler);
void SetPauseHandler(PauseHandler handler);
