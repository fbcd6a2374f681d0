#pragma once
// The parameter window of the SMS data-transmission module, "frmZ42COM". It gathers the values of
// its controls, hands every action to the DataExchange and shows its replies: the parameter
// display, the settings pages, the identity address with the wait window Form10, and the data
// exchange with its log. The pages follow the identity's startOnDataTab: for data communication
// the identity page cannot be chosen, for address setting the parameter page cannot.

#include <QTimer>
#include <QWidget>
#include <memory>

#include "connect/ModuleIdentity.h"
#include "data/DataExchange.h"

namespace Ui {
class frmZ42COM;
}
class QPushButton;
class SerialLink;

class frmZ42COM : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "frmZ42COM";

    // The window of the module on link (it takes the link over), as identity describes it.
    frmZ42COM(SerialLink *link, const ModuleIdentity &identity, QWidget *parent = nullptr);
    ~frmZ42COM() override;

    const ModuleIdentity &identity() const { return m_identity; }

    DataExchange &exchange() { return *m_exchange; }
    QPushButton *command1(int index) const;

    // The window's operations, as its buttons call them.
    void set_bd_address();
    void set_slave();
    void set_object();
    void set_baud();
    void read_bd_data();
    void read_empty();
    void refresh_para();
    void send_data();
    void commandenable();
    // While a write sequence runs every button is off, "退出" too: leaving then would leave the
    // module half set. A read can be left at any time.
    void commanddisable(bool exitToo = true);

    QTimer Timer1; // one-shot, 1000 ms after opening: the first parameter read
    QTimer rTimer; // one-shot: moves collected received data into the data areas

Q_SIGNALS:
    // For the main window's status bar; panel 2 says what the last action came to.
    void statusTextChanged(int panel, const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void connectControls();
    void open();
    void onReply(const DataReplyValue &reply);
    void onIdentityOutcome(DataExchange::IdentityOutcome outcome,
                           DataExchange::IdentityTiming timing);
    void onWriteReported(const WriteReport &report);
    void showStatus(const QString &text);
    void closeTab();
    void onFrameSent(const QByteArray &frame, bool data);
    void showReceived();
    void updateDependents();
    void onScroll(int index, int value);
    void startWorkMode();
    void startHeartbeat();
    void startPowerSaving();
    void closeWaitWindow();
    void log(const QString &line);
    void exitWindow();
    bool addressAccepted(const QString &project, const QString &station);

    std::unique_ptr<Ui::frmZ42COM> ui;
    SerialLink *m_link;
    ModuleIdentity m_identity;
    DataExchange *m_exchange;
    QList<QByteArray> m_receivedFrom, m_received;
    int m_tab = 0;
    QString m_portText;
};
