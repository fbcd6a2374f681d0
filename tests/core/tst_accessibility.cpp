// Screen readers and the keyboard: every input control of every window and tab page has a name
// and no two inputs of one page share one; the launcher opens the connect dialog without a mouse.
#include "alarm/ui/frmZ41COM.h"
#include "app/AppWindows.h"
#include "shell/AccessibleNames.h"
#include "shell/MainWindow.h"
#include "shell/WindowRegistry.h"
#include "support/AppKit.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QList<QAccessible::Role> InputRoles = {QAccessible::ComboBox, QAccessible::EditableText,
                                             QAccessible::CheckBox, QAccessible::RadioButton,
                                             QAccessible::Button,   QAccessible::SpinBox,
                                             QAccessible::Slider};

// The tab page a control sits on, or its window.
const QWidget *PageOf(const QWidget *control, const QWidget *window)
{
    for (const QWidget *w = control; w && w != window; w = w->parentWidget()) {
        const QWidget *parent = w->parentWidget();
        if (qobject_cast<const QStackedWidget *>(parent) &&
            qobject_cast<const QTabWidget *>(parent->parentWidget()))
            return w;
    }
    return window;
}

struct Walk {
    const QWidget *window;
    QHash<const QWidget *, QHash<QString, QString>> names; // page -> name -> objectName
    QStringList problems;

    void visit(QAccessibleInterface *node)
    {
        for (int i = 0; i < node->childCount(); ++i) {
            QAccessibleInterface *child = node->child(i);
            auto *w = child ? qobject_cast<QWidget *>(child->object()) : nullptr;
            // Hidden controls are not announced; tab pages other than the current one are hidden
            // by their tab widget and are walked all the same.
            if (!w || w->isWindow() ||
                (w->isHidden() && !qobject_cast<QStackedWidget *>(w->parentWidget())))
                continue;
            const QString name = child->text(QAccessible::Name).trimmed();
            const QString id = w->metaObject()->className() + (':' + w->objectName());
            if (InputRoles.contains(child->role())) {
                QHash<QString, QString> &page = names[PageOf(w, window)];
                if (name.isEmpty())
                    problems << id + QStringLiteral(": no name");
                else if (child->role() == QAccessible::ComboBox &&
                         name == child->text(QAccessible::Value))
                    problems << id + QStringLiteral(": named by its value \"") + name + '"';
                else if (page.contains(name))
                    problems << QStringLiteral("%1 and %2: both \"%3\"").arg(page[name], id, name);
                else
                    page.insert(name, id);
            } else if (name.contains(QStringLiteral("请在此")) ||
                       name.contains(QStringLiteral("example."))) {
                problems << id + QStringLiteral(": placeholder text \"") + name + QLatin1Char('"');
            }
            // The list and edit field of a combo box are announced as parts of the box.
            if (child->role() != QAccessible::ComboBox)
                visit(child);
        }
    }
};

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
    AppKit *m_app = nullptr;

    // A window by name; the module windows as their connect windows open them.
    QWidget *open(const QString &window)
    {
        if (window == QLatin1String("main"))
            return Windows::get<MainWindow>();
        MemoryLine mem(true);
        if (window == QLatin1String("frmZ41COM"))
            OpenAlarmWindow(m_app->ports, mem.release(), ModuleIdentity());
        else if (window == QLatin1String("frmZ42COM"))
            OpenDataWindow(m_app->ports, mem.release(), ModuleIdentity());
        return Windows::get(window);
    }

private Q_SLOTS:
    void initTestCase()
    {
        InstallAccessibleNames();
        frmZ41COM::setDatabasePath(QStringLiteral("/nonexistent/gprs.mdb"));
    }
    void init() { m_app = new AppKit; }

    void inputsAreNamedOncePerPage_data()
    {
        QTest::addColumn<QString>("window");
        for (const char *name : {"main", "frmMain", "frmZ40MOD", "frmVX8", "frmZ41COM", "Form9",
                                 "Form10", "Form18", "Form19", "frmZ42COM"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void inputsAreNamedOncePerPage()
    {
        QFETCH(QString, window);
        QWidget *w = open(window);
        QVERIFY(w);
        Walk walk{w, {}, {}};
        walk.visit(QAccessible::queryAccessibleInterface(w));
        QVERIFY2(walk.problems.isEmpty(), qPrintable(walk.problems.join(QStringLiteral("\n"))));
    }

    // A combo box is named by its caption and tells its entry, its list and its edit field.
    void comboTellsValueAndList()
    {
        QWidget page;
        auto *box = new QComboBox(&page);
        (new QLabel(QStringLiteral("工作方式："), &page))->setBuddy(box);
        box->addItems(
            {QStringLiteral("无"), QStringLiteral("主动方式"), QStringLiteral("被动方式")});
        box->setCurrentIndex(1);
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(box);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("工作方式："));
        QCOMPARE(a->text(QAccessible::Value), QStringLiteral("主动方式"));
        QAccessibleInterface *list = a->child(0);
        QVERIFY(a->childCount() == 1 && list && list->role() == QAccessible::List);
        QVERIFY(a->indexOfChild(list) == 0 && list->childCount() == 3);
        QCOMPARE(list->child(2)->text(QAccessible::Name), QStringLiteral("被动方式"));
        box->setEditable(true); // the edit field comes second and takes the focus
        QVERIFY(a->childCount() == 2 && a->focusChild() == a->child(1));
        QCOMPARE(a->child(1)->text(QAccessible::Value), QStringLiteral("主动方式"));
    }

    // Tab reaches Label2; Enter and the assistive press action open the connect dialog, modal.
    void launcherOpensConnectDialogWithoutMouse_data()
    {
        QTest::addColumn<int>("key"); // 0: the accessible press action
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("press action") << 0;
    }
    void launcherOpensConnectDialogWithoutMouse()
    {
        QFETCH(int, key);
        QWidget *launcher = Windows::get("frmMain");
        launcher->show();
        QVERIFY(QTest::qWaitForWindowActive(launcher));
        auto *label = launcher->findChild<QLabel *>(QStringLiteral("Label2"));
        for (int tabs = 0; tabs < 10 && !label->hasFocus(); ++tabs)
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : launcher,
                            Qt::Key_Tab);
        QVERIFY(label->hasFocus());
        QAccessibleActionInterface *actions =
            QAccessible::queryAccessibleInterface(label)->actionInterface();
        if (key)
            QTest::keyClick(label, Qt::Key(key));
        else if (actions)
            actions->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(Windows::isLoaded("frmZ40MOD") && Windows::find("frmZ40MOD")->isVisible());
        QCOMPARE(Windows::find("frmZ40MOD")->windowModality(), Qt::ApplicationModal);
    }

    void cleanup()
    {
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete Windows::findTyped<MainWindow>();
        delete m_app;
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
