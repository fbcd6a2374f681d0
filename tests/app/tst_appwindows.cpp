// The application's windows: every one registered by name, and the connect dialog of --connect.
#include "app/AppWindows.h"
#include "connect/ConnectTimers.h"
#include "core/SerialLink.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowRegistry.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QScreen>
#include <QtTest>

class TestAppWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { RegisterWindows(); }
    void cleanup()
    {
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void registered_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name :
             {"frmMain", "Form10", "Form9", "Form18", "Form19", "frmVX8", "frmZ40MOD", "frmZ41COM"})
            QTest::newRow(name) << name;
    }
    void registered()
    {
        QFETCH(QString, name);
        MessageRecorder messages;
        ResetWorld();
        QWidget *w = Windows::get(name);
        QVERIFY(w);
        QCOMPARE(w->objectName(), name);
        QCOMPARE(Windows::find(name), w);
    }

    // The dialog opens modal, centred over the main window and inside the screen, with the port
    // and baud rate chosen, and the connect has started.
    void connectAtStartUp_data()
    {
        QTest::addColumn<QRect>("mainGeometry");
        QTest::newRow("main window left") << QRect(20, 30, 560, 420);
        QTest::newRow("main window right") << QRect(260, 150, 500, 400);
        QTest::newRow("main window past the screen's edge") << QRect(500, 400, 813, 626);
    }
    void connectAtStartUp()
    {
        QFETCH(QRect, mainGeometry);
        MessageRecorder messages;
        ResetWorld();
        MainWindow main;
        main.setGeometry(mainGeometry);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        ConnectAtStartUp(QStringLiteral("COM2"), QStringLiteral("19200bps"));
        QWidget *dialog = Windows::find(QStringLiteral("frmZ40MOD"));
        QVERIFY(dialog && dialog->isVisible() && dialog->isWindow());
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        const QRect screen = dialog->screen()->availableGeometry();
        const QRect frame = dialog->frameGeometry();
        QVERIFY2(screen.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                        .arg(frame.x())
                                                        .arg(frame.y())
                                                        .arg(frame.width())
                                                        .arg(frame.height())));
        if (screen.contains(main.frameGeometry())) {
            QVERIFY(qAbs(frame.center().x() - main.frameGeometry().center().x()) <= 1);
            QVERIFY(qAbs(frame.center().y() - main.frameGeometry().center().y()) <= 1);
        }
        QCOMPARE(dialog->findChild<QComboBox *>(QStringLiteral("Combo1"))->currentText(),
                 QStringLiteral("COM2"));
        QCOMPARE(dialog->findChild<QComboBox *>(QStringLiteral("Combo2"))->currentText(),
                 QStringLiteral("19200bps"));
        QVERIFY(MainTimers().Timer8.isActive());
        MainTimers().Timer8.stop();
    }
};

QTEST_MAIN(TestAppWindows)
#include "tst_appwindows.moc"
