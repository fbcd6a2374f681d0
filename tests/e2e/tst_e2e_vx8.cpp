// End to end, in real time, over a pseudo-terminal served by the corvane-sim program with the
// virtual VX8 data module, with the real QSerialPort and the real windows: launcher -> frmVX8 ->
// "连接" -> the module's mode shown -> "进入" -> the parameter read fills the display -> a
// work-mode write -> identity address set, then one that is taken and replaced; and a mode switch
// through Form19. With CORVANE_SHOT_DIR set it saves frmVX8 after identification and each page
// of frmZ42COM after the read (scripts/screenshots).

#include "app/AppWindows.h"
#include "connect/ui/Form19.h"
#include "connect/ui/frmVX8.h"
#include "core/SerialLink.h"
#include "data/ui/frmZ42COM.h"
#include "serial/QtSerialBackend.h"
#include "shell/MainWindow.h"
#include "shell/WindowRegistry.h"
#include "shell/frmMain.h"
#include "support/AppKit.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QtTest>
#include <QtWidgets>

namespace {

void saveShot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("CORVANE_SHOT_DIR");
    if (!dir.isEmpty())
        w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QString texts(QWidget *w, const QStringList &names)
{
    QStringList list;
    for (const QString &name : names)
        list << w->findChild<QWidget *>(name)->property("text").toString();
    return list.join('/');
}

} // namespace

class TestE2EVx8 : public QObject
{
    Q_OBJECT
    QProcess sim;
    QString path;
    MainWindow *main = nullptr;
    AppKit *app = nullptr;
    QPointer<SerialLink> vx8Link; // the link of the last VX8 window

    // frmVX8 from the launcher, connected on COM1; returns it once the module is identified.
    QWidget *connectVx8()
    {
        auto *launcher = static_cast<frmMain *>(Windows::get(QStringLiteral("frmMain")));
        launcher->showVX8Modal();
        auto *vx8 = Windows::findTyped<frmVX8>();
        if (!vx8 || !QTest::qWaitFor([vx8] { return vx8->isVisible(); }))
            return nullptr;
        vx8Link = &vx8->link();
        vx8->findChild<QComboBox *>("Combo1")->setCurrentText("COM1");
        vx8->findChild<QPushButton *>("Command1_0")->click();
        // Notice, then five read-outs one per second; the last ends the connect.
        if (!QTest::qWaitFor([vx8] { return vx8->findChild<QWidget *>("Option1")->isEnabled(); },
                             9000))
            return nullptr;
        return vx8;
    }

private Q_SLOTS:
    void initTestCase()
    {
        sim.start(QStringLiteral(CORVANE_BINARY_DIR "/bin/corvane-sim"),
                  {"--module", "vx8", "--taken", "2345"});
        QVERIFY(sim.waitForReadyRead(5000));
        const QString line = QString::fromLatin1(sim.readLine()).trimmed();
        QVERIFY2(line.startsWith("corvane-sim: serving /dev/"), qPrintable(line));
        path = line.mid(QStringLiteral("corvane-sim: serving ").size());
        app = new AppKit(false);
        app->ports.map().set(1, path);
        main = Windows::get<MainWindow>();
        WireMainWindow(main);
        main->resize(1100, 800);
        main->show();
    }
    void cleanupTestCase()
    {
        delete app;
        delete main;
        sim.terminate();
        sim.waitForFinished(3000);
    }

    void connectReadWriteIdentity()
    {
        MessageRecorder messages;
        QWidget *vx8 = connectVx8();
        QVERIFY(vx8);
        QVERIFY(vx8->findChild<QRadioButton *>("Option1")->isChecked()); // data communication
        QVERIFY(vx8->findChild<QWidget *>("Command1_2")->isEnabled());
        saveShot(vx8, QStringLiteral("vx8-identified"));

        vx8->findChild<QPushButton *>("Command1_2")->click(); // "进入"
        auto *window = qobject_cast<frmZ42COM *>(Windows::find(QStringLiteral("frmZ42COM")));
        QVERIFY(window && !Windows::isLoaded(QStringLiteral("frmVX8")));
        QVERIFY(window->identity().startOnDataTab);
        QPointer<SerialLink> link = &window->exchange().link();
        QCOMPARE(link.data(), vx8Link.data()); // the VX8 window's link, handed on
        QCOMPARE(window->windowTitle(), QStringLiteral("VX8K--其它参数设置"));
        // The read after opening: passive, format, no power saving.
        QTRY_COMPARE_WITH_TIMEOUT(window->findChild<QLabel *>("Label3_2")->text(),
                                  QStringLiteral("格式传输"), 9000);
        QTRY_VERIFY(window->command1(4)->isEnabled());
        QCOMPARE(texts(window, {"Label3_0", "Label3_1", "Label3_8", "Label3_9", "Label3_11",
                                "Label3_12", "Label3_13", "Text4", "Text9"}),
                 "VX8K V1.05/被动方式/30:31:/1001/300秒/3/无省电/300/01");
        auto *tabs = window->findChild<QTabWidget *>("SSTab1");
        for (int page = 0; page < 3; ++page) {
            const QSignalBlocker block(tabs);
            tabs->setCurrentIndex(page);
            QCoreApplication::processEvents();
            saveShot(window, QStringLiteral("z42com-page%1").arg(page + 1));
        }
        tabs->setCurrentIndex(0);

        // Work mode: active, transparent, mode 1: three frames, then read back.
        window->findChild<QComboBox *>("Combo1")->setCurrentIndex(1);
        window->findChild<QComboBox *>("Combo2")->setCurrentIndex(2);
        window->findChild<QComboBox *>("Combo3")->setCurrentIndex(1);
        window->command1(10)->click();
        QVERIFY(!window->command1(4)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(window->command1(4)->isEnabled(), 6000);
        const QString log = window->findChild<QPlainTextEdit *>("Text1_3")->toPlainText();
        QVERIFY2(log.contains("发送指令 1A:2A:3A:4A:5A:6A:7A:8A:F8:01:01\n"
                              "发送指令 1A:2A:3A:4A:5A:6A:7A:8A:F9:01:00\n"
                              "发送指令 1A:2A:3A:4A:5A:6A:7A:8A:FB:01:01"),
                 qPrintable(log));

        // Identity address: set; then one another module holds, replaced on "Yes".
        QTRY_VERIFY(window->command1(0)->isEnabled());
        messages.messages.clear();
        window->findChild<QLineEdit *>("Text2")->setText("1");
        window->findChild<QLineEdit *>("Text3")->clear();
        QTest::keyClicks(window->findChild<QLineEdit *>("Text3"), "abc"); // typed: upper case
        window->command1(0)->click();
        QVERIFY(Windows::find(QStringLiteral("Form10")));
        QTRY_COMPARE_WITH_TIMEOUT(messages.texts().size(), 1, 5000);
        QCOMPARE(messages.texts().last(), QStringLiteral("模块身份地址设置成功"));
        QTRY_VERIFY(!Windows::isLoaded(QStringLiteral("Form10")));

        window->findChild<QLineEdit *>("Text2")->setText("2");
        window->findChild<QLineEdit *>("Text3")->setText("345");
        window->command1(0)->click();
        QTRY_COMPARE_WITH_TIMEOUT(messages.texts().size(), 3, 5000);
        QCOMPARE(messages.texts().mid(1),
                 (QStringList{"您设置的身份地址已经被占用，要替换它吗？", "模块身份地址设置成功"}));
        window->command1(4)->click();
        QTRY_COMPARE_WITH_TIMEOUT(window->findChild<QLabel *>("Label3_9")->text(),
                                  QStringLiteral("2345"), 5000);
        window->command1(5)->click(); // "退出"
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!link || !link->isOpen());
    }

    // "地址设置" on a module in data communication: DA 01 01, Form19; connecting again shows
    // the module in address setting.
    void modeSwitchThroughForm19()
    {
        MessageRecorder messages;
        QWidget *vx8 = connectVx8();
        QVERIFY(vx8);
        QVERIFY(vx8->findChild<QRadioButton *>("Option1")->isChecked());
        bool waited = false;
        QString shownMessage;
        QTimer::singleShot(0, this, [&] {
            auto *wait = Windows::findTyped<Form19>();
            QVERIFY(wait && wait->isVisible());
            waited = true;
            shownMessage = wait->findChild<QLabel *>(QStringLiteral("Label1"))->text();
            QTest::qWait(300); // the frame leaves before the port closes, as with Timer2
            wait->onTimer2();
            for (int tick = 0; tick <= Form19::WaitSeconds; ++tick)
                wait->onTimer1();
        });
        vx8->findChild<QRadioButton *>("Option2")->click();
        QVERIFY(waited);
        QCOMPARE(
            shownMessage,
            QStringLiteral("您设置了VX8模块设置身份地址模式，模块已经重新启动，需要等待一点时间"));
        QVERIFY(!vx8Link->isOpen());
        QVERIFY(!vx8->findChild<QWidget *>("Option1")->isEnabled());

        vx8->findChild<QPushButton *>("Command1_0")->click();
        QTRY_VERIFY_WITH_TIMEOUT(vx8->findChild<QWidget *>("Option2")->isEnabled(), 9000);
        QVERIFY(vx8->findChild<QRadioButton *>("Option2")->isChecked());
        vx8Link->close();
    }
};

QTEST_MAIN(TestE2EVx8)
#include "tst_e2e_vx8.moc"
