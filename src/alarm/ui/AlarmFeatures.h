#pragma once
// The feature areas of the alarm window frmZ41COM: input alarms, relay outputs, the phone
// number table and the module parameters. Each area is a controller that finds its controls by
// object name, connects their signals and writes the frames; AttachAlarmFeatures() creates all
// four as children of the window. The helpers below are shared by the areas.

#include <QObject>
#include <QString>

class QComboBox;
class QWidget;

// Creates the four area controllers for the window; a second call for the same window does
// nothing.
void AttachAlarmFeatures(QWidget *alarmWindow);

namespace AlarmUi {

// True when the serial port is open. Otherwise shows the connect window frmZ40MOD (modal) and
// returns false: the caller sends nothing.
bool PortOpenOrConnect();

// The text of a text box as the module gets it: a line edit as it is, a multi-line box with
// CR LF line ends.
QString BoxText(const QWidget *box);
void SetBoxText(QWidget *box, const QString &text);
// The number of a text box: the leading numeric value of its text (0 when there is none).
double BoxNumber(const QWidget *box);
// Empties the text a combo box shows (an editable box keeps its list).
void ClearComboText(QComboBox *box);

// A control of the window by object name; warns when the window does not have it.
template <class T> T *Find(const QWidget *window, const char *name);

// Key filter of the hexadecimal boxes. Backspace, navigation keys and shortcuts act normally;
// every character key goes through FilterHexKey: a rejected character inserts nothing, an
// accepted one (a-f as A-F) is inserted at the caret. With colonFields set, after every
// character key a text whose length leaves 2 on division by 3 gets ":" appended at the end,
// so "31522408" typed gives "31:52:24:08:".
class HexKeyFilter : public QObject
{
    Q_OBJECT
public:
    HexKeyFilter(bool colonFields, QObject *parent) : QObject(parent), m_colonFields(colonFields) {}
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_colonFields;
};

// Discards every character key (the relay list Combo7 is chosen from the list only).
class NoTypingFilter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

QWidget *FindWidget(const QWidget *window, const char *name);

template <class T> T *Find(const QWidget *window, const char *name)
{
    return qobject_cast<T *>(FindWidget(window, name));
}

} // namespace AlarmUi
