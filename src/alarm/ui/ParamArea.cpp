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

void ParamArea::sendPasswordMode()
{
    if (!portOpen())
        return;
    m_exchange->send(AlarmFrames::PasswordMode(
        AlarmFrames::PasswordFlags(Check4->isChecked(), Check3->isChecked())));
}

void ParamArea::sendPassword()
{
    if (!portOpen() || !accepted(AlarmChecks::CheckPassword(Text1->text())))
        return;
    m_exchange->send(AlarmFrames::SmsPassword(Text1->text().toUpper()));
}

void ParamArea::sendReceiverNumber()
{
    if (!portOpen() || !accepted(AlarmChecks::CheckReceiverNumber(Text2->text())))
        return;
    m_exchange->send(AlarmFrames::ReceiverNumber(Text2->text().toUpper()));
}

void ParamArea::sendPassiveAddress()
{
    if (!portOpen() || !accepted(AlarmChecks::CheckPassiveAddress(Text3->text())))
        return;
    m_exchange->send(AlarmFrames::PassiveAddressFromText(Text3->text().toUpper()));
}

void ParamArea::sendRestartTime()
{
    quint32 units = 0;
    if (!portOpen() || !accepted(AlarmChecks::CheckRestartTime(BoxNumber(Text4), &units)))
        return;
    m_exchange->send(AlarmFrames::RestartTime(units));
}

void ParamArea::sendModuleModel()
{
    if (!portOpen())
        return;
    // Nothing is sent while neither model is chosen.
    if (Option3->isChecked())
        m_exchange->send(AlarmFrames::ModuleModel(2));
    else if (Option4->isChecked())
        m_exchange->send(AlarmFrames::ModuleModel(1));
}

void ParamArea::sendParameterClear()
{
    if (!portOpen())
        return;
    m_exchange->send(AlarmFrames::ParameterClear());
}
