#pragma once
// The main window "main": a multiple-document frame with the menu bar, the status bar
// StatusBar1 and the start-up timer Timer1 that shows the launcher. Menu entries that open other
// windows are announced as signals; the application connects them (WireMainWindow).

#include <QMainWindow>
#include <QTimer>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "main";

    // The entries of the menu "短信发送方式": how the communication test sends an SMS text.
    enum class SmsMode { Chinese, English, Hex };

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Status-bar panels 1 to 3, the whole text (resource label and value).
    void setStatusPanel(int panel, const QString &text);
    QString statusPanel(int panel) const;

    // Which entry of "短信发送方式" is checked (always exactly one).
    SmsMode smsMode() const;
    // Chooses an entry as the user does: checks it, announces it (smsModeChosen) and asks for
    // the alarm window's send box to be emptied (clearSendRequested).
    void chooseSmsMode(SmsMode mode);
    // The alarm-module window shows the menu while it is open and hides it again.
    void showSmsMannerMenu(bool visible);
    bool isSmsMannerMenuVisible() const;

    QMdiArea *mdiArea() const { return m_mdi; }
    // Rebuilds the entries of the menu "窗口" from the open child windows.
    void refreshWindowList();
    // Checks the entry of the current child window only.
    void markActiveWindow();

    // The size and place the user last left the window at; a first start gets a size that shows
    // a whole module window, within the screen. saveLayout() keeps them for the next start.
    void restoreLayout();
    void saveLayout() const;
    // The first-start size within a screen's available area (at most the area, kept whole).
    static QSize startSize(const QSize &available);

    // Shows the launcher 100 ms after start-up; its tick handler, public for tests.
    QTimer Timer1;
    void onTimer1();

Q_SIGNALS:
    // "计算地址" (variantK false) and "计算地址K" (true) of the menu "工具(&T)".
    void addressToolRequested(bool variantK);
    // "Unicode码转换" of the menu "工具(&T)".
    void unicodeConverterRequested();
    // "通信监视" of the menu "工具(&T)".
    void monitorRequested();
    // A new sending mode was chosen: the text typed for the old one does not fit it.
    void clearSendRequested();
    void smsModeChosen(MainWindow::SmsMode mode);
    // "使用说明" and "关于 Corvane" of the menu "帮助(&H)".
    void usageRequested();
    void aboutRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildStatusBar();
    QAction *addEntry(QMenu *menu, const char *name, const QString &caption);

    QMdiArea *m_mdi = nullptr;
    QMenu *m_smsManner = nullptr;
    QMenu *m_windows = nullptr;
    QAction *m_chinese = nullptr;
    QAction *m_english = nullptr;
    QAction *m_hex = nullptr;
    QLabel *m_panels[3] = {};
    // Set by restoreLayout(): only a window that started from the kept layout keeps it again.
    bool m_keepsLayout = false;
};
