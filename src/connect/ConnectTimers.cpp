#include "connect/ConnectTimers.h"

#include "core/ByteRoutines.h"
#include "core/Dialogs.h"
#include "core/Module1.h"
#include "core/SerialLink.h"

ConnectTimers::ConnectTimers(QObject *parent) : QObject(parent)
{
    Timer5.setInterval(1000);
    Timer8.setInterval(0);
    Timer9.setInterval(2000);
    Timer11.setInterval(100);
    connect(&Timer5, &QTimer::timeout, this, &ConnectTimers::onTimer5);
    connect(&Timer8, &QTimer::timeout, this, &ConnectTimers::onTimer8);
    connect(&Timer9, &QTimer::timeout, this, &ConnectTimers::onTimer9);
    connect(&Timer11, &QTimer::timeout, this, &ConnectTimers::onTimer11);
}

void ConnectTimers::armConnect()
{
    ReadSeqStep = 0;
    Timer8.setInterval(100);
    Timer8.start();
}

void ConnectTimers::noticeReceived()
{
    Timer9.stop();
    Timer11.start();
}

void ConnectTimers::readOutComplete()
{
    Timer11.stop();
}

void ConnectTimers::startCloseTimer()
{
    Timer5.start();
}

void ConnectTimers::stopCloseTimer()
{
    Timer5.stop();
    Timer5.setInterval(1000);
}

void ConnectTimers::deviceLost()
{
    Timer5.stop();
    Timer5.setInterval(1000);
    const bool connecting = Timer8.isActive() || Timer9.isActive() || Timer11.isActive();
    Timer8.stop();
    Timer9.stop();
    Timer11.stop();
    if (!connecting || (ProtocolId != ProtocolConnect && ProtocolId != ProtocolIdentity))
        return;
    ReadSeqStep = 0;
    if (m_hooks.restoreControls)
        m_hooks.restoreControls(ProtocolId);
    if (m_hooks.setProgress)
        m_hooks.setProgress(ProtocolId, 0);
}

void ConnectTimers::onTimer5()
{
    Timer5.stop();
    if (Link().isOpen())
        Link().close();
}

void ConnectTimers::onTimer8()
{
    Timer8.stop();
    RxBytes = FramePreamble + QByteArray::fromHex("FE03");
    Link().write(RxBytes);
    Timer9.start();
}

void ConnectTimers::onTimer9()
{
    Timer9.stop();
    // Errors from here on are of no interest: every step still runs.
    RxBytes = Link().read();
    RxStep = 0;
    ShowMessage(QStringLiteral("模块和计算机通信失败，请检查串口号、波特率"),
                QStringLiteral("系统提示"), MsgIcon::None, MsgButtons::Ok);
    if (Link().isOpen())
        Link().close();
    if (m_hooks.restoreControls &&
        (ProtocolId == ProtocolConnect || ProtocolId == ProtocolIdentity))
        m_hooks.restoreControls(ProtocolId);
}

void ConnectTimers::onTimer11()
{
    // Lead-in and ten bytes; bytes 8 and 9 are filled per step (QByteArray::resize would leave
    // them undefined).
    RxBytes = FramePreamble + QByteArray(2, '\0');
    Timer11.stop();
    Timer11.setInterval(1000);
    Timer11.start();
    if (m_hooks.setProgress && (ProtocolId == ProtocolConnect || ProtocolId == ProtocolIdentity))
        m_hooks.setProgress(ProtocolId, ReadSeqStep);
    static const quint8 codes[5] = {0xF8, 0xF9, 0xEC, 0xD6, 0xD1};
    if (ReadSeqStep >= 0 && ReadSeqStep <= 4) {
        RxBytes[8] = char(codes[ReadSeqStep]);
        RxBytes[9] = char(0x03);
        Link().write(RxBytes);
        ++ReadSeqStep;
    } else if (ReadSeqStep == 5) {
        ReadSeqStep = 0;
        if (ProtocolId == ProtocolConnect || ProtocolId == ProtocolIdentity) {
            if (m_hooks.restoreButtons)
                m_hooks.restoreButtons(ProtocolId);
            if (m_hooks.setProgress)
                m_hooks.setProgress(ProtocolId, 0);
        }
        Timer11.stop();
    }
}

ConnectTimers &MainTimers()
{
    static ConnectTimers *timers = [] {
        auto *created = new ConnectTimers;
        QObject::connect(&Link(), &SerialLink::deviceLost, created, &ConnectTimers::deviceLost);
        return created;
    }();
    return *timers;
}
