#include "alarm/ui/InputArea.h"

#include "alarm/AlarmChecks.h"
#include "alarm/AlarmExchange.h"
#include "alarm/AlarmFrames.h"
#include "alarm/AlarmRecords.h"
#include "alarm/ui/AlarmFeatures.h"
#include "alarm/ui/AlarmPageHost.h"
#include "core/ByteRoutines.h"
#include "core/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

using namespace AlarmUi;

InputArea::InputArea(QWidget *page, AlarmPageHost &host)
    : QObject(page), m_exchange(&host.exchange()), m_host(&host)
{
    setObjectName(QStringLiteral("InputArea"));
    Combo5 = Find<QComboBox>(page, "Combo5");
    Combo7 = Find<QComboBox>(page, "Combo7");
    Option9 = Find<QRadioButton>(page, "Option9");
    Option10 = Find<QRadioButton>(page, "Option10");
    Option13 = Find<QRadioButton>(page, "Option13");
    Option11 = Find<QRadioButton>(page, "Option11");
    Option12 = Find<QRadioButton>(page, "Option12");
    Option14 = Find<QRadioButton>(page, "Option14");
    Option15 = Find<QRadioButton>(page, "Option15");
    Check1 = Find<QCheckBox>(page, "Check1");
    Check2 = Find<QCheckBox>(page, "Check2");
    Check7 = Find<QCheckBox>(page, "Check7");
    Text15 = Find<QPlainTextEdit>(page, "Text15");
    Text16 = Find<QLineEdit>(page, "Text16");
    Text17 = Find<QPlainTextEdit>(page, "Text17");
    Text19 = Find<QLineEdit>(page, "Text19");
    Text20 = Find<QLineEdit>(page, "Text20");
    for (int i = 0; i < 8; ++i)
        Combo9[i] = page->findChild<QComboBox *>(QStringLiteral("Combo9_%1").arg(i));

    auto click = [this, page](const char *name, void (InputArea::*action)()) {
        if (auto *b = Find<QPushButton>(page, name))
            connect(b, &QPushButton::clicked, this, action);
    };
    click("Command17", &InputArea::readSettings);
    click("Command16", &InputArea::writeSettings);
    click("Command25", &InputArea::readState);
    click("Command26_0", &InputArea::readModes);
    click("Command26_1", &InputArea::setModes);

    // The channel sent is always the one the box shows: it is chosen from the list only.
    Combo5->setEditable(false);
    connect(Text15, &QPlainTextEdit::textChanged, this,
            [this] { ChooseEncoding(BoxText(Text15), Option11, Option12); });
    connect(Text17, &QPlainTextEdit::textChanged, this,
            [this] { ChooseEncoding(BoxText(Text17), Option15, Option14); });
    connect(Text16, &QLineEdit::textChanged, this, &InputArea::clampInterval);
    // Only a click by the user counts: a reply that selects these buttons must not wipe the
    // interval it has just shown.
    for (QRadioButton *o : {Option11, Option12, Option13})
        connect(o, &QRadioButton::clicked, this, &InputArea::encodingClicked);

    auto *noTyping = new NoTypingFilter(this);
    Combo7->installEventFilter(noTyping);
    if (Combo7->lineEdit())
        Combo7->lineEdit()->installEventFilter(noTyping);
}

void InputArea::clampInterval()
{
    if (BoxNumber(Text16) > 2550)
        Text16->setText(QStringLiteral("2550"));
    if (BoxNumber(Text16) < 0)
        Text16->setText(QStringLiteral("0"));
}

// A click on "电平变化" or on an encoding of the low-level text: without a single-level trigger
// the alarm is not repeated.
void InputArea::encodingClicked()
{
    if (!Option9->isChecked() && !Option10->isChecked())
        Text16->setText(QStringLiteral("0"));
}

void InputArea::readSettings()
{
    if (!m_host->portOpenOrConnect())
        return;
    const int ch = ChosenChannel(Combo5, QStringLiteral("请指定要读取的DI通道0-7"));
    if (ch < 0)
        return;
    Text15->clear();
    Text16->clear();
    Text17->clear();
    Check1->setChecked(false);
    Check7->setChecked(false);
    Check2->setChecked(false);
    Option9->setChecked(true);
    Option11->setChecked(true);
    Option15->setChecked(true);
    m_exchange->readInputRecord(ch);
}

void InputArea::writeSettings()
{
    if (!m_host->portOpenOrConnect())
        return;
    const int ch = ChosenChannel(Combo5, QStringLiteral("请指定要设置的DI通道0-7"));
    if (ch < 0)
        return;

    AlarmRecords::DiRecordValues values;
    values.trigger = AlarmChecks::TriggerCode(Option9->isChecked(), Option10->isChecked(),
                                              Option13->isChecked());
    if (BoxNumber(Text16) > 2550)
        Text16->setText(QStringLiteral("2550"));
    values.interval = AlarmChecks::IntervalUnits(BoxNumber(Text16));
    if (!AcceptStored(Text16, QStringLiteral("重复报警间隔"), values.interval * 10.0,
                      QStringLiteral("秒"), QStringLiteral("10秒一级")))
        return;
    values.group = AlarmChecks::GroupCode(Check1->isChecked(), Check2->isChecked());
    values.low = {BoxText(Text15), Option12->isChecked()};
    values.high = {BoxText(Text17), Option14->isChecked()};
    const QString countRefusal = AlarmChecks::CheckAlarmCount(BoxNumber(Text20), &values.count);
    values.relay = AlarmFrames::LinkedRelayCode(Combo7->currentText());

    QByteArray record;
    if (const auto result = AlarmRecords::EncodeDiRecord(values, &record);
        result != AlarmRecords::EncodeResult::Ok) {
        // Without GBK an English text beyond ASCII cannot be sent; otherwise it is too long.
        ShowMessage(result == AlarmRecords::EncodeResult::NoGbk ? GbkMissingText()
                                                                : AlarmChecks::TextTooLongMessage(),
                    QStringLiteral("提示"), MsgIcon::Information);
        return;
    }
    if (!countRefusal.isEmpty()) {
        ShowMessage(countRefusal, QStringLiteral("提示"), MsgIcon::Information);
        return;
    }
    if (!AcceptStored(Text20, QStringLiteral("报警次数"), values.count, QStringLiteral("次"),
                      QStringLiteral("整数")))
        return;
    m_exchange->writeInputRecord(ch, record);
}

void InputArea::readState()
{
    if (!m_host->portOpenOrConnect())
        return;
    const int ch = ChosenChannel(Combo5, QStringLiteral("请指定要读取的DI通道0-7"));
    if (ch < 0)
        return;
    m_exchange->readInputState(ch);
    Text19->clear();
}

void InputArea::readModes()
{
    if (!m_host->portOpenOrConnect())
        return;
    m_exchange->readAlarmModes();
    for (QComboBox *box : Combo9)
        ClearComboText(box);
}

void InputArea::setModes()
{
    if (!m_host->portOpenOrConnect())
        return;
    std::array<quint8, 8> modes{};
    for (int i = 0; i < 8; ++i)
        modes[size_t(i)] = Combo9[i] ? AlarmFrames::AlarmModeCode(Combo9[i]->currentText()) : 0;
    m_exchange->writeAlarmModes(modes);
    ShowMessage(QStringLiteral("指令发送成功"), QStringLiteral("提示"));
    m_host->reportWrite(QStringLiteral("报警方式"));
}

void InputArea::showRecord(const AlarmRecords::DiRecordFields &f)
{
    if (f.trigger)
        (*f.trigger == 1 ? Option10 : *f.trigger == 3 ? Option13 : Option9)->setChecked(true);
    if (f.group) {
        Check1->setChecked(*f.group == 1 || *f.group == 2);
        if (*f.group == 2)
            Check2->setChecked(true);
    }
    if (f.interval)
        Text16->setText(QString::number(*f.interval * 10));
    if (f.lowFlag)
        ((*f.lowFlag & 0x80) ? Option12 : Option11)->setChecked(true);
    if (f.highFlag)
        ((*f.highFlag & 0x80) ? Option14 : Option15)->setChecked(true);
    if (f.lowText)
        SetBoxText(Text15, AlarmRecords::TrimSpaces(*f.lowText));
    if (f.highText)
        SetBoxText(Text17, *f.highText);
    if (f.count)
        Text20->setText(QString::number(*f.count));
    if (f.relay)
        Combo7->setCurrentIndex(*f.relay >= 1 && *f.relay <= 8 ? *f.relay - 1 : -1);
}

void InputArea::showModes(const std::array<quint8, 8> &modes)
{
    for (int i = 0; i < 8; ++i) {
        const quint8 m = modes[size_t(i)];
        if (m >= 1 && m <= 3) {
            Combo9[i]->setCurrentIndex(m - 1);
        } else {
            // "无" is no entry of the list: the box shows it as its text, so that "none" is
            // told apart from an empty box that has not been read (and is sent back as 0).
            Combo9[i]->setCurrentIndex(-1);
            Combo9[i]->setEditText(QStringLiteral("无"));
        }
    }
}
