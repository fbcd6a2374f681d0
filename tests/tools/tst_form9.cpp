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

    // Each row: the first and the last line of the block (one line: both the same), or the
    // refusal; a refusal also empties the lines of an earlier calculation.
    void convert_data()
    {
        QTest::addColumn<bool>("modeK");
        QTest::addColumn<int>("group"); // 0: scroll bar never moved
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("station");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("refusal");
        auto row = [](const char *name, bool k, int group, int encoding, const char *station,
                      const char *first, const char *last) {
            QTest::newRow(name) << k << group << encoding << station << first << last << QString();
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

        auto refused = [](const char *name, bool k, int group, int encoding, const char *station,
                          const QString &message) {
            QTest::newRow(name) << k << group << encoding << station << ""
                                << "" << message;
        };
        const QString noData = QStringLiteral("发射区没有需要发射的数据，请重新输入");
        const QString range = QStringLiteral("组内模块数 %1 与站号 %2 得出的地址 %3 至 %4 "
                                             "超出%5的范围（%6），请重新选择");
        refused("station empty", false, 4, 2, "", noData);
        refused("station incomplete", false, 4, 2, "12:3", noData);
        refused("group never chosen", false, 0, 2, "00:03:", "请先用滚动条选择组内模块数");
        refused("below 0", false, 2, 2,
                "00:00:", range.arg("2", "00:00:", "-1", "0", "十六进制", "0～65535"));
        refused("BCD above 9999", false, 40, 3,
                "00:FF:", range.arg("40", "00:FF:", "10161", "10200", "BCD码", "0～9999"));
        refused("K: hex above 65535", true, 17, 2,
                "0F:FF:", range.arg("17", "0F:FF:", "69599", "69615", "十六进制", "0～65535"));
        refused("K: ASCII above 65535", true, 255, 1,
                "01:02:", range.arg("255", "01:02:", "65536", "65790", "ASCII", "0～65535"));
    }
    void convert()
    {
        QFETCH(bool, modeK);
        QFETCH(int, group);
        QFETCH(int, encoding);
        QFETCH(QString, station);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, refusal);
        MessageRecorder messages;
        AddressModeK = modeK;
        if (group)
            SetGroup(m_form, group);
        Scroll(m_form, "VScroll4")->setValue(encoding);
        m_form->findChild<QPlainTextEdit *>(QStringLiteral("Text2"))
            ->setPlainText(QStringLiteral("00:01:"));
        m_form->Text1(4)->setText(station);
        QTest::mouseClick(m_form->Command1(0), Qt::LeftButton);
        const QString result = Result(m_form);
        if (!refusal.isEmpty()) {
            QCOMPARE(messages.texts(), QStringList{refusal});
            QCOMPARE(messages.messages[0].title, QStringLiteral("错误提示"));
            QCOMPARE(result, QString());
            return;
        }
        QVERIFY(messages.messages.isEmpty());
        QVERIFY(result.endsWith(QLatin1Char('\n')));
        const QStringList all = result.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(all.size(), group);
        QCOMPARE(all.first(), first);
        QCOMPARE(all.last(), last);
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
