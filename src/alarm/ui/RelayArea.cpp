#include "alarm/ui/RelayArea.h"

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
#include <QPushButton>
#include <QRadioButton>

using namespace AlarmUi;

namespace {
const QString CloseCaption = QStringLiteral("闭合");
const QString OpenCaption = QStringLiteral("断开");

// Delays and the reply delay stay within 0..250 s while they are typed.
void clampDelay(QLineEdit *box)
{
    if (BoxNumber(box) > 250)
        box->setText(QStringLiteral("250"));
    if (BoxNumber(box) < 0)
        box->setText(QStringLiteral("0"));
}
} // namespace

RelayArea::RelayArea(QWidget *page, AlarmPageHost &host)
    : QObject(page), m_exchange(&host.exchange()), m_host(&host)
{
    setObjectName(QStringLiteral("RelayArea"));
    Combo6 = Find<QComboBox>(page, "Combo6");
    Combo8 = Find<QComboBox>(page, "Combo8");
    Option16 = Find<QRadioButton>(page, "Option16");
    Option17 = Find<QRadioButton>(page, "Option17");
    Option18 = Find<QRadioButton>(page, "Option18");
    Option19 = Find<QRadioButton>(page, "Option19");
    Option20 = Find<QRadioButton>(page, "Option20");
    Option21 = Find<QRadioButton>(page, "Option21");
    Option22 = Find<QRadioButton>(page, "Option22");
    Option23 = Find<QRadioButton>(page, "Option23");
    Option24 = Find<QRadioButton>(page, "Option24");
    Text8 = Find<QLineEdit>(page, "Text8");
    Text10 = Find<QLineEdit>(page, "Text10");
    Text12 = Find<QLineEdit>(page, "Text12");
    Text14 = Find<QLineEdit>(page, "Text14");
    Text18 = Find<QLineEdit>(page, "Text18");
    Check5 = Find<QCheckBox>(page, "Check5");
    Check6 = Find<QCheckBox>(page, "Check6");
    Command27_0 = Find<QPushButton>(page, "Command27_0");

    if (auto *b = Find<QPushButton>(page, "Command23"))
        connect(b, &QPushButton::clicked, this, &RelayArea::readSettings);
    if (auto *b = Find<QPushButton>(page, "Command13"))
        connect(b, &QPushButton::clicked, this, &RelayArea::writeSettings);
    connect(Command27_0, &QPushButton::clicked, this, &RelayArea::outputTest);

    connect(Option16, &QRadioButton::clicked, this, &RelayArea::levelClicked);
    connect(Option17, &QRadioButton::clicked, this, &RelayArea::pulseClicked);
    for (QLineEdit *box : {Text10, Text14, Text18})
        connect(box, &QLineEdit::textChanged, this, [box] { clampDelay(box); });
    // The channel sent is always the one the box shows: it is chosen from the list only.
    Combo6->setEditable(false);
    connect(Text12, &QLineEdit::textChanged, this,
            [this] { ChooseEncoding(Text12->text(), Option22, Option21); });
    connect(Text8, &QLineEdit::textChanged, this,
            [this] { ChooseEncoding(Text8->text(), Option23, Option24); });
}

void RelayArea::levelClicked()
{
    if (!Option16->isChecked())
        return;
    Text10->setText(QStringLiteral("0"));
    Text14->setText(QStringLiteral("0"));
}

// A pulse lasts at least one second: zero delays become 1.
void RelayArea::pulseClicked()
{
    if (!Option17->isChecked())
        return;
    if (BoxNumber(Text10) == 0)
        Text10->setText(QStringLiteral("1"));
    if (BoxNumber(Text14) == 0)
        Text14->setText(QStringLiteral("1"));
}

void RelayArea::readSettings()
{
    if (!m_host->portOpenOrConnect())
        return;
    const int ch = ChosenChannel(Combo6, QStringLiteral("请指定要读取的Do通道0-7"));
    if (ch < 0)
        return;
    for (QLineEdit *box : {Text12, Text8, Text10, Text14, Text18})
        box->clear();
    Check5->setChecked(false);
    Check6->setChecked(false);
    for (QRadioButton *o : {Option16, Option19, Option22, Option23})
        o->setChecked(true);
    m_exchange->readRelayRecord(ch);
}

void RelayArea::writeSettings()
{
    if (!m_host->portOpenOrConnect())
        return;
    const int ch = ChosenChannel(Combo6, QStringLiteral("请指定要设置的Do通道0-7"));
    if (ch < 0)
        return;

    AlarmRecords::DoRecordValues values;
    values.mode = AlarmChecks::OutputModeCode(Option16->isChecked(), Option17->isChecked());
    // The record carries whole seconds: a fraction is asked about before it is rounded.
    const struct {
        QLineEdit *box;
        const char *name;
        quint8 *seconds;
    } delays[] = {{Text18, "短信回复延时", &values.replyDelay},
                  {Text10, "延时恢复高电平", &values.highDelay},
                  {Text14, "延时恢复低电平", &values.lowDelay}};
    for (const auto &d : delays) {
        // The delays return the relay by itself: they only mean something for a pulse.
        if (d.box != Text18 && values.mode != 2)
            continue;
        *d.seconds = AlarmChecks::DelaySeconds(BoxNumber(d.box));
        if (!AcceptStored(d.box, QString::fromUtf8(d.name), *d.seconds, QStringLiteral("秒"),
                          QStringLiteral("整秒")))
            return;
    }
    values.reply = AlarmChecks::SmsReplyCode(Check5->isChecked(), Option18->isChecked(),
                                             Option20->isChecked());
    values.low = {Text12->text(), Option21->isChecked()};
    values.high = {Text8->text(), Option24->isChecked()};
    values.hold = Check6->isChecked() ? 1 : 0;

    QByteArray record;
    if (const auto result = AlarmRecords::EncodeDoRecord(values, &record);
        result != AlarmRecords::EncodeResult::Ok) {
        // Without GBK an English text beyond ASCII cannot be sent; otherwise it is too long.
        ShowMessage(result == AlarmRecords::EncodeResult::NoGbk ? GbkMissingText()
                                                                : AlarmChecks::TextTooLongMessage(),
                    QStringLiteral("提示"), MsgIcon::Information);
        return;
    }
    m_exchange->writeRelayRecord(ch, record);
}

void RelayArea::outputTest()
{
    if (!m_host->portOpenOrConnect())
        return;
    const int relay = AlarmChecks::TestRelayNumber(Combo8->currentText());
    if (relay < 0)
        return;
    const bool close = Command27_0->text() == CloseCaption;
    Command27_0->setText(close ? OpenCaption : CloseCaption);
    m_exchange->switchRelay(relay, close);
    m_host->reportWrite(
        QStringLiteral("%1 Do%2").arg(close ? CloseCaption : OpenCaption).arg(relay));
}

void RelayArea::showRecord(const AlarmRecords::DoRecordFields &f)
{
    if (f.mode)
        (*f.mode == 2 ? Option17 : Option16)->setChecked(true);
    if (f.reply) {
        Check5->setChecked(*f.reply != 0);
        if (*f.reply != 0)
            (*f.reply == 2 ? Option18 : *f.reply == 3 ? Option20 : Option19)->setChecked(true);
    }
    if (f.replyDelay)
        Text18->setText(QString::number(*f.replyDelay));
    if (f.highDelay)
        Text10->setText(QString::number(*f.highDelay));
    if (f.lowDelay)
        Text14->setText(QString::number(*f.lowDelay));
    if (f.lowFlag)
        ((*f.lowFlag & 0x80) ? Option21 : Option22)->setChecked(true);
    if (f.highFlag)
        ((*f.highFlag & 0x80) ? Option24 : Option23)->setChecked(true);
    if (f.lowText)
        Text12->setText(AlarmRecords::TrimSpaces(*f.lowText));
    if (f.highText)
        Text8->setText(*f.highText);
    if (f.hold)
        Check6->setChecked(*f.hold == 1);
}
