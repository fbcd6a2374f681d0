#include "alarm/ui/frmZ41COM.h"

#include "alarm/AlarmFrames.h"
#include "alarm/AlarmParser.h"
#include "alarm/AlarmSequences.h"
#include "alarm/ui/AlarmFeatures.h"
#include "core/Dialogs.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "core/ui/WindowRegistry.h"

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
#include <QDir>
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
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextCursor>
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

std::vector<frmZ41COM::FeatureInstaller> &featureInstallers()
{
    static std::vector<frmZ41COM::FeatureInstaller> installers;
    return installers;
}

// Multi-line text boxes hold CR LF line ends as the module and the senders see them; the editor
// itself works with LF.
QString toEditor(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t;
}

QString fromEditor(const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t;
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

frmZ41COM::frmZ41COM(QWidget *parent)
    : QWidget(parent), m_ui(new Ui::frmZ41COM), m_params(new Ui::frmZ41COM_params),
      m_test(new Ui::frmZ41COM_test), m_other(new Ui::frmZ41COM_other),
      m_inputs(new Ui::frmZ41COM_inputs), m_relays(new Ui::frmZ41COM_relays),
      m_phones(new Ui::frmZ41COM_phones)
{
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
    } timers[] = {{&Timer1, "Timer1", 100},  {&Timer2, "Timer2", 100},  {&Timer3, "Timer3", 100},
                  {&Timer5, "Timer5", 1000}, {&Timer6, "Timer6", 1000}, {&rTimer, "rTimer", 100}};
    for (const auto &t : timers) {
        t.timer->setParent(this);
        t.timer->setObjectName(QLatin1String(t.name));
        t.timer->setInterval(t.interval);
    }

    setDesignState();
    connectControls();
    // The reply parser shows its results here while the window lives.
    SetAlarmView(this);

    for (const FeatureInstaller &install : featureInstallers())
        install(this);
}

frmZ41COM::~frmZ41COM()
{
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
    Timer5.stop();
    Timer6.stop();
    rTimer.stop();
    closeDatabase();
    if (CurrentAlarmView() == static_cast<AlarmView *>(this))
        SetAlarmView(nullptr);
}

void frmZ41COM::addFeatureInstaller(FeatureInstaller installer)
{
    featureInstallers().push_back(std::move(installer));
}

QString frmZ41COM::databasePath()
{
    if (!databasePathOverride().isEmpty())
        return databasePathOverride();
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("gprs.mdb"));
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
    connect(&Timer1, &QTimer::timeout, this, &frmZ41COM::onTimer1);
    connect(&Timer2, &QTimer::timeout, this, &frmZ41COM::onTimer2);
    connect(&Timer3, &QTimer::timeout, this, &frmZ41COM::onTimer3);
    connect(&Timer5, &QTimer::timeout, this, &frmZ41COM::onTimer5);
    connect(&Timer6, &QTimer::timeout, this, &frmZ41COM::onTimer6);

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

    setGridRows(1);
    combo(QStringLiteral("Combo5"))->setCurrentIndex(0);
    combo(QStringLiteral("Combo6"))->setCurrentIndex(0);
    combo(QStringLiteral("Combo8"))->setCurrentIndex(0);

    for (int i = 0; i < 4; ++i)
        element(QStringLiteral("Command21"), i)->setVisible(false);

    RxStep = 0;
    ProtocolId = ProtocolAlarmWindowLoading;
    RegisterAlarmParser(); // Timer5 hands the port to it
    tabs()->setCurrentIndex(ParamsPage);

    lineEdit(QStringLiteral("Text5"))
        ->setText(QString::number(-scrollBar(QStringLiteral("VS1"))->value()));
    lineEdit(QStringLiteral("Text6"))
        ->setText(QString::number(-scrollBar(QStringLiteral("VS2"))->value()));
    lineEdit(QStringLiteral("Text7"))
        ->setText(QString::number(-scrollBar(QStringLiteral("VS3"))->value()));

    setMainStatusPanel(
        1, QStringLiteral("串口：COM%1--%2").arg(Link().portNumber()).arg(Link().settings()));
    Link().setDtr(false);
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
    // creating it.
    const QString path = databasePath();
    if (!QFileInfo(path).isFile() || !QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return;
    closeDatabase();
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(DatabaseConnection));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        db.setDatabaseName(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString() +
                           QStringLiteral("?mode=rw"));
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
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
    Timer5.stop();
    Timer6.stop();
    rTimer.stop();
    closeDatabase();
    // The send-mode menu belongs to the communication test of this window.
    showSmsMannerMenu(false);
    event->accept();
}

// ---- timers ---------------------------------------------------------------------------------

void frmZ41COM::onTimer5()
{
    Timer5.stop();
    ProtocolId = ProtocolAlarm;
    Link().setDtr(false);
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
    RxStep = 0;
    ReadAllStep = 0;
    if (Link().isOpen())
        Link().close();
    Link().setThreshold(1);
    Link().open();
    Link().setDtr(false);
    if (!OfflineStart) {
        Timer2.start();
        ParamTabActive = true;
    }
    Disable_Command();
}

void frmZ41COM::onTimer2()
{
    Timer2.start(500);
    const QByteArray frame = AlarmFrames::ReadAllFrame(ReadAllStep);
    if (!frame.isEmpty()) {
        // Sent again every 500 ms until a reply moves ReadAllStep on.
        writeFrame(frame);
        return;
    }
    Timer2.stop();
    Enable_Command();
    ReadAllStep = AlarmSequences::ReadAllEnded;
}

void frmZ41COM::startWorkModeWrite()
{
    if (!AlarmUi::PortOpenOrConnect())
        return;
    WriteStep = 0;
    Timer1.start();
    Disable_Command();
}

void frmZ41COM::onTimer1()
{
    Timer1.start(2000);

    // The list entry that the shown text names; a typed text that is no entry counts as none.
    auto chosen = [this](const char *name) {
        QComboBox *box = combo(QLatin1String(name));
        return box->findText(box->currentText(), Qt::MatchExactly);
    };
    AlarmSequences::WorkModeChoice choice;
    choice.workForm = chosen("Combo1");
    choice.transferMode = chosen("Combo2");
    choice.addressStart = quint8(-scrollBar(QStringLiteral("VS1"))->value());
    choice.groupMaximum = quint8(-scrollBar(QStringLiteral("VS2"))->value());
    choice.addressLength = quint8(-scrollBar(QStringLiteral("VS3"))->value());
    choice.addressType = combo(QStringLiteral("Combo4"))->currentText();

    const AlarmSequences::WriteTick tick = AlarmSequences::WorkModeTick(WriteStep, choice);
    if (tick.missing != AlarmSequences::WriteTick::Missing::None) {
        combo(QLatin1String(tick.missing == AlarmSequences::WriteTick::Missing::WorkForm
                                ? "Combo1"
                                : "Combo2"))
            ->setFocus();
        // The sequence waits at this step; the message comes again on the next tick after the
        // user has closed it, never piled up while it is open.
        Timer1.stop();
        ShowMessage(QStringLiteral("你必须选择需要的工作方式"), QStringLiteral("提示信息"));
        Timer1.start(2000);
        return;
    }
    if (!tick.frame.isEmpty())
        writeFrame(tick.frame);
    WriteStep = tick.next;
    if (tick.finished) {
        Timer1.stop();
        Enable_Command();
    }
}

void frmZ41COM::startPowerSavingWrite()
{
    if (!AlarmUi::PortOpenOrConnect())
        return;
    // The D2 frame carries the delays as 16-bit counts of 400 ms.
    const double idle = AlarmSequences::TextNumber(lineEdit(QStringLiteral("Text11"))->text());
    const double data = AlarmSequences::TextNumber(lineEdit(QStringLiteral("Text13"))->text());
    if (option(QStringLiteral("Option5"))->isChecked() &&
        (idle < 0 || data < 0 || idle > AlarmSequences::MaxWakeDelayMs ||
         data > AlarmSequences::MaxWakeDelayMs)) {
        ShowMessage(QStringLiteral("醒后延时应在0到26214000毫秒之间"), QStringLiteral("提示"),
                    MsgIcon::Information);
        return;
    }
    Timer3.start();
    Disable_Command();
    WriteStep = 0;
}

void frmZ41COM::onTimer3()
{
    Timer3.start(1000);
    AlarmSequences::PowerSavingChoice choice;
    choice.powerSaving = option(QStringLiteral("Option5"))->isChecked();
    choice.wakeMode1 = option(QStringLiteral("Option7"))->isChecked();
    choice.idleMs = AlarmSequences::TextNumber(lineEdit(QStringLiteral("Text11"))->text());
    choice.dataMs = AlarmSequences::TextNumber(lineEdit(QStringLiteral("Text13"))->text());

    const AlarmSequences::WriteTick tick = AlarmSequences::PowerSavingTick(WriteStep, choice);
    if (!tick.frame.isEmpty())
        writeFrame(tick.frame);
    WriteStep = tick.next;
    if (tick.finished) {
        Timer3.stop();
        button(QStringLiteral("Command14"))->setEnabled(true);
        Enable_Command();
    }
}

// ---- single commands ------------------------------------------------------------------------

void frmZ41COM::sendBaudRate()
{
    if (!AlarmUi::PortOpenOrConnect())
        return;
    // Only the module's rate changes; the program's own port settings stay as they are.
    writeFrame(AlarmFrames::BaudRate(
        AlarmFrames::BaudCode(combo(QStringLiteral("Combo3"))->currentText())));
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
        ShowMessage(QStringLiteral("密码无效"), QStringLiteral("提示"), MsgIcon::Information);
        return;
    }
    writeFrame(frame);
}

void frmZ41COM::exitWindow()
{
    setMainStatusPanel(1, QStringLiteral("串口：未使用"));
    if (Link().isOpen())
        Link().close();
    if (Windows::find(QLatin1String(WindowName)) == this)
        Windows::unload(QLatin1String(WindowName));
    else if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

void frmZ41COM::writeFrame(const QByteArray &frame)
{
    Link().write(frame);
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
}

// ---- tabs and the transmission mode ---------------------------------------------------------

void frmZ41COM::tabChanged(int index)
{
    if (index == TestPage) {
        setWindowTitle(QStringLiteral("短信模块通信测试"));
        showSmsMannerMenu(true);
        // Module address and the two request buttons serve a passive module only.
        const bool passive = WorkFormFlag == 0;
        for (const char *name : {"Label31", "Text22", "Command21_0", "Command21_1"})
            findChild<QWidget *>(QLatin1String(name))->setVisible(passive);
        // Phone numbers belong to format transmission only.
        const bool format = TransferModeFlag != 0;
        for (const char *name : {"Text21_3", "Text21_4", "Label21_4", "Label21_5"})
            findChild<QWidget *>(QLatin1String(name))->setVisible(format);
        for (int i = 0; i < 5; ++i)
            setText(QStringLiteral("Text21_%1").arg(i), QString());
        setText(QStringLiteral("Text22"), QString());
        ParamTabActive = false;
        return;
    }
    setWindowTitle(index == OtherPage ? QStringLiteral("其他参数设置")
                                      : QStringLiteral("短信模块参数设置"));
    showSmsMannerMenu(true);
    ParamTabActive = true;
}

void frmZ41COM::transferModeChosen(int index)
{
    // Address type and address settings belong to transparent mode 2.
    const bool mode2 = index == 2;
    for (const char *name : {"Combo4", "Text5", "Text6", "Text7", "VS1", "VS2", "VS3"})
        findChild<QWidget *>(QLatin1String(name))->setEnabled(mode2);
}

// ---- main window --------------------------------------------------------------------------

void frmZ41COM::setMainStatusPanel(int panel, const QString &text)
{
    QWidget *main = Windows::find(QStringLiteral("main"));
    if (!main)
        return;
    auto *bar = main->findChild<QStatusBar *>(QStringLiteral("StatusBar1"));
    if (!bar)
        return;
    if (auto *label = bar->findChild<QLabel *>(QStringLiteral("StatusBar1_%1").arg(panel))) {
        label->setText(text);
        if (!label->accessibleName().isEmpty())
            label->setAccessibleName(text);
    }
}

void frmZ41COM::showSmsMannerMenu(bool visible)
{
    QWidget *main = Windows::find(QStringLiteral("main"));
    if (!main)
        return;
    if (auto *menu = main->findChild<QMenu *>(QStringLiteral("sms_Manner")))
        menu->menuAction()->setVisible(visible);
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
QPlainTextEdit *frmZ41COM::textArea(const QString &name) const
{
    return control<QPlainTextEdit>(name);
}
QComboBox *frmZ41COM::combo(const QString &name) const
{
    return control<QComboBox>(name);
}
QRadioButton *frmZ41COM::option(const QString &name) const
{
    return control<QRadioButton>(name);
}
QCheckBox *frmZ41COM::check(const QString &name) const
{
    return control<QCheckBox>(name);
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

int frmZ41COM::gridRows() const
{
    return grid()->rowCount() + 1;
}

QString frmZ41COM::gridCell(int row, int column) const
{
    QTableWidget *table = grid();
    if (row < 0 || row > table->rowCount() || column < 0 || column > table->columnCount())
        return QString();
    const QTableWidgetItem *item =
        row == 0
            ? (column == 0 ? nullptr : table->horizontalHeaderItem(column - 1))
            : (column == 0 ? table->verticalHeaderItem(row - 1) : table->item(row - 1, column - 1));
    return item ? item->text() : QString();
}

// ---- the reply parser's view ----------------------------------------------------------------
// A control that does not exist, or a value it cannot take, leaves the window unchanged.

void frmZ41COM::setText(const QString &control, const QString &text)
{
    QWidget *w = findChild<QWidget *>(control);
    if (auto *l = qobject_cast<QLabel *>(w)) {
        l->setText(text);
    } else if (auto *e = qobject_cast<QLineEdit *>(w)) {
        e->setText(text);
    } else if (auto *p = qobject_cast<QPlainTextEdit *>(w)) {
        p->setPlainText(toEditor(text));
    } else if (auto *c = qobject_cast<QComboBox *>(w)) {
        if (c->isEditable())
            c->setEditText(text);
        else
            c->setCurrentIndex(c->findText(text, Qt::MatchExactly));
    } else if (auto *b = qobject_cast<QAbstractButton *>(w)) {
        b->setText(text);
    } else if (auto *g = qobject_cast<QGroupBox *>(w)) {
        g->setTitle(text);
    }
}

QString frmZ41COM::text(const QString &control) const
{
    QWidget *w = findChild<QWidget *>(control);
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        return fromEditor(p->toPlainText());
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *g = qobject_cast<QGroupBox *>(w))
        return g->title();
    return QString();
}

void frmZ41COM::appendText(const QString &control, const QString &text)
{
    QWidget *w = findChild<QWidget *>(control);
    if (auto *p = qobject_cast<QPlainTextEdit *>(w)) {
        QTextCursor cursor(p->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(toEditor(text));
        p->verticalScrollBar()->setValue(p->verticalScrollBar()->maximum());
    } else if (auto *e = qobject_cast<QLineEdit *>(w)) {
        e->setText(e->text() + text);
    }
}

void frmZ41COM::setComboIndex(const QString &control, int index)
{
    auto *c = findChild<QComboBox *>(control);
    if (!c || index < -1 || index >= c->count())
        return;
    c->setCurrentIndex(index);
}

int frmZ41COM::comboIndex(const QString &control) const
{
    auto *c = findChild<QComboBox *>(control);
    return c ? c->currentIndex() : -1;
}

void frmZ41COM::setChecked(const QString &control, bool checked)
{
    if (auto *b = findChild<QAbstractButton *>(control))
        b->setChecked(checked);
}

bool frmZ41COM::isChecked(const QString &control) const
{
    auto *b = findChild<QAbstractButton *>(control);
    return b && b->isChecked();
}

void frmZ41COM::setVisible(const QString &control, bool visible)
{
    if (auto *w = findChild<QWidget *>(control))
        w->setVisible(visible);
}

void frmZ41COM::setEnabled(const QString &control, bool enabled)
{
    if (auto *w = findChild<QWidget *>(control))
        w->setEnabled(enabled);
}

void frmZ41COM::setGridRows(int rows)
{
    QTableWidget *table = grid();
    const int old = table->rowCount();
    const int wanted = qBound(0, rows - 1, 20);
    table->setRowCount(wanted);
    // The fixed column carries no numbers of its own.
    for (int r = old; r < wanted; ++r)
        table->setVerticalHeaderItem(r, new QTableWidgetItem(QString()));
}

void frmZ41COM::setGridCell(int row, int column, const QString &text)
{
    QTableWidget *table = grid();
    if (row < 0 || row > table->rowCount() || column < 0 || column > table->columnCount())
        return;
    if (row == 0) {
        if (column > 0)
            if (QTableWidgetItem *header = table->horizontalHeaderItem(column - 1))
                header->setText(text);
        return;
    }
    if (column == 0) {
        if (QTableWidgetItem *header = table->verticalHeaderItem(row - 1))
            header->setText(text);
        return;
    }
    QTableWidgetItem *item = table->item(row - 1, column - 1);
    if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        table->setItem(row - 1, column - 1, item);
    }
    item->setText(text);
}

void frmZ41COM::restartReplyTimer(int milliseconds)
{
    rTimer.start(milliseconds);
}

void frmZ41COM::setModuleStatus(const QString &text)
{
    setMainStatusPanel(2, QStringLiteral("模块状态：") + text);
}

void frmZ41COM::clearSendBox()
{
    m_test->Text21_1->clear();
}
