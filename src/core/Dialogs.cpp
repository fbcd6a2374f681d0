#include "core/Dialogs.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace {
MessageHandler &messageHandler()
{
    static MessageHandler handler;
    return handler;
}
InputHandler &inputHandler()
{
    static InputHandler handler;
    return handler;
}
PauseHandler &pauseHandler()
{
    static PauseHandler handler;
    return handler;
}
} // namespace

MsgResult ShowMessage(const QString &text, const QString &title, MsgIcon icon, MsgButtons buttons)
{
    if (messageHandler())
        return messageHandler()(MessageRequest{text, title, icon, buttons});
    return buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
}

bool AskInput(const QString &prompt, const QString &title, const QString &defaultText,
              QString *answer)
{
    if (inputHandler())
        return inputHandler()(InputRequest{prompt, title, defaultText}, answer);
    return false;
}

void Pause(int milliseconds)
{
    if (pauseHandler()) {
        pauseHandler()(milliseconds);
        return;
    }
    if (milliseconds <= 0 || !QCoreApplication::instance())
        return;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void SetMessageHandler(MessageHandler handler)
{
    messageHandler() = std::move(handler);
}
void SetInputHandler(InputHandler handler)
{
    inputHandler() = std::move(handler);
}
void SetPauseHandler(PauseHandler handler)
{
    pauseHandler() = std::move(handler);
}

QString SteppedValueQuestion(const QString &name, double typed, double stored, const QString &unit,
                             const QString &step)
{
    if (std::abs(typed - stored) <= 1e-9 * std::max(1.0, std::abs(typed)))
        return {};
    return QStringLiteral("%1只能按%2保存：输入的 %3 %4将写为 %5 %4。是否照此写入？")
        .arg(name, step, QString::number(typed, 'g', 12), unit, QString::number(stored, 'g', 12));
}

bool AcceptSteppedValue(const QString &name, double typed, double stored, const QString &unit,
                        const QString &step)
{
    const QString question = SteppedValueQuestion(name, typed, stored, unit, step);
    return question.isEmpty() || ShowMessage(question, QStringLiteral("提示"), MsgIcon::Question,
                                             MsgButtons::YesNo) == MsgResult::Yes;
}
