#include "connect/ModeSwitch.h"

#include "core/ByteRoutines.h"
#include "core/SerialLink.h"

namespace {

bool anyOfFirstThree(const ModeOptions &options)
{
    return options[0] || options[1] || options[2];
}

// Third byte of the module notice; a module that never sent one counts as 0.
quint8 noticeModeByte(const QByteArray &moduleInfo)
{
    return moduleInfo.size() >= 3 ? quint8(moduleInfo.at(2)) : 0;
}

} // namespace

ModeFrame ChooseModeFrame(int operation, const ModeOptions &options, const QByteArray &moduleInfo)
{
    const bool vx8 = anyOfFirstThree(options);
    const quint8 mode = noticeModeByte(moduleInfo);
    switch (operation) {
    case 1:
        if (!vx8)
            return ModeFrame::Gprs;
        return mode != 0 ? ModeFrame::Vx8Identity : ModeFrame::None;
    case 2:
        if (!vx8)
            return ModeFrame::Gprs;
        return mode == 0 ? ModeFrame::Vx8Communication : ModeFrame::None;
    case 3:
        return vx8 ? ModeFrame::None : ModeFrame::Gprs;
    case 4:
    case 5:
        return options[0] || options[4] ? ModeFrame::None : ModeFrame::Sms;
    default:
        return ModeFrame::None;
    }
}

QByteArray ModeSwitchFrame(ModeFrame frame)
{
    quint8 command = 0, value = 0;
    switch (frame) {
    case ModeFrame::Gprs:
        command = 0xD1;
        value = 0x01;
        break;
    case ModeFrame::Sms:
        command = 0xD1;
        value = 0x02;
        break;
    case ModeFrame::Vx8Identity:
        command = 0xDA;
        value = 0x01;
        break;
    case ModeFrame::Vx8Communication:
        command = 0xDA;
        value = 0x00;
        break;
    case ModeFrame::None:
        return {};
    }
    QByteArray bytes = FramePreamble;
    bytes.append(char(command));
    bytes.append(char(0x01)); // operation: set
    bytes.append(char(value));
    return bytes;
}

QString ModeSwitchMessage(ModeFrame frame)
{
    switch (frame) {
    case ModeFrame::Gprs:
        return QStringLiteral("您设置了GPRS模式，模块已经重新启动，需要等待一点时间");
    case ModeFrame::Sms:
        return QStringLiteral("您设置了SMS模式，模块已经重新启动，需要等待一点时间");
    case ModeFrame::Vx8Identity:
        return QStringLiteral(
            "您设置了VX8模块设置身份地址模式，模块已经重新启动，需要等待一点时间");
    case ModeFrame::Vx8Communication:
        return QStringLiteral("您设置了VX8模块通信模式，模块已经重新启动，需要等待一点时间");
    case ModeFrame::None:
        break;
    }
    return {};
}

ModeFrame RunModeSwitch(SerialLink &link, ModuleIdentity &identity, int operation,
                        const ModeOptions &options, const ModeSwitchHooks &hooks)
{
    identity.modeChoiceFlags = options;
    const ModeFrame frame = ChooseModeFrame(operation, options, identity.moduleInfo);
    if (frame == ModeFrame::None)
        return frame;
    // The restarting module's output is left unread until a window starts its own exchange.
    link.unbindAll();
    if (!link.isOpen())
        return frame;
    link.write(ModeSwitchFrame(frame));
    identity.pendingRestartMessage = ModeSwitchMessage(frame);
    if (hooks.disableSetButton)
        hooks.disableSetButton();
    if (hooks.showRestartWindow)
        hooks.showRestartWindow();
    return frame;
}
