// The connect. The connect routine over a link: the connect query, the give-up after 2 s, the
// notice and the five read-out answers of a module however the line cuts them up, the read-outs
// one per second (or on each answer in the batch mode), the end of the connect and bad input. The
// dialog frmZ40MOD and the window frmVX8 around it: connecting, what each ending does to their
// controls, handing the link and the module's identity on, cancelling, what an open failure
// leaves (every open failure message: tst_seriallink), and the mode switches. And the restart
// wait window Form19: the port closed after 0.2 s, 50 seconds on the bar, then the window that
// switched is told.
#include "connect/ConnectRoutine.h"
#include "connect/ui/Form19.h"
#include "connect/ui/frmVX8.h"
#include "connect/ui/frmZ40MOD.h"
#include "core/OpenFailure.h"
#include "core/SerialLink.h"
#include "serial/Ports.h"
#include "shell/WindowRegistry.h"
#include "support/AlarmTestKit.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <QtWidgets>

#define P "1A2A3A4A5A6A7A8A "

// One mode switch: operation 1..5 with the options it is given (0: the "设置" button with radio
// button `option` checked, and the options it gives), the module's notice bytes and the
// outcome; `mode` is the mode named in the restart message (null: no message).
struct ModeRow {
    int operation;
    const char *option, *options, *moduleInfo;
    bool portOpen;
    const char *written, *mode;
};
Q_DECLARE_METATYPE(ModeRow)

namespace {

const QStringList Controls{"Option1",    "Option2",    "Combo1",    "Combo2",
                           "Command1_0", "Command1_1", "Command1_2"};

// "1010": which of the named controls are enabled (or checked).
QString Bits(QWidget *w, const QStringList &names, bool checked = false)
{
    QString state;
    for (const QString &name : names) {
        if (!w->findChild<QWidget *>(name)) {
            state += '-';
            continue;
        }
        auto *b = w->findChild<QAbstractButton *>(name);
        state +=
            (checked ? b->isChecked() : w->findChild<QWidget *>(name)->isEnabled()) ? '1' : '0';
    }
    return state;
}

// Stand-in for the restart wait window: counts modal showings and keeps the text it showed.
struct FakeForm19 : Form19 {
    static inline int execs = 0;
    static inline QString shown;
    int exec() override
    {
        ++execs;
        shown = findChild<QLabel *>(QStringLiteral("Label1"))->text();
        Timer1.stop();
        Timer2.stop();
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

} // namespace

class TestConnect : public QObject
{
    Q_OBJECT
    Ports *m_ports = nullptr;
    QList<QPointer<MemorySerialBackend>> m_lines; // the backend of every link made, in order
    QStringList m_opened; // the module windows the connect windows asked for
    SerialLink *m_handed = nullptr;
    ModuleIdentity m_identity;

    MemorySerialBackend *line(SerialLink &link) const
    {
        return static_cast<MemorySerialBackend *>(link.backend());
    }
    frmZ40MOD::Opener opener(const QString &window)
    {
        return [this, window](SerialLink *link, const ModuleIdentity &identity) {
            m_opened << window;
            delete m_handed;
            m_handed = link;
            m_identity = identity;
        };
    }
    frmZ40MOD *dialog()
    {
        if (auto *w = Windows::findTyped<frmZ40MOD>())
            return w;
        auto *w = new frmZ40MOD(*m_ports, opener(QStringLiteral("frmZ41COM")));
        Windows::add(w);
        return w;
    }
    frmVX8 *vx8()
    {
        if (auto *w = Windows::findTyped<frmVX8>())
            return w;
        auto *w = new frmVX8(*m_ports, opener(QStringLiteral("frmZ42COM")));
        Windows::add(w);
        return w;
    }
    // Connects the window with its button: the port opens and the query leaves.
    template <class W> ConnectRoutine &connectWith(W *w)
    {
        w->command1(0)->click();
        w->routine().onTimer8();
        return w->routine();
    }

    // What a routine leaves behind: the values that differ from where they start (info= work=0
    // tm=0 net=0 ver= step=0 timers= dtr=0 waiting=0/1 result=). waiting: the bytes left
    // unread / the count the port waits for.
    static QString routineState(ConnectRoutine &r, const QString &result)
    {
        QStringList on;
        for (auto [n, t] :
             {std::pair{5, &r.Timer5}, std::pair{9, &r.Timer9}, std::pair{11, &r.Timer11}})
            if (t->isActive())
                on << QString::number(n);
        const ModuleIdentity &id = r.identity();
        SerialLink &link = r.link();
        QStringList state =
            QString("info=%1 work=%2 tm=%3 net=%4 ver=%5 step=%6 timers=%7 dtr=%8 waiting=%9")
                .arg(QString(id.moduleInfo.toHex()), QString::number(id.workForm, 16),
                     QString::number(id.transferMode, 16), QString::number(id.netMode), id.version,
                     QString::number(r.parser().step()), on.join('/'),
                     QString::number(static_cast<MemorySerialBackend *>(link.backend())->dtr()),
                     QString("%1/%2").arg(link.bytesWaiting()).arg(link.threshold()))
                .split(' ') +
            QStringList{"result=" + result};
        for (const char *start : {"info=", "work=0", "tm=0", "net=0", "ver=", "step=0",
                                  "timers=", "dtr=0", "waiting=0/1", "result="})
            state.removeOne(start);
        return state.join(' ');
    }

private Q_SLOTS:
    void init()
    {
        m_ports = new Ports;
        m_lines.clear();
        m_ports->setBackendMaker([this] {
            auto *backend = new MemorySerialBackend;
            m_lines << backend;
            return backend;
        });
        for (int n = 1; n <= 8; ++n)
            m_ports->map().set(n, QStringLiteral("COM%1").arg(n));
        m_opened.clear();
        m_identity = ModuleIdentity();
        Windows::registerFactory(QLatin1String(Form19::WindowName), [] { return new Form19; });
    }
    void cleanup()
    {
        SetMessageHandler({});
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete m_handed;
        m_handed = nullptr;
        delete m_ports;
    }

    // A connect opens the chosen port at the chosen speed: DTR off, read length 1, the
    // controls locked, the query armed. A port left open by an earlier try is closed first.
    void connectApplies()
    {
        m_ports->map().set(8, "/dev/ttyUSB7");
        frmZ40MOD *w = dialog();
        QStringList events;
        connect(&w->link(), &SerialLink::portOpened, w, [&] { events << "open"; });
        connect(&w->link(), &SerialLink::portClosed, w, [&] { events << "close"; });
        w->link().open();
        w->link().setDtr(true);
        w->findChild<QComboBox *>("Combo1")->setCurrentText("COM8");
        QCOMPARE(w->findChild<QLabel *>("LabelDevice")->text(),
                 QStringLiteral("COM8 → /dev/ttyUSB7"));
        w->findChild<QComboBox *>("Combo2")->setCurrentText("1200bps");
        w->command1(0)->click();

        QCOMPARE(events, QStringList({"open", "close", "open"}));
        QVERIFY(w->link().isOpen());
        QCOMPARE(int(w->link().portNumber()), 8);
        QCOMPARE(w->link().settings(), QStringLiteral("1200,n,8,1"));
        QCOMPARE(line(w->link())->openedPath(), QStringLiteral("/dev/ttyUSB7"));
        QVERIFY(!line(w->link())->dtr());
        QCOMPARE(w->link().readLength(), 1);
        QCOMPARE(Bits(w, Controls.mid(2)), "00000");
        QVERIFY(w->routine().Timer8.isActive() && w->routine().isActive());
        QCOMPARE(w->link().conversation(), SerialLink::Conversation::Connect);
        QCOMPARE(w->link().receiver(), &w->routine());
    }

    // A port that does not open: one message with its title, the controls back, nothing armed.
    // A port another window of the program holds is refused, naming that window.
    void openFailure()
    {
        MessageRecorder messages;
        frmZ40MOD *w = dialog();
        line(w->link())->setOpenResult(OpenResult::InUse);
        w->command1(0)->click();
        QVERIFY(!w->link().isOpen() && !w->routine().Timer8.isActive());
        QCOMPARE(Bits(w, Controls.mid(2)), "11111");
        QCOMPARE(messages.texts(), QStringList{"串口已经打开，请关闭其它程序重试"});
        QCOMPARE(messages.messages[0].title, QStringLiteral("端口错误"));
        QCOMPARE(messages.messages[0].icon, MsgIcon::Exclamation);

        line(w->link())->setOpenResult(OpenResult::Ok);
        QVERIFY(vx8()->link().open() == OpenResult::Ok); // COM1 by the VX8 window
        w->command1(0)->click();
        QVERIFY(!w->link().isOpen());
        QCOMPARE(messages.texts().last(),
                 OpenFailureText(OpenResult::HeldByWindow, "COM1", vx8()->windowTitle()));
        QVERIFY(messages.texts().last().contains(vx8()->windowTitle()));
        const QString group =
            "没有访问该串口的权限。请把当前用户加入设备所属的用户组（%1）后重新登录，再重试";
        QCOMPARE(OpenFailureText(OpenResult::NoPermission, "COM1", " uucp\n"), group.arg("uucp"));
        QCOMPARE(OpenFailureText(OpenResult::NoPermission, "COM1", ""), group.arg("如 dialout"));
        QCOMPARE(OpenFailureText(OpenResult::OtherError, "COM1", "EIO "), "串口COM1无法打开：EIO");
        QCOMPARE(OpenFailureText(OpenResult::OtherError, "COM1", ""), "串口COM1无法打开：未知错误");
    }

    // "取消": the alarm window opens without a module, on the dialog's closed link.
    void cancel()
    {
        frmZ40MOD *w = dialog();
        w->link().open();
        w->command1(1)->click();
        QCOMPARE(m_opened, QStringList{"frmZ41COM"});
        QVERIFY(m_handed && !m_handed->isOpen() && m_identity.offlineStart);
        QVERIFY(!Windows::isLoaded("frmZ40MOD"));
    }

    // The endings of a connect as the two windows show them. After the network mode the
    // dialog hands its open link on and goes; the VX8 window shows the module's mode. A GPRS
    // module is refused (the dialog goes with its port; the VX8 window gives its port back).
    void endings_data()
    {
        QTest::addColumn<bool>("vx8");
        QTest::addColumn<QByteArray>("bytes");
        // the windows asked for | the message | the controls of the starting window | port open
        QTest::addColumn<QString>("after");
        const QByteArray module = hex(P "FD 01 02 80" P "F8 03 01" P "F9 03 00" P
                                        "EC 56 34 2E 30 2D 47 53 4D 32 30 30 38");
        QTest::newRow("dialog, SMS module")
            << false << module + hex(P "D1 03 02") << "frmZ41COM||-|1";
        QTest::newRow("dialog, GPRS module")
            << false << module + hex(P "D1 03 01") << "|您的模块与测试软件不一样，请与厂家联系|-|0";
        QTest::newRow("VX8, data module") << true << module + hex(P "D1 03 02") << "||1100111|1";
        QTest::newRow("VX8, GPRS module") << true << module + hex(P "D1 03 01")
                                          << "|您的模块与测试软件不一样，请与厂家联系|0011110|0";
    }
    void endings()
    {
        QFETCH(bool, vx8);
        QFETCH(QByteArray, bytes);
        MessageRecorder messages;
        QWidget *w = vx8 ? static_cast<QWidget *>(this->vx8()) : dialog();
        ConnectRoutine &r = vx8 ? connectWith(this->vx8()) : connectWith(dialog());
        SerialLink *link = &r.link();
        MemorySerialBackend *backend = line(*link);
        backend->inject(bytes);
        QCoreApplication::processEvents();
        QStringList shown = messages.texts();
        shown.removeAll(
            QStringLiteral("请确认您的模块信号指示灯已经不在闪烁，否则模块和计算机通信不正常。"));
        const bool loaded = Windows::find(w->objectName()) == w;
        SerialLink *open = m_handed ? m_handed : link;
        QTEST(m_opened.join(',') + '|' + shown.join(',') + '|' +
                  (loaded ? Bits(w, Controls) : "-") + '|' +
                  QString::number(m_handed || loaded ? open->isOpen() : 0),
              "after");
        if (m_handed) {
            // What the window that opens next is told, and the line as it was left.
            QCOMPARE(m_identity.moduleInfo, hex("01 02 80"));
            QCOMPARE(m_identity.workForm, quint8(1));
            QCOMPARE(m_identity.version, QStringLiteral("V4.0-GSM2008"));
            QCOMPARE(m_identity.netMode, quint8(2));
            QVERIFY(line(*m_handed)->dtr());
        }
        if (vx8 && loaded && this->vx8()->routine().identity().netMode == 2)
            QCOMPARE(Bits(w, {"Option1", "Option2"}, true), "10"); // data communication
    }

    void modeSwitch_data()
    {
        QTest::addColumn<ModeRow>("row");
        const char *comm = "010280", *addr = "010200";
        const auto row = [](const char *tag, ModeRow r) { QTest::newRow(tag) << r; };
        row("1st, no VX8 choice: GPRS", {1, "", "00000", comm, true, P "D1 01 01", "GPRS"});
        row("1st, VX8 communicating: identity mode",
            {1, "", "10000", comm, true, P "DA 01 01", "VX8模块设置身份地址"});
        row("1st, VX8 in identity mode: nothing", {1, "", "10000", addr, true, "", nullptr});
        row("2nd, VX8 in identity mode: communication mode",
            {2, "", "00100", addr, true, P "DA 01 00", "VX8模块通信"});
        row("2nd, VX8 communicating: nothing", {2, "", "00100", comm, true, "", nullptr});
        row("3rd: GPRS", {3, "", "00011", comm, true, P "D1 01 01", "GPRS"});
        row("3rd, VX8 choice: nothing", {3, "", "00100", comm, true, "", nullptr});
        row("4th: SMS", {4, "", "01110", comm, true, P "D1 01 02", "SMS"});
        row("5th: SMS", {5, "", "00010", addr, true, P "D1 01 02", "SMS"});
        row("5th, option 5: nothing", {5, "", "00001", addr, true, "", nullptr});
        row("port closed, GPRS", {3, "", "00000", comm, false, "", nullptr});
        // The "设置" button runs the operation of the chosen radio button.
        row("button, GPRS模式", {0, "Option1", "00010", "000080", true, P "D1 01 01", "GPRS"});
        row("button, SMS模式", {0, "Option2", "01000", "000080", true, P "D1 01 02", "SMS"});
        row("button, VX8通信模式",
            {0, "Option3", "00100", "000000", true, P "DA 01 00", "VX8模块通信"});
        row("button, VX8设置身份地址模式",
            {0, "Option4", "10000", "000080", true, P "DA 01 01", "VX8模块设置身份地址"});
        row("button, nothing chosen", {0, "", "11111", "000080", true, "", nullptr});
    }
    // The frame a switch sends, the restart message, and the line left without a receiver
    // while the module restarts (a switch that sends nothing leaves the connect bound).
    void modeSwitch()
    {
        QFETCH(ModeRow, row);
        Windows::registerFactory("Form19", [] { return new FakeForm19; });
        FakeForm19::execs = 0;
        FakeForm19::shown.clear();
        frmZ40MOD *w = dialog();
        // The module announces itself; the dialog's buttons stay as they are.
        w->link().open();
        ConnectRoutine &r = w->routine();
        r.start();
        r.onTimer8();
        line(w->link())->inject(hex(P "FD") + hex(row.moduleInfo));
        QCoreApplication::processEvents();
        QCOMPARE(r.identity().moduleInfo, hex(row.moduleInfo));
        if (!row.portOpen)
            w->link().close();
        line(w->link())->takeWritten();
        using Op = ModeFrame (frmZ40MOD::*)(const ModeOptions &);
        const Op ops[] = {&frmZ40MOD::ModeSwitch1, &frmZ40MOD::ModeSwitch2, &frmZ40MOD::ModeSwitch3,
                          &frmZ40MOD::ModeSwitch4, &frmZ40MOD::ModeSwitch5};
        if (row.operation > 0)
            (w->*ops[row.operation - 1])(bits(row.options));
        else if (*row.option)
            w->findChild<QRadioButton *>(row.option)->setChecked(true);
        if (row.operation == 0)
            w->command1(2)->click();

        QCOMPARE(line(w->link())->takeWritten(), hex(row.written));
        const QString text = QStringLiteral("您设置了%1模式，模块已经重新启动，需要等待一点时间");
        QCOMPARE(FakeForm19::shown, row.mode ? text.arg(QString(row.mode)) : QString());
        QCOMPARE(FakeForm19::execs, row.mode ? 1 : 0);
        const bool sent = *row.written || !row.portOpen;
        QCOMPARE(w->link().receiver() == nullptr, sent && (row.operation != 0 || *row.option));
        QCOMPARE(w->command1(2)->isEnabled(), !row.mode);
        // What a switch stores, whatever it sends.
        ModuleIdentity identity;
        identity.moduleInfo = hex(row.moduleInfo);
        if (row.operation > 0) {
            MemoryLine other(row.portOpen);
            RunModeSwitch(*other, identity, row.operation, bits(row.options), {});
            QVERIFY(identity.modeChoiceFlags == bits(row.options));
            QCOMPARE(other.backend->takeWritten(), hex(row.written));
        }
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
            "info=010280 work=1 tm=2 net=2 ver=V4.0-GSM2008 dtr=1 result=0",
            {0, 1, 7, 1234, 99991});
        // The notice; Timer9 stops on a complete notice only, and one cut off closes the port a
        // second later (Timer5).
        row("notice answers the connect query", 9, P "FD 01 02 80", "info=010280 timers=11");
        row("notice cut after one byte", 9, P "FD 01", "step=3 timers=5/9 waiting=1/3");
        row("lone notice: waits for one byte", 0, P "FD", "step=9");
        row("lone notice: one byte, then the next frame", 0, P "FD 55" P "F8 03 01", "work=1");
        // The network mode ends the read-out; a GPRS module is refused.
        row("GPRS is refused", 11, P "D1 03 01", "net=1 dtr=1 result=1");
        row("SMS", 11, P "D1 03 02", "net=2 dtr=1 result=0");
        row("second byte is the value", 11, P "D1 01 05", "net=5 dtr=1 result=0");
        // Bad input.
        row("noise before the frame", 0, "00 FF 13 8A 2A" P "F8 03 01", "work=1");
        row("preamble broken at its last byte", 0, "1A2A3A4A5A6A7A00" P "F8 03 01", "work=1");
        row("preamble broken at its second byte", 0, "1A002A3A4A5A6A7A" P "F9 03 04", "tm=4");
        row("unknown codes are skipped", 0, P "77 00 FE F8 03 01", "work=1");
        row("D6 answer is consumed whole", 0, P "D6 F8 F9" P "F9 03 06", "tm=6");
    }
    void replies()
    {
        QFETCH(int, pieces);
        QFETCH(int, running);
        QFETCH(QByteArray, bytes);
        MemoryLine mem(true);
        ConnectRoutine r(*mem);
        r.setClosePortOnPartialNotice(true);
        QStringList results;
        connect(&r, &ConnectRoutine::finished, &r,
                [&](ConnectRoutine::Result result) { results << QString::number(int(result)); });
        r.start();
        r.Timer8.stop();
        if (running)
            (running == 9 ? r.Timer9 : r.Timer11).start();
        const Feed how = pieces == 0   ? Feed::Whole
                         : pieces == 1 ? Feed::ByteByByte
                                       : Feed::RandomPieces;
        FeedLine(mem.backend, bytes, how, quint32(pieces), 13);
        QTEST(routineState(r, results.join(',')), "state");
        QVERIFY(mem->isOpen());
    }

    // The connect query 100 ms after the start, then the 2 s guard. The first read-out tick
    // comes 100 ms after the notice, every later one after 1000 ms; a new connect starts anew.
    // In the batch mode an answered read-out sends the next one at once.
    void intervals()
    {
        MemoryLine mem(true);
        ConnectRoutine r(*mem);
        QVERIFY(!r.Timer8.isActive() && !r.Timer9.isActive());
        for (int round = 0; round < 2; ++round) {
            r.start();
            QCOMPARE(r.Timer8.interval(), 100);
            QVERIFY(r.Timer8.isActive());
            r.onTimer8();
            QCOMPARE(mem.backend->takeWritten(), hex(P "FE 03"));
            QVERIFY(!r.Timer8.isActive() && r.Timer9.isActive());
            QCOMPARE(r.Timer9.interval(), 2000);
            mem.backend->inject(hex(P "FD 01 02 80"));
            QCoreApplication::processEvents();
            QVERIFY(!r.Timer9.isActive() && r.Timer11.isActive());
            QCOMPARE(r.Timer11.interval(), 100);
            r.onTimer11();
            QCOMPARE(r.Timer11.interval(), 1000);
            mem.backend->inject(hex(P "F8 03 01"));
            QCoreApplication::processEvents();
            QCOMPARE(mem.backend->takeWritten(), hex(P "F8 03"));
        }
        r.setPace(ConnectRoutine::Pace::OnAnswer);
        r.start();
        r.onTimer8();
        mem.backend->takeWritten();
        mem.backend->inject(hex(P "FD 01 02 80" P "F8 03 01" P "F9 03 00"));
        QCoreApplication::processEvents();
        QCOMPARE(mem.backend->takeWritten(), hex(P "F8 03" P "F9 03" P "EC 03"));
    }

    void progressAndGiveUp_data()
    {
        QTest::addColumn<bool>("vx8");
        // The bar at the five sending ticks | the window's controls after the last one.
        QTest::addColumn<QString>("shown");
        QTest::newRow("connect dialog") << false << "0 1 2 3 4 | 0 1100111";
        QTest::newRow("VX8 window") << true << "0 1 2 3 4 | 0 0000110";
    }
    // Progress 0..4 at the five sending ticks; one second after the fifth the buttons come back
    // (the combo boxes stay as they are), the bar returns to 0 and the routine ends.
    void progressAndGiveUp()
    {
        QFETCH(bool, vx8);
        MessageRecorder messages;
        QWidget *w = vx8 ? static_cast<QWidget *>(this->vx8()) : dialog();
        ConnectRoutine &r = vx8 ? connectWith(this->vx8()) : connectWith(dialog());
        line(r.link())->inject(hex(P "FD 01 02 80"));
        QCoreApplication::processEvents();
        auto *bar = w->findChild<QProgressBar *>("PBar");
        QStringList shown;
        for (int tick = 0; tick < 5; ++tick) {
            r.onTimer11();
            shown << QString::number(bar->value());
        }
        QCOMPARE(line(r.link())->takeWritten(),
                 hex(P "FE 03" P "F8 03" P "F9 03" P "EC 03" P "D6 03" P "D1 03"));
        QCOMPARE(r.readOutStep(), qint16(5));
        r.onTimer11();
        QCOMPARE(line(r.link())->takeWritten(), QByteArray());
        QVERIFY(!r.Timer11.isActive() && !r.isActive() && r.link().isOpen());
        QTEST(shown.join(' ') + " | " + QString::number(bar->value()) + ' ' + Bits(w, Controls),
              "shown");
    }

    void noAnswer_data()
    {
        QTest::addColumn<bool>("vx8");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("after");
        QTest::newRow("connect dialog") << false << true << "1111111";
        QTest::newRow("VX8 window") << true << true << "0011110";
        QTest::newRow("VX8 window, port already closed") << true << false << "0011110";
    }
    // Two seconds without the notice: message, the waiting bytes read away, the port closed and
    // the window's controls enabled again.
    void noAnswer()
    {
        QFETCH(bool, vx8);
        QFETCH(bool, open);
        MessageRecorder messages;
        QWidget *w = vx8 ? static_cast<QWidget *>(this->vx8()) : dialog();
        ConnectRoutine &r = vx8 ? connectWith(this->vx8()) : connectWith(dialog());
        r.link().unbindAll(); // nobody reads: the bytes stay waiting
        r.link().setThreshold(3);
        line(r.link())->inject(QByteArray::fromHex("1122334455"));
        if (!open)
            r.link().close();
        messages.messages.clear();

        r.onTimer9();
        QVERIFY(!r.Timer9.isActive() && !r.link().isOpen() && !r.isActive());
        QCOMPARE(messages.texts(), QStringList{"模块和计算机通信失败，请检查串口号、波特率"});
        QCOMPARE(messages.messages[0].title, QStringLiteral("系统提示"));
        QCOMPARE(messages.messages[0].icon, MsgIcon::None);
        QCOMPARE(messages.messages[0].buttons, MsgButtons::Ok);
        QTEST(Bits(w, Controls), "after");
    }

    // Timer5: a notice that stopped half-way leaves the port closed one second later; the device
    // going away ends a connect with the controls back.
    void closePortAndLoss()
    {
        MemoryLine mem(true);
        ConnectRoutine r(*mem);
        r.setClosePortOnPartialNotice(true);
        r.start();
        r.onTimer8();
        mem.backend->inject(hex(P "FD 01"));
        QCoreApplication::processEvents();
        QVERIFY(r.Timer5.isActive());
        QCOMPARE(r.Timer5.interval(), 1000);
        r.onTimer5();
        QVERIFY(!r.Timer5.isActive() && !mem->isOpen());
        r.onTimer5(); // closed already: left alone
        QVERIFY(!mem->isOpen());

        MessageRecorder messages;
        frmZ40MOD *w = dialog();
        ConnectRoutine &dialogRoutine = connectWith(w);
        line(w->link())->simulateLoss();
        QCoreApplication::processEvents();
        QVERIFY(!dialogRoutine.isActive() && !dialogRoutine.Timer9.isActive());
        QCOMPARE(Bits(w, Controls), "1111111");
    }

    // Form19 is modal and Escape does not cut the wait short. It closes the port after 0.2 s; 50
    // ticks of 1 s fill the bar; the 51st tells the window that switched and unloads Form19,
    // which ends the wait. A new Form19 counts from 0 again.
    void countdown()
    {
        MemoryLine mem(true);
        const QString message =
            QStringLiteral("您设置了GPRS模式，模块已经重新启动，需要等待一点时间");
        int told = 0;
        auto *w = qobject_cast<Form19 *>(Windows::get(QStringLiteral("Form19")));
        w->begin(mem.link.get(), message, [&told] { ++told; });
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("Label1"))->text(), message);
        QCOMPARE(w->Timer1.interval(), 1000);
        QCOMPARE(w->Timer2.interval(), 200);
        QVERIFY(w->isModal() && w->Timer1.isActive() && w->Timer2.isActive());
        QStringList seen;
        QTimer::singleShot(0, w, [&] {
            QTest::keyClick(w, Qt::Key_Escape);
            w->onTimer2();
            seen << QString("%1%2%3")
                        .arg(w->isVisible())
                        .arg(mem->isOpen())
                        .arg(w->Timer2.isActive());
            for (int tick = 1; tick <= 50; ++tick) {
                w->onTimer1();
                if (tick <= 2 || tick >= 49)
                    seen << QString::number(w->findChild<QProgressBar *>()->value());
            }
            seen << QString("loaded=%1 told=%2")
                        .arg(Windows::isLoaded(QStringLiteral("Form19")))
                        .arg(told);
            w->onTimer1();
        });
        w->exec();
        // Still shown, port closed, Timer2 stopped; the bar; Form19 still loaded, nobody told.
        QCOMPARE(seen.join(' '), "100 1 2 49 50 loaded=1 told=0");
        QVERIFY(!Windows::isLoaded(QStringLiteral("Form19")));
        QCOMPARE(told, 1);

        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto *again = qobject_cast<Form19 *>(Windows::get(QStringLiteral("Form19")));
        QCOMPARE(again->tickCount(), quint8(0));
        QVERIFY(!again->Timer1.isActive()); // nothing counts before it begins
    }
};

QTEST_MAIN(TestConnect)
#include "tst_connect.moc"
