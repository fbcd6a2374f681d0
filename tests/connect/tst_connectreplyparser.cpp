// The reply parser of the connect: literal frames -> replies, whole, byte by byte and in random
// pieces (what the connect does with them: tst_connect).

#include "connect/ConnectReplyParser.h"
#include "core/SerialLink.h"
#include "support/AlarmTestKit.h"
#include "support/TestSupport.h"

#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

class TestConnectReplyParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void replies_data()
    {
        QTest::addColumn<bool>("answersQuery");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("notice answering the query")
            << true << hex(P "FD 01 00 80") << QStringList{"FD notice 01:00:80:"};
        QTest::newRow("notice on its own")
            << false << hex(P "FD 01 " P "F8 03 01") << QStringList{"FD short 1", "F8 work-form 1"};
        QTest::newRow("read-out answers")
            << false
            << hex(P "F9 03 00" P "EC 03 56 58 38 4B 20 56 31 2E 30 35 20" P "D6 03 00" P
                     "D1 03 02")
            << QStringList{"F9 transfer 0", "EC version \x03VX8K V1.05 ", "D6", "D1 net-mode 2"};
        QTest::newRow("garbage, unknown code, broken preamble")
            << false << hex("00 1A 2A 00" P "77 D1 03 01") << QStringList{"D1 net-mode 1"};
        QTest::newRow("a new frame where a code belongs")
            << false << hex(P P "D1 03 01") << QStringList{"D1 net-mode 1"};
    }
    void replies()
    {
        QFETCH(bool, answersQuery);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        for (const Feed how : {Feed::Whole, Feed::ByteByByte, Feed::RandomPieces}) {
            MemoryLine mem(true);
            ConnectReplyParser parser(*mem);
            parser.setNoticeAnswersQuery([answersQuery] { return answersQuery; });
            QStringList seen;
            parser.setReplyHandler([&](const ConnectReplyValue &r) { seen << describe(r); });
            mem->bindReceiver(&parser, [&parser] { parser.parse(); });
            parser.reset();
            FeedLine(mem.backend, bytes, how, 5, 5);
            QCOMPARE(seen, expected);
            QCOMPARE(mem->bytesWaiting(), qint64(0));
        }
    }
};

QTEST_GUILESS_MAIN(TestConnectReplyParser)
#include "tst_connectreplyparser.moc"
