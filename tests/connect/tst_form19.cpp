// The restart wait window Form19: the port closed after 0.2 s, 50 seconds on the progress bar,
// then frmVX8 put back for a new connect.
#include "app/AppWindows.h"
#include "connect/ui/Form19.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "core/ui/WindowRegistry.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

const char *const Vx8Controls[] = {"Option1",    "Option2",    "Combo1",    "Combo2",
                                   "Command1_0", "Command1_1", "Command1_2"};

// The state of frmVX8 after a connect: everything the reset touches set the other way round.
QWidget *ConnectedVX8(const char *checkedOption)
{
    QWidget *w = Windows::get(QStringLiteral("frmVX8"));
    for (const char *name : Vx8Controls)
        w->findChild<QWidget *>(QLatin1String(name))
            ->setEnabled(QByteArray(name).startsWith("Option") || QByteArray(name) == "Command1_1");
    w->findChild<QRadioButton *>(QLatin1String(checkedOption))->setChecked(true);
    return w;
}

QStringList EnabledControls(QWidget *w)
{
    QStringList names;
    for (const char *name : Vx8Controls)
        if (w->findChild<QWidget *>(QLatin1String(name))->isEnabled())
            names << QLatin1String(name);
    return names;
}

int Progress(Form19 *w)
{
    return w->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"))->value();
}

} // namespace

class TestForm19 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { RegisterWindows(); }
    void init()
    {
        ResetWorld(true);
        PendingRestartMessage =
            QStringLiteral("您设置了GPRS模式，模块已经重新启动，需要等待一点时间");
    }
    void cleanup()
    {
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void load()
    {
        auto *w = Windows::get<Form19>();
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("Label1"))->text(), PendingRestartMessage);
        QVERIFY(w->isModal());
        QCOMPARE(w->Timer1.interval(), 1000);
        QCOMPARE(w->Timer2.interval(), 200);
        QVERIFY(w->Timer1.isActive() && w->Timer2.isActive());
    }

    void closesPort_data()
    {
        QTest::addColumn<bool>("open");
        QTest::newRow("left open by the caller") << true;
        QTest::newRow("already closed") << false;
    }
    void closesPort()
    {
        QFETCH(bool, open);
        if (!open)
            Link().close();
        auto *w = Windows::get<Form19>();
        QVERIFY(Link().isOpen() == open);
        w->onTimer2();
        QVERIFY(!Link().isOpen());
        QVERIFY(!w->Timer2.isActive());
        QVERIFY(w->Timer1.isActive());
    }

    void countdown_data()
    {
        QTest::addColumn<QString>("checked"); // empty: frmVX8 not loaded
        QTest::newRow("identity address chosen") << "Option1";
        QTest::newRow("data communication chosen") << "Option2";
        QTest::newRow("frmVX8 not open") << "";
    }
    // 50 ticks fill the bar; the 51st resets frmVX8 and unloads the window.
    void countdown()
    {
        QFETCH(QString, checked);
        QWidget *vx8 = checked.isEmpty() ? nullptr : ConnectedVX8(checked.toLatin1().constData());
        auto *w = Windows::get<Form19>();
        QList<int> shown;
        for (int tick = 1; tick <= 50; ++tick) {
            w->onTimer1();
            if (tick <= 2 || tick >= 49)
                shown << Progress(w);
        }
        QCOMPARE(shown, (QList<int>{1, 2, 49, 50}));
        QVERIFY(Windows::isLoaded(QStringLiteral("Form19")));
        if (vx8) {
            QVERIFY(vx8->findChild<QRadioButton *>(checked)->isChecked());
            QCOMPARE(EnabledControls(vx8), (QStringList{"Option1", "Option2", "Command1_1"}));
        } else {
            QVERIFY(!Windows::isLoaded(QStringLiteral("frmVX8")));
        }

        w->onTimer1();
        QVERIFY(!Windows::isLoaded(QStringLiteral("Form19")));
        QVERIFY(!w->Timer1.isActive());
        vx8 = Windows::find(QStringLiteral("frmVX8"));
        QVERIFY(vx8);
        QVERIFY(!vx8->isVisible());
        QVERIFY(!vx8->findChild<QRadioButton *>(QStringLiteral("Option1"))->isChecked());
        QVERIFY(!vx8->findChild<QRadioButton *>(QStringLiteral("Option2"))->isChecked());
        QCOMPARE(EnabledControls(vx8),
                 (QStringList{"Combo1", "Combo2", "Command1_0", "Command1_2"}));
    }

    // Shown modally by a caller, which continues once the window has unloaded itself; a new
    // show counts from 0 again.
    void modalCaller()
    {
        auto *w = Windows::get<Form19>();
        QTimer::singleShot(0, w, [w] {
            for (int tick = 0; tick < 51; ++tick)
                w->onTimer1();
        });
        w->exec();
        QVERIFY(!Windows::isLoaded(QStringLiteral("Form19")));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto *again = Windows::get<Form19>();
        QCOMPARE(again->tickCount(), quint8(0));
        QCOMPARE(Progress(again), 0);
    }

    // The user cannot cut the wait short.
    void escapeIgnored()
    {
        auto *w = Windows::get<Form19>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(w->isVisible());
        QVERIFY(Windows::isLoaded(QStringLiteral("Form19")));
    }
};

QTEST_MAIN(TestForm19)
#include "tst_form19.moc"
