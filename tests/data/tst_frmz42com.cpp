// The VX8 window and the data-module window on a memory line with the virtual module: captions
// and pages, dependent controls, scroll bars, key filters for typed and pasted text, the
// baud write, the identity wait that times out, and the VX8 option and "进入" rules.

#include "connect/ui/frmVX8.h"
#include "core/SerialLink.h"
#include "data/ui/frmZ42COM.h"
#include "shell/Form10.h"
#include "shell/WindowRegistry.h"
#include "sim/SimAttach.h"
#include "sim/Vx8ModuleSim.h"
#include "support/AlarmTestKit.h"
#include "support/AppKit.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <QtWidgets>

class TestFrmZ42COM : public QObject
{
    Q_OBJECT
    MemorySerialBackend *line = nullptr;
    AppKit *app = nullptr;

    template <class T = QWidget> T *c(QWidget *w, const char *name)
    {
        return w->findChild<T *>(QLatin1String(name));
    }
    // The data window on an open memory line, opened the way frmVX8 hands a module over.
    frmZ42COM *open(int startOnData, std::array<bool, 5> flags)
    {
        MemoryLine mem(true);
        line = mem.backend;
        ModuleIdentity identity;
        identity.startOnDataTab = startOnData == 1;
        identity.modeChoiceFlags = flags;
        OpenDataWindow(app->ports, mem.release(), identity);
        return Windows::findTyped<frmZ42COM>();
    }

private Q_SLOTS:
    void init() { app = new AppKit; }
    void cleanup()
    {
        delete app;
        app = nullptr;
    }

    void captionsAndPages_data()
    {
        QTest::addColumn<int>("startOnData");
        QTest::addColumn<int>("flag");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("pages"); // page shown at opening, then after asking for 2, 3
        QTest::newRow("data communication") << 1 << 2 << "VX8K--其它参数设置"
                                            << "0 1 1";
        QTest::newRow("address setting") << 0 << 0 << "VX8K--身份地址设置"
                                         << "2 2 2";
    }
    void captionsAndPages()
    {
        QFETCH(int, startOnData);
        QFETCH(int, flag);
        std::array<bool, 5> flags{};
        flags[size_t(flag)] = true;
        frmZ42COM *w = open(startOnData, flags);
        QSignalSpy status(w, &frmZ42COM::statusTextChanged);
        QTEST(w->windowTitle(), "caption");
        auto *tabs = c<QTabWidget>(w, "SSTab1");
        QStringList pages{QString::number(tabs->currentIndex())};
        for (int page : {1, 2}) {
            tabs->setCurrentIndex(page);
            pages << QString::number(tabs->currentIndex());
        }
        QTEST(pages.join(' '), "pages");
        // The closed tab says why and how to get there, and so does the status bar when asked.
        const QString why = tabs->tabToolTip(startOnData ? 2 : 1);
        QVERIFY(why.contains("请退出本窗口") && status.last().at(1).toString().endsWith(why));
        QVERIFY(w->exchange().link().receiver() == &w->exchange() && w->Timer1.isActive());
    }

    void dependentControlsAndScrollBars()
    {
        MessageRecorder messages;
        frmZ42COM *w = open(1, {});
        auto enabled = [&] {
            QString bits;
            for (const char *name : {"Combo2", "Combo3", "Combo4", "Text5", "VScroll4"})
                bits += c(w, name)->isEnabled() ? '1' : '0';
            return bits;
        };
        QStringList states{enabled()};
        for (const char *combo : {"Combo1", "Combo2", "Combo3"}) {
            c<QComboBox>(w, combo)->setCurrentIndex(combo[5] == '1' ? 1 : 2);
            states << enabled();
        }
        QCOMPARE(states.join(' '), "00000 10000 11000 11111");
        c<QScrollBar>(w, "VScroll3")->setValue(-7);
        QCOMPARE(c<QLineEdit>(w, "Text5")->text(), QStringLiteral("7"));
        c<QScrollBar>(w, "VScroll4")->setValue(-3); // type still "无"
        QVERIFY(messages.texts().size() == 1 && c<QLineEdit>(w, "Text6")->text().isEmpty());
        c<QComboBox>(w, "Combo4")->setCurrentIndex(2);
        c<QScrollBar>(w, "VScroll4")->setValue(-3);
        QCOMPARE(c<QLineEdit>(w, "Text6")->text(), QStringLiteral("3"));
        c<QComboBox>(w, "Combo1")->setCurrentIndex(2); // passive: the chain goes off
        QCOMPARE(enabled(), "00000");
        // "方式2" without the group maximum: incomplete, nothing sent.
        c<QComboBox>(w, "Combo1")->setCurrentIndex(1);
        w->command1(10)->click();
        QCOMPARE(messages.texts().last(), QStringLiteral("模块设置时参数不全"));
        QVERIFY(!w->exchange().WorkModeTimer.isActive());
    }

    // Typed, pasted and dropped text arrive as edits: the filters keep digits only.
    void keyFilters()
    {
        frmZ42COM *w = open(1, {});
        auto *heartbeat = c<QLineEdit>(w, "Text4");
        heartbeat->clear();
        QTest::keyClicks(heartbeat, "3a0 0");
        QCOMPARE(heartbeat->text(), QStringLiteral("300"));
        heartbeat->insert(QStringLiteral("x6")); // as a paste inserts
        QCOMPARE(heartbeat->text(), QStringLiteral("3006"));
    }

    void baudAndHeartbeatChecks()
    {
        MessageRecorder messages;
        Vx8ModuleSim module;
        frmZ42COM *w = open(1, {});
        AttachVx8Sim(line, &module);
        QSignalSpy status(w, &frmZ42COM::statusTextChanged);
        c<QComboBox>(w, "Combo7")->setCurrentText("115200bps");
        line->takeWritten();
        w->set_baud();
        QCOMPARE(line->takeWritten(), hex("1A2A3A4A5A6A7A8A F2 01 0B"));
        QTRY_COMPARE(c<QLabel>(w, "Label4")->text(), QStringLiteral("115200bps"));
        QCOMPARE(status.last().at(1).toString(),
                 QStringLiteral("模块状态：已写入波特率，模块已确认"));
        // Wake delays are kept in 400 ms units: the value written is said first; No sends
        // nothing, Yes writes 800 ms and shows it.
        c<QRadioButton>(w, "Option3")->setChecked(true);
        c<QLineEdit>(w, "Text11")->setText("1000");
        messages.answers = {MsgResult::No};
        w->command1(9)->click();
        QCOMPARE(messages.texts(), QStringList{"醒后空闲时间只能按400毫秒一级保存：输入的 1000 "
                                               "毫秒将写为 800 毫秒。是否照此写入？"});
        QCOMPARE(line->takeWritten(), QByteArray());
        w->command1(9)->click();
        QByteArray written;
        QTRY_VERIFY((written += line->takeWritten()).contains(hex("D2 01 00 02 00 19")));
        QCOMPARE(c<QLineEdit>(w, "Text11")->text(), "800");
        QTRY_VERIFY(w->command1(9)->isEnabled());
        messages.messages.clear();
        c<QLineEdit>(w, "Text4")->setText("40000"); // more than the field accepts
        c<QLineEdit>(w, "Text10")->setText("3");
        w->command1(2)->click();
        QVERIFY(messages.texts().size() == 1 && !w->exchange().HeartbeatTimer.isActive());
        QCOMPARE(status.last().at(1).toString(), QStringLiteral("模块状态：")); // cleared
        c<QLineEdit>(w, "Text4")->setText("300");
        w->command1(2)->click(); // the write runs: no way out until it ends
        QVERIFY(w->exchange().HeartbeatTimer.isActive() && !w->command1(5)->isEnabled());
    }

    // Form10's time-out ends the identity write: a later notice 3 sends nothing, a later outcome
    // is logged, not shown.
    void identityWaitTimesOut()
    {
        MessageRecorder messages;
        frmZ42COM *w = open(0, {true, false, false, false, false});
        auto *log = c<QPlainTextEdit>(w, "Text1_3");
        QVERIFY(w->exchange().ensureOpen());
        w->exchange().stopAll();          // nothing runs: the data machine listens
        line->inject(hex("3F 01 02 03")); // a refused frame: every byte in the log
        QTRY_VERIFY(log->toPlainText().contains("接收  3F:01:02:03\n"));
        c<QLineEdit>(w, "Text2")->setText("1");
        c<QLineEdit>(w, "Text3")->setText("012");
        line->takeWritten();
        w->set_slave();
        QCOMPARE(line->takeWritten(), hex("1A2A3A4A5A6A7A8A F4 01 10 12"));
        auto *wait = Windows::findTyped<Form10>();
        QVERIFY(wait && wait->isVisible());
        for (int tick = 0; tick < Form10::TimeoutTicks; ++tick)
            wait->onTimer1();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w->exchange().identityWritePending());
        line->inject(hex("1A2A3A4A5A6A7A8A FD 03"));
        QTest::qWait(150);
        QVERIFY(line->takeWritten().isEmpty());
        line->inject(hex("1A2A3A4A5A6A7A8A F4 FA"));
        QTRY_VERIFY(log->toPlainText().contains("身份地址（等待结束后收到）：设置成功"));
        // A status while the module is read, with no identity write in the past, is no late one.
        w->exchange().startRead();
        line->inject(hex("1A2A3A4A5A6A7A8A F4 FC"));
        QTRY_VERIFY(log->toPlainText().contains("身份地址（未设置身份地址时收到）：设置失败"));
        QCOMPARE(messages.texts(), QStringList{"连接超时，可能是网络忙。请少后再试"});
    }

    void vx8OptionsAndEnter()
    {
        MessageRecorder messages;
        auto *vx8 = qobject_cast<frmVX8 *>(Windows::get(QStringLiteral("frmVX8")));
        QVERIFY(!c(vx8, "Option1")->isEnabled() && !c(vx8, "Command1_2")->isEnabled());
        line = AppKit::line(vx8->link());
        vx8->command1(0)->click();
        vx8->routine().onTimer8();
        line->inject(hex("1A2A3A4A5A6A7A8A FD 01 00 80 1A2A3A4A5A6A7A8A D1 03 02"));
        QTRY_VERIFY(c<QRadioButton>(vx8, "Option1")->isChecked());
        line->takeWritten();
        c<QRadioButton>(vx8, "Option1")->click(); // already in data communication
        QVERIFY(line->takeWritten().isEmpty());
        vx8->resetIdentity();
        c<QRadioButton>(vx8, "Option2")->setChecked(true); // selected, but not enabled
        vx8->command1(2)->click();                         // no usable option: the window stays
        QVERIFY(Windows::isLoaded(QStringLiteral("frmVX8")));
        c(vx8, "Option2")->setEnabled(true);
        vx8->command1(2)->click();
        QVERIFY(!Windows::isLoaded(QStringLiteral("frmVX8")));
        auto *data = Windows::findTyped<frmZ42COM>();
        QVERIFY(data && !data->identity().startOnDataTab);
        QCOMPARE(data->identity().moduleInfo, hex("01 00 80"));
        QVERIFY(data->exchange().link().isOpen()); // the VX8 window's link, handed on
    }
};

QTEST_MAIN(TestFrmZ42COM)
#include "tst_frmz42com.moc"
