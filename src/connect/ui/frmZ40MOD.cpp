#include "connect/ui/frmZ40MOD.h"

#include "ui_frmZ40MOD.h"

#include "connect/ConnectParser.h"
#include "connect/ConnectTimers.h"
#include "core/Module1.h"
#include "core/OpenFailure.h"
#include "core/SerialLink.h"
#include "core/serial/PortMap.h"
#include "core/ui/WindowRegistry.h"

namespace {

// Opens the alarm module window when its factory is there (it is built separately).
void OpenAlarmWindow()
{
    if (QWidget *window = Windows::get(QStringLiteral("frmZ41COM")))
        Windows::showChild(window);
}

void CloseConnectWindow()
{
    Windows::unload(QLatin1String(frmZ40MOD::WindowName));
}

// Shows the restart wait window modally and returns when it has gone.
void ShowRestartWindow()
{
    QWidget *window = Windows::get(QStringLiteral("Form19"));
    if (!window)
        return;
    if (auto *dialog = qobject_cast<QDialog *>(window)) {
        dialog->exec();
    } else {
        window->setWindowModality(Qt::ApplicationModal);
        window->show();
    }
}

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

frmZ40MOD::frmZ40MOD(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::frmZ40MOD>())
{
    ui->setupUi(this);
    setObjectName(QLatin1String(WindowName));

    connect(ui->Command1_0, &QPushButton::clicked, this, &frmZ40MOD::connectClicked);
    connect(ui->Command1_1, &QPushButton::clicked, this, &frmZ40MOD::cancelClicked);
    connect(ui->Command1_2, &QPushButton::clicked, this, &frmZ40MOD::setClicked);
    connect(ui->Combo1, &QComboBox::currentIndexChanged, this, &frmZ40MOD::showDevice);
    showDevice();

    InstallConnectParser();
    SetConnectParserHooks({&CloseConnectWindow, &OpenAlarmWindow});
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
    ui->LabelDevice->setText(PortMap::describe(ui->Combo1->currentIndex() + 1));
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
    if (!OpenChosenPort(ui->Combo1->currentText(), ui->Combo2->currentText()))
        return;
    setConnectControlsEnabled(false);
    OfflineStart = false;
    MainTimers().armConnect();
    ProtocolId = ProtocolConnect;
    RxStep = 0;
}

void frmZ40MOD::cancelClicked()
{
    if (Link().isOpen())
        Link().close();
    OfflineStart = true;
    CloseConnectWindow();
    OpenAlarmWindow();
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
    hooks.showRestartWindow = &ShowRestartWindow;
    return RunModeSwitch(operation, options, hooks);
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
