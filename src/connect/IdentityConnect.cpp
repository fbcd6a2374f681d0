#include "connect/IdentityConnect.h"

#include "connect/ConnectTimers.h"
#include "core/Dialogs.h"
#include "core/Module1.h"
#include "core/ReceiveDispatch.h"
#include "core/SerialLink.h"

namespace R = IdentityReply;

bool Vx8InDataMode(const QByteArray &moduleInfo)
{
    return moduleInfo.size() >= 3 && quint8(moduleInfo.at(2)) == 0x80;
}

IdentityConnect &IdentityConnect::instance()
{
    static IdentityConnect *connect = new IdentityConnect;
    return *connect;
}

IdentityConnect::IdentityConnect() : m_parser(Link())
{
    m_parser.setNoticeAnswersQuery([] { return MainTimers().Timer9.isActive(); });
    m_parser.setReplyHandler([this](const IdentityReplyValue &reply) { onReply(reply); });
    QObject::connect(&Link(), &SerialLink::deviceLost, &m_parser, [this] { m_parser.reset(); });
}

void IdentityConnect::install()
{
    SetReplyParser(ProtocolIdentity, [this] { m_parser.parse(); });
    m_parser.reset();
}

void IdentityConnect::onReply(const IdentityReplyValue &reply)
{
    if (const auto *n = std::get_if<R::Notice>(&reply)) {
        ModuleInfo = n->info;
        MainTimers().noticeReceived();
    } else if (const auto *w = std::get_if<R::WorkForm>(&reply)) {
        WorkFormFlag = w->value;
    } else if (const auto *t = std::get_if<R::TransferMode>(&reply)) {
        TransferModeFlag = t->value;
    } else if (const auto *v = std::get_if<R::Version>(&reply)) {
        ModuleVersion = QString::fromLatin1(v->bytes);
    } else if (const auto *m = std::get_if<R::NetMode>(&reply)) {
        ModuleNetMode = m->value;
        Link().setDtr(true);
        m_parser.reset();
        MainTimers().readOutComplete();
        if (ModuleNetMode == 1) {
            ShowMessage(QStringLiteral("您的模块与测试软件不一样，请与厂家联系"),
                        QStringLiteral("提示"), MsgIcon::Exclamation, MsgButtons::Ok);
        } else if (m_hooks.identified) {
            m_hooks.identified();
        }
    }
}
