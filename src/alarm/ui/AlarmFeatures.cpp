#include "alarm/ui/AlarmFeatures.h"

#include "alarm/AlarmChecks.h"
#include "alarm/AlarmSequences.h"
#include "core/ByteRoutines.h"
#include "core/Dialogs.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

namespace AlarmUi {

QString BoxText(const QWidget *box)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(box))
        return edit->text();
    if (auto *area = qobject_cast<const QPlainTextEdit *>(box))
        return AlarmChecks::WireLineEnds(area->toPlainText());
    if (auto *combo = qobject_cast<const QComboBox *>(box))
        return combo->currentText();
    return QString();
}

void SetBoxText(QWidget *box, const QString &text)
{
    if (auto *edit = qobject_cast<QLineEdit *>(box)) {
        edit->setText(text);
    } else if (auto *area = qobject_cast<QPlainTextEdit *>(box)) {
        QString plain = text;
        plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        area->setPlainText(plain);
    }
}

double BoxNumber(const QWidget *box)
{
    return AlarmSequences::TextNumber(BoxText(box));
}

bool AcceptStored(QLineEdit *box, const QString &name, double stored, const QString &unit,
                  const QString &step)
{
    const double typed = BoxNumber(box);
    if (!AcceptSteppedValue(name, typed, stored, unit, step))
        return false;
    if (typed != stored)
        box->setText(QString::number(stored, 'g', 12));
    return true;
}

void ClearComboText(QComboBox *box)
{
    if (!box)
        return;
    if (box->isEditable())
        box->setEditText(QString());
    else
        box->setCurrentIndex(-1);
}

int ChosenChannel(const QComboBox *box, const QString &message)
{
    const int index = box->currentIndex();
    if (index >= 0 && index < box->count() && index < 8)
        return index;
    ShowMessage(message, QStringLiteral("提示"), MsgIcon::Information);
    return -1;
}

void ChooseEncoding(const QString &text, QRadioButton *chinese, QRadioButton *english)
{
    (AlarmChecks::NeedsChinese(text) ? chinese : english)->setChecked(true);
}

QWidget *FindWidget(const QWidget *window, const char *name)
{
    QWidget *w = window ? window->findChild<QWidget *>(QLatin1String(name)) : nullptr;
    if (!w)
        qWarning("alarm window: control %s not found", name);
    return w;
}

bool NoTypingFilter::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const QString text = key->text();
    if (text.isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false;
    return text.at(0).isPrint();
}

} // namespace AlarmUi
