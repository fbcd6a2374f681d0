// Connect-time parser (ProtocolId 100): the notice and the five read-out answers of a module,
// however the line cuts them up, the end of the connect, and what it does with bad input.

#include "connect/ConnectParser.h"
#include "connect/ConnectTimers.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}
} // namespace

class tst_ConnectParser : public QObject
{
    Q_OBJECT

    MemorySerialBackend *backend = nullptr;
    QStringList calls; // hook calls and message boxes, in order
    QList<MessageRequest> boxes;

    static void stopTimers()
    {
        for (QTimer *t : {&MainTimers().Timer5, &MainTimers().Timer9, &MainTimers().Timer11})
            t->stop();
    }

    // Sends bytes in pieces: 0 whole, 1 one byte at a time, any other value seeds random pieces.
    void feed(const QByteArray &bytes, int mode)
    {
        QRandomGenerator random{quint32(mode)};
        for (int at = 0; at < bytes.size();) {
            const int size = mode == 0 ? bytes.size() : mode == 1 ? 1 : 1 + random.bounded(13);
            backend->inject(bytes.mid(at, size));
            at += size;
        }
    }

private Q_SLOTS:
    void init()
    {
        backend = ResetWorld(true);
        stopTimers();
        calls.clear();
        boxes.clear();
        SetMessageHandler([this](const MessageRequest &request) {
            boxes << request;
            calls << "message";
            return MsgResult::Ok;
        });
        SetConnectParserHooks({[this] { calls << "close"; }, [this] { calls << "open"; }});
        InstallConnectParser();
        ProtocolId = ProtocolConnect;
        RxStep = 0;
        Link().setThreshold(1);
    }

    void cleanup()
    {
        stopTimers();
        SetConnectParserHooks({});
        SetMessageHandler({});
    }

    void wholeConversation_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("whole") << 0;
        QTest::newRow("byte by byte") << 1;
        QTest::newRow("random pieces, seed 7") << 7;
        QTest::newRow("random pieces, seed 1234") << 1234;
        QTest::newRow("random pieces, seed 99991") << 99991;
    }

    void wholeConversation()
    {
        QFETCH(int, mode);
        MainTimers().Timer9.start(); // the connect query went out
        feed(hex("1A2A3A4A5A6A7A8A FD 01 02 80 1A2A3A4A5A6A7A8A F8 03 01"
                 "1A2A3A4A5A6A7A8A F9 03 02"
                 "1A2A3A4A5A6A7A8A EC 56 34 2E 30 2D 47 53 4D 32 30 30 38"
                 "1A2A3A4A5A6A7A8A D6 03 07 1A2A3A4A5A6A7A8A D1 03 02"),
             mode);

        QCOMPARE(ModuleInfo, hex("01 02 80"));
        QCOMPARE(WorkFormFlag, quint8(1));
        QCOMPARE(TransferModeFlag, quint8(2));
        QCOMPARE(ModuleVersion, QStringLiteral("V4.0-GSM2008"));
        QCOMPARE(ModuleNetMode, quint8(2));
        QCOMPARE(calls, QStringList({"close", "open"}));
        QVERIFY(!MainTimers().Timer9.isActive());
        QVERIFY(!MainTimers().Timer11.isActive());
        QVERIFY(!MainTimers().Timer5.isActive());
        QVERIFY(backend->dtr());
        QCOMPARE(RxStep, qint16(0));
        QCOMPARE(Link().threshold(), 1);
        QCOMPARE(Link().bytesWaiting(), 0);
    }

    void notice_data()
    {
        QTest::addColumn<bool>("timer9Running");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("moduleInfo");
        QTest::addColumn<bool>("timer11Running");
        QTest::addColumn<bool>("timer5Running");
        QTest::addColumn<int>("workForm");
        QTest::addColumn<int>("step");

        const QByteArray none;
        QTest::newRow("answers the connect query") << true << hex("1A2A3A4A5A6A7A8A FD 01 02 80")
                                                   << hex("01 02 80") << true << false << 0 << 0;
        QTest::newRow("answer cut after one byte")
            << true << hex("1A2A3A4A5A6A7A8A FD 01") << none << false << true << 0 << 3;
        QTest::newRow("on its own: waits for one byte")
            << false << hex("1A2A3A4A5A6A7A8A FD") << none << false << false << 0 << 9;
        QTest::newRow("on its own: one byte, then the next frame")
            << false << hex("1A2A3A4A5A6A7A8A FD 55 1A2A3A4A5A6A7A8A F8 03 01") << none << false
            << false << 1 << 0;
    }

    void notice()
    {
        QFETCH(bool, timer9Running);
        QFETCH(QByteArray, bytes);
        if (timer9Running)
            MainTimers().Timer9.start();
        backend->inject(bytes);

        QTEST(ModuleInfo, "moduleInfo");
        QTEST(MainTimers().Timer11.isActive(), "timer11Running");
        QTEST(MainTimers().Timer5.isActive(), "timer5Running");
        QTEST(int(WorkFormFlag), "workForm");
        QTEST(int(RxStep), "step");
        // Timer9 stops on a complete notice only.
        QCOMPARE(MainTimers().Timer9.isActive(), timer9Running && ModuleInfo.isEmpty());
        QVERIFY(calls.isEmpty());
    }

    void networkMode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("netMode");
        QTest::addColumn<QStringList>("calls");

        const QStringList refused{"close", "message"}, accepted{"close", "open"};
        QTest::newRow("GPRS is refused") << hex("1A2A3A4A5A6A7A8A D1 03 01") << 1 << refused;
        QTest::newRow("SMS") << hex("1A2A3A4A5A6A7A8A D1 03 02") << 2 << accepted;
        QTest::newRow("second byte is the value")
            << hex("1A2A3A4A5A6A7A8A D1 01 05") << 5 << accepted;
    }

    void networkMode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, netMode);
        MainTimers().Timer11.start();
        backend->inject(bytes);

        QCOMPARE(int(ModuleNetMode), netMode);
        QTEST(calls, "calls");
        QVERIFY(!MainTimers().Timer11.isActive());
        QVERIFY(backend->dtr());
        QVERIFY(Link().isOpen()); // a refused module keeps the port open
        if (netMode == 1) {
            QCOMPARE(boxes.first().text, QStringLiteral("您的模块与测试软件不一样，请与厂家联系"));
            QCOMPARE(boxes.first().title, QStringLiteral("提示"));
            QCOMPARE(boxes.first().icon, MsgIcon::Exclamation);
        }
    }

    void badInput_data()
    {
        // Both flags start at 0x55; a flag the bytes do not set stays 0x55.
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("workForm");
        QTest::addColumn<int>("transferMode");

        QTest::newRow("noise before the frame")
            << hex("00 FF 13 8A 2A 1A2A3A4A5A6A7A8A F8 03 01") << 1 << 0x55;
        QTest::newRow("preamble broken at its last byte")
            << hex("1A2A3A4A5A6A7A00 1A2A3A4A5A6A7A8A F8 03 01") << 1 << 0x55;
        QTest::newRow("preamble broken at its second byte")
            << hex("1A002A3A4A5A6A7A 1A2A3A4A5A6A7A8A F9 03 04") << 0x55 << 4;
        QTest::newRow("unknown codes are skipped")
            << hex("1A2A3A4A5A6A7A8A 77 00 FE F8 03 01") << 1 << 0x55;
        QTest::newRow("D6 answer is consumed whole")
            << hex("1A2A3A4A5A6A7A8A D6 F8 F9 1A2A3A4A5A6A7A8A F9 03 06") << 0x55 << 6;
    }

    void badInput()
    {
        QFETCH(QByteArray, bytes);
        for (int mode : {0, 1}) {
            WorkFormFlag = TransferModeFlag = 0x55;
            feed(bytes, mode);
            QTEST(int(WorkFormFlag), "workForm");
            QTEST(int(TransferModeFlag), "transferMode");
            QCOMPARE(RxStep, qint16(0));
            QCOMPARE(Link().bytesWaiting(), 0);
            QVERIFY(calls.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(tst_ConnectParser)
#include "tst_connectparser.moc"
