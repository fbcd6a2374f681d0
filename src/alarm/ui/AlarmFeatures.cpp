#include "alarm/ui/AlarmFeatures.h"

#include "alarm/AlarmSequences.h"
#include "alarm/ui/InputArea.h"
#include "alarm/ui/ParamArea.h"
#include "alarm/ui/PhoneArea.h"
#include "alarm/ui/RelayArea.h"
#include "core/ByteRoutines.h"
#include "core/SerialLink.h"
#include "core/ui/WindowRegistry.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {
const char *const AttachedProperty = "corvaneAlarmFeatures";
}

void AttachAlarmFeatures(QWidget *alarmWindow)
{
    if (!alarmWindow || alarmWindow->property(AttachedProperty).toBool())
        return;
    alarmWindow->setProperty(AttachedProperty, true);
    new InputArea(alarmWindow);
    new RelayArea(alarmWindow);
    new PhoneArea(alarmWindow);
    new ParamArea(alarmWindow);
}

namespace AlarmUi {

bool PortOpenOrConnect()
{
    if (Link().isOpen())
        return true;
    Windows::showModal(Windows::get(QStringLiteral("frmZ40MOD")));
    return false;
}

QString BoxText(const QWidget *box)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(box))
        return edit->text();
    if (auto *area = qobject_cast<const QPlainTextEdit *>(box)) {
        QString text = area->toPlainText();
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        return text;
    }
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

void ClearComboText(QComboBox *box)
{
    if (!box)
        return;
    if (box->isEditable())
        box->setEditText(QString());
    else
        box->setCurrentIndex(-1);
}

QWidget *FindWidget(const QWidget *window, const char *name)
{
    QWidget *w = window ? window->findChild<QWidget *>(QLatin1String(name)) : nullptr;
    if (!w)
        qWarning("alarm window: control %s not found", name);
    return w;
}

namespace {

// Keys that keep their normal meaning in the filtered boxes.
bool isEditingKey(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    default:
        break;
    }
    if (key->text().isEmpty())
        return true;
    return (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
}

} // namespace

bool HexKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit || event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (isEditingKey(key))
        return false;
    // Characters outside ASCII are never hexadecimal digits.
    const char16_t unit = key->text().at(0).unicode();
    qint16 code = unit < 127 ? qint16(unit) : qint16(0);
    FilterHexKey(code);
    if (code != 0)
        edit->insert(QString(QChar(char16_t(code))));
    if (m_colonFields && edit->text().size() % 3 == 2) {
        edit->end(false);
        edit->insert(QStringLiteral(":"));
    }
    return true;
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
