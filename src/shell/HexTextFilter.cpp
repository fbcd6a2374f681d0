#include "shell/HexTextFilter.h"

#include "core/ByteRoutines.h"

#include <QKeyEvent>
#include <QLineEdit>

bool IsEditingKey(const QKeyEvent *key)
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
    if (key->matches(QKeySequence::Paste))
        return true;
    return (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
}

void InstallHexTextFilter(QLineEdit *box, bool colonFields)
{
    box->installEventFilter(new HexKeyFilter(colonFields, box));
    QObject::connect(box, &QLineEdit::textEdited, box, [box, colonFields](const QString &text) {
        const QString filtered = FilterHexText(text, colonFields);
        if (filtered == text)
            return;
        const int keep = box->cursorPosition() - int(text.size()) + int(filtered.size());
        box->setText(filtered);
        box->setCursorPosition(qBound(0, keep, int(filtered.size())));
    });
}

bool HexKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit || event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (IsEditingKey(key))
        return false; // pasted text is filtered as an edit
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
