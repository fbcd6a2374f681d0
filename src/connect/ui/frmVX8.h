#pragma once
// The connection window of the VX8 GPRS data module, "frmVX8". For now it holds its controls
// and their start state (port and baud choice, connect / disconnect / exit, the two work-mode
// options and the read-out progress bar PBar), which the connect timers and the restart wait
// window act on. Connecting to the module and the identity-address flow are not built yet.

#include <QWidget>
#include <memory>

namespace Ui {
class frmVX8;
}

class frmVX8 : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "frmVX8";

    explicit frmVX8(QWidget *parent = nullptr);
    ~frmVX8() override;

    // The state of a module not yet identified, after the restart wait: both work-mode options
    // cleared and disabled, port and baud choosable, "连接" and "退出" enabled, "断开" disabled.
    void resetIdentity();

private:
    void onConnect();
    void onDisconnect();

    std::unique_ptr<Ui::frmVX8> ui;
};
