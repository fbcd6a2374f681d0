// The wait window Form10: a growing row of ">" every half second, the time-out after 90 s.
#include "core/ui/Form10.h"
#include "core/ui/WindowRegistry.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QtTest>

class TestForm10 : public QObject
{
    Q_OBJECT

    static QString Label1(Form10 *w)
    {
        return w->findChild<QLabel *>(QStringLiteral("Label1"))->text();
    }

private Q_SLOTS:
    void init() { ResetWorld(); }
    void cleanup()
    {
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void progress_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("label");
        const QString full(30, QLatin1Char('>'));
        QTest::newRow("first tick") << 1 << ">";
        QTest::newRow("30 marks stay shown") << 30 << full;
        QTest::newRow("31st tick starts again") << 31 << ">";
        QTest::newRow("second round full") << 60 << full;
        QTest::newRow("last tick before the time-out") << 179 << full.left(29);
    }
    void progress()
    {
        QFETCH(int, ticks);
        QFETCH(QString, label);
        MessageRecorder messages;
        auto *w = Windows::get<Form10>();
        QCOMPARE(w->Timer1.interval(), 500);
        for (int i = 0; i < ticks; ++i)
            w->onTimer1();
        QCOMPARE(Label1(w), label);
        QCOMPARE(int(w->tickCount()), ticks);
        QVERIFY(messages.messages.isEmpty());
        QVERIFY(Windows::isLoaded(QStringLiteral("Form10")));
        QVERIFY(w->Timer1.isActive());
    }

    // 180 ticks, 90 s: the message, then the window is gone; a new show starts from nothing.
    void timeout()
    {
        MessageRecorder messages;
        auto *w = Windows::get<Form10>();
        QPointer<Form10> guard(w);
        for (int i = 0; i < 180; ++i)
            w->onTimer1();
        QCOMPARE(messages.messages.size(), 1);
        QCOMPARE(messages.messages[0].text, QStringLiteral("连接超时，可能是网络忙。请少后再试"));
        QCOMPARE(messages.messages[0].title, QStringLiteral("网络出错！"));
        QCOMPARE(messages.messages[0].icon, MsgIcon::Information);
        QCOMPARE(messages.messages[0].buttons, MsgButtons::Ok);
        QVERIFY(!Windows::isLoaded(QStringLiteral("Form10")));
        QVERIFY(!w->Timer1.isActive());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());

        auto *again = Windows::get<Form10>();
        QCOMPARE(again->tickCount(), quint16(0));
        QCOMPARE(Label1(again), QString());
        again->onTimer1();
        QCOMPARE(Label1(again), QStringLiteral(">"));
    }

    // Unloaded by the data-module window before the time-out: no message.
    void unloadedEarly()
    {
        MessageRecorder messages;
        auto *w = Windows::get<Form10>();
        for (int i = 0; i < 100; ++i)
            w->onTimer1();
        Windows::unload(QStringLiteral("Form10"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Windows::isLoaded(QStringLiteral("Form10")));
        QVERIFY(messages.messages.isEmpty());
    }
};

QTEST_MAIN(TestForm10)
#include "tst_form10.moc"
