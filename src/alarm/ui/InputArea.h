#pragma once
// The input-alarm area of the alarm window: the alarm record of the chosen input DI0-DI7
// (Frame11 "报警设置"), the delivery mode of all eight inputs (Frame21 "报警方式") and the state
// read of one input ("读取DI状态"). It gathers the controls into records for the exchange and
// shows the records the module reports.

#include <QObject>

#include "alarm/AlarmRecords.h"

#include <array>

class AlarmExchange;
class AlarmPageHost;
class QWidget;
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
    InputArea(QWidget *page, AlarmPageHost &host);

    // A record read from the module, and the delivery modes (1 call, 2 SMS, 3 both).
    void showRecord(const AlarmRecords::DiRecordFields &f);
    void showModes(const std::array<quint8, 8> &modes);

    // Button actions.
    void readSettings();  // Command17 "读取设置"
    void writeSettings(); // Command16 "更新设置"
    void readState();     // Command25 "读取DI状态"
    void readModes();     // Command26(0) "读取"
    void setModes();      // Command26(1) "设置"

private:
    void clampInterval();
    void encodingClicked();

    AlarmExchange *m_exchange;

    AlarmPageHost *m_host;
    QComboBox *Combo5, *Combo7;
    QRadioButton *Option9, *Option10, *Option13;
    QRadioButton *Option11, *Option12, *Option14, *Option15;
    QCheckBox *Check1, *Check2, *Check7;
    QLineEdit *Text16, *Text19, *Text20;
    QPlainTextEdit *Text15, *Text17;
    QComboBox *Combo9[8];
};
