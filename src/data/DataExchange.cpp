#include "data/DataExchange.h"

#include "core/OpenFailure.h"
#include "core/SerialLink.h"
#include "data/DataFrames.h"

namespace {

namespace R = DataReply;
namespace F = DataFrames;

const quint8 ReadCodes[] = {0xF4, 0xEC, 0xF6, 0xE4, 0xD3, 0xD2, 0xF8,
                            0xE2, 0xF9, 0xF3, 0xFB, 0xE1, 0xDB};

struct NextStep {
    qint16 operator()(const R::Version &) const { return DataExchange::ReadHeartbeat; }
    qint16 operator()(const R::PassiveAddress &) const { return DataExchange::ReadDataFormat; }
    qint16 operator()(const R::Address &r) const
    {
        return r.identity ? DataExchange::ReadVersion : DataExchange::ReadTransparent;
    }
    qint16 operator()(const R::Heartbeat &) const { return DataExchange::ReadRestarts; }
    qint16 operator()(const R::WorkMode &r) const
    {
        return r.active() ? DataExchange::ReadDataFormat : DataExchange::ReadPassiveAddress;
    }
    qint16 operator()(const R::DataFormat &r) const
    {
        return r.format() ? DataExchange::SequenceEnd : qint16(DataExchange::ReadTarget);
    }
    qint16 operator()(const R::TransparentMode &r) const
    {
        return r.mode1() ? DataExchange::SequenceEnd : qint16(DataExchange::ReadAddressParams);
    }
    qint16 operator()(const R::AddressParams &) const { return DataExchange::SequenceEnd; }
    qint16 operator()(const R::RestartCount &) const { return DataExchange::ReadPowerSaving; }
    qint16 operator()(const R::PowerSaving &r) const
    {
        return r.on() ? DataExchange::ReadWakeDelays : DataExchange::ReadWorkMode;
    }
    qint16 operator()(const R::WakeDelays &) const { return DataExchange::ReadWakeMode; }
    qint16 operator()(const R::WakeMode &) const { return DataExchange::ReadWorkMode; }
    template <class T> qint16 operator()(const T &) const { return -1; }
};

struct TakeInto {
    DataSettings &s;
    void operator()(const R::Version &r) { s.version = r; }
    void operator()(const R::Address &r) { (r.identity ? s.identity : s.target) = r; }
    void operator()(const R::PassiveAddress &r) { s.passiveAddress = r; }
    void operator()(const R::Heartbeat &r) { s.heartbeat = r; }
    void operator()(const R::RestartCount &r) { s.restarts = r; }
    void operator()(const R::PowerSaving &r) { s.powerSaving = r; }
    void operator()(const R::WakeDelays &r) { s.wakeDelays = r; }
    void operator()(const R::WakeMode &r) { s.wakeMode = r; }
    void operator()(const R::WorkMode &r) { s.workMode = r; }
    void operator()(const R::DataFormat &r) { s.dataFormat = r; }
    void operator()(const R::TransparentMode &r) { s.transparentMode = r; }
    void operator()(const R::AddressParams &r) { s.addressParams = r; }
    void operator()(const R::BaudAnswer &r) { s.baud = r; }
    template <class T> void operator()(const T &) {}
};

// The code and value bytes of a reply, as the write frame of that setting carries them from its
// payload on: a module that took a write answers with the value written.
QByteArray Echo(std::initializer_list<int> bytes)
{
    QByteArray echo;
    for (int b : bytes)
        echo += char(b);
    return echo;
}
struct EchoOf {
    QByteArray operator()(const R::PassiveAddress &r) const { return Echo({0xE2, r.high, r.low}); }
    QByteArray operator()(const R::Address &r) const
    {
        return r.identity ? QByteArray() : Echo({0xF3, r.high, r.low});
    }
    QByteArray operator()(const R::Heartbeat &r) const
    {
        return Echo({0xF6, r.seconds >> 8, r.seconds & 0xFF});
    }
    QByteArray operator()(const R::WorkMode &r) const { return Echo({0xF8, r.value}); }
    QByteArray operator()(const R::DataFormat &r) const { return Echo({0xF9, r.value}); }
    QByteArray operator()(const R::TransparentMode &r) const { return Echo({0xFB, r.value}); }
    QByteArray operator()(const R::AddressParams &r) const
    {
        return Echo({0xE1, r.start, r.length, r.groupMaximum, r.type});
    }
    QByteArray operator()(const R::BaudAnswer &r) const { return Echo({0xF2, r.code}); }
    QByteArray operator()(const R::RestartCount &r) const { return Echo({0xE4, r.count}); }
    QByteArray operator()(const R::PowerSaving &r) const { return Echo({0xD3, r.value}); }
    QByteArray operator()(const R::WakeDelays &r) const
    {
        return Echo({0xD2, r.idle >> 8, r.idle & 0xFF, r.data >> 8, r.data & 0xFF});
    }
    QByteArray operator()(const R::WakeMode &r) const { return Echo({0xDB, r.value}); }
    template <class T> QByteArray operator()(const T &) const { return {}; }
};

} // namespace

void DataSettings::take(const DataReplyValue &reply)
{
    std::visit(TakeInto{*this}, reply);
}

// Checks only what the write sends: the transparent mode follows "透明传输" alone, the address
// parameters "方式2" alone; a greyed box that still holds a choice is not sent.
bool WorkModeChoice::complete() const
{
    if (workMode == 1 && dataFormat == 0)
        return false;
    if (dataFormat != 2)
        return true;
    if (transparent == 0)
        return false;
    return transparent != 2 || (addressComplete && addressType != 0);
}

QByteArray DataExchange::readFrame(qint16 step)
{
    if (step < 0 || step > ReadWakeMode)
        return {};
    return F::ReadFrame(ReadCodes[step]);
}

qint16 DataExchange::nextReadStep(const DataReplyValue &reply)
{
    return std::visit(NextStep{}, reply);
}

WriteTick DataExchange::workModeTick(qint16 step, const WorkModeChoice &c)
{
    WriteTick tick;
    switch (step) {
    case 0:
        if (c.workMode != 0)
            tick.frame = F::WorkMode(c.workMode == 1);
        tick.next = 1;
        break;
    case 1:
        // With no format chosen (passive mode, where the box is off) the write ends here.
        if (c.dataFormat != 0)
            tick.frame = F::DataFormat(c.dataFormat == 1);
        tick.next = c.dataFormat == 2 ? 2 : SequenceEnd;
        break;
    case 2:
        if (c.transparent != 0)
            tick.frame = F::TransparentMode(c.transparent == 1);
        tick.next = c.transparent == 2 ? 3 : SequenceEnd;
        break;
    case 3:
        tick.frame = F::AddressParams(c.start, c.length, c.groupMaximum,
                                      quint8(c.addressType == 0 ? 3 : c.addressType - 1));
        tick.next = SequenceEnd;
        break;
    default:
        tick.finished = true;
        break;
    }
    return tick;
}

WriteTick DataExchange::powerSavingTick(qint16 step, const PowerSavingChoice &c)
{
    WriteTick tick;
    switch (step) {
    case 0:
        tick.frame = F::PowerSaving(c.on);
        tick.next = c.on ? 1 : SequenceEnd;
        break;
    case 1:
        tick.frame = F::WakeMode(c.mode2);
        tick.next = 2;
        break;
    case 2:
        tick.frame = F::WakeDelays(c.idleMs, c.dataMs);
        tick.next = SequenceEnd;
        break;
    default:
        tick.finished = true;
        break;
    }
    return tick;
}

DataExchange::DataExchange(SerialLink &link, QObject *parent)
    : QObject(parent), m_link(link), m_boundTo(&link), m_parser(link, this)
{
    const struct {
        QTimer *timer;
        const char *name;
        int interval;
    } timers[] = {
        {&ReadTimer, "ReadTimer", 100},          {&WorkModeTimer, "WorkModeTimer", 100},
        {&HeartbeatTimer, "HeartbeatTimer", 50}, {&PowerSavingTimer, "PowerSavingTimer", 100},
        {&ReplaceTimer, "ReplaceTimer", 100},    {&ResendTimer, "ResendTimer", 100},
        {&ConfirmTimer, "ConfirmTimer", 1000}};
    for (const auto &t : timers) {
        t.timer->setParent(this);
        t.timer->setObjectName(QLatin1String(t.name));
        t.timer->setInterval(t.interval);
    }
    ReplaceTimer.setSingleShot(true);
    ResendTimer.setSingleShot(true);
    ConfirmTimer.setSingleShot(true);
    connect(&ConfirmTimer, &QTimer::timeout, this, &DataExchange::finishWrite);
    connect(&ReadTimer, &QTimer::timeout, this, &DataExchange::readTick);
    connect(&WorkModeTimer, &QTimer::timeout, this, &DataExchange::workModeTickNow);
    connect(&HeartbeatTimer, &QTimer::timeout, this, &DataExchange::heartbeatTickNow);
    connect(&PowerSavingTimer, &QTimer::timeout, this, &DataExchange::powerSavingTickNow);
    connect(&ReplaceTimer, &QTimer::timeout, this, [this] { sendIdentity(true); });
    connect(&ResendTimer, &QTimer::timeout, this, [this] {
        if (m_identityPending)
            sendIdentity(false);
    });
    m_parser.setReplyHandler([this](const DataReplyValue &reply) { onReply(reply); });
    m_link.setConversation(SerialLink::Conversation::Data);
    m_link.bindReceiver(this, [this] {
        if (m_listening)
            m_parser.parse();
    });
    connect(&m_link, &SerialLink::deviceLost, this, [this] {
        m_parser.reset();
        stopAll();
    });
}

DataExchange::~DataExchange()
{
    if (m_boundTo)
        m_boundTo->unbindReceiver(this);
}

void DataExchange::setListening(bool on)
{
    m_listening = on;
    if (on)
        m_link.requestDelivery();
}

void DataExchange::setModuleForm(quint8 workForm, quint8 transferMode)
{
    m_workForm = workForm;
    m_transferMode = transferMode;
    m_parser.setModuleForm(workForm, transferMode);
}

bool DataExchange::busy() const
{
    return ReadTimer.isActive() || WorkModeTimer.isActive() || HeartbeatTimer.isActive() ||
           PowerSavingTimer.isActive();
}

void DataExchange::updateMachine()
{
    m_parser.setParameterMachine(busy() || m_identityPending || m_identityWatch || m_echoDue);
}

bool DataExchange::ensureOpen()
{
    if (m_link.isOpen())
        return true;
    return OpenPortOrReport(m_link);
}

void DataExchange::write(const QByteArray &frame, bool data)
{
    m_link.write(frame);
    Q_EMIT frameSent(frame, data);
}

void DataExchange::onReply(const DataReplyValue &reply)
{
    m_settings.take(reply);
    if (const auto *w = std::get_if<R::WorkMode>(&reply)) {
        setModuleForm(w->value, m_transferMode);
    } else if (const auto *f = std::get_if<R::DataFormat>(&reply)) {
        setModuleForm(m_workForm, f->value);
    }
    if (ReadTimer.isActive()) {
        const qint16 next = nextReadStep(reply);
        if (next >= 0)
            m_readStep = next;
    }
    if (dataBytes(reply).isEmpty()) {
        m_echoDue = false;
        checkEcho(reply);
    }

    bool outcome = false;
    const IdentityTiming timing = m_identityPending ? IdentityTiming::Waiting
                                  : m_identityWatch ? IdentityTiming::AfterWait
                                                    : IdentityTiming::Unasked;
    IdentityOutcome kind = IdentityOutcome::Set;
    if (const auto *n = std::get_if<R::Notice>(&reply)) {
        if (n->value == 3 && m_identityPending)
            ResendTimer.start();
    } else if (const auto *s = std::get_if<R::IdentityStatus>(&reply)) {
        outcome = true;
        switch (s->status) {
        case 250:
            kind = IdentityOutcome::Set;
            break;
        case 252:
            kind = IdentityOutcome::Refused;
            break;
        case 8:
            kind = IdentityOutcome::Taken;
            break;
        case 10:
            kind = IdentityOutcome::NotOnline;
            break;
        default:
            outcome = false; // nothing is shown for any other status
            break;
        }
        if (outcome && kind != IdentityOutcome::Taken)
            m_identityPending = m_identityWatch = false;
    }
    updateMachine();
    Q_EMIT replied(reply);
    if (outcome)
        Q_EMIT identityOutcome(kind, timing);
}

void DataExchange::startRead()
{
    m_readStep = ReadIdentity;
    ReadTimer.setInterval(100);
    ReadTimer.start();
    updateMachine();
}

void DataExchange::readTick()
{
    ReadTimer.start(400);
    updateMachine();
    if (m_readStep >= ReadIdentity && m_readStep <= ReadWakeMode && ensureOpen()) {
        const qint16 step = m_readStep;
        m_readStep = SequenceEnd; // the reply names the next step
        write(readFrame(step));
        return;
    }
    // No reply came in time, or the read reached its end: over, without a message.
    ReadTimer.stop();
    m_readStep = SequenceEnd;
    updateMachine();
    Q_EMIT sequenceFinished(Sequence::Read);
}

// A write sequence's first tick comes after firstMs, the others every second.
void DataExchange::startSequence(QTimer &timer, int firstMs)
{
    beginWrite();
    m_writeStep = 0;
    timer.setInterval(firstMs);
    timer.start();
    updateMachine();
}

void DataExchange::endSequence(QTimer &timer, Sequence sequence)
{
    timer.stop();
    m_writeStep = SequenceEnd;
    updateMachine();
    finishWrite();
    Q_EMIT sequenceFinished(sequence);
}

void DataExchange::beginWrite()
{
    ConfirmTimer.stop();
    m_report = {};
    m_awaiting.clear();
}

void DataExchange::writeSetting(const QByteArray &frame)
{
    m_report.written += frame.at(8);
    m_awaiting << frame;
    write(frame);
}

// The answer to a setting frame sent: the first one of its code that waits for it.
void DataExchange::checkEcho(const DataReplyValue &reply)
{
    const QByteArray echo = std::visit(EchoOf{}, reply);
    for (qsizetype i = 0; !echo.isEmpty() && i < m_awaiting.size(); ++i) {
        if (m_awaiting[i].at(8) != echo.at(0))
            continue;
        if (m_awaiting[i].mid(10) != echo.mid(1))
            m_report.differing += echo.at(0);
        m_awaiting.removeAt(i);
        if (m_awaiting.isEmpty() && ConfirmTimer.isActive())
            finishWrite();
        return;
    }
}

void DataExchange::finishWrite()
{
    ConfirmTimer.stop();
    for (const QByteArray &frame : std::as_const(m_awaiting))
        m_report.unanswered += frame.at(8);
    m_awaiting.clear();
    Q_EMIT writeReported(m_report);
}

void DataExchange::startWorkModeWrite(const WorkModeChoice &choice)
{
    m_workChoice = choice;
    startSequence(WorkModeTimer, 100);
}

void DataExchange::workModeTickNow()
{
    WorkModeTimer.start(1000);
    const WriteTick tick = workModeTick(m_writeStep, m_workChoice);
    if (tick.finished || !ensureOpen()) {
        endSequence(WorkModeTimer, Sequence::WorkMode);
        return;
    }
    if (!tick.frame.isEmpty())
        writeSetting(tick.frame);
    m_writeStep = tick.next;
}

void DataExchange::startHeartbeatWrite(quint16 seconds, quint8 restarts)
{
    m_heartbeat = seconds;
    m_restarts = restarts;
    startSequence(HeartbeatTimer, 50);
}

void DataExchange::heartbeatTickNow()
{
    HeartbeatTimer.start(1000);
    if (m_writeStep > 1 || !ensureOpen()) {
        endSequence(HeartbeatTimer, Sequence::Heartbeat);
        return;
    }
    writeSetting(m_writeStep == 0 ? F::Heartbeat(m_heartbeat) : F::RestartCount(m_restarts));
    ++m_writeStep;
}

void DataExchange::startPowerSavingWrite(const PowerSavingChoice &choice)
{
    m_powerChoice = choice;
    startSequence(PowerSavingTimer, 100);
}

void DataExchange::powerSavingTickNow()
{
    PowerSavingTimer.start(1000);
    const WriteTick tick = powerSavingTick(m_writeStep, m_powerChoice);
    if (tick.finished || !ensureOpen()) {
        endSequence(PowerSavingTimer, Sequence::PowerSaving);
        return;
    }
    if (!tick.frame.isEmpty())
        writeSetting(tick.frame);
    m_writeStep = tick.next;
}

void DataExchange::stopAll()
{
    const struct {
        QTimer *timer;
        Sequence sequence;
    } running[] = {{&ReadTimer, Sequence::Read},
                   {&WorkModeTimer, Sequence::WorkMode},
                   {&HeartbeatTimer, Sequence::Heartbeat},
                   {&PowerSavingTimer, Sequence::PowerSaving}};
    ReplaceTimer.stop();
    ResendTimer.stop();
    ConfirmTimer.stop();
    m_awaiting.clear();
    for (const auto &r : running) {
        if (r.timer->isActive()) {
            r.timer->stop();
            Q_EMIT sequenceFinished(r.sequence);
        }
    }
    m_readStep = m_writeStep = SequenceEnd;
    updateMachine();
}

QByteArray DataExchange::writeParameter(const QByteArray &frame)
{
    if (!ensureOpen())
        return {};
    beginWrite();
    m_echoDue = true;
    updateMachine();
    writeSetting(frame);
    ConfirmTimer.start();
    return frame;
}

QByteArray DataExchange::writeIdentity(const QString &project, const QString &station)
{
    m_project = project;
    m_station = station;
    m_identityPending = m_identityWatch = true;
    updateMachine();
    if (!ensureOpen()) {
        m_identityPending = false;
        updateMachine();
        return {};
    }
    const QByteArray frame = F::IdentityAddress(project, station, false);
    write(frame);
    return frame;
}

void DataExchange::sendIdentity(bool replace)
{
    if (!m_identityPending || !ensureOpen())
        return;
    write(F::IdentityAddress(m_project, m_station, replace));
}

void DataExchange::replaceIdentity()
{
    if (m_identityPending)
        ReplaceTimer.start();
}

void DataExchange::abandonIdentityWrite()
{
    m_identityPending = false;
    ReplaceTimer.stop();
    ResendTimer.stop();
    updateMachine();
}

QByteArray DataExchange::poll(const QByteArray &moduleAddress)
{
    if (!ensureOpen())
        return {};
    m_echoDue = m_identityWatch = false;
    updateMachine();
    m_parser.expectAnswerTo(DataReplyParser::Request::Poll);
    const QByteArray frame = F::PollFrame(moduleAddress);
    write(frame);
    return frame;
}

QByteArray DataExchange::checkMemory(const QByteArray &moduleAddress)
{
    if (!ensureOpen())
        return {};
    m_echoDue = m_identityWatch = false;
    updateMachine();
    m_parser.expectAnswerTo(DataReplyParser::Request::EmptyCheck);
    const QByteArray frame = F::EmptyCheckFrame(moduleAddress);
    write(frame);
    return frame;
}

QByteArray DataExchange::sendData(const QByteArray &moduleAddress, const QByteArray &receiver,
                                  const QByteArray &data)
{
    if (!ensureOpen())
        return {};
    m_echoDue = m_identityWatch = false;
    updateMachine();
    QByteArray frame;
    if (m_workForm == 0)
        frame = F::PassiveDataFrame(moduleAddress, m_transferMode != 0, receiver, data);
    else if (m_transferMode != 0)
        frame = F::FormatDataFrame(receiver, data);
    else
        frame = data;
    m_parser.expectAnswerTo(DataReplyParser::Request::Send);
    write(frame, true);
    return frame;
}
