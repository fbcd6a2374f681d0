#include "connect/ConnectParser.h"

#include "connect/ConnectTimers.h"
#include "core/ByteRoutines.h"
#include "core/Dialogs.h"
#include "core/Module1.h"
#include "core/ReceiveDispatch.h"
#include "core/SerialLink.h"

namespace {

ConnectParserHooks &hooks()
{
    static ConnectParserHooks installed;
    return installed;
}

// Moves to the next step and makes the port wait for exactly its byte count.
void expect(qint16 step, int count)
{
    RxStep = step;
    Link().setThreshold(count);
}

void backToStart()
{
    expect(ConnectWaitLeadByte, 1);
}

// Reads the bytes of the current step into RxBytes; false when fewer than count wait.
bool take(int count)
{
    if (Link().bytesWaiting() < count)
        return false;
    if (Link().readLength() != count)
        Link().setReadLength(count);
    RxBytes = Link().read();
    return true;
}

// Value byte of a two-byte reply: the first byte repeats the operation, the second is the value.
quint8 valueByte()
{
    return RxBytes.size() >= 2 ? quint8(RxBytes.at(1)) : 0;
}

void onCode(quint8 code)
{
    switch (code) {
    case 0xFD:
        if (MainTimers().Timer9.isActive()) {
            // The notice answers the connect query: if its data stop half-way the close-port
            // timer shuts the port a second later.
            MainTimers().startCloseTimer();
            expect(ConnectNotice, 3);
        } else {
            expect(ConnectShortNotice, 1);
        }
        break;
    case 0xF8:
        expect(ConnectWorkForm, 2);
        break;
    case 0xF9:
        expect(ConnectTransferMode, 2);
        break;
    case 0xEC:
        expect(ConnectVersion, 12);
        break;
    case 0xD6:
        expect(ConnectSkipD6, 2);
        break;
    case 0xD1:
        expect(ConnectNetMode, 2);
        break;
    default:
        // Not a code of this exchange: the next byte is read as a code.
        expect(ConnectCode, 1);
        break;
    }
}

void finishConnect()
{
    ModuleNetMode = valueByte();
    backToStart();
    Link().setDtr(true);
    MainTimers().readOutComplete();
    if (hooks().closeConnectWindow)
        hooks().closeConnectWindow();
    if (ModuleNetMode == 1) {
        ShowMessage(QStringLiteral("您的模块与测试软件不一样，请与厂家联系"),
                    QStringLiteral("提示"), MsgIcon::Exclamation, MsgButtons::Ok);
    } else if (hooks().openAlarmWindow) {
        hooks().openAlarmWindow();
    }
}

} // namespace

void SetConnectParserHooks(ConnectParserHooks installed)
{
    hooks() = std::move(installed);
}

void ParseConnectReply()
{
    switch (RxStep) {
    case ConnectWaitLeadByte:
        if (!take(1))
            return;
        if (!RxBytes.isEmpty() && quint8(RxBytes.at(0)) == 0x1A)
            expect(ConnectPreambleRest, 7);
        else
            backToStart();
        return;
    case ConnectPreambleRest:
        if (!take(7))
            return;
        if (RxBytes == FramePreamble.mid(1))
            expect(ConnectCode, 1);
        else
            backToStart();
        return;
    case ConnectCode:
        if (!take(1))
            return;
        if (RxBytes.isEmpty())
            backToStart();
        else
            onCode(quint8(RxBytes.at(0)));
        return;
    case ConnectNotice:
        if (!take(3))
            return;
        MainTimers().stopCloseTimer();
        ModuleInfo = RxBytes;
        MainTimers().noticeReceived();
        backToStart();
        return;
    case ConnectWorkForm:
        if (!take(2))
            return;
        WorkFormFlag = valueByte();
        backToStart();
        return;
    case ConnectTransferMode:
        if (!take(2))
            return;
        TransferModeFlag = valueByte();
        backToStart();
        return;
    case ConnectVersion:
        if (!take(12))
            return;
        ModuleVersion = QString::fromLatin1(RxBytes);
        backToStart();
        return;
    case ConnectSkipD6:
        if (!take(2))
            return;
        backToStart();
        return;
    case ConnectNetMode:
        if (!take(2))
            return;
        finishConnect();
        return;
    case ConnectShortNotice:
        if (!take(1))
            return;
        backToStart();
        return;
    default:
        // A step this parser never sets (left over from another parser): start over.
        backToStart();
        return;
    }
}

void InstallConnectParser()
{
    SetReplyParser(ProtocolConnect, &ParseConnectReply);
}
