#include "data/ui/frmZ42COM.h"

#include "core/ByteRoutines.h"
#include "core/Dialogs.h"
#include "core/SerialLink.h"
#include "data/DataFrames.h"
#include "shell/HexTextFilter.h"
#include "shell/WindowRegistry.h"
#include "ui_frmZ42COM.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QRegularExpression>

namespace {

namespace R = DataReply;
namespace F = DataFrames;

const QString Incomplete = QStringLiteral("模块设置时参数不全");
const QString SystemTitle = QStringLiteral("系统提示");
const QString ErrorTitle = QStringLiteral("错误提示");

// Placeholders of the value labels before a read.
const char *const Placeholders[16] = {
    "***********", "******", "******", "******", "***", "***",    "***",      "******",
    "**:**:",      "******", "******", "***",    "**",  "******", "********", "******"};

// Boxes that take decimal digits only, however the text comes in.
void InstallDigitFilter(QLineEdit *box)
{
    QObject::connect(box, &QLineEdit::textChanged, box, [box](const QString &text) {
        QString digits = text;
        digits.remove(QRegularExpression(QStringLiteral("[^0-9]")));
        if (digits != text) {
            const int cursor = box->cursorPosition() - int(text.size() - digits.size());
            box->setText(digits);
            box->setCursorPosition(qMax(0, cursor));
        }
    });
}

// The passive-mode address: printable ASCII only.
void InstallAsciiFilter(QLineEdit *box)
{
    QObject::connect(box, &QLineEdit::textChanged, box, [box](const QString &text) {
        QString kept = text;
        kept.remove(QRegularExpression(QStringLiteral("[^\\x21-\\x7E]")));
        if (kept != text)
            box->setText(kept);
    });
}

// The settings by the command code of their write, as the status bar names them.
QString SettingNames(const QByteArray &codes)
{
    static const struct {
        quint8 code;
        const char *name;
    } names[] = {{0xF8, "工作方式"},     {0xF9, "串口数据格式"}, {0xFB, "地址隐含方式"},
                 {0xE1, "地址参数"},     {0xF6, "心跳时间"},     {0xE4, "模块重起"},
                 {0xD3, "省电"},         {0xDB, "醒后模式"},     {0xD2, "醒后时间"},
                 {0xE2, "被动方式地址"}, {0xF3, "目标地址"},     {0xF2, "波特率"}};
    QStringList list;
    for (char code : codes)
        for (const auto &n : names)
            if (n.code == quint8(code))
                list << QString::fromUtf8(n.name);
    return list.join(QStringLiteral("、"));
}

} // namespace

frmZ42COM::frmZ42COM(SerialLink *link, const ModuleIdentity &identity, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::frmZ42COM>()), m_link(link), m_identity(identity)
{
    m_link->setParent(this);
    m_exchange = new DataExchange(*m_link, this);
    ui->setupUi(this);
    setObjectName(QLatin1String(WindowName));
    connectControls();
    open();
}

void frmZ42COM::connectControls()
{
    for (QLineEdit *box : {ui->Text2, ui->Text3, ui->Text8, ui->Text13})
        InstallHexTextFilter(box, false);
    for (QLineEdit *box : {ui->Text1_4, ui->Text1_6, ui->Text1_1})
        InstallHexTextFilter(box, true);
    ui->Text1_1->setMaxLength(3 * 1024);
    for (QLineEdit *box : {ui->Text4, ui->Text10, ui->Text11, ui->Text12})
        InstallDigitFilter(box);
    InstallAsciiFilter(ui->Text9);

    const struct {
        int index;
        void (frmZ42COM::*action)();
    } actions[] = {{0, &frmZ42COM::set_slave},      {1, &frmZ42COM::send_data},
                   {2, &frmZ42COM::startHeartbeat}, {3, &frmZ42COM::read_bd_data},
                   {4, &frmZ42COM::refresh_para},   {5, &frmZ42COM::exitWindow},
                   {6, &frmZ42COM::set_object},     {7, &frmZ42COM::read_empty},
                   {8, &frmZ42COM::set_baud},       {9, &frmZ42COM::startPowerSaving},
                   {10, &frmZ42COM::startWorkMode}, {11, &frmZ42COM::set_bd_address}};
    for (const auto &a : actions) {
        // What the last action came to goes when the next one starts.
        connect(command1(a.index), &QPushButton::clicked, this, [this] { showStatus({}); });
        connect(command1(a.index), &QPushButton::clicked, this, a.action);
    }
    // The seven "确定" buttons are told apart by the setting they send.
    const struct {
        int index;
        const char *name;
    } confirms[] = {{0, "身份地址确定"},     {2, "心跳时间确定"}, {6, "目标地址确定"},
                    {8, "波特率确定"},       {9, "省电确定"},     {10, "工作方式确定"},
                    {11, "被动方式地址确定"}};
    for (const auto &c : confirms)
        command1(c.index)->setAccessibleName(QString::fromUtf8(c.name));

    for (QComboBox *combo : {ui->Combo1, ui->Combo2, ui->Combo3})
        connect(combo, &QComboBox::currentIndexChanged, this, &frmZ42COM::updateDependents);
    const QScrollBar *scrolls[] = {ui->VScroll3, ui->VScroll4, ui->VScroll5, ui->VScroll8};
    for (int i = 0; i < 4; ++i)
        connect(scrolls[i], &QScrollBar::valueChanged, this,
                [this, i](int value) { onScroll(i, value); });
    updateDependents();
}

void frmZ42COM::open()
{
    connect(m_exchange, &DataExchange::replied, this, &frmZ42COM::onReply);
    connect(m_exchange, &DataExchange::identityOutcome, this, &frmZ42COM::onIdentityOutcome);
    connect(m_exchange, &DataExchange::frameSent, this, &frmZ42COM::onFrameSent);
    connect(m_exchange, &DataExchange::sequenceFinished, this, &frmZ42COM::commandenable);
    connect(m_exchange, &DataExchange::writeReported, this, &frmZ42COM::onWriteReported);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setSingleShot(true);
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, [this] {
        m_link->setDtr(false);
        ui->Command1_4->click();
    });
    rTimer.setObjectName(QStringLiteral("rTimer"));
    rTimer.setSingleShot(true);
    rTimer.setInterval(100);
    connect(&rTimer, &QTimer::timeout, this, &frmZ42COM::showReceived);

    // Opening: the data-module parser on the line, waiting for one byte.
    m_link->setDtr(false);
    m_exchange->setModuleForm(m_identity.workForm, m_identity.transferMode);
    m_exchange->parser().reset();

    m_tab = m_identity.startOnDataTab ? 0 : 2;
    ui->SSTab1->setCurrentIndex(m_tab);
    closeTab();

    ui->Combo7->setCurrentText(BaudText(m_link->baudRate()));
    if (m_identity.modeChoiceFlags[2])
        setWindowTitle(QStringLiteral("VX8K--其它参数设置"));
    if (m_identity.modeChoiceFlags[0])
        setWindowTitle(QStringLiteral("VX8K--身份地址设置"));
    // The status bar hears of it once the window is shown (see showEvent).
    m_portText =
        QStringLiteral("串口：COM%1--%2").arg(m_link->portNumber()).arg(m_link->settings());
    for (int i = 0; i < 16; ++i)
        findChild<QLabel *>(QStringLiteral("Label3_%1").arg(i))
            ->setText(QLatin1String(Placeholders[i]));
    Timer1.start();
}

frmZ42COM::~frmZ42COM() = default;

// Data communication has no identity page, address setting no parameter page: the closed tab
// says why in its tooltip, and a switch to it is turned back with the reason in the status bar.
void frmZ42COM::closeTab()
{
    const bool data = m_identity.startOnDataTab;
    const int refused = data ? 2 : 1;
    const QString why =
        data ? QStringLiteral("以“数据通信”方式进入时不能设置身份地址：请退出本窗口，在VX8连接窗口"
                              "中选“地址设置”，再按“进入”")
             : QStringLiteral("以“地址设置”方式进入时不能设置参数：请退出本窗口，在VX8连接窗口中"
                              "选“数据通信”，再按“进入”");
    ui->SSTab1->setTabToolTip(refused, why);
    connect(ui->SSTab1, &QTabWidget::currentChanged, this, [this, refused, why](int index) {
        if (index != refused)
            return;
        ui->SSTab1->setCurrentIndex(refused == 2 ? 1 : 2);
        showStatus(why);
    });
}

void frmZ42COM::showStatus(const QString &text)
{
    Q_EMIT statusTextChanged(2, QStringLiteral("模块状态：") + text);
}

void frmZ42COM::onWriteReported(const WriteReport &report)
{
    QString text = report.written.isEmpty()
                       ? QStringLiteral("没有写入参数")
                       : QStringLiteral("已写入") + SettingNames(report.written);
    if (!report.unanswered.isEmpty())
        text += QStringLiteral("，模块未回应：") + SettingNames(report.unanswered);
    if (!report.differing.isEmpty())
        text += QStringLiteral("，模块回应的值与写入的不同：") + SettingNames(report.differing);
    if (!report.written.isEmpty() && report.unanswered.isEmpty() && report.differing.isEmpty())
        text += QStringLiteral("，模块已确认");
    showStatus(text);
}

void frmZ42COM::showEvent(QShowEvent *event)
{
    Q_EMIT statusTextChanged(1, m_portText);
    QWidget::showEvent(event);
}

QPushButton *frmZ42COM::command1(int index) const
{
    return findChild<QPushButton *>(QStringLiteral("Command1_%1").arg(index));
}

void frmZ42COM::commandenable()
{
    for (int i = 0; i < 12; ++i)
        command1(i)->setEnabled(true);
}

void frmZ42COM::commanddisable(bool exitToo)
{
    for (int i = 0; i < 12; ++i)
        command1(i)->setEnabled(i == 5 && !exitToo);
}

void frmZ42COM::log(const QString &line)
{
    ui->Text1_3->moveCursor(QTextCursor::End);
    ui->Text1_3->insertPlainText(line + QLatin1Char('\n'));
}

// ---- dependent controls and scroll bars ----------------------------------------------------

void frmZ42COM::updateDependents()
{
    const bool format = ui->Combo1->currentIndex() == 1; // "主动方式"
    ui->Combo2->setEnabled(format);
    const bool transparent = format && ui->Combo2->currentIndex() == 2;
    ui->Combo3->setEnabled(transparent);
    const bool mode2 = transparent && ui->Combo3->currentIndex() == 2;
    for (QWidget *w : std::initializer_list<QWidget *>{ui->Combo4, ui->Text5, ui->Text6, ui->Text7,
                                                       ui->VScroll3, ui->VScroll4, ui->VScroll5})
        w->setEnabled(mode2);
}

void frmZ42COM::onScroll(int index, int value)
{
    if (index == 1 && ui->Combo4->currentIndex() == 0) {
        const QSignalBlocker block(ui->VScroll4);
        ui->VScroll4->setValue(-ui->Text6->text().toInt());
        ShowMessage(QStringLiteral("您必须选择地址的类型才可以选择地址的长度"), ErrorTitle,
                    MsgIcon::Exclamation);
        return;
    }
    QLineEdit *fields[] = {ui->Text5, ui->Text6, ui->Text7, ui->Text9};
    fields[index]->setText(QString::number(-value));
}

// ---- parameter read and write sequences ----------------------------------------------------

void frmZ42COM::refresh_para()
{
    for (int i = 0; i < 16; ++i)
        findChild<QLabel *>(QStringLiteral("Label3_%1").arg(i))
            ->setText(QLatin1String(Placeholders[i]));
    commanddisable(false);
    m_link->setDtr(false);
    m_exchange->startRead();
}

void frmZ42COM::startWorkMode()
{
    WorkModeChoice c;
    c.workMode = ui->Combo1->currentIndex();
    c.dataFormat = ui->Combo2->currentIndex();
    c.transparent = ui->Combo3->currentIndex();
    c.addressType = ui->Combo4->currentIndex();
    c.addressComplete = !ui->Text5->text().isEmpty() && !ui->Text6->text().isEmpty() &&
                        !ui->Text7->text().isEmpty();
    c.start = quint8(ui->Text5->text().toUInt());
    c.length = quint8(ui->Text6->text().toUInt());
    c.groupMaximum = quint8(ui->Text7->text().toUInt());
    if (!c.complete()) {
        ShowMessage(Incomplete, SystemTitle);
        return;
    }
    commanddisable();
    m_exchange->startWorkModeWrite(c);
}

void frmZ42COM::startHeartbeat()
{
    if (ui->Text4->text().isEmpty() || ui->Text10->text().isEmpty()) {
        ShowMessage(Incomplete, SystemTitle);
        return;
    }
    const uint seconds = ui->Text4->text().toUInt(), restarts = ui->Text10->text().toUInt();
    if (seconds > 32767 || restarts > 255) {
        ShowMessage(QStringLiteral("心跳时间为0到32767秒，模块重起为0到255次"), SystemTitle);
        return;
    }
    commanddisable();
    m_exchange->startHeartbeatWrite(quint16(seconds), quint8(restarts));
}

void frmZ42COM::startPowerSaving()
{
    PowerSavingChoice c;
    c.on = ui->Option3->isChecked();
    c.mode2 = ui->Option8->isChecked();
    c.idleMs = ui->Text11->text().toLongLong();
    c.dataMs = ui->Text12->text().toLongLong();
    if (c.on && (ui->Text11->text().isEmpty() || ui->Text12->text().isEmpty())) {
        ShowMessage(Incomplete, SystemTitle);
        return;
    }
    // Two bytes of 400 ms units carry at most 26214000 ms.
    if (c.on && (c.idleMs > 26214000 || c.dataMs > 26214000)) {
        ShowMessage(QStringLiteral("醒后时间不能超过26214000毫秒"), SystemTitle);
        return;
    }
    // The module keeps whole 400 ms units: say which value will be written, before writing it.
    const struct {
        QLineEdit *box;
        qint64 *ms;
        const char *name;
    } delays[] = {{ui->Text11, &c.idleMs, "醒后空闲时间"}, {ui->Text12, &c.dataMs, "醒后数据时间"}};
    for (const auto &delay : delays) {
        const qint64 stored = qint64(F::WakeUnits(*delay.ms)) * 400;
        if (!c.on || stored == *delay.ms)
            continue;
        if (!AcceptSteppedValue(QString::fromUtf8(delay.name), double(*delay.ms), double(stored),
                                QStringLiteral("毫秒"), QStringLiteral("400毫秒一级")))
            return;
        *delay.ms = stored;
        delay.box->setText(QString::number(stored));
    }
    commanddisable();
    m_exchange->startPowerSavingWrite(c);
}

void frmZ42COM::set_bd_address()
{
    if (ui->Text9->text().isEmpty()) {
        ShowMessage(Incomplete, SystemTitle);
        return;
    }
    m_exchange->writeParameter(F::PassiveAddress(ui->Text9->text()));
}

void frmZ42COM::set_baud()
{
    // Combo7 is not editable: its text always names a rate, so code 0 (a rate the module does
    // not have) is never sent.
    const quint8 code = F::BaudCodeOf(ui->Combo7->currentText());
    if (code != 0)
        m_exchange->writeParameter(F::Baud(code));
}

bool frmZ42COM::addressAccepted(const QString &project, const QString &station)
{
    switch (F::CheckAddress(project, station)) {
    case F::AddressCheck::NoProject:
        ShowMessage(QStringLiteral("您还没有输入工程号"), SystemTitle);
        return false;
    case F::AddressCheck::BadStation:
        ShowMessage(QStringLiteral("您输入站点号错误，站点号是 3 位"), SystemTitle);
        return false;
    case F::AddressCheck::Ok:
        break;
    }
    return true;
}

void frmZ42COM::set_object()
{
    if (addressAccepted(ui->Text13->text(), ui->Text8->text()))
        m_exchange->writeParameter(F::TargetAddress(ui->Text13->text(), ui->Text8->text()));
}

void frmZ42COM::set_slave()
{
    if (!addressAccepted(ui->Text2->text(), ui->Text3->text()))
        return;
    if (m_exchange->writeIdentity(ui->Text2->text(), ui->Text3->text()).isEmpty())
        return;
    QWidget *wait = Windows::get(QStringLiteral("Form10"));
    if (!wait)
        return;
    // The wait ends by its own time-out too: a late answer is then only logged.
    connect(wait, &QObject::destroyed, m_exchange, [exchange = m_exchange] {
        if (exchange->identityWritePending())
            exchange->abandonIdentityWrite();
    });
    Windows::showModal(wait);
}

void frmZ42COM::closeWaitWindow()
{
    Windows::unload(QStringLiteral("Form10"));
}

void frmZ42COM::onIdentityOutcome(DataExchange::IdentityOutcome outcome,
                                  DataExchange::IdentityTiming timing)
{
    using O = DataExchange::IdentityOutcome;
    if (timing != DataExchange::IdentityTiming::Waiting) {
        // Only logged: no wait window is there to close.
        static const char *const texts[] = {"设置成功", "设置失败", "已经被占用", "模块没有上网"};
        log((timing == DataExchange::IdentityTiming::AfterWait
                 ? QStringLiteral("身份地址（等待结束后收到）：")
                 : QStringLiteral("身份地址（未设置身份地址时收到）：")) +
            QString::fromUtf8(texts[int(outcome)]));
        return;
    }
    switch (outcome) {
    case O::Set:
        ShowMessage(QStringLiteral("模块身份地址设置成功"), SystemTitle, MsgIcon::Information);
        closeWaitWindow();
        break;
    case O::Refused:
        ShowMessage(QStringLiteral("对不起，模块身份地址设置失败"), ErrorTitle, MsgIcon::Critical);
        closeWaitWindow();
        break;
    case O::NotOnline:
        ShowMessage(QStringLiteral("对不起，您的模块没有上网"), ErrorTitle, MsgIcon::Critical);
        closeWaitWindow();
        break;
    case O::Taken:
        if (ShowMessage(QStringLiteral("您设置的身份地址已经被占用，要替换它吗？"), ErrorTitle,
                        MsgIcon::Question, MsgButtons::YesNo) == MsgResult::Yes) {
            m_exchange->replaceIdentity();
        } else {
            m_exchange->abandonIdentityWrite();
            closeWaitWindow();
        }
        break;
    }
}

// ---- replies ---------------------------------------------------------------------------------

void frmZ42COM::onReply(const DataReplyValue &reply)
{
    const auto label = [this](int i) {
        return findChild<QLabel *>(QStringLiteral("Label3_%1").arg(i));
    };
    if (const QByteArray received = dataBytes(reply); !received.isEmpty())
        log(QStringLiteral("接收  ") + F::JoinedHex(received));
    if (const auto *r = std::get_if<R::Notice>(&reply)) {
        if (r->value == 1)
            ShowMessage(QStringLiteral("模块初始化已经完成，您可以接收和发射数据了"),
                        QStringLiteral("提示信息"), MsgIcon::Information);
    } else if (const auto *r = std::get_if<R::Version>(&reply)) {
        label(0)->setText(r->text());
    } else if (const auto *r = std::get_if<R::PassiveAddress>(&reply)) {
        label(8)->setText(r->text());
        ui->Text9->setText(QString(QLatin1Char(char(r->high))) + QLatin1Char(char(r->low)));
    } else if (const auto *r = std::get_if<R::Address>(&reply)) {
        label(r->identity ? 9 : 10)->setText(r->text());
        (r->identity ? ui->Text2 : ui->Text13)->setText(r->project());
        (r->identity ? ui->Text3 : ui->Text8)->setText(r->station());
    } else if (const auto *r = std::get_if<R::Heartbeat>(&reply)) {
        label(11)->setText(r->text());
        ui->Text4->setText(QString::number(r->seconds));
    } else if (const auto *r = std::get_if<R::WorkMode>(&reply)) {
        label(1)->setText(r->text());
        for (QWidget *w : std::initializer_list<QWidget *>{ui->Label2_8, label(8), ui->Text9})
            w->setVisible(!r->active());
    } else if (const auto *r = std::get_if<R::DataFormat>(&reply)) {
        label(2)->setText(r->text());
        ui->Label2_3->setVisible(!r->format());
        label(3)->setVisible(!r->format());
    } else if (const auto *r = std::get_if<R::TransparentMode>(&reply)) {
        label(3)->setText(r->text());
    } else if (const auto *r = std::get_if<R::AddressParams>(&reply)) {
        const quint8 values[3] = {r->start, r->length, r->groupMaximum};
        QScrollBar *scrolls[3] = {ui->VScroll3, ui->VScroll4, ui->VScroll5};
        QLineEdit *fields[3] = {ui->Text5, ui->Text6, ui->Text7};
        for (int i = 0; i < 3; ++i) {
            label(4 + i)->setText(QString::number(values[i]));
            const QSignalBlocker block(scrolls[i]);
            scrolls[i]->setValue(-values[i]);
            fields[i]->setText(QString::number(values[i]));
        }
        label(7)->setText(r->typeText());
    } else if (const auto *r = std::get_if<R::BaudAnswer>(&reply)) {
        ui->Label4->setText(r->text());
    } else if (const auto *r = std::get_if<R::RestartCount>(&reply)) {
        label(12)->setText(QString::number(r->count));
    } else if (const auto *r = std::get_if<R::PowerSaving>(&reply)) {
        label(13)->setText(r->text());
    } else if (const auto *r = std::get_if<R::WakeDelays>(&reply)) {
        label(14)->setText(r->text());
    } else if (const auto *r = std::get_if<R::WakeMode>(&reply)) {
        label(15)->setText(r->text());
    } else if (const auto *r = std::get_if<R::ReceivedData>(&reply)) {
        m_receivedFrom << r->sender;
        m_received << r->data;
        rTimer.start();
    } else if (const auto *r = std::get_if<R::SendResult>(&reply)) {
        showStatus(r->code == 0xFA   ? QStringLiteral("数据发送成功")
                   : r->code == 0xFF ? QStringLiteral("模块没有上网，数据未发出")
                                     : QStringLiteral("数据发送失败"));
    } else if (std::holds_alternative<R::PassiveRefused>(reply)) {
        showStatus(QStringLiteral("模块拒收了这一帧"));
    }
}

void frmZ42COM::showReceived()
{
    int count = 0;
    for (qsizetype i = 0; i < m_received.size(); ++i) {
        const QString hexText = F::JoinedHex(m_received[i]);
        if (!m_receivedFrom[i].isEmpty())
            ui->Text1_5->setText(F::JoinedHex(m_receivedFrom[i]));
        ui->Text1_0->appendPlainText(QStringLiteral("接收数据：  ") + hexText);
        log(QStringLiteral("接收数据：  ") + hexText);
        count += int(m_received[i].size());
    }
    m_received.clear();
    m_receivedFrom.clear();
    ui->Label7->setText(QStringLiteral("接收数据：%1").arg(count));
}

void frmZ42COM::onFrameSent(const QByteArray &frame, bool data)
{
    log((data ? QStringLiteral("发射数据：  ") : QStringLiteral("发送指令 ")) +
        F::JoinedHex(frame));
}

// ---- data exchange ---------------------------------------------------------------------------

void frmZ42COM::read_bd_data()
{
    const QByteArray address = F::AddressBytes(ui->Text1_4->text());
    if (address.size() != 2) {
        ShowMessage(Incomplete, SystemTitle);
        return;
    }
    m_exchange->poll(address);
}

void frmZ42COM::read_empty()
{
    const QByteArray address = F::AddressBytes(ui->Text1_4->text());
    if (address.size() != 2) {
        ShowMessage(Incomplete, SystemTitle);
        return;
    }
    m_exchange->checkMemory(address);
}

void frmZ42COM::send_data()
{
    const QByteArray address = F::AddressBytes(ui->Text1_4->text());
    const QByteArray receiver = F::AddressBytes(ui->Text1_6->text());
    const QByteArray data = F::DataBytes(ui->Text1_1->text());
    const bool passive = m_exchange->workForm() == 0;
    const bool format = m_exchange->transferMode() != 0;
    if (data.isEmpty() || (passive && address.size() != 2) || (format && receiver.size() != 2)) {
        ShowMessage(Incomplete, SystemTitle);
        return;
    }
    if (m_exchange->sendData(address, receiver, data).isEmpty())
        return;
    ui->Label6->setText(QStringLiteral("发射数据：%1").arg(data.size()));
    showStatus(QStringLiteral("已发射%1字节数据").arg(data.size()));
}

// ---- closing -------------------------------------------------------------------------------

void frmZ42COM::exitWindow()
{
    if (Windows::find(QLatin1String(WindowName)) == this)
        Windows::unload(QLatin1String(WindowName));
    else if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

void frmZ42COM::closeEvent(QCloseEvent *event)
{
    m_exchange->stopAll();
    m_exchange->abandonIdentityWrite();
    Timer1.stop();
    rTimer.stop();
    if (m_link->isOpen())
        m_link->close();
    Q_EMIT statusTextChanged(1, QStringLiteral("串口：未使用"));
    QWidget::closeEvent(event);
}
