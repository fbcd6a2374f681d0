#include "connect/ui/frmVX8.h"

#include "connect/ui/ConnectWindows.h"
#include "core/Dialogs.h"
#include "core/OpenFailure.h"
#include "core/SerialLink.h"
#include "serial/Ports.h"
#include "shell/WindowRegistry.h"
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

} // namespace

frmVX8::frmVX8(Ports &ports, Opener openDataWindow, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::frmVX8>()), m_ports(ports),
      m_open(std::move(openDataWindow))
{
    ui->setupUi(this);
    setObjectName(QLatin1String(WindowName));
    m_link = ports.makeLink(windowTitle(), this);
    InstallDeviceLossReport(*m_link);
    m_routine = new ConnectRoutine(*m_link, this);
    connect(m_routine, &ConnectRoutine::progress, ui->PBar, &QProgressBar::setValue);
    connect(m_routine, &ConnectRoutine::finished, this, &frmVX8::connectFinished);

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
    ui->LabelDevice->setText(m_ports.map().describe(ui->Combo1->currentIndex() + 1));
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
    if (m_identity.vx8InDataMode())
        ui->Option1->setChecked(true);
    else
        ui->Option2->setChecked(true);
    ui->Option1->setEnabled(true);
    ui->Option2->setEnabled(true);
}

void frmVX8::setConnectControlsEnabled(bool enabled)
{
    for (QWidget *w :
         std::initializer_list<QWidget *>{ui->Command1_0, ui->Command1_1, ui->Combo1, ui->Combo2})
        w->setEnabled(enabled);
}

void frmVX8::onConnect()
{
    if (!OpenChosenPort(*m_link, ui->Combo1->currentText(), ui->Combo2->currentText()))
        return;
    for (QWidget *w : std::initializer_list<QWidget *>{ui->Command1_0, ui->Command1_1,
                                                       ui->Command1_2, ui->Combo1, ui->Combo2})
        w->setEnabled(false);
    ShowMessage(
        QStringLiteral("请确认您的模块信号指示灯已经不在闪烁，否则模块和计算机通信不正常。"),
        QStringLiteral("注意：系统提示！！！"), MsgIcon::Information, MsgButtons::Ok);
    m_link->setDtr(false);
    m_routine->start();
}

void frmVX8::connectFinished(ConnectRoutine::Result result)
{
    using Result = ConnectRoutine::Result;
    switch (result) {
    case Result::Connected:
        m_identity = m_routine->identity();
        identified();
        return;
    case Result::GprsRefused:
        ConnectWindows::ShowGprsRefused();
        // The module is not for this window: the port is given back and another try allowed.
        m_link->close();
        setConnectControlsEnabled(true);
        ui->PBar->setValue(0);
        return;
    case Result::NoAnswer:
        ConnectWindows::ShowNoAnswer();
        setConnectControlsEnabled(true);
        return;
    case Result::GaveUp:
        ui->Command1_0->setEnabled(true);
        ui->Command1_1->setEnabled(true);
        return;
    case Result::DeviceLost:
        setConnectControlsEnabled(true);
        return;
    }
}

void frmVX8::onCancel()
{
    m_routine->stop();
    if (m_link->isOpen())
        m_link->close();
    Windows::unloadWindow(this);
}

void frmVX8::onEnter()
{
    ModeOptions flags{};
    if (ui->Option1->isChecked() && ui->Option1->isEnabled()) {
        m_identity.startOnDataTab = true;
        flags[2] = true; // the parameter window's caption: other parameters
    } else if (ui->Option2->isChecked() && ui->Option2->isEnabled()) {
        m_identity.startOnDataTab = false;
        flags[0] = true; // identity address
    } else {
        return;
    }
    m_identity.modeChoiceFlags = flags;
    // The link goes to the data window before this window (its owner until now) goes.
    m_routine->stop();
    ConnectWindows::HandOver(this, m_link, m_open, m_identity);
}

void frmVX8::onOption(int option)
{
    ModeSwitchHooks hooks;
    hooks.disableSetButton = [this] { ui->Command1_2->setEnabled(false); };
    hooks.showRestartWindow = [this] {
        ConnectWindows::ShowRestartWindow(m_link, m_identity.pendingRestartMessage,
                                          [this] { resetIdentity(); });
    };
    if (option == 1) {
        if (m_identity.vx8InDataMode())
            return; // already in data communication
        RunModeSwitch(*m_link, m_identity, 2, ModeOptions{false, false, true, false, false}, hooks);
    } else {
        if (m_identity.moduleInfo.size() >= 3 && m_identity.moduleInfo.at(2) == 0)
            return; // already in address setting
        RunModeSwitch(*m_link, m_identity, 1, ModeOptions{true, false, false, false, false}, hooks);
    }
}
