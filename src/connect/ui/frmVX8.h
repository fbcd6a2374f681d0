#pragma once
// The connection window of the VX8 GPRS data module, "frmVX8": the user picks a port and a baud
// rate and connects; the connect routine identifies the module and its mode ("数据通信" or
// "地址设置"), a click on the other option switches the module (it restarts, Form19 waits), and
// "进入" hands the link and the module's identity to the parameter window frmZ42COM, on the
// pages of the chosen mode.

#include "connect/ConnectRoutine.h"
#include "connect/ModeSwitch.h"
#include "connect/ui/ConnectWindows.h"

#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class frmVX8;
}
class Ports;
class QPushButton;
class SerialLink;

class frmVX8 : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "frmVX8";

    // Opens the module window with the link (taken over) and what the connect learned.
    using Opener = ConnectWindows::Opener;

    frmVX8(Ports &ports, Opener openDataWindow, QWidget *parent = nullptr);
    ~frmVX8() override;

    SerialLink &link() { return *m_link; }
    ConnectRoutine &routine() { return *m_routine; }

    // The state of a module not yet identified, after the restart wait: both work-mode options
    // cleared and disabled, port and baud choosable, "连接" and "进入" enabled, "取消" disabled.
    void resetIdentity();
    // What the end of the connect does for a data module: the buttons back, the bar at 0, the
    // module's mode selected and both options enabled.
    void identified();

    QPushButton *command1(int index) const;

private:
    void onConnect();
    void onCancel();
    void onEnter();
    void onOption(int option);
    void showDevice();
    void connectFinished(ConnectRoutine::Result result);
    void setConnectControlsEnabled(bool enabled);

    std::unique_ptr<Ui::frmVX8> ui;
    Ports &m_ports;
    Opener m_open;
    SerialLink *m_link;
    ConnectRoutine *m_routine;
    ModuleIdentity m_identity;
};
