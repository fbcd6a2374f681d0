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
        QTest::newRow("A and U+4E2D, comma after") << QStringLiteral("A\u4E2D") << ""
                                                   << ","
                                                   << "0x00,41,4E,2D,\n"
                                                   << QByteArray::fromHex("0000414E2D");
        QTest::newRow("empty text") << ""
                                    << ""
                                    << ","
                                    << "0x\n"
                                    << QByteArray::fromHex("00");
        QTest::newRow("above U+FFFF: two surrogates") << QStringLiteral("\U0001F600") << ""
                                                      << ","
                                                      << "0xD8,3D,DE,00,\n"
                                                      << QByteArray::fromHex("00D83DDE00");
        QTest::newRow("brackets around each byte") << "A"
                                                   << "["
                                                   << "]"
                                                   << "0x[00][41]\n"
                                                   << QByteArray::fromHex("000041");
        QTest::newRow("prefix written once whatever Text3 holds") << "A"
                                                                  << "0x"
                                                                  << ""
                                                                  << "0x0x000x41\n"
                                                                  << QByteArray::fromHex("000041");
        QTest::newRow("no separators") << QStringLiteral("\u4E2D\u6587") << ""
                                       << ""
                                       << "0x4E2D6587\n"
                                       << QByteArray::fromHex("004E2D6587");
        QTest::newRow("several characters each side") << QStringLiteral("\u4E2D") << " "
                                                      << ", "
                                                      << "0x 4E,  2D, \n"
                                                      << QByteArray::fromHex("004E2D");
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

    void exitButton()
    {
        QTest::mouseClick(m_form->findChild<QPushButton *>(QStringLiteral("Command2")),
                          Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Windows::isLoaded(QStringLiteral("Form18")));
    }
};

QTEST_MAIN(TestForm18)
#include "tst_form18.moc"
