// The main window's connect timers: the connect query, the give-up after 2 s, the five read-out
// queries one per second, and what they do to the window that started the connection. And the
// restart wait window Form19: the port closed after 0.2 s, 50 seconds on the progress bar, then
// frmVX8 put back for a new connect.
#include "app/AppWindows.h"
#include "connect/ConnectTimers.h"
#include "connect/ui/Form19.h"
#include "core/Module1.h"
#include "core/ReceiveDispatch.h"
#include "core/SerialLink.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowRegistry.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <QtWidgets>

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

// Loads a starting window as during a connect: its controls disabled, its bar at 3.
void Load(const char *window)
{
    QWidget *w = Windows::get(QLatin1String(window));
    for (const QString &name : Vx8Controls.mid(2, 4))
        w->findChild<QWidget *>(name)->setEnabled(false);
    w->findChild<QProgressBar *>(QStringLiteral("PBar"))->setValue(3);
}

// "frmZ40MOD=0011@0 frmVX8=-": per window, Combo1, Combo2, Command1(0), Command1(1) enabled, and
// the bar; "-" when not loaded. With barsOnly, "03": the bars of the loaded windows.
QString Starters(bool barsOnly = false)
{
    QStringList state;
    for (const char *name : {"frmZ40MOD", "frmVX8"}) {
        QWidget *w = Windows::find(QLatin1String(name));
        if (!w) {
            state << (barsOnly ? QString() : QLatin1String(name) + "=-");
            continue;
        }
        const QString bar = QString::number(w->findChild<QProgressBar *>("PBar")->value());
        state << (barsOnly
                      ? bar
                      : QLatin1String(name) + '=' + Bits(w, Vx8Controls.mid(2, 4)) + '@' + bar);
    }
    return state.join(barsOnly ? "" : " ");
}

} // namespace

class TestConnectTimers : public QObject
{
    Q_OBJECT
    MemorySerialBackend *m_line = nullptr;
    ConnectTimers *m_timers = nullptr;

    // Loads the connect dialog, and frmVX8 unless the row says it is not open; sends the query.
    void loadStarters()
    {
        QFETCH(int, protocolId);
        QFETCH(bool, vx8Open);
        ProtocolId = qint16(protocolId);
        Load("frmZ40MOD");
        if (vx8Open)
            Load("frmVX8");
        m_timers->armConnect();
        m_timers->onTimer8();
    }

private Q_SLOTS:
    void initTestCase() { RegisterWindows(); }
    void init()
    {
        m_line = ResetWorld(true);
        m_timers = new ConnectTimers;
        m_timers->setHooks(WindowTimerHooks());
    }
    void cleanup()
    {
        delete m_timers;
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
        QCOMPARE(m_line->takeWritten(), QByteArray::fromHex("1A2A3A4A5A6A7A8AFE03"));
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
        QTest::addColumn<QString>("shown"); // the bars at the five sending ticks
        QTest::addColumn<QString>("after");
        QTest::newRow("connect dialog") << 100 << true << "03 13 23 33 43"
                                        << "frmZ40MOD=0011@0 frmVX8=0000@3";
        QTest::newRow("VX8 window") << 110 << true << "30 31 32 33 34"
                                    << "frmZ40MOD=0000@3 frmVX8=0011@0";
        QTest::newRow("VX8 window not open: not loaded") << 110 << false << "3 3 3 3 3"
                                                         << "frmZ40MOD=0000@3 frmVX8=-";
        QTest::newRow("data module: no window") << 111 << true << "33 33 33 33 33"
                                                << "frmZ40MOD=0000@3 frmVX8=0000@3";
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
        QTEST(shown.join(' '), "shown");
        QCOMPARE(m_line->takeWritten(), QByteArray::fromHex("1A2A3A4A5A6A7A8AFE03"
                                                            "1A2A3A4A5A6A7A8AF803"
                                                            "1A2A3A4A5A6A7A8AF903"
                                                            "1A2A3A4A5A6A7A8AEC03"
                                                            "1A2A3A4A5A6A7A8AD603"
                                                            "1A2A3A4A5A6A7A8AD103"));
        QCOMPARE(ReadSeqStep, qint16(5));
        m_timers->onTimer11();
        QCOMPARE(m_line->takeWritten(), QByteArray());
        QCOMPARE(ReadSeqStep, qint16(0));
        QVERIFY(!m_timers->Timer11.isActive() && Link().isOpen());
        QTEST(Starters(), "after");
    }

    void noAnswer_data()
    {
        QTest::addColumn<int>("protocolId");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("vx8Open");
        QTest::addColumn<QString>("after");
        QTest::newRow("connect dialog") << 100 << true << true << "frmZ40MOD=1111@3 frmVX8=0000@3";
        QTest::newRow("VX8 window") << 110 << true << true << "frmZ40MOD=0000@3 frmVX8=1111@3";
        QTest::newRow("VX8 window, port already closed")
            << 110 << false << true << "frmZ40MOD=0000@3 frmVX8=1111@3";
        QTest::newRow("VX8 window not open: not loaded")
            << 110 << true << false << "frmZ40MOD=0000@3 frmVX8=-";
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

    void countdown_data()
    {
        QTest::addColumn<QString>("checked"); // empty: frmVX8 not loaded
        QTest::addColumn<bool>("open");
        QTest::newRow("identity address chosen") << "Option1" << true;
        QTest::newRow("data communication chosen, port already closed") << "Option2" << false;
        QTest::newRow("frmVX8 not open") << "" << true;
    }
    // Form19 closes the port after 0.2 s; 50 ticks of 1 s fill the bar; the 51st resets frmVX8
    // (after a connect: options and Command1(1) enabled, one option checked) and unloads Form19.
    void countdown()
    {
        QFETCH(QString, checked);
        QFETCH(bool, open);
        QWidget *vx8 = checked.isEmpty() ? nullptr : Windows::get(QStringLiteral("frmVX8"));
        for (int i = 0; vx8 && i < 7; ++i)
            vx8->findChild<QWidget *>(Vx8Controls[i])->setEnabled(i < 2 || i == 5);
        if (vx8)
            vx8->findChild<QRadioButton *>(checked)->setChecked(true);
        if (!open)
            Link().close();
        PendingRestartMessage =
            QStringLiteral("您设置了GPRS模式，模块已经重新启动，需要等待一点时间");
        auto *w = Windows::get<Form19>();
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("Label1"))->text(), PendingRestartMessage);
        QCOMPARE(w->Timer1.interval(), 1000);
        QCOMPARE(w->Timer2.interval(), 200);
        QVERIFY(w->Timer1.isActive() && w->Timer2.isActive());
        w->onTimer2();
        QVERIFY(!Link().isOpen() && !w->Timer2.isActive());

        auto *bar = w->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
        QList<int> shown;
        for (int tick = 1; tick <= 50; ++tick) {
            w->onTimer1();
            if (tick <= 2 || tick >= 49)
                shown << bar->value();
        }
        QCOMPARE(shown, (QList<int>{1, 2, 49, 50}));
        QVERIFY(Windows::isLoaded(QStringLiteral("Form19")) && w->Timer1.isActive());
        QCOMPARE(Windows::isLoaded(QStringLiteral("frmVX8")), vx8 != nullptr);
        if (vx8)
            QCOMPARE(Bits(vx8, Vx8Controls), "1100010");

        w->onTimer1();
        QVERIFY(!Windows::isLoaded(QStringLiteral("Form19")) && !w->Timer1.isActive());
        vx8 = Windows::find(QStringLiteral("frmVX8"));
        QVERIFY(vx8 && !vx8->isVisible());
        QCOMPARE(Bits(vx8, {"Option1", "Option2"}, true), "00");
        QCOMPARE(Bits(vx8, Vx8Controls), "0011101");
    }

    // Shown modally by a caller, which continues once the window has unloaded itself; a new
    // show counts from 0 again. The user cannot cut the wait short.
    void form19Modal()
    {
        auto *w = Windows::get<Form19>();
        QVERIFY(w->isModal());
        QTimer::singleShot(0, w, [w] {
            QTest::keyClick(w, Qt::Key_Escape);
            QVERIFY(w->isVisible() && Windows::isLoaded(QStringLiteral("Form19")));
            for (int tick = 0; tick < 51; ++tick)
                w->onTimer1();
        });
        w->exec();
        QVERIFY(!Windows::isLoaded(QStringLiteral("Form19")));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto *again = Windows::get<Form19>();
        QCOMPARE(again->tickCount(), quint8(0));
        QCOMPARE(again->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"))->value(), 0);
    }
};

QTEST_MAIN(TestConnectTimers)
#include "tst_connecttimers.moc"
