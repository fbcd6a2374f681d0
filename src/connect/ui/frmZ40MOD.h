#pragma once
// Connect dialog of the alarm control module: the user chooses a port and a baud rate and
// connects; the connect routine identifies the module and the dialog hands its link and the
// module's identity to the alarm window (or refuses a GPRS module). "取消" opens the alarm window
// without a connection. The group "工作方式选择" switches a connected module between its
// operating modes.

#include "connect/ConnectRoutine.h"
#include "connect/ModeSwitch.h"
#include "connect/ui/ConnectWindows.h"

#include <QDialog>
#include <functional>
#include <memory>

class Ports;
class QPushButton;
class SerialLink;

namespace Ui {
class frmZ40MOD;
}

class frmZ40MOD : public QDialog
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "frmZ40MOD";

    // Opens the module window with the link (taken over) and what the connect learned.
    using Opener = ConnectWindows::Opener;

    frmZ40MOD(Ports &ports, Opener openAlarmWindow, QWidget *parent = nullptr);
    ~frmZ40MOD() override;

    // Control array Command1: 0 "连接", 1 "取消", 2 "设置".
    QPushButton *command1(int index) const;
    SerialLink &link() { return *m_link; }
    ConnectRoutine &routine() { return *m_routine; }

    // Button handlers, public so the launcher's tests and the timers can drive them.
    void connectClicked();
    void cancelClicked();
    // Runs the mode-switch operation that belongs to the chosen option; nothing when none is.
    void setClicked();

    // The five mode-switch operations (see ModeSwitch.h); return the frame that was chosen.
    ModeFrame ModeSwitch1(const ModeOptions &options);
    ModeFrame ModeSwitch2(const ModeOptions &options);
    ModeFrame ModeSwitch3(const ModeOptions &options);
    ModeFrame ModeSwitch4(const ModeOptions &options);
    ModeFrame ModeSwitch5(const ModeOptions &options);

private:
    ModeFrame runModeSwitch(int operation, const ModeOptions &options);
    void connectFinished(ConnectRoutine::Result result);
    void handOver(const ModuleIdentity &identity);
    void showDevice();
    void setConnectControlsEnabled(bool enabled);

    std::unique_ptr<Ui::frmZ40MOD> ui;
    Ports &m_ports;
    Opener m_open;
    SerialLink *m_link;
    ConnectRoutine *m_routine;
    ModuleIdentity m_switched; // what the mode switches of this dialog chose
};
