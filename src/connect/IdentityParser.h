#pragma once
// Reply parser of the VX8 connection window (ProtocolId 110). After "连接" the module sends its
// notice 0xFD and answers the five read-out queries of the main window's Timer11: 0xF8 work
// form, 0xF9 transfer mode, 0xEC software version, 0xD6 (not used) and 0xD1 network mode. Each
// frame is FramePreamble, the code and a fixed byte count (0xFD: 3 while the notice answers the
// connect query, else 1; then 2, 2, 12, 2, 2).
//
// An object with its own step state: it reads through a ByteSource and emits typed replies;
// IdentityConnect turns them into what the connection does (timers, shared values, the window).
// A reply that has begun waits for the rest however long it takes; bytes that start no frame
// are read and dropped one at a time.

#include <QByteArray>
#include <QObject>
#include <functional>
#include <variant>

class ByteSource;

namespace IdentityReply {
struct Notice { // 0xFD answering the connect query: the three bytes of ModuleInfo
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
} // namespace IdentityReply

using IdentityReplyValue =
    std::variant<IdentityReply::Notice, IdentityReply::ShortNotice, IdentityReply::WorkForm,
                 IdentityReply::TransferMode, IdentityReply::Version, IdentityReply::D6,
                 IdentityReply::NetMode>;

QString describe(const IdentityReplyValue &reply);

class IdentityParser : public QObject
{
    Q_OBJECT
public:
    explicit IdentityParser(ByteSource &source, QObject *parent = nullptr);

    using Handler = std::function<void(const IdentityReplyValue &)>;
    void setReplyHandler(Handler handler) { m_handler = std::move(handler); }
    // Asked when a 0xFD arrives: true while the connect query waits for its answer (Timer9).
    void setNoticeAnswersQuery(std::function<bool()> ask) { m_answersQuery = std::move(ask); }

    void parse();
    void reset();
    qint16 step() const { return m_step; }

private:
    bool stepOnce();
    void next(qint16 step, int count);

    ByteSource &m_source;
    Handler m_handler;
    std::function<bool()> m_answersQuery;
    bool m_running = false;
    qint16 m_step = 0;
    int m_need = 1;
    int m_matched = 1;
};
