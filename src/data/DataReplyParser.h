#pragma once
// Reply parser of the SMS data-transmission module. It reads through a ByteSource and turns what
// the module sends into typed replies (DataReplies.h), handed to the reply handler. It never
// names a control and never shows a message.
//
// Two machines share the step. The parameter machine (while a parameter read or an identity
// write runs) takes the binary replies: FramePreamble, the command code and a byte count fixed
// per code. The data machine (during the data exchange) takes the module's data frames, chosen by
// the work mode and the transmission mode:
//   passive:           "!" a1 a2 then, by the last request: CR after a data send;
//                      "W" state CR after the memory check; L(2) body(L) CR after a poll
//                      (L 0: nothing waiting). "?" a1 a2 and one byte more (CR): the module
//                      refused the frame.
//   active, format:    D7 FA sent / D7 FF not online / D7 FC failed;
//                      D7 01 sender(2) n(2) data(n): data from another module.
//   active, transparent: whatever arrives is data.
//
// Each step reads exactly the bytes it needs and sets the receive threshold for the next one,
// so a reply that arrives whole, byte by byte or in pieces gives the same replies. A reply whose
// length is known waits for the rest however long it takes; bytes that start no reply are read
// and dropped one by one until a reply starts again, so nothing piles up unread.

#include "data/DataReplies.h"

#include <QObject>
#include <functional>
#include <optional>

class ByteSource;

class DataReplyParser : public QObject
{
    Q_OBJECT
public:
    // The data-exchange request whose answer comes next (passive mode).
    enum class Request { Send, Poll, EmptyCheck };

    explicit DataReplyParser(ByteSource &source, QObject *parent = nullptr);

    using Handler = std::function<void(const DataReplyValue &)>;
    void setReplyHandler(Handler handler) { m_handler = std::move(handler); }

    // The data-received handler: runs steps while their bytes are waiting. A call while a reply
    // is being handled returns at once (a message box shown for a reply lets events run).
    void parse();
    // Back to the first step, waiting for one byte.
    void reset();

    void setParameterMachine(bool on) { m_parameters = on; }
    bool parameterMachine() const { return m_parameters; }
    void setModuleForm(quint8 workForm, quint8 transferMode);
    void expectAnswerTo(Request request) { m_request = request; }

    qint16 step() const { return m_step; }

private:
    bool parameterStep();
    std::optional<DataReplyValue> parameterReply() const;
    bool passiveStep();
    bool activeStep();
    void keep();
    void onCode(quint8 code);
    bool read(int n);
    quint8 d(int i) const { return quint8(m_bytes.at(i)); }
    void next(qint16 step, int count);
    void endReply();
    void emitReply(const DataReplyValue &reply);

    ByteSource &m_source;
    Handler m_handler;
    bool m_running = false;
    bool m_parameters = true;
    quint8 m_workForm = 0;
    quint8 m_transferMode = 0;
    Request m_request = Request::Send;
    qint16 m_step = 0;
    int m_need = 1;
    int m_matched = 1; // preamble bytes matched before CheckPreamble reads the rest
    QByteArray m_bytes;
    QByteArray m_reply; // the data reply read so far
    quint8 m_address[2] = {0, 0};
};
