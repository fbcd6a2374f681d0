#pragma once
// The relay area of the alarm window: the record of the chosen relay Do0-Do7 (output mode,
// delays, SMS reply, control texts, hold) with "读取设置" / "更新设置", and the output test of
// Frame15 "输出控制" that closes and opens a relay. Replies are shown by the reply parser.

#include <QObject>

#include "alarm/AlarmRecords.h"

class AlarmExchange;
class AlarmPageHost;
class QWidget;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class RelayArea : public QObject
{
    Q_OBJECT
public:
    RelayArea(QWidget *page, AlarmPageHost &host);

    // A record read from the module.
    void showRecord(const AlarmRecords::DoRecordFields &f);

    void readSettings();  // Command23 "读取设置"
    void writeSettings(); // Command13 "更新设置"
    void outputTest();    // Command27(0) "闭合" / "断开"

private:
    void levelClicked();
    void pulseClicked();

    AlarmExchange *m_exchange;

    AlarmPageHost *m_host;
    QComboBox *Combo6, *Combo8;
    QRadioButton *Option16, *Option17, *Option18, *Option19, *Option20;
    QRadioButton *Option21, *Option22, *Option23, *Option24;
    QLineEdit *Text8, *Text10, *Text12, *Text14, *Text18;
    QCheckBox *Check5, *Check6;
    QPushButton *Command27_0;
};
