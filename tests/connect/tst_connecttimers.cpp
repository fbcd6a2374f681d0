// The main window's connect timers: the connect query, the give-up after 2 s, the five read-out
// queries one per second, and what they do to the window that started the connection.
#include "app/AppWindows.h"
#include "connect/ConnectTimers.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowRegistry.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

namespace {

const char *const Controls[] = {"Command1_0", "Command1_1", "Combo1", "Combo2"};

// Stands in for the connect dialog: the controls the timers touch, all disabled as during a
// connect.
QWidget *MakeConnectDialog()
{
    auto *w = new QWidget;
    for (const char *name : {"Command1_0", "Command1_1"})
        (new QPushButton(w))->setObjectName(QLatin1String(name));
    for (const char *name : {"Combo1", "Combo2"})
        (new QComboBox(w))->setObjectName(QLatin1String(name));
    auto *bar = new QProgressBar(w);
    bar->setObjectName(QStringLiteral("PBar"));
    bar->setRange(0, 5);
    return w;
}

QWidget *Load(const char *window)
{
    QWidget *w = Windows::get(QLatin1String(window));
    for (const char *name : Controls)
        w->findChild<QWidget *>(QLatin1String(name))->setEnabled(false);
    w->findChild<QProgressBar *>(QStringLiteral("PBar"))->setValue(3);
    return w;
}

QStringList Enabled(QWidget *w)
{
    QStringList names;
    for (const char *name : Controls)
        if (w->findChild<QWidget *>(QLatin1String(name))->isEnabled())
            names << QLatin1String(name);
    return names;
}

int Progress(QWidget *w)
{
    return w->findChild<QProgressBar *>(QStringLiteral("PBar"))->value();
}

} // namespace

class TestConnectTimers : public QObject
{
    Q_OBJECT
    MemorySerialBackend *m_line = nullptr;
    ConnectTimers *m_timers = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        RegisterWindows();
        Windows::registerFactory(QStringLiteral("frmZ40MOD"), MakeConnectDialog);
    }
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

    // Connect query 100 ms after the connect operation, then the 2 s guard.
    void connectQuery()
    {
        QVERIFY(!m_timers->Timer8.isActive() && !m_timers->Timer9.isActive());
        ReadSeqStep = 4;
        m_timers->armConnect();
        QCOMPARE(ReadSeqStep, qint16(0));
        QCOMPARE(m_timers->Timer8.interval(), 100);
        QVERIFY(m_timers->Timer8.isActive());

        m_timers->onTimer8();
        QCOMPARE(m_line->takeWritten(), QByteArray::fromHex("1A2A3A4A5A6A7A8AFE03"));
        QVERIFY(!m_timers->Timer8.isActive());
        QVERIFY(m_timers->Timer9.isActive());
        QCOMPARE(m_timers->Timer9.interval(), 2000);
    }

    // The first read-out tick comes 100 ms after the notice; every later one, and the first one
    // of a second connect in the same run, after 1000 ms.
    void readOutIntervals()
    {
        m_timers->Timer9.start();
        m_timers->noticeReceived();
        QVERIFY(!m_timers->Timer9.isActive());
        QVERIFY(m_timers->Timer11.isActive());
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
        QTest::addColumn<QString>("starter"); // empty: no window is shown progress
        QTest::newRow("connect dialog") << 100 << "frmZ40MOD";
        QTest::newRow("VX8 window") << 110 << "frmVX8";
        QTest::newRow("data module: no window") << 111 << "";
    }
    // Progress 0..4 at the five sending ticks; one second after the fifth the buttons come back
    // (the combo boxes stay as they are), the bar returns to 0 and the timer stops.
    void progressAndGiveUp()
    {
        QFETCH(int, protocolId);
        QFETCH(QString, starter);
        QWidget *dialog = Load("frmZ40MOD");
        QWidget *vx8 = Load("frmVX8");
        ProtocolId = qint16(protocolId);
        m_timers->armConnect();
        m_timers->onTimer8();
        m_timers->noticeReceived();

        QList<int> shown;
        for (int tick = 0; tick < 5; ++tick) {
            m_timers->onTimer11();
            if (!starter.isEmpty())
                shown << Progress(Windows::find(starter));
        }
        if (!starter.isEmpty())
            QCOMPARE(shown, (QList<int>{0, 1, 2, 3, 4}));
        QCOMPARE(m_line->takeWritten(), QByteArray::fromHex("1A2A3A4A5A6A7A8AFE03"
                                                            "1A2A3A4A5A6A7A8AF803"
                                                            "1A2A3A4A5A6A7A8AF903"
                                                            "1A2A3A4A5A6A7A8AEC03"
                                                            "1A2A3A4A5A6A7A8AD603"
                                                            "1A2A3A4A5A6A7A8AD103"));
        QCOMPARE(ReadSeqStep, qint16(5));
        QVERIFY(Enabled(dialog).isEmpty());
        QVERIFY(Enabled(vx8).isEmpty());

        m_timers->onTimer11();
        QCOMPARE(m_line->takeWritten(), QByteArray());
        QCOMPARE(ReadSeqStep, qint16(0));
        QVERIFY(!m_timers->Timer11.isActive());
        QVERIFY(Link().isOpen());
        for (QWidget *w : {dialog, vx8}) {
            const bool isStarter = w->objectName() == starter;
            const QStringList expected =
                isStarter ? QStringList{"Command1_0", "Command1_1"} : QStringList();
            QCOMPARE(Enabled(w), expected);
            QCOMPARE(Progress(w), isStarter ? 0 : 3);
        }
    }

    void noAnswer_data()
    {
        QTest::addColumn<int>("protocolId");
        QTest::addColumn<QString>("starter");
        QTest::addColumn<bool>("open");
        QTest::newRow("connect dialog") << 100 << "frmZ40MOD" << true;
        QTest::newRow("VX8 window") << 110 << "frmVX8" << true;
        QTest::newRow("VX8 window, port already closed") << 110 << "frmVX8" << false;
    }
    // Two seconds without the notice: message, waiting bytes read away (at most the read
    // length), the port closed and the starting window's controls enabled again.
    void noAnswer()
    {
        QFETCH(int, protocolId);
        QFETCH(QString, starter);
        QFETCH(bool, open);
        MessageRecorder messages;
        QWidget *dialog = Load("frmZ40MOD");
        QWidget *vx8 = Load("frmVX8");
        ProtocolId = qint16(protocolId);
        m_timers->armConnect();
        m_timers->onTimer8();
        Link().setThreshold(3);
        m_line->inject(QByteArray::fromHex("1122334455"));
        RxStep = 2;
        if (!open)
            Link().close();

        m_timers->onTimer9();
        QVERIFY(!m_timers->Timer9.isActive());
        QCOMPARE(RxStep, qint16(0));
        QCOMPARE(RxBytes, open ? QByteArray::fromHex("112233") : QByteArray());
        QVERIFY(!Link().isOpen());
        QCOMPARE(messages.messages.size(), 1);
        QCOMPARE(messages.messages[0].text,
                 QStringLiteral("模块和计算机通信失败，请检查串口号、波特率"));
        QCOMPARE(messages.messages[0].title, QStringLiteral("系统提示"));
        QCOMPARE(messages.messages[0].icon, MsgIcon::None);
        QCOMPARE(messages.messages[0].buttons, MsgButtons::Ok);
        for (QWidget *w : {dialog, vx8}) {
            const QStringList expected =
                w->objectName() == starter
                    ? QStringList{"Command1_0", "Command1_1", "Combo1", "Combo2"}
                    : QStringList();
            QCOMPARE(Enabled(w), expected);
        }
    }

    // A starting window that is not open is not loaded by the timers.
    void starterNotLoaded()
    {
        MessageRecorder messages;
        ProtocolId = ProtocolIdentity;
        m_timers->armConnect();
        m_timers->onTimer8();
        m_timers->onTimer9();
        ReadSeqStep = 5;
        m_timers->onTimer11();
        QVERIFY(!Windows::isLoaded(QStringLiteral("frmVX8")));
        QCOMPARE(messages.messages.size(), 1);
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
};

QTEST_MAIN(TestConnectTimers)
#include "tst_connecttimers.moc"
