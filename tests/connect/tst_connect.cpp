// The connect. The dialog frmZ40MOD: connecting and cancelling, what an open failure leaves
// (every open failure message: tst_seriallink), and the mode switches of "工作方式选择". The
// reply parser (ProtocolId 100): the notice and the five read-out answers of a module however the
// line cuts them up, the end of the connect, and bad input. The connect timers: the connect
// query, the give-up after 2 s, the five read-out queries one per second, and what they do to the
// window that started the connection. And the restart wait window Form19: the port closed after
// 0.2 s, 50 seconds on the progress bar, then frmVX8 put back for a new connect.
#include "app/AppWindows.h"
#include "connect/ConnectParser.h"
#include "connect/ConnectTimers.h"
#include "connect/ui/Form19.h"
#include "connect/ui/frmZ40MOD.h"
#include "core/Module1.h"
#include "core/OpenFailure.h"
#include "core/ReceiveDispatch.h"
#include "core/SerialLink.h"
#include "core/serial/PortMap.h"
#include "core/ui/WindowRegistry.h"
#include "support/AlarmTestKit.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <QtWidgets>

#define P "1A2A3A4A5A6A7A8A "

// One mode switch: operation 1..5 with the options it is given (0: the "设置" button with radio
// button `option` checked, and the options it gives), the module's identity bytes and the
// outcome; `mode` is the mode named in the restart message (null: no message).
struct ModeRow {
    int operation;
    const char *option, *options, *moduleInfo;
    bool portOpen;
    const char *written, *mode;
    int protocolId;
};
Q_DECLARE_METATYPE(ModeRow)

namespace {

const QStringList Vx8Controls{"Option1",    "Option2",    "Combo1",    "Combo2",
                              "Command1_0", "Command1_1", "Command1_2"};

// "1010": which of the named controls are enabled (or checked).
QString Bits(QWidget *w, const QStringList &names, bool checked = false)
{
    QString state;
    for (const QString &name : names) {
        auto *b = w->findChild<QAbstractButton *>(name);
        state +=
            (checked ? b->isChecked() : w->findChild<QWidget *>(name)->isEnabled()) ? '1' : '0';
    }
    return state;
}

// "0011@0 -": per starting window (frmZ40MOD, frmVX8) Combo1, Combo2, Command1(0), Command1(1)
// enabled and the bar, "-" when not loaded. With barsOnly, "0-": the bars only.
QString Starters(bool barsOnly = false)
{
    QStringList state;
    for (const char *name : {"frmZ40MOD", "frmVX8"}) {
        QWidget *w = Windows::find(QLatin1String(name));
        const QString bar =
            w ? QString::number(w->findChild<QProgressBar *>("PBar")->value()) : "-";
        state << (w && !barsOnly ? Bits(w, Vx8Controls.mid(2, 4)) + '@' + bar : bar);
    }
    return state.join(barsOnly ? "" : " ");
}

// Stand-in for the restart wait window: counts modal showings and keeps the text it showed.
struct FakeForm19 : QDialog {
    static inline int execs = 0;
    static inline QString shown;
    int exec() override
    {
        ++execs;
        shown = PendingRestartMessage;
        return 0;
    }
};

ModeOptions bits(const char *text)
{
    ModeOptions options{};
    for (size_t i = 0; i < options.size(); ++i)
        options[i] = text[i] == '1';
    return options;
}

const QString Untouched = QStringLiteral("（上次的提示）");

} // namespace

class TestConnect : public QObject
{
    Q_OBJECT
    MemorySerialBackend *m_line = nullptr;
    ConnectTimers *m_timers = nullptr;
    QStringList calls; // parser hook calls and message boxes, in order
    QList<MessageRequest> boxes;

    // A control of the connect dialog, loaded when it is not.
    template <class T = QPushButton> T *c(const char *name) const
    {
        return Windows::get("frmZ40MOD")->findChild<T *>(QLatin1String(name));
    }
    // Loads the connect dialog, and frmVX8 unless the row says it is not open, as during a
    // connect (their controls disabled, their bars at 3); sends the query.
    void loadStarters()
    {
        QFETCH(int, protocolId);
        QFETCH(bool, vx8Open);
        ProtocolId = qint16(protocolId);
        for (const char *name : {"frmZ40MOD", "frmVX8"}) {
            QWidget *w = Windows::get(QLatin1String(name));
            for (const QString &control : Vx8Controls.mid(2, 4))
                w->findChild<QWidget *>(control)->setEnabled(false);
            w->findChild<QProgressBar *>(QStringLiteral("PBar"))->setValue(3);
            if (!vx8Open)
                break;
        }
        m_timers->armConnect();
        m_timers->onTimer8();
    }

    // The connect parser on the line, its hooks and message boxes recorded in calls.
    void installParser()
    {
        SetMessageHandler([this](const MessageRequest &request) {
            boxes << request;
            calls << "message";
            return MsgResult::Ok;
        });
        SetConnectParserHooks({[this] { calls << "close"; }, [this] { calls << "open"; }});
        InstallConnectParser();
        ProtocolId = ProtocolConnect;
        WorkFormFlag = TransferModeFlag = 0x55;
        Link().setThreshold(1);
    }
    // What the parser leaves behind: the values that differ from where they start (info= work=55
    // tm=55 net=0 ver= step=0 timers= dtr=0 waiting=0/1 calls=). waiting: the bytes left unread /
    // the count the port waits for.
    QString parserState() const
    {
        QStringList on;
        ConnectTimers &m = MainTimers();
        for (auto [n, t] :
             {std::pair{5, &m.Timer5}, std::pair{9, &m.Timer9}, std::pair{11, &m.Timer11}})
            if (t->isActive())
                on << QString::number(n);
        QStringList state =
            QString("info=%1 work=%2 tm=%3 net=%4 ver=%5 step=%6 timers=%7 dtr=%8 waiting=%9")
                .arg(QString(ModuleInfo.toHex()), QString::number(WorkFormFlag, 16),
                     QString::number(TransferModeFlag, 16), QString::number(ModuleNetMode),
                     ModuleVersion, QString::number(RxStep), on.join('/'),
                     QString::number(m_line->dtr()),
                     QString("%1/%2").arg(Link().bytesWaiting()).arg(Link().threshold()))
                .split(' ') +
            QStringList{"calls=" + calls.join(',')};
        for (const char *start : {"info=", "work=55", "tm=55", "net=0", "ver=", "step=0",
                                  "timers=", "dtr=0", "waiting=0/1", "calls="})
            state.removeOne(start);
        return state.join(' ');
    }

private Q_SLOTS:
    void init()
    {
        m_line = ResetWorld(true);
        RegisterWindows();
        m_timers = new ConnectTimers;
        m_timers->setHooks(WindowTimerHooks());
        calls.clear();
        boxes.clear();
    }
    void cleanup()
    {
        delete m_timers;
        ConnectTimers &m = MainTimers();
        for (QTimer *t : {&m.Timer5, &m.Timer8, &m.Timer9, &m.Timer11})
            t->stop();
        SetConnectParserHooks({});
        SetMessageHandler({});
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A connect closes a port left open, then opens the chosen port at the chosen speed: DTR
    // off, read length 1, the controls locked, the query armed.
    void connectApplies()
    {
        QStringList events;
        QObject context;
        connect(&Link(), &SerialLink::portOpened, &context, [&] { events << "open"; });
        connect(&Link(), &SerialLink::portClosed, &context, [&] { events << "close"; });
        PortMap::set(8, "/dev/ttyUSB7");
        OfflineStart = true;
        ReadSeqStep = RxStep = 3;
        Link().setDtr(true);
        c<QComboBox>("Combo1")->setCurrentText("COM8");
        QCOMPARE(c<QLabel>("LabelDevice")->text(), QStringLiteral("COM8 → /dev/ttyUSB7"));
        c<QComboBox>("Combo2")->setCurrentText("1200bps");
        c("Command1_0")->click();

        QCOMPARE(events, QStringList({"close", "open"}));
        QVERIFY(Link().isOpen());
        QCOMPARE(int(Link().portNumber()), 8);
        QCOMPARE(Link().settings(), QStringLiteral("1200,n,8,1"));
        QCOMPARE(m_line->openedPath(), QStringLiteral("COM8"));
        QVERIFY(!m_line->dtr() && !OfflineStart);
        QCOMPARE(Link().readLength(), 1);
        QCOMPARE(Starters(), "0000@0 -");
        QCOMPARE(ReadSeqStep + RxStep, 0);
        QVERIFY(MainTimers().Timer8.isActive());
        QCOMPARE(ProtocolId, qint16(100));
    }

    // A port that does not open: one message with its title, the controls back, nothing armed.
    // Then the messages of the causes tst_seriallink cannot make with real devices.
    void openFailure()
    {
        MessageRecorder messages;
        m_line->setOpenResult(OpenResult::InUse);
        c("Command1_0")->click();
        QVERIFY(!Link().isOpen() && !MainTimers().Timer8.isActive());
        QCOMPARE(Starters(), "1111@0 -");
        QCOMPARE(ProtocolId, qint16(0));
        QCOMPARE(messages.texts(), QStringList{"串口已经打开，请关闭其它程序重试"});
        QCOMPARE(messages.messages[0].title, QStringLiteral("端口错误"));
        QCOMPARE(messages.messages[0].icon, MsgIcon::Exclamation);
        const QString group =
            "没有访问该串口的权限。请把当前用户加入设备所属的用户组（%1）后重新登录，再重试";
        QCOMPARE(OpenFailureText(OpenResult::NoPermission, "COM1", " uucp\n"), group.arg("uucp"));
        QCOMPARE(OpenFailureText(OpenResult::NoPermission, "COM1", ""), group.arg("如 dialout"));
        QCOMPARE(OpenFailureText(OpenResult::OtherError, "COM1", "EIO "), "串口COM1无法打开：EIO");
        QCOMPARE(OpenFailureText(OpenResult::OtherError, "COM1", ""), "串口COM1无法打开：未知错误");
    }

    void cancel()
    {
        Windows::registerFactory("frmZ41COM", [] { return new QWidget; });
        c("Command1_1")->click();
        QVERIFY(!Link().isOpen() && OfflineStart && !Windows::isLoaded("frmZ40MOD"));
        QVERIFY(Windows::isLoaded("frmZ41COM") && Windows::find("frmZ41COM")->isVisible());
    }

    void modeSwitch_data()
    {
        QTest::addColumn<ModeRow>("row");
        const char *comm = "010280", *addr = "010200";
        const auto row = [](const char *tag, ModeRow r) { QTest::newRow(tag) << r; };
        row("1st, no VX8 choice: GPRS", {1, "", "00000", comm, true, P "D1 01 01", "GPRS", 19});
        row("1st, VX8 communicating: identity mode",
            {1, "", "10000", comm, true, P "DA 01 01", "VX8模块设置身份地址", 19});
        row("1st, VX8 in identity mode: nothing", {1, "", "10000", addr, true, "", nullptr, 100});
        row("2nd, VX8 in identity mode: communication mode",
            {2, "", "00100", addr, true, P "DA 01 00", "VX8模块通信", 19});
        row("2nd, VX8 communicating: nothing", {2, "", "00100", comm, true, "", nullptr, 100});
        row("3rd: GPRS", {3, "", "00011", comm, true, P "D1 01 01", "GPRS", 19});
        row("3rd, VX8 choice: nothing", {3, "", "00100", comm, true, "", nullptr, 100});
        row("4th: SMS", {4, "", "01110", comm, true, P "D1 01 02", "SMS", 19});
        row("5th: SMS", {5, "", "00010", addr, true, P "D1 01 02", "SMS", 19});
        row("5th, option 5: nothing", {5, "", "00001", addr, true, "", nullptr, 100});
        row("port closed, GPRS", {3, "", "00000", comm, false, "", nullptr, 19});
        // The "设置" button runs the operation of the chosen radio button.
        row("button, GPRS模式", {0, "Option1", "00010", "000080", true, P "D1 01 01", "GPRS", 19});
        row("button, SMS模式", {0, "Option2", "01000", "000080", true, P "D1 01 02", "SMS", 19});
        row("button, VX8通信模式",
            {0, "Option3", "00100", "000000", true, P "DA 01 00", "VX8模块通信", 19});
        row("button, VX8设置身份地址模式",
            {0, "Option4", "10000", "000080", true, P "DA 01 01", "VX8模块设置身份地址", 19});
        row("button, nothing chosen", {0, "", "11111", "000080", true, "", nullptr, 100});
    }
    void modeSwitch()
    {
        QFETCH(ModeRow, row);
        Windows::registerFactory("Form19", [] { return new FakeForm19; });
        FakeForm19::execs = 0;
        FakeForm19::shown = Untouched;
        auto *w = static_cast<frmZ40MOD *>(Windows::get("frmZ40MOD"));
        if (!row.portOpen)
            Link().close();
        ModuleInfo = hex(row.moduleInfo);
        ProtocolId = 100;
        PendingRestartMessage = Untouched;
        ModeChoiceFlags = bits("11111");
        using Op = ModeFrame (frmZ40MOD::*)(const ModeOptions &);
        const Op ops[] = {&frmZ40MOD::ModeSwitch1, &frmZ40MOD::ModeSwitch2, &frmZ40MOD::ModeSwitch3,
                          &frmZ40MOD::ModeSwitch4, &frmZ40MOD::ModeSwitch5};
        if (row.operation > 0)
            (w->*ops[row.operation - 1])(bits(row.options));
        else if (*row.option)
            c<QRadioButton>(row.option)->setChecked(true);
        if (row.operation == 0)
            c("Command1_2")->click();

        QCOMPARE(m_line->takeWritten(), hex(row.written));
        const QString text = QStringLiteral("您设置了%1模式，模块已经重新启动，需要等待一点时间");
        QCOMPARE(PendingRestartMessage, row.mode ? text.arg(QString(row.mode)) : Untouched);
        QCOMPARE(ProtocolId, qint16(row.protocolId));
        QVERIFY(ModeChoiceFlags == bits(row.options));
        QCOMPARE(FakeForm19::execs, row.mode ? 1 : 0);
        QCOMPARE(FakeForm19::shown, PendingRestartMessage);
        QCOMPARE(c("Command1_2")->isEnabled(), !row.mode);
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
            "info=010280 work=1 tm=2 net=2 ver=V4.0-GSM2008 dtr=1 calls=close,open",
            {0, 1, 7, 1234, 99991});
        // The notice; Timer9 stops on a complete notice only.
        row("notice answers the connect query", 9, P "FD 01 02 80", "info=010280 timers=11");
        row("notice cut after one byte", 9, P "FD 01", "step=3 timers=5/9 waiting=1/3");
        row("lone notice: waits for one byte", 0, P "FD", "step=9");
        row("lone notice: one byte, then the next frame", 0, P "FD 55" P "F8 03 01", "work=1");
        // The network mode ends the read-out; a GPRS module is refused, its port left open.
        row("GPRS is refused", 11, P "D1 03 01", "net=1 dtr=1 calls=close,message");
        row("SMS", 11, P "D1 03 02", "net=2 dtr=1 calls=close,open");
        row("second byte is the value", 11, P "D1 01 05", "net=5 dtr=1 calls=close,open");
        // Bad input.
        row("noise before the frame", 0, "00 FF 13 8A 2A" P "F8 03 01", "work=1");
        row("preamble broken at its last byte", 0, "1A2A3A4A5A6A7A00" P "F8 03 01", "work=1");
        row("preamble broken at its second byte", 0, "1A002A3A4A5A6A7A" P "F9 03 04", "tm=4");
        row("unknown codes are skipped", 0, P "77 00 FE F8 03 01", "work=1");
        row("D6 answer is consumed whole", 0, P "D6 F8 F9" P "F9 03 06", "tm=6");
    }
    void replies()
    {
        installParser();
        QFETCH(int, pieces);
        QFETCH(int, running);
        QFETCH(QByteArray, bytes);
        if (running)
            (running == 9 ? MainTimers().Timer9 : MainTimers().Timer11).start();
        const Feed how = pieces == 0   ? Feed::Whole
                         : pieces == 1 ? Feed::ByteByByte
                                       : Feed::RandomPieces;
        for (const QByteArray &piece : Pieces(bytes, how, quint32(pieces), 13))
            m_line->inject(piece);
        QTEST(parserState(), "state");
        QVERIFY(Link().isOpen());
        for (const MessageRequest &box : boxes) {
            QCOMPARE(box.text + '|' + box.title, "您的模块与测试软件不一样，请与厂家联系|提示");
            QCOMPARE(box.icon, MsgIcon::Exclamation);
        }
    }

    // Connect query 100 ms after the connect operation, then the 2 s guard. The first read-out
    // tick comes 100 ms after the notice; every later one, and the first one of a second connect
    // in the same run, after 1000 ms.
    void intervals()
    {
        QVERIFY(!m_timers->Timer8.isActive() && !m_timers->Timer9.isActive());
        ReadSeqStep = 4;
        m_timers->armConnect();
        QCOMPARE(ReadSeqStep, qint16(0));
        QCOMPARE(m_timers->Timer8.interval(), 100);
        QVERIFY(m_timers->Timer8.isActive());
        m_timers->onTimer8();
        QCOMPARE(m_line->takeWritten(), hex(P "FE 03"));
        QVERIFY(!m_timers->Timer8.isActive() && m_timers->Timer9.isActive());
        QCOMPARE(m_timers->Timer9.interval(), 2000);

        m_timers->noticeReceived();
        QVERIFY(!m_timers->Timer9.isActive() && m_timers->Timer11.isActive());
        QCOMPARE(m_timers->Timer11.interval(), 100);
        m_timers->onTimer11();
        QCOMPARE(m_timers->Timer11.interval(), 1000);
        m_timers->readOutComplete();
        QVERIFY(!m_timers->Timer11.isActive());
        m_timers->armConnect();
        m_timers->onTimer8();
        m_timers->noticeReceived();
        QCOMPARE(m_timers->Timer11.interval(), 1000);
    }

    void progressAndGiveUp_data()
    {
        QTest::addColumn<int>("protocolId");
        QTest::addColumn<bool>("vx8Open");
        // The bars at the five sending ticks | the starting windows after the last one.
        QTest::addColumn<QString>("shown");
        QTest::newRow("connect dialog") << 100 << true << "03 13 23 33 43 | 0011@0 0000@3";
        QTest::newRow("VX8 window") << 110 << true << "30 31 32 33 34 | 0000@3 0011@0";
        QTest::newRow("VX8 window not loaded") << 110 << false << "3- 3- 3- 3- 3- | 0000@3 -";
        QTest::newRow("data module: no window") << 111 << true << "33 33 33 33 33 | 0000@3 0000@3";
    }
    // Progress 0..4 at the five sending ticks; one second after the fifth the buttons come back
    // (the combo boxes stay as they are), the bar returns to 0 and the timer stops.
    void progressAndGiveUp()
    {
        loadStarters();
        m_timers->noticeReceived();
        QStringList shown;
        for (int tick = 0; tick < 5; ++tick) {
            m_timers->onTimer11();
            shown << Starters(true);
        }
        QCOMPARE(m_line->takeWritten(),
                 hex(P "FE 03" P "F8 03" P "F9 03" P "EC 03" P "D6 03" P "D1 03"));
        QCOMPARE(ReadSeqStep, qint16(5));
        m_timers->onTimer11();
        QCOMPARE(m_line->takeWritten(), QByteArray());
        QCOMPARE(ReadSeqStep, qint16(0));
        QVERIFY(!m_timers->Timer11.isActive() && Link().isOpen());
        QTEST(shown.join(' ') + " | " + Starters(), "shown");
    }

    void noAnswer_data()
    {
        QTest::addColumn<int>("protocolId");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("vx8Open");
        QTest::addColumn<QString>("after");
        QTest::newRow("connect dialog") << 100 << true << true << "1111@3 0000@3";
        QTest::newRow("VX8 window") << 110 << true << true << "0000@3 1111@3";
        QTest::newRow("VX8 window, port already closed") << 110 << false << true << "0000@3 1111@3";
    }
    // Two seconds without the notice: message, waiting bytes read away (at most the read
    // length), the port closed and the starting window's controls enabled again.
    void noAnswer()
    {
        QFETCH(bool, open);
        MessageRecorder messages;
        loadStarters();
        ClearReplyParsers(); // no parser (the dialog installs one): the bytes stay waiting
        Link().setThreshold(3);
        m_line->inject(QByteArray::fromHex("1122334455"));
        RxStep = 2;
        if (!open)
            Link().close();

        m_timers->onTimer9();
        QVERIFY(!m_timers->Timer9.isActive() && !Link().isOpen());
        QCOMPARE(RxStep, qint16(0));
        QCOMPARE(RxBytes, open ? QByteArray::fromHex("112233") : QByteArray());
        QCOMPARE(messages.texts(), QStringList{"模块和计算机通信失败，请检查串口号、波特率"});
        QCOMPARE(messages.messages[0].title, QStringLiteral("系统提示"));
        QCOMPARE(messages.messages[0].icon, MsgIcon::None);
        QCOMPARE(messages.messages[0].buttons, MsgButtons::Ok);
        QTEST(Starters(), "after");
    }

    // Timer5: a reply that stopped half-way leaves the port closed one second later.
    void closePortTimer()
    {
        m_timers->startCloseTimer();
        QVERIFY(m_timers->Timer5.isActive());
        m_timers->onTimer5();
        QVERIFY(!m_timers->Timer5.isActive());
        QVERIFY(!Link().isOpen());
        m_timers->onTimer5(); // closed already: left alone
        QVERIFY(!Link().isOpen());

        m_timers->startCloseTimer();
        m_timers->Timer5.setInterval(300);
        m_timers->stopCloseTimer();
        QVERIFY(!m_timers->Timer5.isActive());
        QCOMPARE(m_timers->Timer5.interval(), 1000);
    }

    // Form19 is modal and Escape does not cut the wait short. It closes the port after 0.2 s; 50
    // ticks of 1 s fill the bar; the 51st resets frmVX8 (after a connect: options and Command1(1)
    // enabled, one option checked) and unloads Form19, which ends the wait. A new Form19 counts
    // from 0 again, and with frmVX8 not open its reset loads it, hidden.
    void countdown()
    {
        QWidget *vx8 = Windows::get(QStringLiteral("frmVX8"));
        for (int i = 0; i < 7; ++i)
            vx8->findChild<QWidget *>(Vx8Controls[i])->setEnabled(i < 2 || i == 5);
        vx8->findChild<QRadioButton *>(QStringLiteral("Option1"))->setChecked(true);
        PendingRestartMessage =
            QStringLiteral("您设置了GPRS模式，模块已经重新启动，需要等待一点时间");
        auto *w = Windows::get<Form19>();
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("Label1"))->text(), PendingRestartMessage);
        QCOMPARE(w->Timer1.interval(), 1000);
        QCOMPARE(w->Timer2.interval(), 200);
        QVERIFY(w->isModal() && w->Timer1.isActive() && w->Timer2.isActive());
        QStringList seen;
        QTimer::singleShot(0, w, [&] {
            QTest::keyClick(w, Qt::Key_Escape);
            w->onTimer2();
            seen << QString("%1%2%3")
                        .arg(w->isVisible())
                        .arg(Link().isOpen())
                        .arg(w->Timer2.isActive());
            for (int tick = 1; tick <= 50; ++tick) {
                w->onTimer1();
                if (tick <= 2 || tick >= 49)
                    seen << QString::number(w->findChild<QProgressBar *>()->value());
            }
            seen << QString("loaded=%1 vx8=").arg(Windows::isLoaded(QStringLiteral("Form19"))) +
                        Bits(vx8, Vx8Controls);
            w->onTimer1();
        });
        w->exec();
        // Still shown, port closed, Timer2 stopped; the bar; Form19 still loaded, frmVX8 untouched.
        QCOMPARE(seen.join(' '), "100 1 2 49 50 loaded=1 vx8=1100010");
        QVERIFY(!Windows::isLoaded(QStringLiteral("Form19")) && !vx8->isVisible());
        QCOMPARE(Bits(vx8, {"Option1", "Option2"}, true), "00");
        QCOMPARE(Bits(vx8, Vx8Controls), "0011101");

        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Windows::unload(QStringLiteral("frmVX8"));
        auto *again = Windows::get<Form19>();
        QCOMPARE(again->tickCount(), quint8(0));
        for (int tick = 0; tick < 51; ++tick)
            again->onTimer1();
        vx8 = Windows::find(QStringLiteral("frmVX8"));
        QVERIFY(vx8 && !vx8->isVisible() && !again->Timer1.isActive());
    }
};

QTEST_MAIN(TestConnect)
#include "tst_connect.moc"
