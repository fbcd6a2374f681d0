#include "connect/ui/frmVX8.h"

#include "connect/ConnectTimers.h"
#include "connect/IdentityConnect.h"
#include "core/Dialogs.h"
#include "core/Module1.h"
#include "core/OpenFailure.h"
#include "core/SerialLink.h"
#include "core/serial/PortMap.h"
#include "core/ui/WindowRegistry.h"
#include "ui_frmVX8.h"

#include <QDialog>

namespace {

void ClearOption(QRadioButton *option)
{
    // An auto-exclusive option refuses to clear itself while it is the checked one.
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

// Shows the restart wait window modally and returns when it has gone.
void ShowRestartWindow()
{
    QWidget *window = Windows::get(QStringLiteral("Form19"));
    if (auto *dialog = qobject_cast<QDialog *>(window))
        dialog->exec();
}

} // namespace

frmVX8::frmVX8(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::frmVX8>())
{
    ui->setupUi(this);
    setObjectName(QLatin1String(WindowName));

    for (int port = 1; port <= 8; ++port)
        ui->Combo1->addItem(QStringLiteral("COM%1").arg(port));
    for (const qint32 rate : BaudRates)
        ui->Combo2->addItem(BaudText(rate));
    ui->Combo1->setCurrentIndex(0);
    ui->Combo2->setCurrentText(QStringLiteral("9600bps"));

    // Opening: no mode known yet.
    for (QRadioButton *option : {ui->Option1, ui->Option2}) {
        option->setEnabled(false);
        ClearOption(option);
    }
    ui->Command1_2->setEnabled(false);

    connect(ui->Command1_0, &QPushButton::clicked, this, &frmVX8::onConnect);
    connect(ui->Command1_1, &QPushButton::clicked, this, &frmVX8::onCancel);
    connect(ui->Command1_2, &QPushButton::clicked, this, &frmVX8::onEnter);
    // Only a click by the user switches the module; selecting the reported mode does not.
    connect(ui->Option1, &QRadioButton::clicked, this, [this] { onOption(1); });
    connect(ui->Option2, &QRadioButton::clicked, this, [this] { onOption(2); });
    connect(ui->Combo1, &QComboBox::currentIndexChanged, this, &frmVX8::showDevice);
    showDevice();

    IdentityConnect::instance().setHooks({[] {
        if (auto *window = Windows::findTyped<frmVX8>())
            window->identified();
    }});
}

frmVX8::~frmVX8() = default;

QPushButton *frmVX8::command1(int index) const
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

void frmVX8::showDevice()
{
    ui->LabelDevice->setText(PortMap::describe(ui->Combo1->currentIndex() + 1));
}

void frmVX8::resetIdentity()
{
    for (QRadioButton *option : {ui->Option1, ui->Option2})
        option->setEnabled(false);
    for (QRadioButton *option : {ui->Option1, ui->Option2})
        ClearOption(option);
    ui->Combo1->setEnabled(true);
    ui->Combo2->setEnabled(true);
    ui->Command1_0->setEnabled(true);
    ui->Command1_1->setEnabled(false);
    ui->Command1_2->setEnabled(true);
}

void frmVX8::identified()
{
    for (QPushButton *button : {ui->Command1_0, ui->Command1_1, ui->Command1_2})
        button->setEnabled(true);
    ui->PBar->setValue(0);
    if (Vx8InDataMode(ModuleInfo))
        ui->Option1->setChecked(true);
    else
        ui->Option2->setChecked(true);
    ui->Option1->setEnabled(true);
    ui->Option2->setEnabled(true);
}

void frmVX8::onConnect()
{
    if (!OpenChosenPort(ui->Combo1->currentText(), ui->Combo2->currentText()))
        return;
    for (QWidget *w : std::initializer_list<QWidget *>{ui->Command1_0, ui->Command1_1,
                                                       ui->Command1_2, ui->Combo1, ui->Combo2})
        w->setEnabled(false);
    ShowMessage(
        QStringLiteral("请确认您的模块信号指示灯已经不在闪烁，否则模块和计算机通信不正常。"),
        QStringLiteral("注意：系统提示！！！"), MsgIcon::Information, MsgButtons::Ok);
    Link().setDtr(false);
    IdentityConnect::instance().install();
    MainTimers().armConnect();
    ProtocolId = ProtocolIdentity;
    RxStep = 0;
}

void frmVX8::onCancel()
{
    if (Link().isOpen())
        Link().close();
    Windows::unloadWindow(this);
}

void frmVX8::onEnter()
{
    ModeOptions flags{};
    if (ui->Option1->isChecked() && ui->Option1->isEnabled()) {
        StartOnDataTab = 1;
        flags[2] = true; // the parameter window's caption: other parameters
    } else if (ui->Option2->isChecked() && ui->Option2->isEnabled()) {
        StartOnDataTab = 0;
        flags[0] = true; // identity address
    } else {
        return;
    }
    ModeChoiceFlags = flags;
    Windows::unloadWindow(this);
    if (QWidget *window = Windows::get(QStringLiteral("frmZ42COM")))
        Windows::showChild(window);
}

void frmVX8::onOption(int option)
{
    ModeSwitchHooks hooks;
    hooks.disableSetButton = [this] { ui->Command1_2->setEnabled(false); };
    hooks.showRestartWindow = &ShowRestartWindow;
    if (option == 1) {
        if (Vx8InDataMode(ModuleInfo))
            return; // already in data communication
        RunModeSwitch(2, ModeOptions{false, false, true, false, false}, hooks);
    } else {
        if (ModuleInfo.size() >= 3 && ModuleInfo.at(2) == 0)
            return; // already in address setting
        RunModeSwitch(1, ModeOptions{true, false, false, false, false}, hooks);
    }
}
