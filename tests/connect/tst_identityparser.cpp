// The identity parser of the VX8 connection: literal frames -> replies, whole, byte by byte and
// in random pieces; and what the connection does with them (shared values, timers, the GPRS
// refusal, the identified hook).

#include "connect/ConnectTimers.h"
#include "connect/IdentityConnect.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "support/AlarmTestKit.h"
#include "support/TestSupport.h"

#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

class TestIdentityParser : public QObject
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
    }
    void replies()
    {
        QFETCH(bool, answersQuery);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        for (const Feed how : {Feed::Whole, Feed::ByteByByte, Feed::RandomPieces}) {
            MemorySerialBackend *line = ResetWorld(true);
            IdentityParser parser(Link());
            parser.setNoticeAnswersQuery([answersQuery] { return answersQuery; });
            QStringList seen;
            parser.setReplyHandler([&](const IdentityReplyValue &r) { seen << describe(r); });
            Link().setReceiveHandler([&parser] { parser.parse(); });
            parser.reset();
            FeedLine(line, bytes, how, 5, 5);
            QCOMPARE(seen, expected);
            QCOMPARE(Link().bytesWaiting(), qint64(0));
            Link().setReceiveHandler({});
        }
    }

    // The whole connect through the dispatch: notice, read-out answers, the final step.
    void connection_data()
    {
        QTest::addColumn<int>("netMode");
        QTest::addColumn<int>("identified");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("data module") << 2 << 1 << QStringList{};
        QTest::newRow("GPRS refused")
            << 1 << 0 << QStringList{"您的模块与测试软件不一样，请与厂家联系"};
    }
    void connection()
    {
        QFETCH(int, netMode);
        QFETCH(int, identified);
        QFETCH(QStringList, messages);
        MemorySerialBackend *line = ResetWorld(true);
        MessageRecorder recorder;
        int calls = 0;
        IdentityConnect::instance().setHooks({[&calls] { ++calls; }});
        IdentityConnect::instance().install();
        ProtocolId = ProtocolIdentity;
        MainTimers().Timer9.start();
        line->inject(hex(P "FD 01 00 80"));
        QCoreApplication::processEvents();
        QVERIFY(ModuleInfo == hex("01 00 80") && Vx8InDataMode(ModuleInfo));
        QVERIFY(!MainTimers().Timer9.isActive() && MainTimers().Timer11.isActive());
        line->inject(hex(P "F8 03 01" P "F9 03 01" P "D1 03") + char(netMode));
        QCoreApplication::processEvents();
        QVERIFY(WorkFormFlag == 1 && TransferModeFlag == 1 && ModuleNetMode == netMode);
        QVERIFY(!MainTimers().Timer11.isActive());
        QVERIFY(line->dtr());
        QCOMPARE(calls, identified);
        QCOMPARE(recorder.texts(), messages);
        IdentityConnect::instance().setHooks({});
    }
};

QTEST_GUILESS_MAIN(TestIdentityParser)
#include "tst_identityparser.moc"
