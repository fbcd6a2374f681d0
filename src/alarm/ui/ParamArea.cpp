#include "alarm/ui/ParamArea.h"

#include "alarm/AlarmChecks.h"
#include "alarm/AlarmExchange.h"
#include "alarm/AlarmFrames.h"
#include "alarm/ui/AlarmFeatures.h"
#include "alarm/ui/AlarmPageHost.h"
#include "core/Dialogs.h"
#include "core/SerialLink.h"
#include "shell/HexTextFilter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace AlarmUi;

ParamArea::ParamArea(QWidget *page, AlarmPageHost &host)
    : QObject(page), m_exchange(&host.exchange()), m_host(&host)
{
    setObjectName(QStringLiteral("ParamArea"));
    Option3 = Find<QRadioButton>(page, "Option3");
    Option4 = Find<QRadioButton>(page, "Option4");
    Check3 = Find<QCheckBox>(page, "Check3");
    Check4 = Find<QCheckBox>(page, "Check4");
    Text1 = Find<QLineEdit>(page, "Text1");
    Text2 = Find<QLineEdit>(page, "Text2");
    Text3 = Find<QLineEdit>(page, "Text3");
    Text4 = Find<QLineEdit>(page, "Text4");

    const struct {
        const char *name;
        void (ParamArea::*action)();
    } buttons[] = {
        {"Command1", &ParamArea::sendPasswordMode},   {"Command2", &ParamArea::sendPassword},
        {"Command3", &ParamArea::sendReceiverNumber}, {"Command4", &ParamArea::sendPassiveAddress},
        {"Command7", &ParamArea::sendRestartTime},    {"Command9", &ParamArea::sendModuleModel},
        {"Command18", &ParamArea::sendParameterClear}};
    for (const auto &b : buttons) {
        if (auto *button = Find<QPushButton>(page, b.name))
            connect(button, &QPushButton::clicked, this, b.action);
    }
    // "需要" and "不需要" send the password flags at once; only the two boxes are encoded.
    for (const char *name : {"Option1", "Option2"}) {
        if (auto *option = Find<QRadioButton>(page, name))
            connect(option, &QRadioButton::clicked, this, &ParamArea::sendPasswordMode);
    }

    for (QLineEdit *box : {Text1, Text3})
        InstallHexTextFilter(box, true);

    // The passive-mode address means nothing to a module in active work form ("主动方式").
    if (auto *combo1 = Find<QComboBox>(page, "Combo1"))
        connect(combo1, qOverload<int>(&QComboBox::currentIndexChanged), this,
                [this](int index) { Text3->setEnabled(index != 0); });
}

bool ParamArea::portOpen() const
{
    if (m_exchange->link().isOpen())
        return true;
    ShowMessage(AlarmChecks::PortClosedMessage(), QStringLiteral("提示"), MsgIcon::Information);
    return false;
}

bool ParamArea::accepted(const QString &refusal)
{
    if (refusal.isEmpty())
        return true;
    ShowMessage(refusal, QStringLiteral("提示"), MsgIcon::Information);
    return false;
}

void ParamArea::write(const QByteArray &frame, const QString &what)
{
    m_exchange->send(frame);
    m_host->reportWrite(what);
}

void ParamArea::sendPasswordMode()
{
    if (!portOpen())
        return;
    const bool send = Check4->isChecked(), receive = Check3->isChecked();
    const QString use = send && receive ? QStringLiteral("发送和接收")
                        : send          ? QStringLiteral("发送")
                        : receive       ? QStringLiteral("接收")
                                        : QStringLiteral("都不");
    write(AlarmFrames::PasswordMode(AlarmFrames::PasswordFlags(send, receive)),
          QStringLiteral("密码方式（%1需要密码）").arg(use));
}

void ParamArea::sendPassword()
{
    if (!portOpen() || !accepted(AlarmChecks::CheckPassword(Text1->text())))
        return;
    const QString text = Text1->text().toUpper();
    write(AlarmFrames::SmsPassword(text), QStringLiteral("短信密码 ") + text);
}

void ParamArea::sendReceiverNumber()
{
    if (!portOpen() || !accepted(AlarmChecks::CheckReceiverNumber(Text2->text())))
        return;
    const QString text = Text2->text().toUpper();
    write(AlarmFrames::ReceiverNumber(text), QStringLiteral("接收号码 ") + text);
}

void ParamArea::sendPassiveAddress()
{
    if (!portOpen() || !accepted(AlarmChecks::CheckPassiveAddress(Text3->text())))
        return;
    const QString text = Text3->text().toUpper();
    write(AlarmFrames::PassiveAddressFromText(text), QStringLiteral("模块地址 ") + text);
}

void ParamArea::sendRestartTime()
{
    quint32 units = 0;
    if (!portOpen() || !accepted(AlarmChecks::CheckRestartTime(BoxNumber(Text4), &units)))
        return;
    // The frame counts units of 5 ms.
    const double seconds = units * 0.005;
    if (!AcceptStored(Text4, QStringLiteral("重起时间"), seconds, QStringLiteral("秒"),
                      QStringLiteral("0.005秒一级")))
        return;
    write(AlarmFrames::RestartTime(units),
          QStringLiteral("重起时间 %1 秒").arg(QString::number(seconds, 'g', 12)));
}

void ParamArea::sendModuleModel()
{
    if (!portOpen())
        return;
    // Nothing is sent while neither model is chosen.
    if (Option3->isChecked())
        write(AlarmFrames::ModuleModel(2), QStringLiteral("模块型号 短信"));
    else if (Option4->isChecked())
        write(AlarmFrames::ModuleModel(1), QStringLiteral("模块型号 GPRS"));
}

void ParamArea::sendParameterClear()
{
    if (!portOpen())
        return;
    write(AlarmFrames::ParameterClear(), QStringLiteral("清空参数"));
}
