#include "shell/AccessibleNames.h"

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
            return box()->isEditable() && box()->lineEdit() ? box()->lineEdit()->text()
                                                            : box()->currentText();
        if (t == QAccessible::Name) {
            // The caption: the accessible name or the buddy label; the entry only as a last
            // resort, so a box never goes unnamed.
            const QString caption = QAccessibleWidget::text(t);
            return caption.isEmpty() ? box()->currentText() : caption;
        }
        return QAccessibleWidget::text(t);
    }

    // The entries are read through the value and chosen with the keys or the pop-up list; the
    // box's inner widgets are no separate controls.
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == showMenuAction() || action == pressAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(action);
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
