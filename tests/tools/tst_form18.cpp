// The Unicode converter Form18: a text as its UTF-16 big-endian bytes, with chosen characters
// before and after each byte.
#include "core/ui/WindowRegistry.h"
#include "support/TestSupport.h"
#include "tools/ui/Form18.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

class TestForm18 : public QObject
{
    Q_OBJECT
    Form18 *m_form = nullptr;

    QLineEdit *box(const char *name) { return m_form->findChild<QLineEdit *>(QLatin1String(name)); }

private Q_SLOTS:
    void init()
    {
        ResetWorld();
        m_form = Windows::get<Form18>();
    }
    void cleanup()
    {
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void convert_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QByteArray>("bytes");
        auto row = [](const char *name, const QString &text, const char *before, const char *after,
                      const char *result, const char *bytes) {
            QTest::newRow(name) << text << before << after << result << QByteArray::fromHex(bytes);
        };
        row("A and U+4E2D, comma after", QStringLiteral("A\u4E2D"), "", ",", "0x00,41,4E,2D,\n",
            "0000414E2D");
        row("empty text", QString(), "", ",", "0x\n", "00");
        row("surrogates", QStringLiteral("\U0001F600"), "", ",", "0xD8,3D,DE,00,\n", "00D83DDE00");
        row("brackets", QStringLiteral("A"), "[", "]", "0x[00][41]\n", "000041");
        row("prefix written once", QStringLiteral("A"), "0x", "", "0x0x000x41\n", "000041");
        row("several characters each side", QStringLiteral("\u4E2D"), " ", ", ", "0x 4E,  2D, \n",
            "004E2D");
    }
    void convert()
    {
        QFETCH(QString, text);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, result);
        QFETCH(QByteArray, bytes);
        box("Text1")->setText(text);
        box("Text3")->setText(before);
        box("Text4")->setText(after);
        auto *button = m_form->findChild<QPushButton *>(QStringLiteral("Command1"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(m_form->findChild<QPlainTextEdit *>(QStringLiteral("Text2"))->toPlainText(),
                 result);
        QCOMPARE(m_form->encoded(), bytes);
        QVERIFY(button->isEnabled());
    }

    // A second conversion replaces the first, also when the new text is shorter or empty.
    void convertAgain()
    {
        box("Text4")->setText(QStringLiteral(","));
        box("Text1")->setText(QStringLiteral("AB"));
        m_form->convert();
        box("Text1")->setText(QString());
        m_form->convert();
        QCOMPARE(m_form->findChild<QPlainTextEdit *>(QStringLiteral("Text2"))->toPlainText(),
                 QStringLiteral("0x\n"));
        QCOMPARE(m_form->encoded(), QByteArray::fromHex("00"));
    }
};

QTEST_MAIN(TestForm18)
#include "tst_form18.moc"
