#pragma once
// The connection window of the VX8 GPRS data module, "frmVX8": the user picks a port and a baud
// rate and connects; the identity parser identifies the module and its mode ("数据通信" or
// "地址设置"), a click on the other option switches the module (it restarts, Form19 waits), and
// "进入" opens the parameter window frmZ42COM on the pages of the chosen mode.

#include "connect/ModeSwitch.h"

#include <QWidget>
#include <memory>

namespace Ui {
class frmVX8;
}
class QPushButton;

class frmVX8 : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "frmVX8";

    explicit frmVX8(QWidget *parent = nullptr);
    ~frmVX8() override;

    // The state of a module not yet identified, after the restart wait: both work-mode options
    // cleared and disabled, port and baud choosable, "连接" and "进入" enabled, "取消" disabled.
    void resetIdentity();
    // What the identity parser's last step does for a data module: the buttons back, the bar
    // at 0, the module's mode selected and both options enabled.
    void identified();

    QPushButton *command1(int index) const;

private:
    void onConnect();
    void onCancel();
    void onEnter();
    void onOption(int option);
    void showDevice();

    std::unique_ptr<Ui::frmVX8> ui;
};
