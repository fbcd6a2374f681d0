#include "shell/AccessibleNames.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace {

class CaptionedComboBox : public QAccessibleWidget
{
public:
    explicit CaptionedComboBox(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return edit() ? edit()->text() : box()->currentText();
        if (t == QAccessible::Name) {
            // The caption: the accessible name or the buddy label; the entry only as a last
            // resort, so a box never goes unnamed.
            const QString caption = QAccessibleWidget::text(t);
            return caption.isEmpty() ? box()->currentText() : caption;
        }
        return QAccessibleWidget::text(t);
    }

    // As Qt's own combo box: the pop-up list first, then the edit field of an editable box, so
    // that the entries and the typed text reach assistive technology.
    QLineEdit *edit() const { return box()->isEditable() ? box()->lineEdit() : nullptr; }
    int childCount() const override { return edit() ? 2 : 1; }
    QAccessibleInterface *child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(box()->view());
        return index == 1 && edit() ? QAccessible::queryAccessibleInterface(edit()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        if (child->object() == box()->view())
            return 0;
        return edit() && child->object() == edit() ? 1 : -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        // Screen coordinates.
        return edit() && edit()->rect().contains(edit()->mapFromGlobal(QPoint(x, y))) ? child(1)
                                                                                      : nullptr;
    }
    // An editable box hands its focus to the edit field.
    QAccessibleInterface *focusChild() const override { return edit() ? child(1) : nullptr; }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action != showMenuAction() && action != pressAction())
            QAccessibleWidget::doAction(action);
        else if (box()->view()->isVisible())
            box()->hidePopup();
        else
            box()->showPopup();
    }
};

QAccessibleInterface *ComboBoxFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("QComboBox"))
        return nullptr;
    auto *box = qobject_cast<QComboBox *>(object);
    return box ? new CaptionedComboBox(box) : nullptr;
}

} // namespace

void InstallAccessibleNames()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&ComboBoxFactory);
}
