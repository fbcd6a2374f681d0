#include "connect/ui/frmVX8.h"

#include "core/Dialogs.h"
#include "core/OpenFailure.h"
#include "core/SerialLink.h"
#include "core/ui/WindowRegistry.h"
#include "ui_frmVX8.h"

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

    connect(ui->Command1_0, &QPushButton::clicked, this, &frmVX8::onConnect);
    connect(ui->Command1_1, &QPushButton::clicked, this, &frmVX8::onDisconnect);
    connect(ui->Command1_2, &QPushButton::clicked, this, [this] { Windows::unloadWindow(this); });
}

frmVX8::~frmVX8() = default;

void frmVX8::resetIdentity()
{
    for (QRadioButton *option : {ui->Option1, ui->Option2}) {
        option->setEnabled(false);
        // An auto-exclusive option refuses to clear itself while it is the checked one.
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
    ui->Combo1->setEnabled(true);
    ui->Combo2->setEnabled(true);
    ui->Command1_0->setEnabled(true);
    ui->Command1_1->setEnabled(false);
    ui->Command1_2->setEnabled(true);
}

void frmVX8::onConnect()
{
    if (!OpenChosenPort(ui->Combo1->currentText(), ui->Combo2->currentText()))
        return;
    ui->Command1_0->setEnabled(false);
    ui->Combo1->setEnabled(false);
    ui->Combo2->setEnabled(false);
    ui->Command1_1->setEnabled(true);
    // The identification of the VX8 module comes with its reply parser; until then the port is
    // open and the user is told plainly that nothing more happens.
    ShowMessage(QStringLiteral("串口已打开。VX8 模块的识别功能尚未提供"), QStringLiteral("提示"),
                MsgIcon::Information, MsgButtons::Ok);
}

void frmVX8::onDisconnect()
{
    if (Link().isOpen())
        Link().close();
    ui->Command1_0->setEnabled(true);
    ui->Command1_1->setEnabled(false);
    ui->Combo1->setEnabled(true);
    ui->Combo2->setEnabled(true);
}
