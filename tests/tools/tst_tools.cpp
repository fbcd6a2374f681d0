// The tools: the address calculator Form9 (the block of addresses of one station in three
// encodings, the station-number box's key handling, the refusals) and the Unicode converter
// Form18.
#include "shell/WindowRegistry.h"
#include "support/TestSupport.h"
#include "tools/ui/Form18.h"
#include "tools/ui/Form9.h"

#include <QtTest>
#include <QtWidgets>

namespace {

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
        m_form = Windows::get<Form9>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }
    void cleanup()
    {
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Each row: the first and the last line of the block (one line: both the same), or the
    // refusal; a refusal also empties the lines of an earlier calculation.
    void address_data()
    {
        QTest::addColumn<Case>("c");
        const auto row = [](const char *name, bool k, int group, int encoding, const char *station,
                            const QStringList &expected) {
            QTest::newRow(name) << Case{k, group, encoding, station, expected};
        };
        const auto outOfRange = [&row](const char *name, bool k, int group, int encoding,
                                       const char *station, const char *range, const char *kind) {
            row(name, k, group, encoding, station,
                {QStringLiteral(
                     "组内模块数 %1 与站号 %2 得出的地址 %3 超出%4的范围（%5），请重新选择")
                     .arg(QString::number(group), station, range, kind,
                          encoding == 3 ? "0～9999" : "0～65535")});
        };
        row("hex, first byte ignored", false, 255, 2, "12:FF:", {"FE:01:", "FD:03:"});
        row("ASCII", false, 4, 1, "00:03:", {"30:30:30:43:", "30:30:30:39:"});
        row("BCD top: 99 x 101", false, 99, 3, "00:65:", {"99:99:", "99:01:"});
        row("K: hex top, high digit ignored", true, 16, 2, "FF:FF:", {"FF:F0:", "FF:E1:"});
        row("K: ASCII top: 255 x 257", true, 255, 1, "01:01:", {"46:46:46:46:", "46:46:30:31:"});
        row("station incomplete", false, 4, 2, "12:3",
            {QStringLiteral("发射区没有需要发射的数据，请重新输入")});
        row("group never chosen", false, 0, 2,
            "00:03:", {QStringLiteral("请先用滚动条选择组内模块数")});
        outOfRange("below 0", false, 2, 2, "00:00:", "-1 至 0", "十六进制");
        outOfRange("BCD above 9999", false, 40, 3, "00:FF:", "10161 至 10200", "BCD码");
        outOfRange("K: ASCII above 65535", true, 255, 1, "01:02:", "65536 至 65790", "ASCII");
    }
    void address()
    {
        QFETCH(Case, c);
        MessageRecorder messages;
        m_form->setVariantK(c.modeK);
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
        const bool refused = c.expected.size() == 1;
        QCOMPARE(messages.texts(), refused ? c.expected : QStringList());
        if (refused) {
            QVERIFY(messages.messages[0].title == "错误提示" && result->toPlainText().isEmpty());
            return;
        }
        QVERIFY(result->toPlainText().endsWith('\n') && lines.size() == c.group);
        QCOMPARE((QStringList{lines.first(), lines.last()}), c.expected);
    }

    // Station box: hexadecimal pairs closed by ":", typed at the end.
    void stationKeys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        const char *rows[][3] = {{"1 2 3 4", "1234", "12:34:"},
                                 {"letters past F, space and colon ignored", "1g :z2", "12:"},
                                 {"backspace edits", "123\b4", "12:4"},
                                 {"backspace over the colon", "12\b3", "123"},
                                 {"typed at the end whatever the caret", "12<3", "12:3"}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2];
    }
    void stationKeys()
    {
        QFETCH(QString, keys);
        QLineEdit *box = m_form->Text1(4);
        box->setFocus();
        for (const QChar c : keys) // \b: backspace, <: the Home key
            QTest::keyClick(box, c == '\b'  ? Qt::Key_Backspace
                                 : c == '<' ? Qt::Key_Home
                                            : Qt::Key(c.toUpper().unicode()));
        QTEST(box->text(), "text");
    }

    // Form18: a text as its UTF-16 big-endian bytes, the prefix once and the chosen characters
    // before and after each byte; the button is usable again; a new conversion replaces the last.
    void unicode()
    {
        auto *form = Windows::get<Form18>();
        auto *button = form->findChild<QPushButton *>("Command1");
        auto *text = form->findChild<QLineEdit *>("Text1");
        text->setText("A\u4E2D");
        form->findChild<QLineEdit *>("Text3")->setText("0x");
        form->findChild<QLineEdit *>("Text4")->setText("]");
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(form->findChild<QPlainTextEdit *>("Text2")->toPlainText(),
                 "0x0x00]0x41]0x4E]0x2D]\n");
        QCOMPARE(form->encoded(), QByteArray::fromHex("0000414E2D"));
        text->clear();
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(form->findChild<QPlainTextEdit *>("Text2")->toPlainText(), "0x\n");
        QVERIFY(form->encoded() == QByteArray(1, '\0') && button->isEnabled());
    }
};

QTEST_MAIN(TestTools)
#include "tst_tools.moc"
