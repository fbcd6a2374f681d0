#pragma once
// The main window "main": a multiple-document frame with the menu bar, the status bar
// StatusBar1 and the start-up timer Timer1 that shows the launcher. The serial port (Link()) and
// the connect timers (MainTimers()) belong to it; it installs what the timers do to the window
// that started a connection.

#include "core/ConnectTimers.h"

#include <QMainWindow>
#include <QTimer>

class QAction;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMenu;

// What the connect timers do to the window that started a connection (frmZ40MOD for ProtocolId
// 100, frmVX8 for 110), addressed by name; a window that is not loaded is left alone.
ConnectTimers::Hooks WindowTimerHooks();

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "main";

    // The entries of the menu "短信发送方式": how the communication test sends an SMS text.
    enum class SmsMode { Chinese, English, Hex };

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The loaded main window, or nullptr.
    static MainWindow *instance();

    // Status-bar panels 1 to 3, the whole text (resource label and value).
    void setStatusPanel(int panel, const QString &text);
    QString statusPanel(int panel) const;

    // Which entry of "短信发送方式" is checked (always exactly one).
    SmsMode smsMode() const;
    // Chooses an entry as the user does: checks it and empties Text21(1) of frmZ41COM.
    void chooseSmsMode(SmsMode mode);
    // The alarm-module window shows the menu while it is open and hides it again.
    void showSmsMannerMenu(bool visible);
    bool isSmsMannerMenuVisible() const;

    // Menu operations of "工具(&T)".
    void openAddressTool(bool variantK);
    void openUnicodeConverter();

    QMdiArea *mdiArea() const { return m_mdi; }
    // Rebuilds the entries of the menu "窗口" from the open child windows.
    void refreshWindowList();

    // Shows the launcher 100 ms after start-up; its tick handler, public for tests.
    QTimer Timer1;
    void onTimer1();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildStatusBar();
    QAction *addEntry(QMenu *menu, const char *name, const QString &caption);

    QMdiArea *m_mdi = nullptr;
    QMenu *m_smsManner = nullptr;
    QMenu *m_windows = nullptr;
    QActionGroup *m_smsGroup = nullptr;
    QAction *m_chinese = nullptr;
    QAction *m_english = nullptr;
    QAction *m_hex = nullptr;
    QLabel *m_panels[3] = {};
};
