#pragma once
// Reply parser of the connect (the alarm connect dialog, the VX8 window and the batch mode).
// After "连接" the module sends its notice 0xFD and answers the five read-out queries: 0xF8 work
// form, 0xF9 transfer mode, 0xEC software version, 0xD6 (not used) and 0xD1 network mode. Each
// frame is FramePreamble, the code and a fixed byte count (ConnectFrames::ReplyLengths).
//
// An object with its own step state: it reads through a ByteSource and emits typed replies;
// the ConnectRoutine turns them into what the connect does.
// A reply that has begun waits for the rest however long it takes; bytes that start no frame
// are read and dropped one at a time.

#include <QByteArray>
#include <QObject>
#include <functional>
#include <variant>

class ByteSource;

namespace ConnectReply {
struct Notice { // 0xFD answering the connect query: the three bytes of the module information
    QByteArray info;
};
struct ShortNotice { // 0xFD sent on its own
    quint8 value = 0;
};
struct WorkForm {
    quint8 value = 0;
};
struct TransferMode {
    quint8 value = 0;
};
struct Version {
    QByteArray bytes;
};
struct D6 {
};
struct NetMode {
    quint8 value = 0;
};
} // namespace ConnectReply

using ConnectReplyValue =
    std::variant<ConnectReply::Notice, ConnectReply::ShortNotice, ConnectReply::WorkForm,
                 ConnectReply::TransferMode, ConnectReply::Version, ConnectReply::D6,
                 ConnectReply::NetMode>;

QString describe(const ConnectReplyValue &reply);

class ConnectReplyParser : public QObject
{
    Q_OBJECT
public:
    explicit ConnectReplyParser(ByteSource &source, QObject *parent = nullptr);

    using Handler = std::function<void(const ConnectReplyValue &)>;
    void setReplyHandler(Handler handler) { m_handler = std::move(handler); }
    // Asked when a 0xFD arrives: true while the connect query waits for its answer (Timer9).
    void setNoticeAnswersQuery(std::function<bool()> ask) { m_answersQuery = std::move(ask); }
    // Called when a notice that answers the query has begun (its code is in, its bytes not yet).
    void setNoticeBegun(std::function<void()> begun) { m_noticeBegun = std::move(begun); }

    void parse();
    void reset();
    qint16 step() const { return m_step; }

private:
    bool stepOnce();
    void onCode(quint8 code);
    void next(qint16 step, int count);

    ByteSource &m_source;
    Handler m_handler;
    std::function<bool()> m_answersQuery;
    std::function<void()> m_noticeBegun;
    bool m_running = false;
    qint16 m_step = 0;
    int m_need = 1;
    int m_matched = 1;
};
