#include "connect/ui/ConnectWindows.h"

#include "connect/ui/Form19.h"
#include "core/Dialogs.h"
#include "core/SerialLink.h"
#include "shell/WindowRegistry.h"

namespace ConnectWindows {

void ShowGprsRefused()
{
    ShowMessage(QStringLiteral("您的模块与测试软件不一样，请与厂家联系"), QStringLiteral("提示"),
                MsgIcon::Exclamation, MsgButtons::Ok);
}

void ShowNoAnswer()
{
    ShowMessage(QStringLiteral("模块和计算机通信失败，请检查串口号、波特率"),
                QStringLiteral("系统提示"), MsgIcon::None, MsgButtons::Ok);
}

void ShowRestartWindow(SerialLink *link, const QString &message, std::function<void()> done)
{
    auto *window = qobject_cast<Form19 *>(Windows::get(QLatin1String(Form19::WindowName)));
    if (!window)
        return;
    window->begin(link, message, std::move(done));
    window->exec();
}

void HandOver(QWidget *window, SerialLink *link, const Opener &open, const ModuleIdentity &identity)
{
    link->setParent(nullptr);
    const Opener opener = open; // window and what it holds go once the current event is done
    Windows::unloadWindow(window);
    if (opener)
        opener(link, identity);
    else
        delete link;
}

} // namespace ConnectWindows
