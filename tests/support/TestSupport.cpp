#include "support/TestSupport.h"

#include "core/SerialLink.h"

#include <QRandomGenerator>
#include <QTest>

MessageRecorder::MessageRecorder()
{
    SetMessageHandler([this](const MessageRequest &request) {
        messages << request;
        if (!answers.isEmpty())
            return answers.takeFirst();
        return request.buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
    });
}

MessageRecorder::~MessageRecorder()
{
    SetMessageHandler({});
}

QStringList MessageRecorder::texts() const
{
    QStringList list;
    for (const MessageRequest &m : messages)
        list << m.text;
    return list;
}

MemoryLine::MemoryLine(bool open)
    : link(std::make_unique<SerialLink>()), backend(new MemorySerialBackend)
{
    link->setBackend(backend);
    link->setPortNumber(1);
    link->setSettings(QStringLiteral("9600,n,8,1"));
    if (open)
        link->open();
}

MemoryLine::~MemoryLine() = default;

QByteArrayList Pieces(const QByteArray &bytes, Feed how, quint32 seed, int largest)
{
    QByteArrayList pieces;
    QRandomGenerator random(seed);
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype n = bytes.size();
        if (how == Feed::ByteByByte)
            n = 1;
        else if (how == Feed::RandomPieces)
            n = random.bounded(1, largest + 1);
        else if (how == Feed::Gaps)
            n = bytes.size() / 3 + 1;
        pieces << bytes.mid(at, n);
        at += n;
    }
    return pieces;
}

void FeedLine(MemorySerialBackend *line, const QByteArray &bytes, Feed how, quint32 seed,
              int largest)
{
    const QByteArrayList pieces = Pieces(bytes, how, seed, largest);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        line->inject(pieces.at(i));
        QCoreApplication::processEvents();
        if (how == Feed::Gaps && i + 1 < pieces.size())
            QTest::qWait(60);
    }
}
