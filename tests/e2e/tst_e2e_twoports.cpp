// End to end, in real time, two modules at once: the virtual alarm module on one pseudo-terminal
// (COM1) and the virtual VX8 data module on another (COM2), with the real QSerialPort and the
// real windows. Both connects run side by side; the alarm window reads its module while the
// VX8 window identifies its own and the data window reads it; each writes; the data window
// leaves, and "刷新" in the alarm window reads the alarm module again on COM1. Every byte each
// window wrote reached its own module, in order, and nothing else did. With CORVANE_SHOT_DIR set
// it saves the main window with both module windows open (scripts/screenshots).

#include "alarm/ui/frmZ41COM.h"
#include "connect/ui/frmVX8.h"
#include "connect/ui/frmZ40MOD.h"
#include "core/SerialLink.h"
#include "data/ui/frmZ42COM.h"
#include "shell/MainWindow.h"
#include "sim/AlarmModuleSim.h"
#include "sim/PtyServer.h"
#include "sim/Vx8ModuleSim.h"
#include "support/AlarmTestKit.h"
#include "support/AppKit.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <QtWidgets>

namespace {
// Everything a link wrote, in order, for as long as it lives.
struct Written {
    QByteArray bytes;
    void follow(SerialLink &link)
    {
        QObject::connect(&link, &SerialLink::traffic, &link,
                         [this](bool sent, const QByteArray &b) {
                             if (sent)
                                 bytes += b;
                         });
    }
};

void saveShot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("CORVANE_SHOT_DIR");
    if (!dir.isEmpty())
        w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QString text(QWidget *w, const char *name)
{
    return w->findChild<QWidget *>(QLatin1String(name))->property("text").toString();
}
} // namespace

class TestE2ETwoPorts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void twoModulesSideBySide()
    {
        MessageRecorder messages;
        AlarmModuleSim alarmModule;
        Vx8ModuleSim vx8Module;
        PtyServer alarmPty, vx8Pty;
        QString error;
        QVERIFY2(alarmPty.open(&error) && vx8Pty.open(&error), qPrintable(error));
        alarmPty.serve(&alarmModule);
        vx8Pty.serve(&vx8Module);
        QByteArray alarmGot, vx8Got;
        connect(&alarmPty, &PtyServer::received, this, [&](const QByteArray &b) { alarmGot += b; });
        connect(&vx8Pty, &PtyServer::received, this, [&](const QByteArray &b) { vx8Got += b; });

        AppKit app(false);
        app.ports.map().set(1, alarmPty.slavePath());
        app.ports.map().set(2, vx8Pty.slavePath());
        auto *main = Windows::get<MainWindow>();
        WireMainWindow(main);
        main->Timer1.stop();
        main->resize(1100, 800);
        main->show();

        // Both connects at once: the dialog on COM1, the VX8 window on COM2.
        auto *dialog = qobject_cast<frmZ40MOD *>(Windows::get(QStringLiteral("frmZ40MOD")));
        auto *vx8 = qobject_cast<frmVX8 *>(Windows::get(QStringLiteral("frmVX8")));
        Written alarmWrote, vx8Wrote;
        alarmWrote.follow(dialog->link());
        vx8Wrote.follow(vx8->link());
        QPointer<SerialLink> alarmLink = &dialog->link(), vx8Link = &vx8->link();
        dialog->show();
        dialog->findChild<QComboBox *>("Combo1")->setCurrentText("COM1");
        vx8->show();
        vx8->findChild<QComboBox *>("Combo1")->setCurrentText("COM2");
        dialog->command1(0)->click();
        vx8->command1(0)->click();

        QTRY_VERIFY_WITH_TIMEOUT(Windows::findTyped<frmZ41COM>(), 10000);
        auto *alarm = Windows::findTyped<frmZ41COM>();
        QCOMPARE(&alarm->exchange().link(), alarmLink.data());
        QTRY_VERIFY_WITH_TIMEOUT(vx8->findChild<QWidget *>("Option1")->isEnabled(), 10000);
        QVERIFY(vx8->findChild<QRadioButton *>("Option1")->isChecked());

        // The alarm window reads its module; the data window reads its own meanwhile.
        vx8->command1(2)->click(); // "进入"
        auto *data = Windows::findTyped<frmZ42COM>();
        QVERIFY(data && &data->exchange().link() == vx8Link.data());
        QTRY_COMPARE_WITH_TIMEOUT(text(alarm, "Label19"), QStringLiteral("无省电"), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(text(data, "Label3_2"), QStringLiteral("格式传输"), 10000);
        QCOMPARE(text(alarm, "Label8"), QStringLiteral("CVALM V2.10"));
        QCOMPARE(text(data, "Label3_0"), QStringLiteral("VX8K V1.05"));
        QTRY_VERIFY(data->command1(4)->isEnabled());

        // A write in each: the module's baud rate.
        data->findChild<QComboBox *>("Combo7")->setCurrentText("19200bps");
        data->set_baud();
        alarm->findChild<QComboBox *>("Combo3")->setCurrentText("4800bps");
        alarm->sendBaudRate();
        QTRY_COMPARE_WITH_TIMEOUT(text(data, "Label4"), QStringLiteral("19200bps"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(alarmGot.endsWith(alarmWrote.bytes) &&
                                     alarmWrote.bytes.endsWith(hex("1A2A3A4A5A6A7A8A F2 01 05")),
                                 5000);

        saveShot(main, QStringLiteral("two-modules"));

        // The data window leaves; the alarm window, still on COM1, reads its module again.
        data->command1(5)->click(); // "退出"
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(vx8Link.isNull() || !vx8Link->isOpen());
        QTRY_VERIFY(alarm->findChild<QWidget *>("Command8")->isEnabled()); // the read-all is over
        alarm->findChild<QPushButton *>("Command8")->click();              // "刷新"
        QVERIFY(alarmLink->isOpen());
        QCOMPARE(alarmLink->openPath(), alarmPty.slavePath());
        QTRY_COMPARE_WITH_TIMEOUT(text(alarm, "Label19"), QStringLiteral("无省电"), 15000);
        QTRY_VERIFY(alarm->findChild<QWidget *>("Command8")->isEnabled());
        QCOMPARE(alarmGot.count(hex("1A2A3A4A5A6A7A8A AB 03")), 2); // two read-alls
        QCOMPARE(main->statusPanel(1), QStringLiteral("串口：COM1--9600,n,8,1"));

        // Each module got exactly what its own windows wrote, in order.
        QTest::qWait(200);
        QCOMPARE(alarmGot.toHex(' '), alarmWrote.bytes.toHex(' '));
        QCOMPARE(vx8Got.toHex(' '), vx8Wrote.bytes.toHex(' '));
        QVERIFY(alarmGot.contains(hex("1A2A3A4A5A6A7A8A AB 03")) &&
                !alarmGot.contains(hex("1A2A3A4A5A6A7A8A F4")));
        QVERIFY(vx8Got.contains(hex("1A2A3A4A5A6A7A8A F2 01 08")) &&
                !vx8Got.contains(hex("1A2A3A4A5A6A7A8A AB 03")));
        QVERIFY2(messages.texts().size() == 1, qPrintable(messages.texts().join('|')));

        alarmLink->close(); // before the servers go: no device loss
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete main;
    }
};

QTEST_MAIN(TestE2ETwoPorts)
#include "tst_e2e_twoports.moc"
