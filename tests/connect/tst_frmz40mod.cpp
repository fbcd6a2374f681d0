// The connect dialog frmZ40MOD: connecting and cancelling, open failures, and the mode switches
// of "工作方式选择". (The time-out and the end of a connect: tst_connecttimers, tst_e2e_connect.)

#include "app/AppWindows.h"
#include "connect/ConnectTimers.h"
#include "connect/ui/frmZ40MOD.h"
#include "core/Module1.h"
#include "core/serial/PortMap.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowRegistry.h"
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

const auto hex = [](const char *text) { return QByteArray::fromHex(text); };

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

// A port that does not open, with the cause the device layer reports.
struct RefusingBackend : MemorySerialBackend {
    QString detail;
    OpenResult open(const QString &, qint32, QString *out) override
    {
        *out = detail;
        return result;
    }
    OpenResult result;
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

class tst_frmZ40MOD : public QObject
{
    Q_OBJECT

    MemorySerialBackend *backend = nullptr;
    std::unique_ptr<MessageRecorder> recorder;
    frmZ40MOD *w = nullptr;

    template <class T = QPushButton> T *c(const char *name) const
    {
        return w->findChild<T *>(QLatin1String(name));
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

    // The chosen port and speed, DTR off, read length 1, the controls locked, the query armed.
    void connectApplies()
    {
        PortMap::set(8, "/dev/ttyUSB7");
        OfflineStart = true;
        ReadSeqStep = RxStep = 3;
        Link().setDtr(true);
        choose("Combo1", "COM5");
        QCOMPARE(c<QLabel>("LabelDevice")->text(), QStringLiteral("COM5 → （无设备）"));
        choose("Combo1", "COM8");
        QCOMPARE(c<QLabel>("LabelDevice")->text(), QStringLiteral("COM8 → /dev/ttyUSB7"));
        choose("Combo2", "1200bps");
        c("Command1_0")->click();

        QVERIFY(Link().isOpen());
        QCOMPARE(int(Link().portNumber()), 8);
        QCOMPARE(Link().settings(), QStringLiteral("1200,n,8,1"));
        QCOMPARE(backend->openedPath(), QStringLiteral("COM8"));
        QVERIFY(!backend->dtr() && !OfflineStart);
        QCOMPARE(Link().readLength(), 1);
        QCOMPARE(connectControls(), "0000");
        QCOMPARE(ReadSeqStep + RxStep, 0);
        QVERIFY(MainTimers().Timer8.isActive());
        QCOMPARE(ProtocolId, qint16(100));
    }

    void openFailure_data()
    {
        QTest::addColumn<OpenResult>("result");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *tag, OpenResult result, const char *detail,
                            const char *message) {
            QTest::newRow(tag) << result << QString(detail) << QString(message);
        };
        row("no such port", OpenResult::NoSuchPort, "", "本机没有这个串口，请选择其它串口重试");
        row("in use", OpenResult::InUse, "", "串口已经打开，请关闭其它程序重试");
        row("no permission", OpenResult::NoPermission, "uucp",
            "没有访问该串口的权限。请把当前用户加入设备所属的用户组（uucp）后重新登录，再重试");
        row("no permission, group unknown", OpenResult::NoPermission, "",
            "没有访问该串口的权限。请把当前用户加入设备所属的用户组（如 "
            "dialout）后重新登录，再重试");
        row("other error", OpenResult::OtherError, "Input/output error",
            "串口COM1无法打开：Input/output error");
    }
    void openFailure()
    {
        QFETCH(OpenResult, result);
        QFETCH(QString, detail);
        auto *refusing = new RefusingBackend;
        refusing->detail = detail;
        refusing->result = result;
        Link().setBackend(refusing);
        c("Command1_0")->click();
        QVERIFY(!Link().isOpen() && !MainTimers().Timer8.isActive());
        QCOMPARE(connectControls(), "1111");
        QCOMPARE(ProtocolId, qint16(0));
        QCOMPARE(recorder->messages.size(), 1);
        QTEST(recorder->messages[0].text, "message");
        QCOMPARE(recorder->messages[0].title, QStringLiteral("端口错误"));
        QCOMPARE(recorder->messages[0].icon, MsgIcon::Exclamation);
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
        QVERIFY(!Link().isOpen() && OfflineStart);
        QVERIFY(!Windows::isLoaded("frmZ40MOD"));
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
        row("port closed, VX8", {1, "", "10000", comm, false, "", nullptr, 19});
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
        if (row.portOpen)
            QCOMPARE(Link().open(), OpenResult::Ok);
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

        QCOMPARE(backend->takeWritten(), hex(row.written));
        const QString text = QStringLiteral("您设置了%1模式，模块已经重新启动，需要等待一点时间");
        QCOMPARE(PendingRestartMessage, row.mode ? text.arg(QString(row.mode)) : Untouched);
        QCOMPARE(ProtocolId, qint16(row.protocolId));
        QVERIFY(ModeChoiceFlags == bits(row.options));
        QCOMPARE(FakeForm19::execs, row.mode ? 1 : 0);
        QCOMPARE(FakeForm19::shown, PendingRestartMessage);
        QCOMPARE(c("Command1_2")->isEnabled(), !row.mode);
    }
};

QTEST_MAIN(tst_frmZ40MOD)
#include "tst_frmz40mod.moc"
