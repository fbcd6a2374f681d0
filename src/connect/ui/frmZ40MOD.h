#pragma once
// Connect dialog of the alarm control module: the user chooses a port and a baud rate and
// connects; the connect-time parser identifies the module and opens frmZ41COM (or refuses a
// GPRS module). "取消" opens frmZ41COM without a connection. The group "工作方式选择" switches
// a connected module between its operating modes.

#include "connect/ModeSwitch.h"

#include <QDialog>
#include <memory>

class QPushButton;

namespace Ui {
class frmZ40MOD;
}

class frmZ40MOD : public QDialog
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "frmZ40MOD";

    explicit frmZ40MOD(QWidget *parent = nullptr);
    ~frmZ40MOD() override;

    // Control array Command1: 0 "连接", 1 "取消", 2 "设置".
    QPushButton *command1(int index) const;

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
    void showDevice();
    void setConnectControlsEnabled(bool enabled);

    std::unique_ptr<Ui::frmZ40MOD> ui;
};
