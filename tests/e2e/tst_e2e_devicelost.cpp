// End to end, in real time: the device goes away in the middle of a connect (a pseudo-terminal
// whose other side closes, the real QSerialPort, the real connect dialog and timers).
#include "app/AppWindows.h"
#include "connect/ConnectParser.h"
#include "connect/ConnectTimers.h"
#include "core/OpenFailure.h"
#include "core/SerialLink.h"
#include "core/serial/QtSerialBackend.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowRegistry.h"
#include "support/TestSupport.h"

#include <QPushButton>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

class TestE2EDeviceLost : public QObject
{
    Q_OBJECT
    // Command1(0..2), Combo1, Combo2 of the connect dialog: "11111" all enabled.
    QString controls(QWidget *dialog) const
    {
        QString state;
        for (const char *name : {"Command1_0", "Command1_1", "Command1_2", "Combo1", "Combo2"})
            state += dialog->findChild<QWidget *>(QLatin1String(name))->isEnabled() ? '1' : '0';
        return state;
    }

private Q_SLOTS:
    void initTestCase()
    {
        RegisterWindows();
        InstallDeviceLossReport(Link());
    }

    // One message (the loss), no connect time-out message 2 s later, the timers stopped and the
    // dialog ready to connect again.
    void lossDuringConnect_data()
    {
        QTest::addColumn<bool>("noticeFirst");
        QTest::newRow("during the connect query") << false;
        QTest::newRow("during the read-out") << true;
    }
    void lossDuringConnect()
    {
        QFETCH(bool, noticeFirst);
        ResetWorld();
        MessageRecorder messages;
        Link().setBackend(new QtSerialBackend);
        int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const QString slave = QString::fromLocal8Bit(::ptsname(master));
        Link().setPortResolver([slave](int) { return slave; });
        InstallConnectParser();
        main = Windows::get<MainWindow>();
        QWidget *dialog = Windows::get(QStringLiteral("frmZ40MOD"));
        dialog->show();
        dialog->findChild<QPushButton *>(QStringLiteral("Command1_0"))->click();
        QVERIFY(Link().isOpen());
        QCOMPARE(controls(dialog), QStringLiteral("00000"));

        QTRY_VERIFY(MainTimers().Timer9.isActive()); // the connect query is out
        if (noticeFirst) {
            const QByteArray notice = QByteArray::fromHex("1A2A3A4A5A6A7A8A FD 000000");
            QCOMPARE(::write(master, notice.constData(), size_t(notice.size())),
                     ssize_t(notice.size()));
            QTRY_VERIFY(MainTimers().Timer11.isActive());
            QTest::qWait(1200); // a read-out query or two
        }
        ::close(master);
        QTRY_VERIFY_WITH_TIMEOUT(!Link().isOpen(), 3000);
        QTest::qWait(2500); // longer than the connect time-out and a read-out step

        QCOMPARE(messages.messages.size(), 1);
        QVERIFY2(messages.messages[0].text.contains(QStringLiteral("已断开")),
                 qPrintable(messages.messages[0].text));
        QVERIFY(!MainTimers().Timer8.isActive());
        QVERIFY(!MainTimers().Timer9.isActive());
        QVERIFY(!MainTimers().Timer11.isActive());
        QCOMPARE(controls(dialog), QStringLiteral("11111"));
    }

    void cleanup()
    {
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Link().close();
        delete main;
        main = nullptr;
    }

private:
    MainWindow *main = nullptr;
};

QTEST_MAIN(TestE2EDeviceLost)
#include "tst_e2e_devicelost.moc"
