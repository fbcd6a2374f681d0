#pragma once
// The exchange with one alarm module over one SerialLink: the read-all sequence, the work-mode
// and power-saving write sequences, the feature reads and writes with their request
// bookkeeping, and everything the module has reported (AlarmSettings). No widget: the alarm
// window, the batch mode and tests drive the same object.

#include "alarm/AlarmReplies.h"
#include "alarm/AlarmReplyParser.h"
#include "alarm/AlarmSequences.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>

class SerialLink;

// What the module has reported, one field per reply kind; empty until it is read.
struct AlarmSettings {
    std::optional<AlarmReply::FirmwareModel> firmwareModel;
    std::optional<AlarmReply::Version> version;
    std::optional<AlarmReply::RestartTime> restartTime;
    std::optional<AlarmReply::PasswordMode> passwordMode;
    std::optional<AlarmReply::SmsPassword> smsPassword;
    std::optional<AlarmReply::WorkForm> workForm;
    std::optional<AlarmReply::PassiveAddress> passiveAddress;
    std::optional<AlarmReply::TransferMode> transferMode;
    std::optional<AlarmReply::TransparentMode> transparentMode;
    std::optional<AlarmReply::ReceiverNumber> receiverNumber;
    std::optional<AlarmReply::AddressSettings> addressSettings;
    std::optional<AlarmReply::PowerSaving> powerSaving;
    std::optional<AlarmReply::WakeDelays> wakeDelays;
    std::optional<AlarmReply::WakeMode> wakeMode;
    std::optional<AlarmReply::AlarmModes> alarmModes;
    std::optional<QStringList> phoneTable;
    std::array<std::optional<AlarmRecords::DiRecordFields>, 8> inputs;
    std::array<std::optional<AlarmRecords::DoRecordFields>, 8> relays;

    // Takes what a reply reports; replies that report no setting change nothing.
    void take(const AlarmReplyValue &reply);
};

class AlarmExchange : public QObject
{
    Q_OBJECT
public:
    // Steps of the read-all sequence: each sends one read; the reply names the next step.
    enum ReadStep : qint16 {
        ReadFirmwareModel = 0,
        ReadRestartTime = 1,
        ReadPasswordMode = 2,
        ReadSmsPassword = 3,
        ReadWorkForm = 4,
        ReadPassiveAddress = 5,
        ReadTransferMode = 6,
        ReadTransparentMode = 7,
        ReadReceiverNumber = 8,
        ReadAddressSettings = 9,
        ReadPowerSaving = 10,
        ReadWakeDelays = 11,
        ReadWakeMode = 12,
        ReadDone = 13, // after the wake mode: nothing more to read
        ReadVersion = 20,
        ReadEnded = 100, // the sequence has ended (also: power saving off)
    };
    // The read frame of a step; empty for a step that ends the sequence.
    static QByteArray readFrame(qint16 step);
    // The step a reply moves the read-all sequence to, or -1 for a reply that moves nothing.
    static qint16 nextReadStep(const AlarmReplyValue &reply);

    enum class Sequence { ReadAll, WorkMode, PowerSaving };

    // Binds to the link: from now on its bytes are this exchange's.
    explicit AlarmExchange(SerialLink &link, QObject *parent = nullptr);
    ~AlarmExchange() override;

    SerialLink &link() { return m_link; }
    // Takes the line (again) after someone else had it (the connect routine of a batch job).
    void bind();
    // While the window loads the bytes wait unread; listening again parses them.
    void setListening(bool on);
    bool listening() const { return m_listening; }
    AlarmReplyParser &parser() { return m_parser; }
    const AlarmSettings &settings() const { return m_settings; }
    void clearSettings() { m_settings = AlarmSettings(); }

    // ---- read-all (Timer2: first tick after 100 ms, then every 500 ms) ----
    // Back to the first step with the port closed, ready to be opened again (the module may
    // have been re-plugged).
    void restart();
    // restart(), then open the port with DTR off: false when it does not open. The read frames
    // start with startReadAll().
    bool reopenPort();
    void startReadAll();
    void stopReadAll();
    bool readAllRunning() const { return Timer2.isActive(); }
    qint16 readAllStep() const { return m_readAllStep; }
    void readAllTick();

    // ---- work-mode write (Timer1: 100 ms, then every 2 s) ----
    // choice is asked on every tick, so a missing choice can be made while the write waits.
    void startWorkModeWrite(std::function<AlarmSequences::WorkModeChoice()> choice);
    void workModeTick();
    // ---- power-saving write (Timer3: 100 ms, then every 1 s) ----
    void startPowerSavingWrite(const AlarmSequences::PowerSavingChoice &choice);
    void powerSavingTick();
    qint16 writeStep() const { return m_writeStep; }
    void stopAll();

    // ---- single requests ----
    void readInputRecord(int channel);
    void writeInputRecord(int channel, const QByteArray &record);
    void readInputState(int channel);
    void readAlarmModes();
    void writeAlarmModes(const std::array<quint8, 8> &modes);
    void readRelayRecord(int channel);
    void writeRelayRecord(int channel, const QByteArray &record);
    void switchRelay(int relay, bool close);
    void readPhoneTable();
    void writePhoneTable(const QStringList &numbers);
    void clearPhoneTable();
    // Any other frame (parameter writes, the baud command, the version code).
    void send(const QByteArray &frame);

    // ---- confirmation of parameter writes ----
    // A parameter write (operation 01) of a code the module echoes is confirmed when a reply
    // with that code comes back. A write the module does not answer (model, clear, relay
    // switch) is not waited for; the record, phone-table and code writes have answers of their
    // own.
    enum class WriteState { None, Waiting, Confirmed };
    // Forgets the writes so far: a new user action starts.
    void beginWrites();
    // None: nothing written since beginWrites() that the module confirms.
    WriteState writeState() const;

    // ---- communication test: DTR off, 2 s, the frame, DTR on ----
    // The text machine answers the reply of command (1 read SMS, 2 send state, 3 send SMS) from
    // the moment the frame leaves. The wait runs on a timer: the line is read and the window
    // answers meanwhile, and a message that is still arriving is kept whole.
    static constexpr int TestSendDelayMs = 2000;
    void startTestRequest(int command, const QByteArray &frame);
    bool testRequestPending() const { return TestWait.isActive(); }
    // Nothing is sent; DTR goes back on.
    void cancelTestRequest();
    QTimer TestWait;

    QTimer Timer1; // work-mode write
    QTimer Timer2; // read-all sender
    QTimer Timer3; // power-saving write

Q_SIGNALS:
    // Every reply, after settings() and the read-all step have taken it.
    void replied(const AlarmReplyValue &reply);
    void sequenceFinished(AlarmExchange::Sequence sequence);
    // The work-mode write waits at a step whose choice is missing (it asks again in 2 s).
    void choiceMissing(AlarmSequences::WriteTick::Missing missing);
    // A test request has ended: written in full, or not at all (cancelled, port closed).
    void testRequestEnded(const QByteArray &frame, bool written);
    // The module has confirmed every write since beginWrites().
    void writesConfirmed();

private:
    void onReply(const AlarmReplyValue &reply);
    // Every preamble frame goes out here, so that its confirmation can be awaited.
    void write(const QByteArray &frame);
    void endTestRequest(bool write);

    SerialLink &m_link;
    QPointer<SerialLink> m_boundTo; // the link, while it lives
    AlarmReplyParser m_parser;
    AlarmSettings m_settings;
    qint16 m_readAllStep = 0;
    qint16 m_writeStep = 0;
    std::function<AlarmSequences::WorkModeChoice()> m_workModeChoice;
    AlarmSequences::PowerSavingChoice m_powerSavingChoice;
    QList<quint8> m_unconfirmed; // codes written and not yet echoed
    bool m_wrote = false;        // a confirmed kind of write since beginWrites()
    QByteArray m_testFrame;
    int m_testCommand = 0;
    bool m_listening = true;
};
