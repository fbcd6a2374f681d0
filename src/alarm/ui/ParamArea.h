#pragma once
// The module-parameter area of the alarm window: the password (Frame1 "密码设置"), receiver
// number (Frame4), passive-mode address (Frame5), restart time (Frame8) and module model
// (Frame6) with their "确定" buttons, and "清空" of the parameter information. Each writes one
// frame at once. Values the frame cannot carry, and writes while the port is closed, are
// refused with a message and nothing is sent.

#include <QObject>

class AlarmExchange;
class AlarmPageHost;
class QWidget;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

class ParamArea : public QObject
{
    Q_OBJECT
public:
    ParamArea(QWidget *page, AlarmPageHost &host);

    void sendPasswordMode();   // Command1, Option1, Option2
    void sendPassword();       // Command2
    void sendReceiverNumber(); // Command3
    void sendPassiveAddress(); // Command4
    void sendRestartTime();    // Command7
    void sendModuleModel();    // Command9
    void sendParameterClear(); // Command18

private:
    // True when the port is open; otherwise says so and how to connect.
    bool portOpen() const;
    // Sends frame and has the status bar report what it set and whether it was confirmed.
    void write(const QByteArray &frame, const QString &what);
    AlarmExchange *m_exchange;
    AlarmPageHost *m_host;
    // Shows a refusal (when there is one) and tells whether the value may be sent.
    static bool accepted(const QString &refusal);

    QRadioButton *Option3, *Option4;
    QCheckBox *Check3, *Check4;
    QLineEdit *Text1, *Text2, *Text3, *Text4;
};
