#pragma once
// The alarm module window frmZ41COM: the tabbed panel SSTab1 with the module parameters as read,
// the communication test, the other module parameters, the input alarms, the relay outputs and
// the phone number table. This class owns the opening actions, the delayed switch of the reply
// parser, the read-all sequence (Timer2), the busy handling of the guarded buttons, tab
// switching, the work-mode and power-saving writes, the baud command, the code prompt on the
// version label and the exit button. The conversation with the module is the AlarmExchange's:
// the window hands it the user's actions and shows its replies.
//
// The input, relay, phone-table and parameter areas live in files of their own; the window
// creates them and hands them the replies that belong to them.

#include "alarm/AlarmExchange.h"
#include "alarm/ui/AlarmPageHost.h"
#include "connect/ModuleIdentity.h"

#include <QSqlDatabase>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSqlQuery;
class QTableWidget;
class QTabWidget;

namespace Ui {
class frmZ41COM;
class frmZ41COM_params;
class frmZ41COM_test;
class frmZ41COM_other;
class frmZ41COM_inputs;
class frmZ41COM_relays;
class frmZ41COM_phones;
} // namespace Ui

class SerialLink;
class InputArea;
class RelayArea;
class PhoneArea;
class TestArea;

class frmZ41COM : public QWidget, public AlarmPageHost
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "frmZ41COM";
    static constexpr const char *Caption = "短信模块参数设置";

    // Pages of SSTab1, in tab order.
    enum Page { ParamsPage, TestPage, OtherPage, InputsPage, RelaysPage, PhonesPage };

    // The buttons that a multi-frame exchange disables, in the order of SavedButtonStates.
    static constexpr std::array<const char *, 14> GuardedButtons = {
        "Command1",  "Command2",    "Command3",    "Command4",   "Command5",
        "Command6",  "Command7",    "Command8",    "Command9",   "Command14",
        "Command15", "Command21_0", "Command21_1", "Command21_2"};

    // The window of the module on link (it takes the link over), as identity describes it.
    frmZ41COM(SerialLink *link, const ModuleIdentity &identity, QWidget *parent = nullptr);
    ~frmZ41COM() override;

    const ModuleIdentity &identity() const { return m_identity; }

    // The opening actions. They run once, when the window is first shown; a window that is only
    // created (hidden, by a name lookup) keeps its design-time state. Calling it again does
    // nothing.
    void load();
    bool hasLoaded() const { return m_loaded; }

    // The exchange with the module (one per window; its timers pace the sequences).
    AlarmExchange &exchange() override { return *m_exchange; }
    // Shows a reply of the module (the exchange's replied signal).
    void showReply(const AlarmReplyValue &reply);

    // What the feature areas ask of the window.
    bool portOpenOrConnect() override;
    void setProfileRunning(bool running) override;
    void setStatusText(int panel, const QString &text) override;
    void setModuleStatus(const QString &text) override;
    void reportWrite(const QString &what) override;
    // A user action starts (a button of the window is pressed): the outcome of the last write
    // and any module state in panel 2 are cleared.
    void actionStarted();
    AlarmFrames::SmsSendMode smsMode() const override { return m_smsMode; }
    // The main window's "短信发送方式" was chosen.
    void setSmsMode(AlarmFrames::SmsSendMode mode) { m_smsMode = mode; }

    // Where "gprs.mdb" is looked for: the path set (tests), else beside the program or the
    // installed read-only template (LocateDatabase).
    static QString databasePath();
    static void setDatabasePath(const QString &path);
    // The database and the record set "select * from Phone_Table", open while the window lives;
    // invalid / nullptr when the file is missing or cannot be read.
    QSqlDatabase database() const { return m_db; }
    QSqlQuery *phoneRecordSet() const { return m_phoneRecords.get(); }

    // Timers of the opening (design-time: off); the sequences' timers are the exchange's.
    QTimer Timer5; // one-shot: the exchange starts reading the line, 1000 ms
    QTimer Timer6; // one-shot: starts the read-all sequence, 1000 ms
    QTimer rTimer; // end of a received message (communication test), 100 ms
    // One-shot: a write the module has not confirmed within this time is reported as such.
    QTimer ConfirmTimer;
    static constexpr int ConfirmWaitMs = 3000;
    void onConfirmTimer();
    void onTimer5();
    void onTimer6();

    // The states that Disable_Command saved.
    std::array<bool, 14> SavedButtonStates{};

    // Actions of this window's own controls.
    void refresh() override;            // Command8 "刷新", and Timer6
    void startWorkModeWrite();          // Command5
    void startPowerSavingWrite();       // Command14
    void sendBaudRate();                // Command6
    void askVersionCode();              // Label8 double-click
    void exitWindow();                  // Command10 "退出"
    void tabChanged(int index);         // SSTab1 click
    void transferModeChosen(int index); // Combo2 click
    void clearSendBox();                // the main window's "清除发射区"

    // Controls by object name (element Command21(0) is "Command21_0").
    template <class T> T *control(const QString &name) const { return findChild<T *>(name); }
    QPushButton *button(const QString &name) const;
    QLabel *label(const QString &name) const;
    QLineEdit *lineEdit(const QString &name) const;
    QComboBox *combo(const QString &name) const;
    QScrollBar *scrollBar(const QString &name) const;
    QTableWidget *grid() const;
    QTabWidget *tabs() const;
    // Elements of the control arrays: Command21(i), Text21(i), Combo9(i), Label21(i), ...
    QWidget *element(const QString &array, int index) const;

public Q_SLOTS:
    void Enable_Command();
    void Disable_Command();

Q_SIGNALS:
    // For the main window: its status-bar panels and its menu "短信发送方式".
    void statusTextChanged(int panel, const QString &text);
    void smsMannerMenuWanted(bool visible);
    // A request needs the port, which is closed: the user may connect again.
    void connectWanted();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectControls();
    void setDesignState();
    void openDatabase();
    void closeDatabase();
    void placeWindow();
    void sequenceFinished(AlarmExchange::Sequence sequence);
    void showParameter(const AlarmReplyValue &reply);
    void showPasswordMode(quint8 value);

    std::unique_ptr<Ui::frmZ41COM> m_ui;
    std::unique_ptr<Ui::frmZ41COM_params> m_params;
    std::unique_ptr<Ui::frmZ41COM_test> m_test;
    std::unique_ptr<Ui::frmZ41COM_other> m_other;
    std::unique_ptr<Ui::frmZ41COM_inputs> m_inputs;
    std::unique_ptr<Ui::frmZ41COM_relays> m_relays;
    std::unique_ptr<Ui::frmZ41COM_phones> m_phones;

    SerialLink *m_link;
    ModuleIdentity m_identity;
    AlarmExchange *m_exchange;
    AlarmFrames::SmsSendMode m_smsMode = AlarmFrames::SmsSendMode::Chinese;
    InputArea *m_inputArea;
    RelayArea *m_relayArea;
    PhoneArea *m_phoneArea;
    TestArea *m_testArea;
    QSqlDatabase m_db;
    std::unique_ptr<QSqlQuery> m_phoneRecords;
    QString m_written;         // what the last write set, while its outcome is shown
    QString m_powerSavingText; // what the power-saving write sets
    bool m_loaded = false;
    bool m_profileRunning = false;
};
