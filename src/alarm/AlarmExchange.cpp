#include "alarm/AlarmExchange.h"

#include "alarm/AlarmFrames.h"
#include "core/SerialLink.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

namespace R = AlarmReply;

// The read-all order. Each step sends its read; the reply with the step's reply code moves the
// sequence to `next`, or to `other` when the reply says so (see branch()).
struct ReadEntry {
    qint16 step;
    quint8 code, operation;
    qint16 next, other;
};
const ReadEntry ReadOrder[] = {
    {AlarmExchange::ReadFirmwareModel, 0xAB, 0x03, AlarmExchange::ReadVersion, -1},
    {AlarmExchange::ReadVersion, 0xEC, 0x03, AlarmExchange::ReadRestartTime, -1},
    {AlarmExchange::ReadRestartTime, 0xA3, 0x02, AlarmExchange::ReadPasswordMode, -1},
    // no password / with password
    {AlarmExchange::ReadPasswordMode, 0xA1, 0x03, AlarmExchange::ReadWorkForm,
     AlarmExchange::ReadSmsPassword},
    {AlarmExchange::ReadSmsPassword, 0xF1, 0x03, AlarmExchange::ReadWorkForm, -1},
    // passive / active work form
    {AlarmExchange::ReadWorkForm, 0xF8, 0x03, AlarmExchange::ReadPassiveAddress,
     AlarmExchange::ReadTransferMode},
    {AlarmExchange::ReadPassiveAddress, 0xE2, 0x03, AlarmExchange::ReadTransferMode, -1},
    // transparent / format transmission
    {AlarmExchange::ReadTransferMode, 0xF9, 0x03, AlarmExchange::ReadTransparentMode,
     AlarmExchange::ReadPowerSaving},
    // transparent mode 2 / mode 1
    {AlarmExchange::ReadTransparentMode, 0xFB, 0x03, AlarmExchange::ReadAddressSettings,
     AlarmExchange::ReadReceiverNumber},
    {AlarmExchange::ReadReceiverNumber, 0xA2, 0x03, AlarmExchange::ReadPowerSaving, -1},
    {AlarmExchange::ReadAddressSettings, 0xE1, 0x03, AlarmExchange::ReadPowerSaving, -1},
    // power saving off / on
    {AlarmExchange::ReadPowerSaving, 0xD3, 0x03, AlarmExchange::ReadEnded,
     AlarmExchange::ReadWakeDelays},
    {AlarmExchange::ReadWakeDelays, 0xD2, 0x03, AlarmExchange::ReadWakeMode, -1},
    {AlarmExchange::ReadWakeMode, 0xDB, 0x03, AlarmExchange::ReadDone, -1},
};

// The reply code a reply answers in the read-all order, and whether it takes the other branch;
// code 0 for replies outside the order.
struct Branch {
    quint8 code = 0;
    bool other = false;
};
struct BranchOf {
    Branch operator()(const R::FirmwareModel &) const { return {0xAB}; }
    Branch operator()(const R::Version &) const { return {0xEC}; }
    Branch operator()(const R::RestartTime &) const { return {0xA3}; }
    Branch operator()(const R::PasswordMode &r) const { return {0xA1, r.value != 0}; }
    Branch operator()(const R::SmsPassword &) const { return {0xF1}; }
    Branch operator()(const R::WorkForm &r) const { return {0xF8, !r.passive()}; }
    Branch operator()(const R::PassiveAddress &) const { return {0xE2}; }
    Branch operator()(const R::TransferMode &r) const { return {0xF9, r.format()}; }
    Branch operator()(const R::TransparentMode &r) const { return {0xFB, !r.mode2()}; }
    Branch operator()(const R::ReceiverNumber &) const { return {0xA2}; }
    Branch operator()(const R::AddressSettings &) const { return {0xE1}; }
    Branch operator()(const R::PowerSaving &r) const { return {0xD3, r.on()}; }
    Branch operator()(const R::WakeDelays &) const { return {0xD2}; }
    Branch operator()(const R::WakeMode &) const { return {0xDB}; }
    // Not read by the order, but the echo of their writes.
    Branch operator()(const R::AlarmModes &) const { return {0xAC}; }
    Branch operator()(const R::BaudAnswer &) const { return {0xF2}; }
    template <class T> Branch operator()(const T &) const { return {}; }
};

Branch branch(const AlarmReplyValue &reply)
{
    return std::visit(BranchOf{}, reply);
}

// Codes whose writes the module answers with the written values.
constexpr quint8 EchoedWrites[] = {0xA1, 0xA2, 0xA3, 0xF1, 0xE2, 0xE1, 0xF8,
                                   0xF9, 0xFB, 0xD3, 0xD2, 0xDB, 0xAC, 0xF2};

// The code of a parameter write that the module echoes; 0 for any other frame.
quint8 EchoedCode(const QByteArray &frame)
{
    if (frame.size() < 10 || !frame.startsWith(FramePreamble) || frame.at(9) != 0x01)
        return 0;
    const quint8 code = quint8(frame.at(8));
    return std::find(std::begin(EchoedWrites), std::end(EchoedWrites), code) !=
                   std::end(EchoedWrites)
               ? code
               : 0;
}

struct TakeInto {
    AlarmSettings &s;
    void operator()(const R::FirmwareModel &r) { s.firmwareModel = r; }
    void operator()(const R::Version &r) { s.version = r; }
    void operator()(const R::RestartTime &r) { s.restartTime = r; }
    void operator()(const R::PasswordMode &r) { s.passwordMode = r; }
    void operator()(const R::SmsPassword &r) { s.smsPassword = r; }
    void operator()(const R::WorkForm &r) { s.workForm = r; }
    void operator()(const R::PassiveAddress &r) { s.passiveAddress = r; }
    void operator()(const R::TransferMode &r) { s.transferMode = r; }
    void operator()(const R::TransparentMode &r) { s.transparentMode = r; }
    void operator()(const R::ReceiverNumber &r) { s.receiverNumber = r; }
    void operator()(const R::AddressSettings &r) { s.addressSettings = r; }
    void operator()(const R::PowerSaving &r) { s.powerSaving = r; }
    void operator()(const R::WakeDelays &r) { s.wakeDelays = r; }
    void operator()(const R::WakeMode &r) { s.wakeMode = r; }
    void operator()(const R::AlarmModes &r) { s.alarmModes = r; }
    void operator()(const R::PhoneTable &r)
    {
        if (r.empty())
            s.phoneTable = QStringList();
        else if (r.checksumOk)
            s.phoneTable = r.numbers;
    }
    void operator()(const R::TextAnswer &r)
    {
        if (r.request == R::TextAnswer::Request::PhoneTableClear &&
            r.verdict == R::TextAnswer::Verdict::Ok)
            s.phoneTable = QStringList();
    }
    void operator()(const R::InputRecord &r)
    {
        if (r.checksumOk && r.channel >= 0 && r.channel < 8)
            s.inputs[size_t(r.channel)] = r.fields;
    }
    void operator()(const R::RelayRecord &r)
    {
        if (r.checksumOk && r.channel >= 0 && r.channel < 8)
            s.relays[size_t(r.channel)] = r.fields;
    }
    template <class T> void operator()(const T &) {}
};

} // namespace

void AlarmSettings::take(const AlarmReplyValue &reply)
{
    std::visit(TakeInto{*this}, reply);
}

QByteArray AlarmExchange::readFrame(qint16 step)
{
    for (const ReadEntry &e : ReadOrder)
        if (e.step == step)
            return AlarmFrames::ReadFrame(e.code, e.operation);
    return {};
}

qint16 AlarmExchange::nextReadStep(const AlarmReplyValue &reply)
{
    const Branch b = branch(reply);
    for (const ReadEntry &e : ReadOrder)
        if (e.code == b.code)
            return b.other && e.other >= 0 ? e.other : e.next;
    return -1;
}

AlarmExchange::AlarmExchange(SerialLink &link, QObject *parent)
    : QObject(parent), m_link(link), m_boundTo(&link), m_parser(link, this)
{
    const struct {
        QTimer *timer;
        const char *name;
    } timers[] = {{&Timer1, "Timer1"}, {&Timer2, "Timer2"}, {&Timer3, "Timer3"}};
    for (const auto &t : timers) {
        t.timer->setParent(this);
        t.timer->setObjectName(QLatin1String(t.name));
        t.timer->setInterval(100);
    }
    connect(&Timer1, &QTimer::timeout, this, &AlarmExchange::workModeTick);
    connect(&Timer2, &QTimer::timeout, this, &AlarmExchange::readAllTick);
    connect(&Timer3, &QTimer::timeout, this, &AlarmExchange::powerSavingTick);
    TestWait.setSingleShot(true);
    connect(&TestWait, &QTimer::timeout, this, [this] { endTestRequest(true); });
    m_parser.setReplyHandler([this](const AlarmReplyValue &reply) { onReply(reply); });
    bind();
    // A reply cut off by a lost device is never completed: start over, and end the running
    // sequence so that the buttons come back for the user to connect again.
    connect(&m_link, &SerialLink::deviceLost, this, [this] {
        cancelTestRequest();
        m_parser.reset();
        const struct {
            QTimer *timer;
            Sequence sequence;
        } running[] = {{&Timer2, Sequence::ReadAll},
                       {&Timer1, Sequence::WorkMode},
                       {&Timer3, Sequence::PowerSaving}};
        for (const auto &r : running) {
            if (r.timer->isActive()) {
                r.timer->stop();
                Q_EMIT sequenceFinished(r.sequence);
            }
        }
    });
}

AlarmExchange::~AlarmExchange()
{
    if (m_boundTo)
        m_boundTo->unbindReceiver(this);
}

void AlarmExchange::bind()
{
    m_link.setConversation(SerialLink::Conversation::Alarm);
    m_link.bindReceiver(this, [this] {
        if (m_listening)
            m_parser.parse();
    });
}

void AlarmExchange::setListening(bool on)
{
    m_listening = on;
    if (on)
        m_link.requestDelivery();
}

void AlarmExchange::onReply(const AlarmReplyValue &reply)
{
    m_settings.take(reply);
    if (m_unconfirmed.removeAll(branch(reply).code) > 0 && m_unconfirmed.isEmpty())
        Q_EMIT writesConfirmed();
    const qint16 next = nextReadStep(reply);
    if (next >= 0)
        m_readAllStep = next;
    Q_EMIT replied(reply);
}

void AlarmExchange::restart()
{
    m_parser.reset();
    m_readAllStep = ReadFirmwareModel;
    if (m_link.isOpen())
        m_link.close();
    m_link.setThreshold(1);
}

bool AlarmExchange::reopenPort()
{
    restart();
    const bool opened = m_link.open() == OpenResult::Ok;
    m_link.setDtr(false);
    return opened;
}

void AlarmExchange::startReadAll()
{
    m_readAllStep = ReadFirmwareModel;
    m_parser.setFrameMachine(true);
    Timer2.start(); // 100 ms at first, 500 ms once it has ticked
}

void AlarmExchange::stopReadAll()
{
    Timer2.stop();
}

void AlarmExchange::readAllTick()
{
    Timer2.start(500);
    const QByteArray frame = readFrame(m_readAllStep);
    if (!frame.isEmpty()) {
        // Sent again every 500 ms until a reply moves the sequence on.
        write(frame);
        return;
    }
    Timer2.stop();
    m_readAllStep = ReadEnded;
    Q_EMIT sequenceFinished(Sequence::ReadAll);
}

void AlarmExchange::startWorkModeWrite(std::function<AlarmSequences::WorkModeChoice()> choice)
{
    m_workModeChoice = std::move(choice);
    m_writeStep = 0;
    Timer1.start();
}

void AlarmExchange::workModeTick()
{
    Timer1.start(2000);
    const AlarmSequences::WriteTick tick = AlarmSequences::WorkModeTick(
        m_writeStep, m_workModeChoice ? m_workModeChoice() : AlarmSequences::WorkModeChoice());
    if (tick.missing != AlarmSequences::WriteTick::Missing::None) {
        // The write waits at this step; the question comes again on the next tick after it
        // has been answered, never piled up while it is open.
        Timer1.stop();
        Q_EMIT choiceMissing(tick.missing);
        Timer1.start(2000);
        return;
    }
    if (!tick.frame.isEmpty())
        write(tick.frame);
    m_writeStep = tick.next;
    if (tick.finished) {
        Timer1.stop();
        Q_EMIT sequenceFinished(Sequence::WorkMode);
    }
}

void AlarmExchange::startPowerSavingWrite(const AlarmSequences::PowerSavingChoice &choice)
{
    m_powerSavingChoice = choice;
    m_writeStep = 0;
    Timer3.start();
}

void AlarmExchange::powerSavingTick()
{
    Timer3.start(1000);
    const AlarmSequences::WriteTick tick =
        AlarmSequences::PowerSavingTick(m_writeStep, m_powerSavingChoice);
    if (!tick.frame.isEmpty())
        write(tick.frame);
    m_writeStep = tick.next;
    if (tick.finished) {
        Timer3.stop();
        Q_EMIT sequenceFinished(Sequence::PowerSaving);
    }
}

void AlarmExchange::stopAll()
{
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
    m_parser.quietTimer().stop();
    cancelTestRequest();
}

void AlarmExchange::readInputRecord(int channel)
{
    m_parser.expectInputRead(channel);
    send(AlarmFrames::ReadDiSettings(quint8(channel)));
}

void AlarmExchange::writeInputRecord(int channel, const QByteArray &record)
{
    m_parser.expectInputWrite(channel);
    send(AlarmFrames::DiSettingsWrite(quint8(channel), record));
}

void AlarmExchange::readInputState(int channel)
{
    send(AlarmFrames::ReadDiState(quint8(channel)));
    m_parser.expectInputState(channel);
}

void AlarmExchange::readAlarmModes()
{
    send(AlarmFrames::ReadFrame(AlarmFrames::AlarmModesCode));
}

void AlarmExchange::writeAlarmModes(const std::array<quint8, 8> &modes)
{
    send(AlarmFrames::AlarmModes(modes));
}

void AlarmExchange::readRelayRecord(int channel)
{
    m_parser.expectRelayRead(channel);
    send(AlarmFrames::ReadDoSettings(quint8(channel)));
}

void AlarmExchange::writeRelayRecord(int channel, const QByteArray &record)
{
    m_parser.expectRelayWrite(channel);
    send(AlarmFrames::DoSettingsWrite(quint8(channel), record));
}

void AlarmExchange::switchRelay(int relay, bool close)
{
    send(AlarmFrames::DoControl(quint8(relay), close));
}

void AlarmExchange::readPhoneTable()
{
    send(AlarmFrames::ReadFrame(AlarmFrames::PhoneTableCode, 0x01));
    m_parser.setPhoneTableOp(AlarmReplyParser::PhoneOp::Read);
}

void AlarmExchange::writePhoneTable(const QStringList &numbers)
{
    send(AlarmFrames::PhoneTableWrite(numbers));
    m_parser.setPhoneTableOp(AlarmReplyParser::PhoneOp::Write);
}

void AlarmExchange::clearPhoneTable()
{
    send(AlarmFrames::PhoneTableClear());
    m_parser.setPhoneTableOp(AlarmReplyParser::PhoneOp::Clear);
}

void AlarmExchange::send(const QByteArray &frame)
{
    write(frame);
}

void AlarmExchange::write(const QByteArray &frame)
{
    m_link.write(frame);
    if (const quint8 code = EchoedCode(frame)) {
        m_wrote = true;
        if (!m_unconfirmed.contains(code))
            m_unconfirmed.append(code);
    }
}

void AlarmExchange::beginWrites()
{
    m_unconfirmed.clear();
    m_wrote = false;
}

AlarmExchange::WriteState AlarmExchange::writeState() const
{
    if (!m_unconfirmed.isEmpty())
        return WriteState::Waiting;
    return m_wrote ? WriteState::Confirmed : WriteState::None;
}

void AlarmExchange::startTestRequest(int command, const QByteArray &frame)
{
    cancelTestRequest();
    // The text machine reads the answer; a frame or message that is still arriving finishes
    // in the machine it began in.
    if (m_parser.step() == 0) {
        m_parser.setFrameMachine(false);
        m_parser.reset();
    }
    m_link.setDtr(false);
    m_testCommand = command;
    m_testFrame = frame;
    TestWait.start(TestSendDelayMs);
}

void AlarmExchange::cancelTestRequest()
{
    if (TestWait.isActive())
        endTestRequest(false);
}

void AlarmExchange::endTestRequest(bool write)
{
    TestWait.stop();
    const QByteArray frame = std::exchange(m_testFrame, QByteArray());
    const bool written = write && m_link.isOpen();
    if (written) {
        // The replies from here on answer this request; a message that is still arriving
        // finishes in the machine it began in.
        if (m_parser.step() == 0) {
            m_parser.setFrameMachine(false);
            m_parser.reset();
        }
        m_parser.setTestCommand(m_testCommand);
        m_link.write(frame);
    }
    if (m_link.isOpen())
        m_link.setDtr(true);
    Q_EMIT testRequestEnded(frame, written);
}
