#pragma once
// The exchange with one SMS data-transmission module over one SerialLink: the parameter read
// whose next request the replies choose, the work-mode, heartbeat and power-saving write
// sequences, the single writes, the identity-address write with its outcomes, and the data
// exchange. No widget: the parameter window and tests drive the same object.

#include "data/DataReplies.h"
#include "data/DataReplyParser.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <optional>

class SerialLink;

// What the module has reported; empty until it is read.
struct DataSettings {
    std::optional<DataReply::Version> version;
    std::optional<DataReply::Address> identity;
    std::optional<DataReply::Address> target;
    std::optional<DataReply::PassiveAddress> passiveAddress;
    std::optional<DataReply::Heartbeat> heartbeat;
    std::optional<DataReply::RestartCount> restarts;
    std::optional<DataReply::PowerSaving> powerSaving;
    std::optional<DataReply::WakeDelays> wakeDelays;
    std::optional<DataReply::WakeMode> wakeMode;
    std::optional<DataReply::WorkMode> workMode;
    std::optional<DataReply::DataFormat> dataFormat;
    std::optional<DataReply::TransparentMode> transparentMode;
    std::optional<DataReply::AddressParams> addressParams;
    std::optional<DataReply::BaudAnswer> baud;

    void take(const DataReplyValue &reply);
};

// The choices of the work-mode write; 0 is "无" everywhere.
struct WorkModeChoice {
    int workMode = 0;    // 1 主动方式, 2 被动方式
    int dataFormat = 0;  // 1 格式传输, 2 透明传输
    int transparent = 0; // 1 方式1, 2 方式2
    quint8 start = 0, length = 0, groupMaximum = 0;
    int addressType = 0;          // 1 ASCII, 2 16进制, 3 BCD码
    bool addressComplete = false; // the three address fields are filled
    // False when a needed choice is missing ("模块设置时参数不全").
    bool complete() const;
};

struct PowerSavingChoice {
    bool on = false;
    bool mode2 = false;
    qint64 idleMs = 0, dataMs = 0;
};

// What a parameter write came to: the command code of every setting frame sent, in order; those
// the module did not answer; those it answered with another value than the one written.
struct WriteReport {
    QByteArray written, unanswered, differing;
};

// One tick of a write sequence: the frame to send (may be empty) and the next step; finished
// when the step reached 100.
struct WriteTick {
    QByteArray frame;
    qint16 next = 100;
    bool finished = false;
};

class DataExchange : public QObject
{
    Q_OBJECT
public:
    static constexpr qint16 SequenceEnd = 100;

    // Steps of the parameter read; each sends one read, the reply names the next step.
    enum ReadStep : qint16 {
        ReadIdentity = 0,
        ReadVersion = 1,
        ReadHeartbeat = 2,
        ReadRestarts = 3,
        ReadPowerSaving = 4,
        ReadWakeDelays = 5,
        ReadWorkMode = 6,
        ReadPassiveAddress = 7,
        ReadDataFormat = 8,
        ReadTarget = 9,
        ReadTransparent = 10,
        ReadAddressParams = 11,
        ReadWakeMode = 12,
    };
    static QByteArray readFrame(qint16 step);
    // The step a reply moves the read to, or -1 for a reply that moves nothing.
    static qint16 nextReadStep(const DataReplyValue &reply);

    static WriteTick workModeTick(qint16 step, const WorkModeChoice &choice);
    static WriteTick powerSavingTick(qint16 step, const PowerSavingChoice &choice);

    enum class Sequence { Read, WorkMode, Heartbeat, PowerSaving };
    enum class IdentityOutcome { Set, Refused, Taken, NotOnline };
    // When an identity status came: while the wait for it ran, after the wait had given up, or
    // with no identity write sent at all.
    enum class IdentityTiming { Waiting, AfterWait, Unasked };

    // Binds to the link: from now on its bytes are this exchange's.
    explicit DataExchange(SerialLink &link, QObject *parent = nullptr);
    ~DataExchange() override;
    // While the window opens the bytes wait unread; listening again parses them.
    void setListening(bool on);
    bool listening() const { return m_listening; }

    SerialLink &link() { return m_link; }
    DataReplyParser &parser() { return m_parser; }
    const DataSettings &settings() const { return m_settings; }

    // The module's work mode (0 passive) and transmission mode (0 transparent): the data
    // frames and the data machine follow them; the 0xF8 and 0xF9 replies update them.
    void setModuleForm(quint8 workForm, quint8 transferMode);
    quint8 workForm() const { return m_workForm; }
    quint8 transferMode() const { return m_transferMode; }

    // True while a parameter read, a write sequence, an identity write or a single write whose
    // echo is due runs: the parameter machine takes the replies, else the data machine.
    bool parameterExchangeActive() const { return m_parser.parameterMachine(); }
    qint16 readStep() const { return m_readStep; }
    qint16 writeStep() const { return m_writeStep; }
    bool busy() const;

    // Opens the port when it is closed (a failure is reported); false when it stays closed.
    bool ensureOpen();

    // ---- parameter read (ReadTimer: first tick after 100 ms, then every 400 ms) ----
    void startRead();
    void readTick();
    // ---- write sequences ----
    void startWorkModeWrite(const WorkModeChoice &choice); // 100 ms, then every 1000 ms
    void workModeTickNow();
    void startHeartbeatWrite(quint16 seconds, quint8 restarts); // 50 ms, then every 1000 ms
    void heartbeatTickNow();
    void startPowerSavingWrite(const PowerSavingChoice &choice); // 100 ms, then every 1000 ms
    void powerSavingTickNow();
    void stopAll();

    // ---- single writes; each returns the frame sent (empty when the port stays closed) ----
    // A write sequence is reported when it ends, a single write once the module answered it or
    // ConfirmTimer ran out.
    QByteArray writeParameter(const QByteArray &frame);
    // Ends the write under way and reports it (ConfirmTimer's tick).
    void finishWrite();

    // ---- identity address ----
    QByteArray writeIdentity(const QString &project, const QString &station);
    // "Yes" to the replace question: the same address with operation 0x02 (ReplaceTimer).
    void replaceIdentity();
    // The wait is over (time-out or "No"): a late notice 3 sends nothing, a late outcome is
    // reported as late.
    void abandonIdentityWrite();
    bool identityWritePending() const { return m_identityPending; }

    // ---- data exchange ----
    QByteArray poll(const QByteArray &moduleAddress);
    QByteArray checkMemory(const QByteArray &moduleAddress);
    QByteArray sendData(const QByteArray &moduleAddress, const QByteArray &receiver,
                        const QByteArray &data);

    QTimer ReadTimer;
    QTimer WorkModeTimer;
    QTimer HeartbeatTimer;
    QTimer PowerSavingTimer;
    QTimer ReplaceTimer; // one-shot: the replace after "Yes"
    QTimer ResendTimer;  // one-shot, 100 ms: the identity again after notice 3
    QTimer ConfirmTimer; // one-shot, 1000 ms: how long a single write waits for its answer

Q_SIGNALS:
    // Every reply, after settings() and the read step have taken it.
    void replied(const DataReplyValue &reply);
    void sequenceFinished(DataExchange::Sequence sequence);
    // A final status of the identity address.
    void identityOutcome(DataExchange::IdentityOutcome outcome,
                         DataExchange::IdentityTiming timing);
    // A write sequence or a single write is over.
    void writeReported(const WriteReport &report);
    // A frame went out (the window logs it); data is true for data frames.
    void frameSent(const QByteArray &frame, bool data);

private:
    void onReply(const DataReplyValue &reply);
    void updateMachine();
    void startSequence(QTimer &timer, int firstMs);
    void endSequence(QTimer &timer, Sequence sequence);
    void write(const QByteArray &frame, bool data = false);
    void beginWrite();
    void writeSetting(const QByteArray &frame);
    void checkEcho(const DataReplyValue &reply);
    void sendIdentity(bool replace);

    SerialLink &m_link;
    QPointer<SerialLink> m_boundTo; // the link, while it lives
    bool m_listening = true;
    DataReplyParser m_parser;
    DataSettings m_settings;
    quint8 m_workForm = 0;
    quint8 m_transferMode = 0;
    qint16 m_readStep = SequenceEnd;
    qint16 m_writeStep = SequenceEnd;
    WorkModeChoice m_workChoice;
    PowerSavingChoice m_powerChoice;
    quint16 m_heartbeat = 0;
    quint8 m_restarts = 0;
    bool m_identityPending = false;
    bool m_echoDue = false;
    // The parameter machine stays on after an identity write, so that an outcome that comes
    // after the wait has given up is still read (and reported as late).
    bool m_identityWatch = false;
    QString m_project, m_station;
    WriteReport m_report;
    QList<QByteArray> m_awaiting; // setting frames sent and not yet answered
};
