// Connect-time parser (ProtocolId 100): the notice and the five read-out answers of a module,
// however the line cuts them up, the end of the connect, and what it does with bad input.

#include "connect/ConnectParser.h"
#include "connect/ConnectTimers.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

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

    // What the parser leaves behind; work and tm (transfer mode) start at 55; waiting: the bytes
    // left unread / the count the port waits for.
    QString state() const
    {
        QStringList on;
        for (int n : {5, 9, 11})
            if ((n == 5   ? MainTimers().Timer5
                 : n == 9 ? MainTimers().Timer9
                          : MainTimers().Timer11)
                    .isActive())
                on << QString::number(n);
        return QStringList{"info=" + ModuleInfo.toHex(),
                           "work=" + QString::number(WorkFormFlag, 16),
                           "tm=" + QString::number(TransferModeFlag, 16),
                           "net=" + QString::number(ModuleNetMode),
                           "ver=" + ModuleVersion,
                           "step=" + QString::number(RxStep),
                           "timers=" + on.join('/'),
                           "dtr=" + QString::number(backend->dtr()),
                           "waiting=" + QString::number(Link().bytesWaiting()) + '/' +
                               QString::number(Link().threshold()),
                           "calls=" + calls.join(',')}
            .join(' ');
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
        WorkFormFlag = TransferModeFlag = 0x55;
        Link().setThreshold(1);
    }
    void cleanup()
    {
        stopTimers();
        SetConnectParserHooks({});
        SetMessageHandler({});
    }

    // Each row is sent whole and one byte at a time (the whole conversation also in random
    // pieces), with the timer that runs when it comes: 9 the connect query, 11 the read-out.
    void replies_data()
    {
        QTest::addColumn<int>("pieces"); // 0 whole, 1 bytewise, other: seed for random pieces
        QTest::addColumn<int>("running");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("state");
        const auto row = [](const char *tag, int running, const char *bytes, const char *state,
                            std::initializer_list<int> pieces = {0, 1}) {
            for (int p : pieces)
                QTest::addRow("%s, pieces %d", tag, p)
                    << p << running << QByteArray::fromHex(bytes) << QString(state);
        };
        row("whole conversation", 9,
            P "FD 01 02 80" P "F8 03 01" P "F9 03 02" P "EC 56 34 2E 30 2D 47 53 4D 32 30 30 38" P
              "D6 03 07" P "D1 03 02",
            "info=010280 work=1 tm=2 net=2 ver=V4.0-GSM2008 step=0 timers= dtr=1 waiting=0/1 "
            "calls=close,open",
            {0, 1, 7, 1234, 99991});
        // The notice; Timer9 stops on a complete notice only.
        row("notice answers the connect query", 9, P "FD 01 02 80",
            "info=010280 work=55 tm=55 net=0 ver= step=0 timers=11 dtr=0 waiting=0/1 calls=");
        row("notice cut after one byte", 9, P "FD 01",
            "info= work=55 tm=55 net=0 ver= step=3 timers=5/9 dtr=0 waiting=1/3 calls=");
        row("notice on its own: waits for one byte", 0, P "FD",
            "info= work=55 tm=55 net=0 ver= step=9 timers= dtr=0 waiting=0/1 calls=");
        row("notice on its own: one byte, then the next frame", 0, P "FD 55" P "F8 03 01",
            "info= work=1 tm=55 net=0 ver= step=0 timers= dtr=0 waiting=0/1 calls=");
        // The network mode ends the read-out; a GPRS module is refused, its port left open.
        row("GPRS is refused", 11, P "D1 03 01",
            "info= work=55 tm=55 net=1 ver= step=0 timers= dtr=1 waiting=0/1 calls=close,message");
        row("SMS", 11, P "D1 03 02",
            "info= work=55 tm=55 net=2 ver= step=0 timers= dtr=1 waiting=0/1 calls=close,open");
        row("second byte is the value", 11, P "D1 01 05",
            "info= work=55 tm=55 net=5 ver= step=0 timers= dtr=1 waiting=0/1 calls=close,open");
        // Bad input.
        row("noise before the frame", 0, "00 FF 13 8A 2A" P "F8 03 01",
            "info= work=1 tm=55 net=0 ver= step=0 timers= dtr=0 waiting=0/1 calls=");
        row("preamble broken at its last byte", 0, "1A2A3A4A5A6A7A00" P "F8 03 01",
            "info= work=1 tm=55 net=0 ver= step=0 timers= dtr=0 waiting=0/1 calls=");
        row("preamble broken at its second byte", 0, "1A002A3A4A5A6A7A" P "F9 03 04",
            "info= work=55 tm=4 net=0 ver= step=0 timers= dtr=0 waiting=0/1 calls=");
        row("unknown codes are skipped", 0, P "77 00 FE F8 03 01",
            "info= work=1 tm=55 net=0 ver= step=0 timers= dtr=0 waiting=0/1 calls=");
        row("D6 answer is consumed whole", 0, P "D6 F8 F9" P "F9 03 06",
            "info= work=55 tm=6 net=0 ver= step=0 timers= dtr=0 waiting=0/1 calls=");
    }
    void replies()
    {
        QFETCH(int, pieces);
        QFETCH(int, running);
        QFETCH(QByteArray, bytes);
        if (running)
            (running == 9 ? MainTimers().Timer9 : MainTimers().Timer11).start();
        QRandomGenerator random{quint32(pieces)};
        for (int at = 0; at < bytes.size();) {
            const int size = pieces == 0 ? bytes.size() : pieces == 1 ? 1 : 1 + random.bounded(13);
            backend->inject(bytes.mid(at, size));
            at += size;
        }
        QTEST(state(), "state");
        QVERIFY(Link().isOpen());
        for (const MessageRequest &box : boxes) {
            QCOMPARE(box.text + '|' + box.title, "您的模块与测试软件不一样，请与厂家联系|提示");
            QCOMPARE(box.icon, MsgIcon::Exclamation);
        }
    }
};

QTEST_GUILESS_MAIN(tst_ConnectParser)
#include "tst_connectparser.moc"
