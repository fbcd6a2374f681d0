#include "connect/ui/frmZ40MOD.h"

#include "ui_frmZ40MOD.h"

#include "connect/ui/ConnectWindows.h"
#include "core/Dialogs.h"
#include "core/OpenFailure.h"
#include "core/SerialLink.h"
#include "serial/Ports.h"
#include "shell/WindowRegistry.h"

namespace {

// The choices of the group "工作方式选择": the option button, the mode-switch operation (1..5)
// it runs and the index of the mode-choice flag it sets. The first flag (index 0) marks the
// identity-address mode and the third (index 2) the communication mode of a VX8 module, as the
// data-module window reads them for its caption; an SMS choice must leave the first and fifth
// flags clear, a GPRS choice the first three.
struct ModeChoice {
    const char *option;
    int operation;
    int flag;
};
constexpr ModeChoice ModeChoices[] = {
    {"Option1", 3, 3}, // GPRS模式
    {"Option2", 4, 1}, // SMS模式
    {"Option3", 2, 2}, // VX8通信模式
    {"Option4", 1, 0}, // VX8设置身份地址模式
};

} // namespace

frmZ40MOD::frmZ40MOD(Ports &ports, Opener openAlarmWindow, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmZ40MOD>()), m_ports(ports),
      m_open(std::move(openAlarmWindow))
{
    ui->setupUi(this);
    setObjectName(QLatin1String(WindowName));
    m_link = ports.makeLink(windowTitle(), this);
    InstallDeviceLossReport(*m_link);
    m_routine = new ConnectRoutine(*m_link, this);
    // A notice that stops half-way closes the port a second later.
    m_routine->setClosePortOnPartialNotice(true);
    connect(m_routine, &ConnectRoutine::progress, ui->PBar, &QProgressBar::setValue);
    connect(m_routine, &ConnectRoutine::finished, this, &frmZ40MOD::connectFinished);

    connect(ui->Command1_0, &QPushButton::clicked, this, &frmZ40MOD::connectClicked);
    connect(ui->Command1_1, &QPushButton::clicked, this, &frmZ40MOD::cancelClicked);
    connect(ui->Command1_2, &QPushButton::clicked, this, &frmZ40MOD::setClicked);
    connect(ui->Combo1, &QComboBox::currentIndexChanged, this, &frmZ40MOD::showDevice);
    showDevice();
}

frmZ40MOD::~frmZ40MOD() = default;

QPushButton *frmZ40MOD::command1(int index) const
{
    switch (index) {
    case 0:
        return ui->Command1_0;
    case 1:
        return ui->Command1_1;
    case 2:
        return ui->Command1_2;
    default:
        return nullptr;
    }
}

void frmZ40MOD::showDevice()
{
    ui->LabelDevice->setText(m_ports.map().describe(ui->Combo1->currentIndex() + 1));
}

void frmZ40MOD::setConnectControlsEnabled(bool enabled)
{
    ui->Command1_0->setEnabled(enabled);
    ui->Command1_1->setEnabled(enabled);
    ui->Combo1->setEnabled(enabled);
    ui->Combo2->setEnabled(enabled);
    // A mode switch in the middle of identification would restart the module under it.
    ui->Command1_2->setEnabled(enabled);
}

void frmZ40MOD::connectClicked()
{
    if (!OpenChosenPort(*m_link, ui->Combo1->currentText(), ui->Combo2->currentText()))
        return;
    setConnectControlsEnabled(false);
    m_routine->start();
}

void frmZ40MOD::connectFinished(ConnectRoutine::Result result)
{
    using Result = ConnectRoutine::Result;
    switch (result) {
    case Result::Connected:
        handOver(m_routine->identity());
        return;
    case Result::GprsRefused:
        // The dialog goes (and with it the port); the alarm window does not open.
        Windows::unloadWindow(this);
        ConnectWindows::ShowGprsRefused();
        return;
    case Result::NoAnswer:
        ConnectWindows::ShowNoAnswer();
        setConnectControlsEnabled(true);
        return;
    case Result::GaveUp:
        // The port and baud rate stay as they are: the module did answer.
        for (QWidget *w :
             {static_cast<QWidget *>(ui->Command1_0), static_cast<QWidget *>(ui->Command1_1),
              static_cast<QWidget *>(ui->Command1_2)})
            w->setEnabled(true);
        return;
    case Result::DeviceLost:
        setConnectControlsEnabled(true);
        return;
    }
}

void frmZ40MOD::handOver(const ModuleIdentity &identity)
{
    // The link goes to the alarm window before this dialog (its owner until now) goes.
    m_routine->stop();
    ConnectWindows::HandOver(this, m_link, m_open, identity);
}

void frmZ40MOD::cancelClicked()
{
    if (m_link->isOpen())
        m_link->close();
    ModuleIdentity offline;
    offline.offlineStart = true;
    handOver(offline);
}

void frmZ40MOD::setClicked()
{
    for (const ModeChoice &choice : ModeChoices) {
        auto *option = findChild<QRadioButton *>(QLatin1String(choice.option));
        if (!option || !option->isChecked())
            continue;
        ModeOptions options{};
        options[choice.flag] = true;
        runModeSwitch(choice.operation, options);
        return;
    }
}

ModeFrame frmZ40MOD::runModeSwitch(int operation, const ModeOptions &options)
{
    ModeSwitchHooks hooks;
    hooks.disableSetButton = [this] { ui->Command1_2->setEnabled(false); };
    hooks.showRestartWindow = [this] {
        ConnectWindows::ShowRestartWindow(m_link, m_switched.pendingRestartMessage);
    };
    m_switched.moduleInfo = m_routine->identity().moduleInfo;
    return RunModeSwitch(*m_link, m_switched, operation, options, hooks);
}

ModeFrame frmZ40MOD::ModeSwitch1(const ModeOptions &options)
{
    return runModeSwitch(1, options);
}
ModeFrame frmZ40MOD::ModeSwitch2(const ModeOptions &options)
{
    return runModeSwitch(2, options);
}
ModeFrame frmZ40MOD::ModeSwitch3(const ModeOptions &options)
{
    return runModeSwitch(3, options);
}
ModeFrame frmZ40MOD::ModeSwitch4(const ModeOptions &options)
{
    return runModeSwitch(4, options);
}
ModeFrame frmZ40MOD::ModeSwitch5(const ModeOptions &options)
{
    return runModeSwitch(5, options);
}
