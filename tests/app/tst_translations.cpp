// Qt's own texts are Chinese once the program's translator is installed.
#include "app/Translations.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRegularExpression>
#include <QtTest>

namespace {

// Entry texts that still hold Latin letters once the accelerator "(&U)" and the shortcut after
// a tab are taken away.
QStringList EnglishEntries(const QMenu *menu)
{
    static const QRegularExpression accelerator(QStringLiteral("\\(&.\\)|\\t.*$"));
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    QStringList english;
    for (const QAction *action : menu->actions()) {
        QString text = action->text();
        text.remove(accelerator);
        if (text.contains(latin))
            english << action->text();
    }
    return english;
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(InstallQtTranslations()); }

    void qtMenus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::newRow("text box context menu") << "lineEdit";
        QTest::newRow("MDI system menu") << "mdi";
    }
    void qtMenus()
    {
        QFETCH(QString, menu);
        QMdiArea area;
        QLineEdit box(QStringLiteral("13800138000"));
        const QMenu *shown = nullptr;
        if (menu == QLatin1String("lineEdit")) {
            box.selectAll();
            shown = box.createStandardContextMenu(); // owned by the box
        } else {
            shown = area.addSubWindow(new QWidget)->systemMenu();
        }
        QVERIFY(shown->actions().size() >= 5);
        QCOMPARE(EnglishEntries(shown), QStringList());
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
