// End to end, in real time: the virtual module on a pseudo-terminal, the real QSerialPort and the
// real windows. Launcher -> connect dialog -> identification -> alarm window -> read-all -> the
// parameter display shows what the module holds.
#include "app/AppWindows.h"
#include "connect/ConnectParser.h"
#include "connect/ConnectTimers.h"
#include "core/Module1.h"
#include "core/ReceiveDispatch.h"
#include "core/SerialLink.h"
#include "core/serial/QtSerialBackend.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowRegistry.h"
#include "sim/AlarmModuleSim.h"
#include "sim/PtyServer.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestE2EConnect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void launcherToFilledParameterDisplay_data()
    {
        // Module configurations and the texts the display must show for them.
        QTest::addColumn<int>("workForm");
        QTest::addColumn<int>("transferMode");
        QTest::addColumn<int>("chunk");
        QTest::addColumn<QString>("workLabel");
        QTest::addColumn<QString>("transferLabel");
        QTest::newRow("passive, format, whole replies") << 0 << 1 << 0 << "被动方式"
                                                        << "格式传输";
        QTest::newRow("active, transparent, 3-byte pieces") << 1 << 0 << 3 << "主动方式"
                                                            << "透明方式1";
    }
    void launcherToFilledParameterDisplay()
    {
        QFETCH(int, workForm);
        QFETCH(int, transferMode);
        QFETCH(int, chunk);
        QFETCH(QString, workLabel);
        QFETCH(QString, transferLabel);

        ResetWorld();
        MessageRecorder messages;
        Link().setBackend(new QtSerialBackend);
        AlarmModuleSim module;
        module.state().workForm = quint8(workForm);
        module.state().transferMode = quint8(transferMode);
        AlarmSimOptions options;
        options.chunkSize = chunk;
        options.pieceGapMs = chunk ? 5 : 0;
        module.setOptions(options);
        PtyServer server;
        QString error;
        QVERIFY2(server.open(&error), qPrintable(error));
        server.serve(&module);
        const QString path = server.slavePath();
        Link().setPortResolver([path](int n) { return n == 1 ? path : QString(); });

        RegisterWindows();
        InstallConnectParser();
        main = Windows::get<MainWindow>();
        main->show();
        main->onTimer1(); // the launcher comes up
        QWidget *launcher = Windows::find(QStringLiteral("frmMain"));
        QVERIFY(launcher);
        auto *label2 = launcher->findChild<QLabel *>(QStringLiteral("Label2"));
        QVERIFY(label2);
        QTest::mouseClick(label2, Qt::LeftButton);
        QWidget *dialog = Windows::find(QStringLiteral("frmZ40MOD"));
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->isVisible());
        dialog->findChild<QComboBox *>(QStringLiteral("Combo1"))
            ->setCurrentText(QStringLiteral("COM1"));
        dialog->findChild<QComboBox *>(QStringLiteral("Combo2"))
            ->setCurrentText(QStringLiteral("9600bps"));

        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Command1_0")),
                          Qt::LeftButton);
        QVERIFY(Link().isOpen());

        // Identification: five read-outs one per second, then the alarm window opens.
        QTRY_VERIFY_WITH_TIMEOUT(Windows::find(QStringLiteral("frmZ41COM")), 9000);
        QWidget *alarm = Windows::find(QStringLiteral("frmZ41COM"));
        QCOMPARE(ModuleNetMode, quint8(2));
        QCOMPARE(int(WorkFormFlag), workForm);

        // The read-all sequence fills the display; with power saving off its last read is D3.
        auto label = [alarm](const char *name) {
            auto *l = alarm->findChild<QLabel *>(QLatin1String(name));
            return l ? l->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
        };
        QTRY_COMPARE_WITH_TIMEOUT(label("Label19"), QStringLiteral("无省电"), 15000);
        const qint64 elapsed = clock.elapsed();
        qInfo("connect click to filled parameter display over a pty: %lld ms", elapsed);

        QCOMPARE(label("Label8"), QStringLiteral("CVALM V2.10"));
        QCOMPARE(label("Label3"), workLabel);
        QCOMPARE(label("Label4"), transferLabel);
        QCOMPARE(label("Label7"), QStringLiteral("9600bps"));
        QCOMPARE(label("Label12"), QStringLiteral("60"));
        QCOMPARE(label("Label10"), QStringLiteral("无密码"));
        QCOMPARE(label("Label19"), QStringLiteral("无省电"));
        if (workForm == 0) {
            QCOMPARE(label("Label9"), QStringLiteral("12:34:"));
        }
        QVERIFY2(messages.messages.isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    }

    // Whatever a row left behind: windows, the open port, running timers.
    void cleanup()
    {
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Link().close();
        MainTimers().Timer8.stop();
        MainTimers().Timer9.stop();
        MainTimers().Timer11.stop();
        delete main;
        main = nullptr;
    }

private:
    MainWindow *main = nullptr;
};

QTEST_MAIN(TestE2EConnect)
#include "tst_e2e_connect.moc"
