#include "connect/ConnectRoutine.h"

#include "connect/ConnectFrames.h"
#include "core/SerialLink.h"

namespace R = ConnectReply;

ConnectRoutine::ConnectRoutine(SerialLink &link, QObject *parent)
    : QObject(parent), m_link(link), m_boundTo(&link), m_parser(link, this)
{
    const struct {
        QTimer *timer;
        const char *name;
        int interval;
    } timers[] = {{&Timer5, "Timer5", ClosePortMs},
                  {&Timer8, "Timer8", QueryDelayMs},
                  {&Timer9, "Timer9", NoticeMs},
                  {&Timer11, "Timer11", FirstReadOutMs}};
    for (const auto &t : timers) {
        t.timer->setParent(this);
        t.timer->setObjectName(QLatin1String(t.name));
        t.timer->setInterval(t.interval);
    }
    connect(&Timer5, &QTimer::timeout, this, &ConnectRoutine::onTimer5);
    connect(&Timer8, &QTimer::timeout, this, &ConnectRoutine::onTimer8);
    connect(&Timer9, &QTimer::timeout, this, &ConnectRoutine::onTimer9);
    connect(&Timer11, &QTimer::timeout, this, &ConnectRoutine::onTimer11);
    m_parser.setNoticeAnswersQuery([this] { return Timer9.isActive(); });
    m_parser.setNoticeBegun([this] {
        // A notice whose bytes stop half-way shuts the port a second later.
        if (m_closeOnPartialNotice)
            Timer5.start();
    });
    m_parser.setReplyHandler([this](const ConnectReplyValue &reply) { onReply(reply); });
    connect(&m_link, &SerialLink::deviceLost, this, &ConnectRoutine::onDeviceLost);
}

ConnectRoutine::~ConnectRoutine()
{
    if (m_boundTo)
        m_boundTo->unbindReceiver(this);
}

void ConnectRoutine::start()
{
    stopTimers();
    m_identity = ModuleIdentity();
    m_readOutStep = 0;
    m_active = true;
    m_link.setConversation(SerialLink::Conversation::Connect);
    m_parser.reset();
    m_link.bindReceiver(this, [this] { m_parser.parse(); });
    Timer11.setInterval(FirstReadOutMs);
    Timer8.start();
}

void ConnectRoutine::stop()
{
    stopTimers();
    m_active = false;
}

void ConnectRoutine::stopTimers()
{
    for (QTimer *t : {&Timer5, &Timer8, &Timer9, &Timer11})
        t->stop();
}

void ConnectRoutine::finish(Result result)
{
    stopTimers();
    m_active = false;
    Q_EMIT finished(result);
}

void ConnectRoutine::onTimer5()
{
    Timer5.stop();
    if (m_link.isOpen())
        m_link.close();
}

void ConnectRoutine::onTimer8()
{
    Timer8.stop();
    m_link.write(ConnectFrames::Query());
    Timer9.start();
}

void ConnectRoutine::onTimer9()
{
    Timer9.stop();
    // What arrived is of no interest any more.
    m_link.read();
    m_parser.reset();
    if (m_link.isOpen())
        m_link.close();
    finish(Result::NoAnswer);
}

void ConnectRoutine::onTimer11()
{
    Timer11.start(ReadOutMs);
    Q_EMIT progress(m_readOutStep);
    if (m_readOutStep >= 0 && m_readOutStep < int(ConnectFrames::ReadOutCodes.size())) {
        m_link.write(ConnectFrames::ReadOut(m_readOutStep));
        ++m_readOutStep;
        return;
    }
    // The network mode was never answered: the window's buttons come back for another try.
    m_readOutStep = 0;
    Q_EMIT progress(0);
    finish(Result::GaveUp);
}

void ConnectRoutine::onReply(const ConnectReplyValue &reply)
{
    if (!m_active)
        return;
    quint8 answered = 0;
    if (const auto *n = std::get_if<R::Notice>(&reply)) {
        Timer5.stop();
        m_identity.moduleInfo = n->info;
        Timer9.stop();
        Timer11.start(FirstReadOutMs);
        if (m_pace == Pace::OnAnswer)
            onTimer11();
        return;
    } else if (const auto *w = std::get_if<R::WorkForm>(&reply)) {
        m_identity.workForm = w->value;
        answered = 0xF8;
    } else if (const auto *t = std::get_if<R::TransferMode>(&reply)) {
        m_identity.transferMode = t->value;
        answered = 0xF9;
    } else if (const auto *v = std::get_if<R::Version>(&reply)) {
        m_identity.version = QString::fromLatin1(v->bytes);
        answered = 0xEC;
    } else if (std::holds_alternative<R::D6>(reply)) {
        answered = 0xD6;
    } else if (const auto *m = std::get_if<R::NetMode>(&reply)) {
        m_identity.netMode = m->value;
        m_link.setDtr(true);
        m_parser.reset();
        finish(m_identity.isGprs() ? Result::GprsRefused : Result::Connected);
        return;
    }
    // The answer to the newest read-out: in the batch mode the next one leaves now.
    if (m_pace == Pace::OnAnswer && m_readOutStep > 0 && answered != 0 &&
        m_readOutStep < int(ConnectFrames::ReadOutCodes.size()) &&
        ConnectFrames::ReadOutCodes[size_t(m_readOutStep - 1)] == answered)
        onTimer11();
}

void ConnectRoutine::onDeviceLost()
{
    Timer5.stop();
    m_parser.reset();
    if (!m_active)
        return;
    m_readOutStep = 0;
    Q_EMIT progress(0);
    finish(Result::DeviceLost);
}
