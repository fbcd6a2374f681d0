#pragma once
// Helpers shared by the feature areas of the alarm window frmZ41COM (input alarms, relay
// outputs, the phone number table and the module parameters). Each area is a controller that
// finds its controls by object name, connects their signals and hands requests to the window's
// AlarmExchange.

#include <QObject>
#include <QString>

class QComboBox;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace AlarmUi {

// The text of a text box as the module gets it: a line edit as it is, a multi-line box with
// CR LF line ends.
QString BoxText(const QWidget *box);
void SetBoxText(QWidget *box, const QString &text);
// The number of a text box: the leading numeric value of its text (0 when there is none).
double BoxNumber(const QWidget *box);
// Before a value the frame carries in steps is written: when stored differs from the number of
// the box, asks whether stored is to be written (see AcceptSteppedValue). Yes:
// the box shows stored and true is returned; No: false, and nothing is to be sent.
bool AcceptStored(QLineEdit *box, const QString &name, double stored, const QString &unit,
                  const QString &step);
// Empties the text a combo box shows (an editable box keeps its list).
void ClearComboText(QComboBox *box);
// The list index of a channel box when it names a channel 0-7; otherwise shows message (title
// "提示") and gives -1.
int ChosenChannel(const QComboBox *box, const QString &message);
// Selects "汉字" for a text that needs it (a character outside ASCII), "英文" otherwise.
void ChooseEncoding(const QString &text, QRadioButton *chinese, QRadioButton *english);

// A control of the window by object name; warns when the window does not have it.
template <class T> T *Find(const QWidget *window, const char *name);

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
