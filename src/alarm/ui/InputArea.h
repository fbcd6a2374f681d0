#pragma once
// The input-alarm area of the alarm window: the alarm record of the chosen input DI0-DI7
// (Frame11 "报警设置"), the delivery mode of all eight inputs (Frame21 "报警方式") and the state
// read of one input ("读取DI状态"). It builds the request frames and writes them; the replies
// are shown by the reply parser in the same controls.

#include <QObject>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class InputArea : public QObject
{
    Q_OBJECT
public:
    explicit InputArea(QWidget *window);

    // Button actions.
    void readSettings();  // Command17 "读取设置"
    void writeSettings(); // Command16 "更新设置"
    void readState();     // Command25 "读取DI状态"
    void readModes();     // Command26(0) "读取"
    void setModes();      // Command26(1) "设置"

private:
    void chooseEncoding(QPlainTextEdit *box, QRadioButton *chinese, QRadioButton *english);
    void clampInterval();
    void encodingClicked();
    // List index of Combo5 when it names an input 0-7; else shows message and gives -1.
    int channel(const QString &message) const;

    QWidget *m_window;
    QComboBox *Combo5, *Combo7;
    QRadioButton *Option9, *Option10, *Option13;
    QRadioButton *Option11, *Option12, *Option14, *Option15;
    QCheckBox *Check1, *Check2, *Check7;
    QLineEdit *Text16, *Text19, *Text20;
    QPlainTextEdit *Text15, *Text17;
    QComboBox *Combo9[8];
};
