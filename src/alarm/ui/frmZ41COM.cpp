#include "alarm/ui/frmZ41COM.h"

#include "alarm/AlarmFrames.h"
#include "alarm/AlarmSequences.h"
#include "alarm/DatabaseLocation.h"
#include "alarm/ui/AlarmFeatures.h"
#include "alarm/ui/InputArea.h"
#include "alarm/ui/ParamArea.h"
#include "alarm/ui/PhoneArea.h"
#include "alarm/ui/ProfileArea.h"
#include "alarm/ui/RelayArea.h"
#include "alarm/ui/TestArea.h"
#include "core/ByteRoutines.h"
#include "core/Dialogs.h"
#include "core/OpenFailure.h"
#include "core/SerialLink.h"
#include "shell/HexTextFilter.h"
#include "shell/WindowRegistry.h"

#include "ui_frmZ41COM.h"
#include "ui_frmZ41COM_inputs.h"
#include "ui_frmZ41COM_other.h"
#include "ui_frmZ41COM_params.h"
#include "ui_frmZ41COM_phones.h"
#include "ui_frmZ41COM_relays.h"
#include "ui_frmZ41COM_test.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QUrl>

namespace {

const char *const DatabaseConnection = "frmZ41COM";

// Window size when it opens: 11800 x 8180 twips at 15 twips per pixel.
constexpr int OpeningWidth = 787;
constexpr int OpeningHeight = 545;

QString &databasePathOverride()
{
    static QString path;
    return path;
}

// The set path as it is (tests), else beside the program or the installed read-only template.
DatabaseLocation ChosenDatabase()
{
    if (!databasePathOverride().isEmpty())
        return {databasePathOverride(), false};
    return LocateDatabase(QCoreApplication::applicationDirPath(),
                          QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation));
}

// The value labels of the parameter information and what they show before a read.
struct Mask {
    const char *label;
    const char *text;
};
const Mask ParameterMasks[] = {
    {"Label3", "* * * *"},     {"Label4", "* * * *"},     {"Label5", "**:**:**:**:"},
    {"Label6", "***********"}, {"Label8", "***********"}, {"Label7", "********"},
    {"Label13", "********"},   {"Label9", "**:**:"},      {"Label10", "****"},
    {"Label12", "*******"},    {"Label15", "**"},         {"Label16", "**"},
    {"Label17", "**"},         {"Label18", "**"},         {"Label19", "**"},
    {"Label22", "**"},         {"Label30", "**"},         {"Label50", "**"},
};

} // namespace

frmZ41COM::frmZ41COM(SerialLink *link, const ModuleIdentity &identity, QWidget *parent)
    : QWidget(parent), m_ui(new Ui::frmZ41COM), m_params(new Ui::frmZ41COM_params),
      m_test(new Ui::frmZ41COM_test), m_other(new Ui::frmZ41COM_other),
      m_inputs(new Ui::frmZ41COM_inputs), m_relays(new Ui::frmZ41COM_relays),
      m_phones(new Ui::frmZ41COM_phones), m_link(link), m_identity(identity)
{
    m_link->setParent(this);
    m_exchange = new AlarmExchange(*m_link, this);
    setObjectName(QLatin1String(WindowName));
    m_ui->setupUi(this);
    m_params->setupUi(m_ui->ParamsPage);
    m_test->setupUi(m_ui->TestPage);
    m_other->setupUi(m_ui->OtherPage);
    m_inputs->setupUi(m_ui->InputsPage);
    m_relays->setupUi(m_ui->RelaysPage);
    m_phones->setupUi(m_ui->PhonesPage);

    const struct {
        QTimer *timer;
        const char *name;
        int interval;
    } timers[] = {{&Timer5, "Timer5", 1000},
                  {&Timer6, "Timer6", 1000},
                  {&rTimer, "rTimer", 100},
                  {&ConfirmTimer, "ConfirmTimer", ConfirmWaitMs}};
    for (const auto &t : timers) {
        t.timer->setParent(this);
        t.timer->setObjectName(QLatin1String(t.name));
        t.timer->setInterval(t.interval);
    }
    // The communication test starts from the module state the connect read out.
    m_exchange->parser().setModuleForm(m_identity.workForm, m_identity.transferMode);

    setDesignState();
    connectControls();

    m_inputArea = new InputArea(m_ui->InputsPage, *this);
    m_relayArea = new RelayArea(m_ui->RelaysPage, *this);
    m_phoneArea = new PhoneArea(m_ui->PhonesPage, *this);
    new ParamArea(tabs(), *this);
    m_testArea = new TestArea(m_ui->TestPage, *this, &rTimer);
    new ProfileArea(tabs(), *this);
}

frmZ41COM::~frmZ41COM()
{
    Timer5.stop();
    Timer6.stop();
    rTimer.stop();
    ConfirmTimer.stop();
    m_exchange->stopAll();
    closeDatabase();
}

QString frmZ41COM::databasePath()
{
    return ChosenDatabase().path;
}

void frmZ41COM::setDatabasePath(const QString &path)
{
    databasePathOverride() = path;
}

// Design-time values that the forms cannot express: combo boxes that show a text without a
// list entry, the phone grid's columns and the window's size and caption.
void frmZ41COM::setDesignState()
{
    const struct {
        const char *combo;
        const char *text;
    } comboTexts[] = {{"Combo1", "无"}, {"Combo2", "无"}, {"Combo4", "无"}};
    for (const auto &c : comboTexts) {
        QComboBox *box = combo(QLatin1String(c.combo));
        box->setCurrentIndex(-1);
        box->setEditText(QString::fromUtf8(c.text));
    }
    combo(QStringLiteral("Combo3"))
        ->setCurrentIndex(combo(QStringLiteral("Combo3"))->findText(QStringLiteral("9600bps")));
    combo(QStringLiteral("Combo7"))->setCurrentIndex(-1);
    // The address settings follow the transmission mode from the start.
    transferModeChosen(combo(QStringLiteral("Combo2"))->currentIndex());
    // The model row shows the firmware model; the label beside the version is not used.
    m_params->Label50->hide();

    QTableWidget *table = grid();
    table->setRowCount(0);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(0, 70);
    table->verticalHeader()->setDefaultSectionSize(22);
    table->verticalHeader()->setMinimumWidth(16);

    setWindowTitle(QStringLiteral("短信模块参数设置"));
    resize(qMax(OpeningWidth, sizeHint().width()), qMax(OpeningHeight, sizeHint().height()));
}

void frmZ41COM::connectControls()
{
    connect(&Timer5, &QTimer::timeout, this, &frmZ41COM::onTimer5);
    connect(&Timer6, &QTimer::timeout, this, &frmZ41COM::onTimer6);
    connect(m_exchange, &AlarmExchange::replied, this, &frmZ41COM::showReply);
    connect(m_exchange, &AlarmExchange::sequenceFinished, this, &frmZ41COM::sequenceFinished);
    ConfirmTimer.setSingleShot(true);
    connect(&ConfirmTimer, &QTimer::timeout, this, &frmZ41COM::onConfirmTimer);
    connect(m_exchange, &AlarmExchange::writesConfirmed, this, [this] {
        // A sequence reports once it has ended.
        if (!m_written.isEmpty() && !m_exchange->Timer1.isActive() &&
            !m_exchange->Timer3.isActive()) {
            ConfirmTimer.stop();
            setModuleStatus(QStringLiteral("模块已确认 ") + m_written);
        }
    });
    // Every action of the window begins with a button; pressing one clears the last outcome.
    for (QAbstractButton *b : findChildren<QAbstractButton *>())
        connect(b, &QAbstractButton::pressed, this, &frmZ41COM::actionStarted);
    connect(m_exchange, &AlarmExchange::choiceMissing, this,
            [this](AlarmSequences::WriteTick::Missing missing) {
                combo(QLatin1String(missing == AlarmSequences::WriteTick::Missing::WorkForm
                                        ? "Combo1"
                                        : "Combo2"))
                    ->setFocus();
                ShowMessage(QStringLiteral("你必须选择需要的工作方式"), QStringLiteral("提示信息"));
            });

    connect(button(QStringLiteral("Command8")), &QPushButton::clicked, this, &frmZ41COM::refresh);
    connect(button(QStringLiteral("Command5")), &QPushButton::clicked, this,
            &frmZ41COM::startWorkModeWrite);
    connect(button(QStringLiteral("Command14")), &QPushButton::clicked, this,
            &frmZ41COM::startPowerSavingWrite);
    connect(button(QStringLiteral("Command6")), &QPushButton::clicked, this,
            &frmZ41COM::sendBaudRate);
    connect(button(QStringLiteral("Command10")), &QPushButton::clicked, this,
            &frmZ41COM::exitWindow);
    connect(tabs(), &QTabWidget::currentChanged, this, &frmZ41COM::tabChanged);
    // A change of the list entry, by the user or by a reply, counts as a click on the box.
    connect(combo(QStringLiteral("Combo2")), qOverload<int>(&QComboBox::currentIndexChanged), this,
            &frmZ41COM::transferModeChosen);
    label(QStringLiteral("Label8"))->installEventFilter(this);
    // The module address of the communication test: hexadecimal pairs.
    InstallHexTextFilter(m_test->Text22, true);

    // The address boxes show the scroll bars' values negated, so moving a bar up counts up.
    const struct {
        const char *bar;
        const char *box;
    } spins[] = {{"VS1", "Text5"}, {"VS2", "Text6"}, {"VS3", "Text7"}};
    for (const auto &s : spins) {
        QLineEdit *box = lineEdit(QLatin1String(s.box));
        connect(scrollBar(QLatin1String(s.bar)), &QScrollBar::valueChanged, box,
                [box](int value) { box->setText(QString::number(-value)); });
    }
}

// ---- opening --------------------------------------------------------------------------------

void frmZ41COM::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_loaded) {
        load();
        placeWindow();
    }
}

void frmZ41COM::load()
{
    if (m_loaded)
        return;
    m_loaded = true;

    const QStringList modes = {QStringLiteral("电话"), QStringLiteral("短信"),
                               QStringLiteral("电话+短信")};
    for (int i = 0; i < 8; ++i) {
        QComboBox *box = combo(QStringLiteral("Combo9_%1").arg(i));
        box->clear();
        box->addItems(modes);
        box->setCurrentIndex(0);
    }

    m_phoneArea->showTable(PhoneTableModel());
    combo(QStringLiteral("Combo5"))->setCurrentIndex(0);
    combo(QStringLiteral("Combo6"))->setCurrentIndex(0);
    combo(QStringLiteral("Combo8"))->setCurrentIndex(0);

    for (int i = 0; i < 4; ++i)
        element(QStringLiteral("Command21"), i)->setVisible(false);

    m_exchange->parser().reset();
    // While the window loads the bytes wait; Timer5 starts reading them.
    m_exchange->setListening(false);
    tabs()->setCurrentIndex(ParamsPage);

    lineEdit(QStringLiteral("Text5"))
        ->setText(QString::number(-scrollBar(QStringLiteral("VS1"))->value()));
    lineEdit(QStringLiteral("Text6"))
        ->setText(QString::number(-scrollBar(QStringLiteral("VS2"))->value()));
    lineEdit(QStringLiteral("Text7"))
        ->setText(QString::number(-scrollBar(QStringLiteral("VS3"))->value()));

    setStatusText(
        1, QStringLiteral("串口：COM%1--%2").arg(m_link->portNumber()).arg(m_link->settings()));
    m_link->setDtr(false);
    openDatabase();

    Timer5.start();
    Timer6.start();
}

void frmZ41COM::placeWindow()
{
    // At the top left of the main window's client area; an MDI child is placed by its frame.
    QWidget *target = this;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        target = sub;
    const QSize frame = target->size() - size();
    const QSize content(qMax(OpeningWidth, minimumSizeHint().width()),
                        qMax(OpeningHeight, minimumSizeHint().height()));
    if (target != this) {
        target->move(0, 0);
        target->resize(content + frame);
    } else {
        resize(content);
    }
}

void frmZ41COM::openDatabase()
{
    // The file is opened only when it is there: the driver would otherwise create an empty
    // database beside the program. "mode=rw" opens it for reading and writing without ever
    // creating it; the installed template is opened read-only, so nothing is ever written to
    // the system's folders (no journal either).
    const DatabaseLocation location = ChosenDatabase();
    const QString path = location.path;
    if (!QFileInfo(path).isFile() || !QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return;
    closeDatabase();
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(DatabaseConnection));
        db.setConnectOptions(location.readOnly
                                 ? QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY")
                                 : QStringLiteral("QSQLITE_OPEN_URI"));
        db.setDatabaseName(
            QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString() +
            (location.readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw")));
        if (db.open()) {
            auto query = std::make_unique<QSqlQuery>(db);
            if (query->exec(QStringLiteral("select * from Phone_Table"))) {
                m_db = db;
                m_phoneRecords = std::move(query);
                return;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(DatabaseConnection));
}

void frmZ41COM::closeDatabase()
{
    m_phoneRecords.reset();
    if (!QSqlDatabase::contains(QLatin1String(DatabaseConnection)))
        return;
    if (m_db.isOpen())
        m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QLatin1String(DatabaseConnection));
}

void frmZ41COM::closeEvent(QCloseEvent *event)
{
    m_exchange->stopAll();
    m_exchange->setListening(false);
    Timer5.stop();
    Timer6.stop();
    rTimer.stop();
    closeDatabase();
    // The port goes with the window, however it is closed (退出, its frame, the program).
    setStatusText(1, QStringLiteral("串口：未使用"));
    // The send-mode menu belongs to the communication test of this window.
    Q_EMIT smsMannerMenuWanted(false);
    event->accept();
}

// ---- timers ---------------------------------------------------------------------------------

void frmZ41COM::onTimer5()
{
    Timer5.stop();
    m_exchange->setListening(true);
    m_link->setDtr(false);
}

void frmZ41COM::onTimer6()
{
    Timer6.stop();
    refresh();
}

void frmZ41COM::refresh()
{
    for (const Mask &m : ParameterMasks)
        label(QLatin1String(m.label))->setText(QString::fromUtf8(m.text));
    m_exchange->restart();
    if (m_identity.offlineStart) {
        // Opened without a module: the port is tried quietly and nothing is read.
        m_exchange->link().open();
        m_exchange->link().setDtr(false);
        Disable_Command();
        return;
    }
    // A port that does not open is reported; the buttons stay usable to try again.
    if (!OpenPortOrReport(m_exchange->link()))
        return;
    m_exchange->link().setDtr(false);
    m_exchange->startReadAll();
    Disable_Command();
}

void frmZ41COM::startWorkModeWrite()
{
    if (!portOpenOrConnect())
        return;
    // The choice is gathered on every tick: a missing one can still be made while it waits.
    setModuleStatus(QStringLiteral("正在写入工作方式"));
    m_exchange->startWorkModeWrite([this] {
        // The list entry that the shown text names; a typed text that is no entry counts as
        // none.
        auto chosen = [this](const char *name) {
            QComboBox *box = combo(QLatin1String(name));
            return box->findText(box->currentText(), Qt::MatchExactly);
        };
        AlarmSequences::WorkModeChoice choice;
        choice.workForm = chosen("Combo1");
        choice.transferMode = chosen("Combo2");
        choice.addressStart = quint8(-m_params->VS1->value());
        choice.groupMaximum = quint8(-m_params->VS2->value());
        choice.addressLength = quint8(-m_params->VS3->value());
        choice.addressType = m_params->Combo4->currentText();
        return choice;
    });
    Disable_Command();
}

void frmZ41COM::startPowerSavingWrite()
{
    if (!portOpenOrConnect())
        return;
    // The D2 frame carries the delays as 16-bit counts of 400 ms.
    AlarmSequences::PowerSavingChoice choice;
    choice.powerSaving = m_params->Option5->isChecked();
    choice.wakeMode1 = m_params->Option7->isChecked();
    choice.idleMs = AlarmSequences::TextNumber(m_params->Text11->text());
    choice.dataMs = AlarmSequences::TextNumber(m_params->Text13->text());
    if (choice.powerSaving &&
        (choice.idleMs < 0 || choice.dataMs < 0 || choice.idleMs > AlarmSequences::MaxWakeDelayMs ||
         choice.dataMs > AlarmSequences::MaxWakeDelayMs)) {
        ShowMessage(QStringLiteral("醒后延时应在0到26214000毫秒之间"), QStringLiteral("提示"),
                    MsgIcon::Information);
        return;
    }
    if (choice.powerSaving) {
        // The delays are written in steps of 400 ms: the user hears of it before the write.
        const struct {
            QLineEdit *box;
            const char *name;
            double *ms;
        } delays[] = {{m_params->Text11, "醒后空闲延时", &choice.idleMs},
                      {m_params->Text13, "醒后数据延时", &choice.dataMs}};
        for (const auto &d : delays) {
            const double stored = AlarmFrames::WakeDelayCount(*d.ms) * 400.0;
            if (!AlarmUi::AcceptStored(d.box, QString::fromUtf8(d.name), stored,
                                       QStringLiteral("毫秒"), QStringLiteral("400毫秒一级")))
                return;
            *d.ms = stored;
        }
        m_powerSavingText =
            QStringLiteral("省电设置（省电，%1，醒后空闲延时 %2 毫秒，醒后数据延时 "
                           "%3 毫秒）")
                .arg(choice.wakeMode1 ? QStringLiteral("模式1") : QStringLiteral("模式2"))
                .arg(choice.idleMs)
                .arg(choice.dataMs);
    } else {
        m_powerSavingText = QStringLiteral("省电设置（不省电）");
    }
    m_exchange->startPowerSavingWrite(choice);
    setModuleStatus(QStringLiteral("正在写入 ") + m_powerSavingText);
    Disable_Command();
}

void frmZ41COM::sequenceFinished(AlarmExchange::Sequence sequence)
{
    if (m_profileRunning)
        return; // the profile's own read-all; the buttons wait for the profile
    if (sequence == AlarmExchange::Sequence::PowerSaving)
        m_params->Command14->setEnabled(true);
    Enable_Command();
    if (sequence == AlarmExchange::Sequence::PowerSaving)
        reportWrite(m_powerSavingText);
    else if (sequence == AlarmExchange::Sequence::WorkMode)
        reportWrite(QStringLiteral("工作方式（%1，%2）")
                        .arg(combo(QStringLiteral("Combo1"))->currentText(),
                             combo(QStringLiteral("Combo2"))->currentText()));
}

// ---- single commands ------------------------------------------------------------------------

void frmZ41COM::sendBaudRate()
{
    if (!portOpenOrConnect())
        return;
    // Only the module's rate changes; the program's own port settings stay as they are.
    const QString rate = combo(QStringLiteral("Combo3"))->currentText();
    m_exchange->send(AlarmFrames::BaudRate(AlarmFrames::BaudCode(rate)));
    reportWrite(QStringLiteral("波特率 ") + rate);
}

void frmZ41COM::askVersionCode()
{
    QString answer;
    if (!AskInput(QStringLiteral("请输入8位密码："), QStringLiteral("身份识别"), QString(),
                  &answer))
        return;
    // The module checks the code; it takes six characters although the prompt asks for eight.
    const QByteArray frame = AlarmSequences::VersionCodeFrame(answer);
    if (frame.isEmpty()) {
        // A code beyond ASCII cannot be sent without GBK: say that rather than "invalid".
        const bool gbkMissing = !AnsiEncodable(answer);
        ShowMessage(gbkMissing ? GbkMissingText() : QStringLiteral("密码无效"),
                    QStringLiteral("提示"), MsgIcon::Information);
        return;
    }
    m_exchange->send(frame);
}

void frmZ41COM::exitWindow()
{
    setStatusText(1, QStringLiteral("串口：未使用"));
    if (m_link->isOpen())
        m_link->close();
    if (Windows::find(QLatin1String(WindowName)) == this)
        Windows::unload(QLatin1String(WindowName));
    else if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

bool frmZ41COM::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick &&
        watched == label(QStringLiteral("Label8"))) {
        askVersionCode();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- busy handling --------------------------------------------------------------------------

void frmZ41COM::Disable_Command()
{
    for (size_t i = 0; i < GuardedButtons.size(); ++i) {
        QPushButton *b = button(QLatin1String(GuardedButtons[i]));
        SavedButtonStates[i] = b->isEnabled();
        // The remove-number button stays usable while the module is busy.
        if (qstrcmp(GuardedButtons[i], "Command15") != 0)
            b->setEnabled(false);
    }
}

void frmZ41COM::Enable_Command()
{
    for (size_t i = 0; i < GuardedButtons.size(); ++i)
        button(QLatin1String(GuardedButtons[i]))->setEnabled(SavedButtonStates[i]);
    // The row buttons of the phone table follow its selection, whatever was saved.
    m_phoneArea->updateButtons();
}

// ---- tabs and the transmission mode ---------------------------------------------------------

void frmZ41COM::tabChanged(int index)
{
    if (index == TestPage) {
        setWindowTitle(QStringLiteral("短信模块通信测试"));
        Q_EMIT smsMannerMenuWanted(true);
        // Module address and the two request buttons serve a passive module only.
        const bool passive = m_exchange->parser().workForm() == 0;
        for (const char *name : {"Label31", "Text22", "Command21_0", "Command21_1"})
            findChild<QWidget *>(QLatin1String(name))->setVisible(passive);
        // Phone numbers belong to format transmission only.
        const bool format = m_exchange->parser().transferMode() != 0;
        for (const char *name : {"Text21_3", "Text21_4", "Label21_4", "Label21_5"})
            findChild<QWidget *>(QLatin1String(name))->setVisible(format);
        for (QPlainTextEdit *box : {m_test->Text21_0, m_test->Text21_1, m_test->Text21_2})
            box->clear();
        for (QLineEdit *box : {m_test->Text21_3, m_test->Text21_4, m_test->Text22})
            box->clear();
        m_exchange->parser().setFrameMachine(false);
        return;
    }
    // Leaving the page cancels a test request still waiting to be sent.
    m_exchange->cancelTestRequest();
    setWindowTitle(index == OtherPage ? QStringLiteral("其他参数设置")
                                      : QStringLiteral("短信模块参数设置"));
    Q_EMIT smsMannerMenuWanted(true);
    m_exchange->parser().setFrameMachine(true);
}

void frmZ41COM::clearSendBox()
{
    m_test->Text21_1->clear();
}

void frmZ41COM::transferModeChosen(int index)
{
    // Address type and address settings belong to transparent mode 2.
    const bool mode2 = index == 2;
    for (const char *name : {"Combo4", "Text5", "Text6", "Text7", "VS1", "VS2", "VS3"})
        findChild<QWidget *>(QLatin1String(name))->setEnabled(mode2);
}

// ---- controls -------------------------------------------------------------------------------

QPushButton *frmZ41COM::button(const QString &name) const
{
    return control<QPushButton>(name);
}
QLabel *frmZ41COM::label(const QString &name) const
{
    return control<QLabel>(name);
}
QLineEdit *frmZ41COM::lineEdit(const QString &name) const
{
    return control<QLineEdit>(name);
}
QComboBox *frmZ41COM::combo(const QString &name) const
{
    return control<QComboBox>(name);
}
QScrollBar *frmZ41COM::scrollBar(const QString &name) const
{
    return control<QScrollBar>(name);
}
QTableWidget *frmZ41COM::grid() const
{
    return m_phones->Grid;
}
QTabWidget *frmZ41COM::tabs() const
{
    return m_ui->SSTab1;
}

QWidget *frmZ41COM::element(const QString &array, int index) const
{
    return findChild<QWidget *>(array + QLatin1Char('_') + QString::number(index));
}

// ---- replies ---------------------------------------------------------------------------------

namespace {

void info(const QString &text, const QString &title)
{
    ShowMessage(text, title, MsgIcon::Information, MsgButtons::Ok);
}
void warn(const QString &text, const QString &title)
{
    ShowMessage(text, title, MsgIcon::Exclamation, MsgButtons::Ok);
}

} // namespace

void frmZ41COM::showReply(const AlarmReplyValue &reply)
{
    namespace R = AlarmReply;
    using Request = R::TextAnswer::Request;
    using Verdict = R::TextAnswer::Verdict;
    if (m_profileRunning)
        return; // the profile shows its own outcome; the pages are read again after it
    if (const auto *r = std::get_if<R::InitDone>(&reply)) {
        if (r->value == 1)
            ShowMessage(QStringLiteral("模块初始化已经完成，您可以设置参数了"),
                        QStringLiteral("提示信息"), MsgIcon::None, MsgButtons::Ok);
    } else if (const auto *r = std::get_if<R::TextAnswer>(&reply)) {
        const bool ok = r->verdict == Verdict::Ok, fail = r->verdict == Verdict::Fail;
        switch (r->request) {
        case Request::VersionCode:
            if (ok)
                info(QStringLiteral("设置成功"), QStringLiteral("提示！！"));
            if (fail)
                warn(QStringLiteral("设置错误 "), QStringLiteral("提示！！"));
            break;
        case Request::RecordWrite:
            if (ok)
                info(QStringLiteral("设置成功"), QStringLiteral("提示"));
            if (fail)
                info(QStringLiteral("设置失败"), QStringLiteral("提示"));
            break;
        case Request::PhoneTableWrite:
            if (ok)
                info(QStringLiteral("电话号码表设置成功"), QStringLiteral("提示！！"));
            if (fail)
                warn(QStringLiteral("电话号码表设置错误 "), QStringLiteral("提示！！"));
            break;
        case Request::PhoneTableClear:
            if (ok) {
                info(QStringLiteral("清空号码表成功"), QStringLiteral("提示！！"));
                m_phoneArea->showTable(PhoneTableModel());
            }
            if (fail)
                warn(QStringLiteral("清空号码表失败"), QStringLiteral("提示！！"));
            break;
        }
    } else if (const auto *r = std::get_if<R::PhoneTable>(&reply)) {
        if (r->empty()) {
            info(QStringLiteral("号码表空"), QStringLiteral("提示"));
            m_phoneArea->showTable(PhoneTableModel());
        } else if (!r->checksumOk) {
            info(QStringLiteral("号码表结构错误"), QStringLiteral("提示"));
        } else {
            m_phoneArea->showTable(PhoneTableModel(r->numbers));
        }
    } else if (const auto *r = std::get_if<R::InputRecord>(&reply)) {
        if (r->checksumOk)
            m_inputArea->showRecord(r->fields);
        info(r->checksumOk ? QStringLiteral("读取参数成功") : QStringLiteral("读取参数失败"),
             QStringLiteral("提示"));
    } else if (const auto *r = std::get_if<R::RelayRecord>(&reply)) {
        if (r->checksumOk)
            m_relayArea->showRecord(r->fields);
        info(r->checksumOk ? QStringLiteral("读取参数成功") : QStringLiteral("读取参数失败"),
             QStringLiteral("提示"));
    } else if (const auto *r = std::get_if<R::InputState>(&reply)) {
        if (r->queried)
            m_inputs->Text19->setText(r->text());
    } else if (const auto *r = std::get_if<R::AlarmModes>(&reply)) {
        m_inputArea->showModes(r->modes);
    } else if (std::holds_alternative<R::TestLine>(reply) ||
               std::holds_alternative<R::TestStatus>(reply) ||
               std::holds_alternative<R::TestData>(reply)) {
        m_testArea->showReply(reply);
    } else {
        showParameter(reply);
    }
}

// 1 = password for sending only, 2 = for receiving only, 3 = both: the meaning the write side
// sends.
void frmZ41COM::showPasswordMode(quint8 value)
{
    if (value == 0) {
        m_params->Label10->setText(QStringLiteral("无密码"));
        m_other->Option2->setChecked(true);
        m_other->Check3->setChecked(false);
        m_other->Check4->setChecked(false);
        return;
    }
    m_params->Label10->setText(QStringLiteral("有密码"));
    m_other->Option1->setChecked(true);
    if (value <= 3) {
        m_other->Check4->setChecked((value & 1) != 0);
        m_other->Check3->setChecked((value & 2) != 0);
    }
}

// The parameter information and the controls that show a read parameter.
void frmZ41COM::showParameter(const AlarmReplyValue &reply)
{
    namespace R = AlarmReply;
    Ui::frmZ41COM_params &p = *m_params;
    auto setIndex = [](QComboBox *box, int index) {
        if (index < box->count())
            box->setCurrentIndex(index);
    };
    if (const auto *r = std::get_if<R::WorkForm>(&reply)) {
        const bool passive = r->passive();
        p.Label3->setText(passive ? QStringLiteral("被动方式") : QStringLiteral("主动方式"));
        setIndex(p.Combo1, passive ? 1 : 0);
        for (QWidget *w : std::initializer_list<QWidget *>{
                 m_test->Label31, m_test->Text22, m_test->Command21_0, m_test->Command21_1})
            w->setVisible(passive);
        m_test->Command21_2->setVisible(true);
    } else if (const auto *r = std::get_if<R::TransferMode>(&reply)) {
        const bool format = r->format();
        p.Label4->setText(format ? QStringLiteral("格式传输") : QStringLiteral("透明传输"));
        setIndex(p.Combo2, format ? 0 : 1);
        for (QWidget *w : std::initializer_list<QWidget *>{m_test->Label21_4, m_test->Label21_5,
                                                           m_test->Text21_3, m_test->Text21_4})
            w->setVisible(format);
    } else if (const auto *r = std::get_if<R::ReceiverNumber>(&reply)) {
        p.Label6->setText(r->number);
        m_other->Text2->setText(r->number);
    } else if (const auto *r = std::get_if<R::PasswordMode>(&reply)) {
        showPasswordMode(r->value);
    } else if (const auto *r = std::get_if<R::SmsPassword>(&reply)) {
        p.Label5->setText(HexFields({r->bytes[0], r->bytes[1], r->bytes[2], r->bytes[3]}));
    } else if (const auto *r = std::get_if<R::Version>(&reply)) {
        const QString settings = m_link->settings();
        if (settings.size() >= 6)
            p.Label7->setText(settings.left(settings.size() - 6) + QStringLiteral("bps"));
        p.Label8->setText(r->text);
    } else if (const auto *r = std::get_if<R::PassiveAddress>(&reply)) {
        p.Label9->setText(HexFields({r->high, r->low}));
        m_other->Text3->setText(HexFields({r->high, r->low}));
    } else if (const auto *r = std::get_if<R::RestartTime>(&reply)) {
        m_other->Text4->setText(r->seconds());
        p.Label12->setText(r->seconds());
    } else if (const auto *r = std::get_if<R::TransparentMode>(&reply)) {
        const bool mode2 = r->mode2();
        p.Label4->setText(mode2 ? QStringLiteral("透明方式2") : QStringLiteral("透明方式1"));
        // Index 2 is "透明方式2", which enables the address settings.
        setIndex(p.Combo2, mode2 ? 2 : 1);
        for (QWidget *w : std::initializer_list<QWidget *>{p.Combo4, p.Text5, p.Text6, p.Text7})
            w->setEnabled(mode2);
    } else if (const auto *r = std::get_if<R::AddressSettings>(&reply)) {
        p.Label15->setText(QString::number(r->start));
        p.Label16->setText(QString::number(r->groupMaximum));
        p.Label17->setText(QString::number(r->length));
        const int type = r->type == 1 || r->type == 2 ? r->type : 0;
        p.Label18->setText(type == 1   ? QStringLiteral("十六进制")
                           : type == 2 ? QStringLiteral("BCD码")
                                       : QStringLiteral("ASCII"));
        setIndex(p.Combo4, type);
    } else if (const auto *r = std::get_if<R::PowerSaving>(&reply)) {
        p.Label19->setText(r->on() ? QStringLiteral("有省电") : QStringLiteral("无省电"));
        (r->on() ? p.Option5 : p.Option6)->setChecked(true);
    } else if (const auto *r = std::get_if<R::WakeDelays>(&reply)) {
        p.Label22->setText(r->idleSeconds() + QStringLiteral("s   ") + r->dataSeconds() +
                           QStringLiteral("s"));
        p.Text11->setText(QString::number(quint32(r->idle) * 400));
        p.Text13->setText(QString::number(quint32(r->data) * 400));
    } else if (const auto *r = std::get_if<R::WakeMode>(&reply)) {
        p.Label30->setText(r->mode1() ? QStringLiteral("模式1") : QStringLiteral("模式2"));
        (r->mode1() ? p.Option7 : p.Option8)->setChecked(true);
    } else if (const auto *r = std::get_if<R::FirmwareModel>(&reply)) {
        p.Label50->setText(r->text());
        p.Label13->setText(r->text());
    }
}

void frmZ41COM::actionStarted()
{
    m_exchange->beginWrites();
    m_written.clear();
    ConfirmTimer.stop();
    setStatusText(2, QString());
}

void frmZ41COM::reportWrite(const QString &what)
{
    m_written = what;
    ConfirmTimer.stop();
    switch (m_exchange->writeState()) {
    case AlarmExchange::WriteState::None:
        setModuleStatus(QStringLiteral("已发送 %1（模块对这条指令不作应答）").arg(what));
        break;
    case AlarmExchange::WriteState::Waiting:
        setModuleStatus(QStringLiteral("已发送 %1，等待模块确认").arg(what));
        ConfirmTimer.start();
        break;
    case AlarmExchange::WriteState::Confirmed:
        setModuleStatus(QStringLiteral("模块已确认 ") + what);
        break;
    }
}

void frmZ41COM::onConfirmTimer()
{
    ConfirmTimer.stop();
    if (m_exchange->writeState() == AlarmExchange::WriteState::Waiting)
        setModuleStatus(QStringLiteral("模块没有确认 %1（%2 秒内没有应答，请检查连接后重试）")
                            .arg(m_written)
                            .arg(ConfirmWaitMs / 1000));
}

void frmZ41COM::setModuleStatus(const QString &text)
{
    setStatusText(2, QStringLiteral("模块状态：") + text);
}

void frmZ41COM::setStatusText(int panel, const QString &text)
{
    Q_EMIT statusTextChanged(panel, text);
}

bool frmZ41COM::portOpenOrConnect()
{
    if (m_link->isOpen())
        return true;
    Q_EMIT connectWanted();
    return false;
}

void frmZ41COM::setProfileRunning(bool running)
{
    m_profileRunning = running;
    if (running)
        Disable_Command();
    else
        Enable_Command();
}
