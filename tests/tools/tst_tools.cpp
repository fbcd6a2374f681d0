// The tools: the address calculator Form9 (the block of addresses of one station in three
// encodings, the station-number box's key handling, the refusals) and the Unicode converter
// Form18.
#include "core/Module1.h"
#include "core/ui/WindowRegistry.h"
#include "support/TestSupport.h"
#include "tools/ui/Form18.h"
#include "tools/ui/Form9.h"

#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace {

// Types characters into a box; '\b' is the backspace key, '<' the Home key, '^' pastes
// "zz:zz:".
void Type(QWidget *box, const QString &keys)
{
    for (const QChar c : keys) {
        if (c == QLatin1Char('\b'))
            QTest::keyClick(box, Qt::Key_Backspace);
        else if (c == QLatin1Char('<'))
            QTest::keyClick(box, Qt::Key_Home);
        else if (c == QLatin1Char('^')) {
            QApplication::clipboard()->setText(QStringLiteral("zz:zz:"));
            QTest::keySequence(box, QKeySequence::Paste);
        } else
            QTest::keyClick(box, c.toLatin1());
    }
}

struct Case {
    bool modeK;
    int group; // 0: scroll bar never moved
    int encoding;
    QString station;
    QStringList expected; // first and last line, or the refusal
};

} // namespace
Q_DECLARE_METATYPE(Case)

class TestTools : public QObject
{
    Q_OBJECT
    Form9 *m_form = nullptr;
    QScrollBar *scroll(const char *name) { return m_form->findChild<QScrollBar *>(name); }

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

    // The group-size box follows its bar; the bar's up arrow makes the group larger.
    void scrollBars()
    {
        scroll("VScroll3")->setValue(-255);
        QCOMPARE(m_form->Text1(2)->text(), QStringLiteral("255"));
        scroll("VScroll3")->setValue(-4);
        scroll("VScroll3")->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(m_form->Text1(2)->text(), QStringLiteral("5"));
    }

    // Each row: the first and the last line of the block (one line: both the same), or the
    // refusal; a refusal also empties the lines of an earlier calculation.
    void address_data()
    {
        QTest::addColumn<Case>("c");
        const QString noData = QStringLiteral("发射区没有需要发射的数据，请重新输入");
        QTest::newRow("hex, group 4") << Case{false, 4, 2, "00:03:", {"00:0C:", "00:09:"}};
        QTest::newRow("ASCII") << Case{false, 4, 1, "00:03:", {"30:30:30:43:", "30:30:30:39:"}};
        QTest::newRow("first byte ignored") << Case{false, 4, 2, "12:03:", {"00:0C:", "00:09:"}};
        QTest::newRow("group 1, station 0") << Case{false, 1, 2, "00:00:", {"00:00:", "00:00:"}};
        QTest::newRow("largest block") << Case{false, 255, 2, "00:FF:", {"FE:01:", "FD:03:"}};
        QTest::newRow("BCD top: 99 x 101") << Case{false, 99, 3, "00:65:", {"99:99:", "99:01:"}};
        QTest::newRow("K: 01:03: is 259") << Case{true, 1, 2, "01:03:", {"01:03:", "01:03:"}};
        QTest::newRow("K: group 2") << Case{true, 2, 2, "01:03:", {"02:06:", "02:05:"}};
        QTest::newRow("K: high digit ignored") << Case{true, 1, 2, "F1:03:", {"01:03:", "01:03:"}};
        QTest::newRow("K: top of two bytes") << Case{true, 16, 2, "0F:FF:", {"FF:F0:", "FF:E1:"}};
        QTest::newRow("K: ASCII top: 255 x 257")
            << Case{true, 255, 1, "01:01:", {"46:46:46:46:", "46:46:30:31:"}};
        QTest::newRow("station incomplete") << Case{false, 4, 2, "12:3", {noData}};
        QTest::newRow("group never chosen")
            << Case{false, 0, 2, "00:03:", {QStringLiteral("请先用滚动条选择组内模块数")}};
        const auto outOfRange = [](const char *group, const char *station, const char *from,
                                   const char *to, const char *kind, const char *limits) {
            return QStringList{QStringLiteral("组内模块数 %1 与站号 %2 得出的地址 %3 至 %4 超出%5的"
                                              "范围（%6），请重新选择")
                                   .arg(group, station, from, to, kind, limits)};
        };
        const QStringList below0 = outOfRange("2", "00:00:", "-1", "0", "十六进制", "0～65535");
        const QStringList bcd = outOfRange("40", "00:FF:", "10161", "10200", "BCD码", "0～9999");
        const QStringList hex =
            outOfRange("17", "0F:FF:", "69599", "69615", "十六进制", "0～65535");
        const QStringList ascii =
            outOfRange("255", "01:02:", "65536", "65790", "ASCII", "0～65535");
        QTest::newRow("below 0") << Case{false, 2, 2, "00:00:", below0};
        QTest::newRow("BCD above 9999") << Case{false, 40, 3, "00:FF:", bcd};
        QTest::newRow("K: hex above 65535") << Case{true, 17, 2, "0F:FF:", hex};
        QTest::newRow("K: ASCII above 65535") << Case{true, 255, 1, "01:02:", ascii};
    }
    void address()
    {
        QFETCH(Case, c);
        MessageRecorder messages;
        AddressModeK = c.modeK;
        if (c.group) { // moved so that the change event runs even for the start value
            scroll("VScroll3")->setValue(c.group == 1 ? -2 : -1);
            scroll("VScroll3")->setValue(-c.group);
        }
        scroll("VScroll4")->setValue(c.encoding);
        auto *result = m_form->findChild<QPlainTextEdit *>("Text2");
        result->setPlainText(QStringLiteral("00:01:"));
        m_form->Text1(4)->setText(c.station);
        QTest::mouseClick(m_form->Command1(0), Qt::LeftButton);
        const QStringList lines = result->toPlainText().split('\n', Qt::SkipEmptyParts);
        if (c.expected.size() == 1) {
            QCOMPARE(messages.texts(), c.expected);
            QCOMPARE(messages.messages[0].title, QStringLiteral("错误提示"));
            QCOMPARE(result->toPlainText(), QString());
            return;
        }
        QVERIFY(messages.messages.isEmpty() && result->toPlainText().endsWith('\n'));
        QCOMPARE(lines.size(), c.group);
        QCOMPARE((QStringList{lines.first(), lines.last()}), c.expected);
    }

    // Station box: hexadecimal pairs closed by ":", at most two bytes, typed at the end,
    // pasting refused.
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
                                 {"typed at the end whatever the caret", "12<3", "12:3"},
                                 {"paste refused", "^", ""}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2];
    }
    void stationKeys()
    {
        QFETCH(QString, keys);
        QLineEdit *box = m_form->Text1(4);
        box->setFocus();
        Type(box, keys);
        QTEST(box->text(), "text");
    }

    // Leaving unloads the window; the next use starts from the design-time values.
    void exitButton()
    {
        m_form->Text1(4)->setText(QStringLiteral("12:"));
        QTest::mouseClick(m_form->Command1(1), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Windows::isLoaded(QStringLiteral("Form9")));
        QCOMPARE(Windows::get<Form9>()->Text1(4)->text(), QString());
    }

    // Form18: a text as its UTF-16 big-endian bytes, with chosen characters before and after
    // each byte. Each row converts after a first conversion of "AB": the second replaces the first.
    void unicode_data()
    {
        QTest::addColumn<QStringList>("boxes"); // Text1, Text3, Text4
        QTest::addColumn<QString>("result");
        QTest::addColumn<QByteArray>("bytes");
        auto row = [](const char *name, const QStringList &in, const char *out, const char *hex) {
            QTest::newRow(name) << in << out << QByteArray::fromHex(hex);
        };
        row("A and U+4E2D, comma after", {"A\u4E2D", "", ","}, "0x00,41,4E,2D,\n", "0000414E2D");
        row("empty text", {"", "", ","}, "0x\n", "00");
        row("brackets", {"A", "[", "]"}, "0x[00][41]\n", "000041");
        row("prefix written once", {"A", "0x", ""}, "0x0x000x41\n", "000041");
        row("several characters each side", {"\u4E2D", " ", ", "}, "0x 4E,  2D, \n", "004E2D");
    }
    void unicode()
    {
        QFETCH(QStringList, boxes);
        auto *form = Windows::get<Form18>();
        auto *button = form->findChild<QPushButton *>("Command1");
        form->findChild<QLineEdit *>("Text1")->setText("AB");
        QTest::mouseClick(button, Qt::LeftButton);
        for (const char *box : {"Text1", "Text3", "Text4"})
            form->findChild<QLineEdit *>(box)->setText(boxes.takeFirst());
        QTest::mouseClick(button, Qt::LeftButton);
        QTEST(form->findChild<QPlainTextEdit *>("Text2")->toPlainText(), "result");
        QTEST(form->encoded(), "bytes");
        QVERIFY(button->isEnabled());
    }
};

QTEST_MAIN(TestTools)
#include "tst_tools.moc"
