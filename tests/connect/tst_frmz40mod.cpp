// The connect dialog frmZ40MOD: connecting and cancelling, open failures, the time-out path,
// the end of a connect through the parser, and the mode switches of "工作方式选择".

#include "app/AppWindows.h"
#include "connect/ConnectTimers.h"
#include "connect/ui/frmZ40MOD.h"
#include "core/Module1.h"
#include "core/serial/PortMap.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowRegistry.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Stand-in for the restart wait window: counts modal showings and keeps the text it showed.
class FakeForm19 : public QDialog
{
public:
    static inline int execs = 0;
    static inline QString shown;
    int exec() override
    {
        ++execs;
        shown = PendingRestartMessage;
        return 0;
    }
};

// A port that does not open, with the cause the device layer reports.
class RefusingBackend : public MemorySerialBackend
{
public:
    RefusingBackend(OpenResult result, QString detail) : m_result(result), m_detail(detail) {}
    OpenResult open(const QString &, qint32, QString *detail) override
    {
        *detail = m_detail;
        return m_result;
    }
    OpenResult m_result;
    QString m_detail;
};

ModeOptions bits(const QString &text)
{
    ModeOptions options{};
    for (size_t i = 0; i < options.size(); ++i)
        options[i] = text.at(int(i)) == QLatin1Char('1');
    return options;
}

const QString Untouched = QStringLiteral("（上次的提示）");

} // namespace

class tst_frmZ40MOD : public QObject
{
    Q_OBJECT

    MemorySerialBackend *backend = nullptr;
    std::unique_ptr<MessageRecorder> recorder;
    frmZ40MOD *w = nullptr;

    template <class T = QPushButton> T *c(const QString &name) const
    {
        return w->findChild<T *>(name);
    }
    void choose(const char *combo, const QString &text)
    {
        c<QComboBox>(combo)->setCurrentIndex(c<QComboBox>(combo)->findText(text));
    }
    // Command1(0), Command1(1), Combo1, Combo2: "1111" all enabled.
    QString connectControls() const
    {
        QString state;
        for (const char *name : {"Command1_0", "Command1_1", "Combo1", "Combo2"})
            state += c<QWidget>(name)->isEnabled() ? '1' : '0';
        return state;
    }

private Q_SLOTS:
    void initTestCase()
    {
        Windows::registerFactory("frmZ40MOD", [] { return new frmZ40MOD; });
        Windows::registerFactory("frmZ41COM", [] { return new QWidget; });
        Windows::registerFactory("Form19", [] { return new FakeForm19; });
        // What the main window does when the connect query gets no answer.
        MainTimers().setHooks(WindowTimerHooks());
    }

    void init()
    {
        backend = ResetWorld(false);
        PortMap::clear();
        recorder = std::make_unique<MessageRecorder>();
        FakeForm19::execs = 0;
        FakeForm19::shown = Untouched;
        w = qobject_cast<frmZ40MOD *>(Windows::get("frmZ40MOD"));
        QVERIFY(w);
    }

    void cleanup()
    {
        for (QTimer *t : {&MainTimers().Timer8, &MainTimers().Timer9, &MainTimers().Timer11})
            t->stop();
        recorder.reset();
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void deviceLabel_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("text");
        QTest::newRow("mapped") << "COM3"
                                << "COM3 → /dev/ttyUSB7";
        QTest::newRow("not mapped") << "COM5"
                                    << "COM5 → （无设备）";
    }

    void deviceLabel()
    {
        QFETCH(QString, port);
        PortMap::set(3, "/dev/ttyUSB7");
        choose("Combo1", "COM8");
        choose("Combo1", port);
        QTEST(c<QLabel>("LabelDevice")->text(), "text");
    }

    void connectApplies_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<QString>("settings");
        QTest::newRow("COM3 115200") << "COM3"
                                     << "115200bps" << 3 << "115200,n,8,1";
        QTest::newRow("COM8 1200") << "COM8"
                                   << "1200bps" << 8 << "1200,n,8,1";
    }

    void connectApplies()
    {
        QFETCH(QString, port);
        QFETCH(QString, baud);
        OfflineStart = true;
        ReadSeqStep = RxStep = 3;
        Link().setDtr(true);
        choose("Combo1", port);
        choose("Combo2", baud);
        c("Command1_0")->click();

        QVERIFY(Link().isOpen());
        QTEST(int(Link().portNumber()), "portNumber");
        QTEST(Link().settings(), "settings");
        QCOMPARE(backend->openedPath(), port);
        QVERIFY(!backend->dtr());
        QCOMPARE(Link().readLength(), 1);
        QCOMPARE(connectControls(), "0000");
        QVERIFY(!OfflineStart);
        QCOMPARE(ReadSeqStep, qint16(0));
        QVERIFY(MainTimers().Timer8.isActive());
        QCOMPARE(MainTimers().Timer8.interval(), 100);
        QCOMPARE(ProtocolId, qint16(100));
        QCOMPARE(RxStep, qint16(0));
    }

    void openFailure_data()
    {
        QTest::addColumn<OpenResult>("result");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("message");
        QTest::newRow("no such port") << OpenResult::NoSuchPort << ""
                                      << "本机没有这个串口，请选择其它串口重试";
        QTest::newRow("in use") << OpenResult::InUse << ""
                                << "串口已经打开，请关闭其它程序重试";
        QTest::newRow("no permission")
            << OpenResult::NoPermission << "uucp"
            << "没有访问该串口的权限。请把当前用户加入设备所属的用户组（uucp）后重新登录，再重试";
        QTest::newRow("no permission, group unknown")
            << OpenResult::NoPermission << ""
            << "没有访问该串口的权限。请把当前用户加入设备所属的用户组（如 "
               "dialout）后重新登录，再重试";
        QTest::newRow("other error") << OpenResult::OtherError << "Input/output error"
                                     << "串口COM1无法打开：Input/output error";
    }

    void openFailure()
    {
        QFETCH(OpenResult, result);
        QFETCH(QString, detail);
        QFETCH(QString, message);
        Link().setBackend(new RefusingBackend(result, detail));
        c("Command1_0")->click();

        QVERIFY(!Link().isOpen());
        QCOMPARE(connectControls(), "1111");
        QVERIFY(!MainTimers().Timer8.isActive());
        QCOMPARE(ProtocolId, qint16(0));
        QCOMPARE(recorder->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        for (const MessageRequest &box : recorder->messages) {
            QCOMPARE(box.title, QStringLiteral("端口错误"));
            QCOMPARE(box.icon, MsgIcon::Exclamation);
        }
    }

    void connectTwiceClosesFirst()
    {
        QStringList events;
        QObject context;
        connect(&Link(), &SerialLink::portOpened, &context, [&] { events << "open"; });
        connect(&Link(), &SerialLink::portClosed, &context, [&] { events << "close"; });
        c("Command1_0")->click();
        WindowTimerHooks().restoreControls(ProtocolConnect);
        choose("Combo1", "COM4");
        c("Command1_0")->click();

        QCOMPARE(events, QStringList({"open", "close", "open"}));
        QCOMPARE(backend->openedPath(), QStringLiteral("COM4"));
    }

    void cancel()
    {
        QCOMPARE(Link().open(), OpenResult::Ok);
        c("Command1_1")->click();

        QVERIFY(!Link().isOpen());
        QVERIFY(OfflineStart);
        QVERIFY(!Windows::isLoaded("frmZ40MOD"));
        QVERIFY(Windows::isLoaded("frmZ41COM") && Windows::find("frmZ41COM")->isVisible());
    }

    void noAnswer()
    {
        c("Command1_0")->click();
        MainTimers().onTimer8();
        QCOMPARE(backend->takeWritten(), hex("1A2A3A4A5A6A7A8A FE 03"));
        MainTimers().onTimer9();

        QCOMPARE(recorder->texts(), QStringList{"模块和计算机通信失败，请检查串口号、波特率"});
        QVERIFY(!Link().isOpen());
        QCOMPARE(connectControls(), "1111");
        c("Command1_0")->click(); // and the user can connect again
        QCOMPARE(backend->openCount(), 2);
    }

    void moduleAnswers_data()
    {
        QTest::addColumn<QByteArray>("netModeFrame");
        QTest::addColumn<bool>("refused");
        QTest::newRow("SMS module") << hex("1A2A3A4A5A6A7A8A D1 03 02") << false;
        QTest::newRow("GPRS module") << hex("1A2A3A4A5A6A7A8A D1 03 01") << true;
    }

    void moduleAnswers()
    {
        QFETCH(QByteArray, netModeFrame);
        QFETCH(bool, refused);
        c("Command1_0")->click();
        MainTimers().onTimer8();
        backend->inject(hex("1A2A3A4A5A6A7A8A FD 01 02 80 1A2A3A4A5A6A7A8A F8 03 01"));
        backend->inject(netModeFrame);

        QVERIFY(!Windows::isLoaded("frmZ40MOD"));
        QCOMPARE(Windows::isLoaded("frmZ41COM"), !refused);
        QCOMPARE(recorder->messages.size(), refused ? 1 : 0);
        QVERIFY(Link().isOpen());
    }

    void modeSwitch_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QByteArray>("moduleInfo");
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("protocolId");

        const QByteArray comm = hex("01 02 80"), addr = hex("01 02 00"),
                         gprs = hex("1A2A3A4A5A6A7A8A D1 01 01"),
                         sms = hex("1A2A3A4A5A6A7A8A D1 01 02");
        const QString gprsText = "您设置了GPRS模式，模块已经重新启动，需要等待一点时间";
        const QString smsText = "您设置了SMS模式，模块已经重新启动，需要等待一点时间";
        QTest::newRow("1st, no VX8 choice: GPRS")
            << 1 << "00000" << comm << true << gprs << gprsText << 19;
        QTest::newRow("1st, VX8 communicating: identity mode")
            << 1 << "10000" << comm << true << hex("1A2A3A4A5A6A7A8A DA 01 01")
            << "您设置了VX8模块设置身份地址模式，模块已经重新启动，需要等待一点时间" << 19;
        QTest::newRow("1st, VX8 in identity mode: nothing")
            << 1 << "10000" << addr << true << QByteArray() << Untouched << 100;
        QTest::newRow("2nd, VX8 in identity mode: communication mode")
            << 2 << "00100" << addr << true << hex("1A2A3A4A5A6A7A8A DA 01 00")
            << "您设置了VX8模块通信模式，模块已经重新启动，需要等待一点时间" << 19;
        QTest::newRow("2nd, VX8 communicating: nothing")
            << 2 << "00100" << comm << true << QByteArray() << Untouched << 100;
        QTest::newRow("3rd: GPRS") << 3 << "00011" << comm << true << gprs << gprsText << 19;
        QTest::newRow("3rd, VX8 choice: nothing")
            << 3 << "00100" << comm << true << QByteArray() << Untouched << 100;
        QTest::newRow("4th: SMS") << 4 << "01110" << comm << true << sms << smsText << 19;
        QTest::newRow("5th: SMS") << 5 << "00010" << addr << true << sms << smsText << 19;
        QTest::newRow("5th, option 5: nothing")
            << 5 << "00001" << addr << true << QByteArray() << Untouched << 100;
        QTest::newRow("port closed, GPRS")
            << 3 << "00000" << comm << false << QByteArray() << Untouched << 19;
        QTest::newRow("port closed, VX8")
            << 1 << "10000" << comm << false << QByteArray() << Untouched << 19;
    }

    void modeSwitch()
    {
        QFETCH(int, operation);
        QFETCH(QString, options);
        QFETCH(QByteArray, written);
        QFETCH(bool, portOpen);
        if (portOpen)
            QCOMPARE(Link().open(), OpenResult::Ok);
        QFETCH(QByteArray, moduleInfo);
        ModuleInfo = moduleInfo;
        ProtocolId = 100;
        PendingRestartMessage = Untouched;
        ModeChoiceFlags = bits("11111");
        using Op = ModeFrame (frmZ40MOD::*)(const ModeOptions &);
        const Op ops[] = {&frmZ40MOD::ModeSwitch1, &frmZ40MOD::ModeSwitch2, &frmZ40MOD::ModeSwitch3,
                          &frmZ40MOD::ModeSwitch4, &frmZ40MOD::ModeSwitch5};
        (w->*ops[operation - 1])(bits(options));

        QCOMPARE(backend->takeWritten(), written);
        QTEST(PendingRestartMessage, "message");
        QTEST(int(ProtocolId), "protocolId");
        QVERIFY(ModeChoiceFlags == bits(options));
        const bool switched = !written.isEmpty();
        QCOMPARE(FakeForm19::execs, switched ? 1 : 0);
        QCOMPARE(FakeForm19::shown, PendingRestartMessage);
        QCOMPARE(c("Command1_2")->isEnabled(), !switched);
    }

    void modeButtons_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QByteArray>("moduleInfo");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("flags");
        QTest::newRow("GPRS模式") << "Option1" << hex("000080") << hex("1A2A3A4A5A6A7A8AD10101")
                                  << "00010";
        QTest::newRow("SMS模式") << "Option2" << hex("000080") << hex("1A2A3A4A5A6A7A8AD10102")
                                 << "01000";
        QTest::newRow("VX8通信模式")
            << "Option3" << hex("000000") << hex("1A2A3A4A5A6A7A8ADA0100") << "00100";
        QTest::newRow("VX8设置身份地址模式")
            << "Option4" << hex("000080") << hex("1A2A3A4A5A6A7A8ADA0101") << "10000";
        QTest::newRow("nothing chosen") << "" << hex("000080") << QByteArray() << "11111";
    }

    void modeButtons()
    {
        QFETCH(QString, option);
        QFETCH(QByteArray, moduleInfo);
        QCOMPARE(Link().open(), OpenResult::Ok);
        ModuleInfo = moduleInfo;
        ModeChoiceFlags = bits("11111");
        if (!option.isEmpty())
            c<QRadioButton>(option)->setChecked(true);
        c("Command1_2")->click();

        QTEST(backend->takeWritten(), "written");
        QFETCH(QString, flags);
        QVERIFY(ModeChoiceFlags == bits(flags));
    }
};

QTEST_MAIN(tst_frmZ40MOD)
#include "tst_frmz40mod.moc"
