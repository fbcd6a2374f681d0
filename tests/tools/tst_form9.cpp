// The address calculator Form9: the block of addresses of one station in three encodings, the
// station-number box's key handling, and the refusals.
#include "core/Module1.h"
#include "core/ui/WindowRegistry.h"
#include "support/TestSupport.h"
#include "tools/ui/Form9.h"

#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace {

QScrollBar *Scroll(Form9 *w, const char *name)
{
    return w->findChild<QScrollBar *>(QLatin1String(name));
}

QString Result(Form9 *w)
{
    return w->findChild<QPlainTextEdit *>(QStringLiteral("Text2"))->toPlainText();
}

// Moves the group-size scroll bar so that its change event runs even for the start value.
void SetGroup(Form9 *w, int n)
{
    QScrollBar *bar = Scroll(w, "VScroll3");
    bar->setValue(n == 1 ? -2 : -1);
    bar->setValue(-n);
}

// Types characters into a box; '\b' is the backspace key, '<' the Home key.
void Type(QWidget *box, const QString &keys)
{
    for (const QChar c : keys) {
        if (c == QLatin1Char('\b'))
            QTest::keyClick(box, Qt::Key_Backspace);
        else if (c == QLatin1Char('<'))
            QTest::keyClick(box, Qt::Key_Home);
        else
            QTest::keyClick(box, c.toLatin1());
    }
}

} // namespace

class TestForm9 : public QObject
{
    Q_OBJECT
    Form9 *m_form = nullptr;

private Q_SLOTS:
    void init()
    {
        ResetWorld();
        m_form = Windows::get<Form9>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }
    void cleanup()
    {
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void scrollBars()
    {
        Scroll(m_form, "VScroll3")->setValue(-255);
        QCOMPARE(m_form->Text1(2)->text(), QStringLiteral("255"));
        Scroll(m_form, "VScroll4")->setValue(3);
        QCOMPARE(m_form->Text1(3)->text(), QStringLiteral("BCD码"));
    }

    // The up arrow of the group-size bar makes the group larger.
    void groupScrollUp()
    {
        QScrollBar *bar = Scroll(m_form, "VScroll3");
        bar->setValue(-4);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(m_form->Text1(2)->text(), QStringLiteral("5"));
    }

    // Each row: the first and the last line of the block (one line: both the same).
    void convert_data()
    {
        QTest::addColumn<bool>("modeK");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("station");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        auto row = [](const char *name, bool k, int group, int encoding, const char *station,
                      const char *first, const char *last) {
            QTest::newRow(name) << k << group << encoding << station << first << last;
        };
        row("hex, group 4", false, 4, 2, "00:03:", "00:0C:", "00:09:");
        row("BCD, group 4", false, 4, 3, "00:03:", "00:12:", "00:09:");
        row("ASCII, group 4", false, 4, 1, "00:03:", "30:30:30:43:", "30:30:30:39:");
        row("first byte does not matter", false, 4, 2, "12:03:", "00:0C:", "00:09:");
        row("group 1, station 0", false, 1, 2, "00:00:", "00:00:", "00:00:");
        row("largest block", false, 255, 2, "00:FF:", "FE:01:", "FD:03:");
        row("BCD top: 99 x 101", false, 99, 3, "00:65:", "99:99:", "99:01:");
        row("K: 01:03: is 259", true, 1, 2, "01:03:", "01:03:", "01:03:");
        row("K: group 2", true, 2, 2, "01:03:", "02:06:", "02:05:");
        row("K: high digit ignored", true, 1, 2, "F1:03:", "01:03:", "01:03:");
        row("K: BCD of 259", true, 1, 3, "01:03:", "02:59:", "02:59:");
        row("K: top of two bytes", true, 16, 2, "0F:FF:", "FF:F0:", "FF:E1:");
        row("K: ASCII top: 255 x 257", true, 255, 1, "01:01:", "46:46:46:46:", "46:46:30:31:");
    }
    void convert()
    {
        QFETCH(bool, modeK);
        QFETCH(int, group);
        QFETCH(int, encoding);
        QFETCH(QString, station);
        QFETCH(QString, first);
        QFETCH(QString, last);
        MessageRecorder messages;
        AddressModeK = modeK;
        SetGroup(m_form, group);
        Scroll(m_form, "VScroll4")->setValue(encoding);
        m_form->Text1(4)->setText(station);
        QTest::mouseClick(m_form->Command1(0), Qt::LeftButton);
        QVERIFY(messages.messages.isEmpty());
        const QString result = Result(m_form);
        QVERIFY(result.endsWith(QLatin1Char('\n')));
        const QStringList all = result.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(all.size(), group);
        QCOMPARE(all.first(), first);
        QCOMPARE(all.last(), last);
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("modeK");
        QTest::addColumn<int>("group"); // 0: scroll bar never moved
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("station");
        QTest::addColumn<QString>("message");
        const QString noData = QStringLiteral("发射区没有需要发射的数据，请重新输入");
        QTest::newRow("station empty") << false << 4 << 2 << "" << noData;
        QTest::newRow("station incomplete") << false << 4 << 2 << "12:3" << noData;
        QTest::newRow("group never chosen") << false << 0 << 2 << "00:03:"
                                            << "请先用滚动条选择组内模块数";
        QTest::newRow("station 0, group 2: below 0")
            << false << 2 << 2 << "00:00:"
            << "组内模块数 2 与站号 00:00: 得出的地址 -1 至 0 "
               "超出十六进制的范围（0～65535），请重新选择";
        QTest::newRow("BCD above 9999") << false << 40 << 3 << "00:FF:"
                                        << "组内模块数 40 与站号 00:FF: 得出的地址 10161 至 10200 "
                                           "超出BCD码的范围（0～9999），请重新选择";
        QTest::newRow("K: hex above 65535") << true << 17 << 2 << "0F:FF:"
                                            << "组内模块数 17 与站号 0F:FF: 得出的地址 69599 至 "
                                               "69615 超出十六进制的范围（0～65535），请重新选择";
        QTest::newRow("K: ASCII above 65535") << true << 255 << 1 << "01:02:"
                                              << "组内模块数 255 与站号 01:02: 得出的地址 65536 至 "
                                                 "65790 超出ASCII的范围（0～65535），请重新选择";
    }
    void refusals()
    {
        QFETCH(bool, modeK);
        QFETCH(int, group);
        QFETCH(int, encoding);
        QFETCH(QString, station);
        QFETCH(QString, message);
        MessageRecorder messages;
        AddressModeK = modeK;
        if (group)
            SetGroup(m_form, group);
        Scroll(m_form, "VScroll4")->setValue(encoding);
        // Lines of an earlier calculation go away too.
        m_form->findChild<QPlainTextEdit *>(QStringLiteral("Text2"))
            ->setPlainText(QStringLiteral("00:01:"));
        m_form->Text1(4)->setText(station);
        m_form->convert();
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(messages.messages[0].title, QStringLiteral("错误提示"));
        QCOMPARE(messages.messages[0].buttons, MsgButtons::Ok);
        QCOMPARE(Result(m_form), QString());
    }

    void stationKeys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        const char *rows[][3] = {{"1 2 3 4", "1234", "12:34:"},
                                 {"seventh refused", "12345", "12:34:"},
                                 {"lower-case pair", "af", "AF:"},
                                 {"letters past F ignored", "1gz2", "12:"},
                                 {"space and colon ignored", "1 :2", "12:"},
                                 {"backspace edits", "123\b4", "12:4"},
                                 {"backspace over the colon", "12\b3", "123"},
                                 {"typed at the end whatever the caret", "12<3", "12:3"}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2];
    }
    void stationKeys()
    {
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QLineEdit *box = m_form->Text1(4);
        box->setFocus();
        Type(box, keys);
        QCOMPARE(box->text(), text);
    }

    void pasteRefused()
    {
        QLineEdit *box = m_form->Text1(4);
        QApplication::clipboard()->setText(QStringLiteral("zz:zz:"));
        QTest::keySequence(box, QKeySequence::Paste);
        QCOMPARE(box->text(), QString());
    }

    void otherBoxesIgnoreTyping()
    {
        for (QWidget *box :
             {static_cast<QWidget *>(m_form->Text1(2)), static_cast<QWidget *>(m_form->Text1(3)),
              m_form->findChild<QWidget *>(QStringLiteral("Text2"))}) {
            const QString before = box->property("text").toString();
            Type(box, QStringLiteral("12\b"));
            QCOMPARE(box->property("text").toString(), before);
        }
    }

    void exitButton()
    {
        QTest::mouseClick(m_form->Command1(1), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Windows::isLoaded(QStringLiteral("Form9")));
        // The next use starts from the design-time values.
        QCOMPARE(Windows::get<Form9>()->Text1(4)->text(), QString());
    }
};

QTEST_MAIN(TestForm9)
#include "tst_form9.moc"
