#pragma once
// Reply parser of the alarm control module. It reads through a ByteSource and turns what the
// module sends into typed replies (AlarmReplies.h), handed to the reply handler. It never names
// a control and never shows a message.
//
// A step machine: each step reads exactly the bytes it needs and sets the receive threshold for
// the next one, so a reply that arrives whole, byte by byte or in pieces gives the same replies.
// Three machines share the step: the binary frame machine (parameter pages) and the passive and
// active text machines of the communication test.
//
// Replies whose length the header gives (phone table, input and relay records) wait for exactly
// that many bytes, however long the gaps. A text answer ("SETOK:", "SETFAIL:", "CLROK:",
// "CLRFAIL:") ends at its known ending, or once the line has been quiet for QuietMs with at
// least ShortestText bytes; bytes after it are parsed as the next reply. Nothing is left
// waiting unread, so what the line keeps stays bounded.

#include "alarm/AlarmReplies.h"

#include <QObject>
#include <QTimer>
#include <functional>

class ByteSource;

class AlarmReplyParser : public QObject
{
    Q_OBJECT
public:
    static constexpr int QuietMs = 50;
    static constexpr int ShortestText = 6;      // "SETOK:", "CLROK:"
    static constexpr int LongestText = 64;      // a text answer never runs longer
    static constexpr int PhoneTableBytes = 120; // 20 entries of 6 bytes
    // A received test message ends at this many bytes even if the module keeps sending.
    static constexpr int MessageCap = 4096;

    enum class PhoneOp { Read = 0, Write = 1, Clear = 2 };

    explicit AlarmReplyParser(ByteSource &source, QObject *parent = nullptr);

    using Handler = std::function<void(const AlarmReplyValue &)>;
    void setReplyHandler(Handler handler) { m_handler = std::move(handler); }

    // The data-received handler: runs steps while their bytes are waiting. Never re-entered: a
    // call while a reply is being handled returns at once.
    void parse();
    // Back to the first step, waiting for one byte (refresh, tab switch, a new test command).
    void reset();

    // Which machine runs: the frame machine on the parameter pages, otherwise the text machine
    // of the module's work form (0 passive) and transmission mode (0 transparent, 1 format).
    void setFrameMachine(bool on) { m_frames = on; }
    bool frameMachine() const { return m_frames; }
    void setModuleForm(quint8 workForm, quint8 transferMode);
    quint8 workForm() const { return m_workForm; }
    quint8 transferMode() const { return m_transferMode; }

    // Request bookkeeping: the reply alone does not tell which request it answers.
    void expectInputRead(int channel);
    void expectInputWrite(int channel);
    void expectRelayRead(int channel);
    void expectRelayWrite(int channel);
    void expectInputState(int channel);
    void setPhoneTableOp(PhoneOp op) { m_phoneOp = op; }
    void setTestCommand(int command) { m_testCommand = command; }

    qint16 step() const { return m_step; }
    // The message text of the communication test collected so far (hex fields).
    const QString &messageText() const { return m_message; }
    // Ends the message (the line went quiet): returns its text and goes back to the first step.
    QString takeMessage();

    // Ends a text answer once the line has been quiet; tests call the handler directly.
    QTimer &quietTimer() { return m_quiet; }
    void quietElapsed();

private:
    bool frameStep();
    int frameStepSize() const;
    void checkPreamble();
    void phoneTableStep();
    void recordBody();
    void fixedReply();
    bool passiveStep();
    void passiveAnswer();
    void endTestLine(std::initializer_list<quint8> head, const QString &status);
    bool activeStep();
    bool textStep();
    void replyCode(quint8 code);
    void finishText();
    void emitReply(const AlarmReplyValue &reply);
    bool read(int n);
    int d(int i) const;
    void waitFor(int n);
    void endReply();
    void startText(qint16 step);
    void resynchronise(const QByteArray &afterLead);
    bool readMessage();
    void startMessage(const QString &head, qint16 step);

    ByteSource &m_source;
    Handler m_handler;
    QTimer m_quiet;
    bool m_running = false;
    bool m_frames = true;
    quint8 m_workForm = 0;
    quint8 m_transferMode = 0;
    qint16 m_step = 0;
    int m_wait = -1;
    QByteArray m_bytes; // the bytes of the last read
    QByteArray m_head;  // header bytes of a phone table or a settings record
    QByteArray m_text;  // a text answer (or a version) being collected
    QString m_message;
    int m_messageBytes = 0;
    int m_preambleHave = 0; // preamble bytes after a lead byte found by resynchronise()
    quint8 m_a[4] = {0, 0, 0, 0};
    bool m_inputWrite = false, m_relayWrite = false;
    int m_inputChannel = -1, m_relayChannel = -1, m_stateChannel = -1;
    bool m_stateQueried = false;
    PhoneOp m_phoneOp = PhoneOp::Read;
    int m_testCommand = 0;
};
