// The alarm window: its controls as the documents name them, the opening, the read-all sequence
// driven by the real reply parser, the busy handling, the tabs, the two timed writes, the baud
// command, the code prompt, the database beside the program and exit.

#include "alarm/AlarmParser.h"
#include "alarm/ui/frmZ41COM.h"
#include "core/Module1.h"
#include "core/ui/WindowRegistry.h"
#include "support/TestSupport.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray Preamble = QByteArray::fromHex("1A2A3A4A5A6A7A8A");

QByteArray frame(const char *hexAfterPreamble)
{
    return Preamble + QByteArray::fromHex(hexAfterPreamble);
}

// Stands in for the main window: the menu sms_Manner and the three status-bar panels.
QMainWindow *makeMain()
{
    auto *main = new QMainWindow;
    main->setObjectName(QStringLiteral("main"));
    QMenu *menu = main->menuBar()->addMenu(QStringLiteral("短信发送方式"));
    menu->setObjectName(QStringLiteral("sms_Manner"));
    menu->menuAction()->setVisible(false);
    main->statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    for (int i = 1; i <= 3; ++i) {
        auto *panel = new QLabel(main->statusBar());
        panel->setObjectName(QStringLiteral("StatusBar1_%1").arg(i));
        main->statusBar()->addWidget(panel);
    }
    Windows::add(main);
    return main;
}

QString panel(int n)
{
    auto *label =
        Windows::control<QLabel>(QStringLiteral("main"), QStringLiteral("StatusBar1_%1").arg(n));
    return label ? label->text() : QString();
}

bool smsMannerVisible()
{
    auto *menu = Windows::control<QMenu>(QStringLiteral("main"), QStringLiteral("sms_Manner"));
    return menu && menu->menuAction()->isVisible();
}

// What a screen reader announces for an input control: its own accessible name, or the caption
// label that names it (on some platforms a combo box's name is its value and the label comes as
// a relation).
QString spokenName(QWidget *c)
{
    if (!c->accessibleName().isEmpty())
        return c->accessibleName();
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(c);
    if (!iface)
        return QString();
    const auto relations = iface->relations(QAccessible::Label);
    for (const auto &relation : relations)
        if (qobject_cast<QLabel *>(relation.first->object()))
            return relation.first->text(QAccessible::Name);
    return QString();
}

QStringList enabledStates(frmZ41COM *w)
{
    QStringList states;
    for (const char *name : frmZ41COM::GuardedButtons)
        states << (w->button(QLatin1String(name))->isEnabled() ? QStringLiteral("1")
                                                               : QStringLiteral("0"));
    return states;
}

} // namespace

class TestFrmZ41COM : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanupTestCase() { m_design.reset(); }
    void init();
    void cleanup();

    void captions_data();
    void captions();
    void listEntries_data();
    void listEntries();
    void accessibleNames_data();
    void accessibleNames();
    void everyInputHasAName();
    void pagesShowTheirControlsWhole();

    void opening();
    void delayedParserAndFirstRead();
    void readAllOrder_data();
    void readAllOrder();
    void silentModuleKeepsAsking();
    void offlineRefreshSendsNothing();
    void disableAndEnable_data();
    void disableAndEnable();
    void tabs_data();
    void tabs();
    void transparentModeTwo_data();
    void transparentModeTwo();
    void workModeWrite_data();
    void workModeWrite();
    void workModeWithoutChoice();
    void powerSavingWrite_data();
    void powerSavingWrite();
    void baudCommand_data();
    void baudCommand();
    void closedPortSendsNothing_data();
    void closedPortSendsNothing();
    void codePrompt_data();
    void codePrompt();
    void viewTexts();
    void database_data();
    void database();
    void exitButton();

private:
    frmZ41COM *openWindow();
    // One window in its design-time state for the read-only checks of the layout.
    frmZ41COM *designWindow()
    {
        if (!m_design)
            m_design = std::make_unique<frmZ41COM>();
        return m_design.get();
    }
    std::unique_ptr<frmZ41COM> m_design;
    void pump();
    MemorySerialBackend *m_line = nullptr;
    QTemporaryDir m_dir;
};

void TestFrmZ41COM::init()
{
    m_line = ResetWorld(true);
    ResetAlarmParser();
    makeMain();
    // No database unless a test puts one there.
    frmZ41COM::setDatabasePath(m_dir.filePath(QStringLiteral("none/gprs.mdb")));
    SetInputHandler({});
}

void TestFrmZ41COM::cleanup()
{
    Windows::unloadAll();
    Windows::unload(QStringLiteral("main"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetInputHandler({});
}

frmZ41COM *TestFrmZ41COM::openWindow()
{
    frmZ41COM *w = Windows::get<frmZ41COM>();
    w->show();
    return w;
}

// Lets the link deliver what was injected and the parser finish, settle waits included.
void TestFrmZ41COM::pump()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    for (int i = 0; i < 40 && AlarmParserSettling(); ++i) {
        AlarmParserSettleTick();
        QCoreApplication::processEvents();
    }
}

// ---- layout ---------------------------------------------------------------------------------

void TestFrmZ41COM::captions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    // clang-format off
    const char *const table[][3] = {
        // frames
        {"Frame1", "QGroupBox", "密码设置"}, {"Frame2_1", "QGroupBox", "参数信息"},
        {"Frame3", "QGroupBox", "工作方式选择"}, {"Frame4", "QGroupBox", "接收方号码设置"},
        {"Frame5", "QGroupBox", "被动模式下模块地址"}, {"Frame6", "QGroupBox", "设置模块型号"},
        {"Frame7", "QGroupBox", "串口波特率设置"}, {"Frame8", "QGroupBox", "设置没有收到短信重起时间"},
        {"Frame9", "QGroupBox", "号码表设置"}, {"Frame10", "QGroupBox", "省电"},
        {"Frame11", "QGroupBox", "报警设置"}, {"Frame15", "QGroupBox", "输出控制"},
        {"Frame21", "QGroupBox", "报警方式"},
        // buttons
        {"Command1", "QPushButton", "确定"}, {"Command2", "QPushButton", "确定"},
        {"Command3", "QPushButton", "确定"}, {"Command4", "QPushButton", "确定"},
        {"Command5", "QPushButton", "确定"}, {"Command6", "QPushButton", "确定"},
        {"Command7", "QPushButton", "确定"}, {"Command8", "QPushButton", "刷新"},
        {"Command9", "QPushButton", "确定"}, {"Command10", "QPushButton", "退出"},
        {"Command11", "QPushButton", "写入号码表"}, {"Command12", "QPushButton", "读取号码表"},
        {"Command13", "QPushButton", "更新设置"}, {"Command14", "QPushButton", "确定"},
        {"Command15", "QPushButton", "移除号码"}, {"Command16", "QPushButton", "更新设置"},
        {"Command17", "QPushButton", "读取设置"}, {"Command18", "QPushButton", "清空"},
        {"Command19", "QPushButton", "增加号码"}, {"Command20", "QPushButton", "上升"},
        {"Command22", "QPushButton", "下降"}, {"Command23", "QPushButton", "读取设置"},
        {"Command24", "QPushButton", "清空号码表"}, {"Command25", "QPushButton", "读取DI状态"},
        {"Command21_0", "QPushButton", "读取短信"}, {"Command21_1", "QPushButton", "发送状态"},
        {"Command21_2", "QPushButton", "发送短信"}, {"Command21_3", "QPushButton", "复位"},
        {"Command26_0", "QPushButton", "读取"}, {"Command26_1", "QPushButton", "设置"},
        {"Command27_0", "QPushButton", "闭合"},
        // option buttons and check boxes
        {"Option1", "QRadioButton", "需要"}, {"Option2", "QRadioButton", "不需要"},
        {"Option3", "QRadioButton", "Nimo 短信"}, {"Option4", "QRadioButton", "Pell GPRS"},
        {"Option5", "QRadioButton", "省电"}, {"Option6", "QRadioButton", "不省电"},
        {"Option7", "QRadioButton", "模式1"}, {"Option8", "QRadioButton", "模式2"},
        {"Option9", "QRadioButton", "仅高电平"}, {"Option10", "QRadioButton", "仅低电平"},
        {"Option11", "QRadioButton", "汉字"}, {"Option12", "QRadioButton", "英文"},
        {"Option13", "QRadioButton", "电平变化"}, {"Option14", "QRadioButton", "英文"},
        {"Option15", "QRadioButton", "汉字"}, {"Option16", "QRadioButton", "电平输出（高电平表示继电器吸合）"},
        {"Option17", "QRadioButton", "脉冲宽度输出（脉宽时间由延时恢复时间决定，最小1秒）"},
        {"Option18", "QRadioButton", "检测DI0状态"}, {"Option19", "QRadioButton", "回复操作结果"},
        {"Option20", "QRadioButton", "检测DI1状态"}, {"Option21", "QRadioButton", "英文"},
        {"Option22", "QRadioButton", "汉字"}, {"Option23", "QRadioButton", "汉字"},
        {"Option24", "QRadioButton", "英文"}, {"Check1", "QCheckBox", "启用号码表群发"},
        {"Check2", "QCheckBox", "不发送管理员号码（仅发送号码表 第3-10号码）"}, {"Check3", "QCheckBox", "接收"},
        {"Check4", "QCheckBox", "发送"}, {"Check5", "QCheckBox", "短信回复"},
        {"Check6", "QCheckBox", "输出保持"}, {"Check7", "QCheckBox", "关联输出"},
        // caption labels
        {"Label1_0", "QLabel", "密码："}, {"Label1_15", "QLabel", "地址类型"},
        {"Label1_16", "QLabel", "地址长度"}, {"Label1_20", "QLabel", "地址开始位置"},
        {"Label1_37", "QLabel", "组内最大数"}, {"Label11", "QLabel", "重起时间："},
        {"Label14_0", "QLabel", "0 通道"}, {"Label14_1", "QLabel", "电话号码"},
        {"Label14_2", "QLabel", "1 通道"}, {"Label14_8", "QLabel", "7 通道"},
        {"Label20", "QLabel", "模块地址："}, {"Label21_0", "QLabel", "工作形式"},
        {"Label21_1", "QLabel", "接收区"}, {"Label21_2", "QLabel", "源码区"},
        {"Label21_3", "QLabel", "发送区"}, {"Label21_4", "QLabel", "发送方电话号码"},
        {"Label21_5", "QLabel", "接收方电话号码"}, {"Label23", "QLabel", "传输方式"},
        {"Label24", "QLabel", "接收号码："}, {"Label25_0", "QLabel", "醒后空闲延时(ms)"},
        {"Label26", "QLabel", "波特率："}, {"Label27", "QLabel", "时间(s)"},
        {"Label28", "QLabel", "电话号码表"}, {"Label29", "QLabel", "醒后数据延时(ms)"},
        {"Label31", "QLabel", "模块地址"}, {"Label32", "QLabel", "1-250秒（0表示关闭）"},
        {"Label33", "QLabel", "低电平报警内容：（限90英文/45个汉字）"}, {"Label34", "QLabel", "重复报警"},
        {"Label35", "QLabel", "报警时间间隔10-2550秒  10秒递增,0关闭"},
        {"Label36", "QLabel", "高电平报警内容：（限90英文/45个汉字）"}, {"Label37", "QLabel", "延时恢复高电平"},
        {"Label38", "QLabel", "高电平控制短信：（限60英文/30个汉字）"},
        {"Label39", "QLabel", "低电平控制指令：（限60英文/30个汉字）"}, {"Label40", "QLabel", "输出方式："},
        {"Label41", "QLabel", "延时恢复低电平"}, {"Label42", "QLabel", "1-250秒（0表示关闭）"},
        {"Label44", "QLabel", "短信回复延时"}, {"Label45", "QLabel", "1-250秒"},
        {"Label46_0", "QLabel", "DI状态:"}, {"Label46_2", "QLabel", "通道:"},
        {"Label46_3", "QLabel", "输出测试:"}, {"Label47", "QLabel", "（不启用时，默认号码为透明方式1设置的号码）"},
        {"Label48", "QLabel", "报警次数"}, {"Label49", "QLabel", "关联输出"},
        // value labels before a read
        {"Label3", "QLabel", "* * * *"}, {"Label5", "QLabel", "**:**:**:**:"},
        {"Label8", "QLabel", "***********"}, {"Label9", "QLabel", "**:**:"},
        {"Label10", "QLabel", "****"}, {"Label12", "QLabel", "*******"},
        {"Label13", "QLabel", "********"}, {"Label50", "QLabel", "**"},
        // design-time texts
        {"Text1", "QLineEdit", "31:52:24:08:"}, {"Text2", "QLineEdit", "***********"},
        {"Text3", "QLineEdit", "**:**"}, {"Text9", "QLineEdit", "***********"},
        {"Text11", "QLineEdit", "1000"}, {"Text13", "QLineEdit", "10000"},
        {"Text8", "QLineEdit", "设备开"}, {"Text12", "QLineEdit", "设备关"},
        {"Text17", "QPlainTextEdit", "设备已开启\n"}, {"Text15", "QPlainTextEdit", "设备已关闭\n"},
        {"Text4", "QLineEdit", ""}, {"Text16", "QLineEdit", ""}, {"Text19", "QLineEdit", ""},
        {"Text20", "QLineEdit", ""}, {"Text10", "QLineEdit", ""}, {"Text14", "QLineEdit", ""},
        {"Text18", "QLineEdit", ""}, {"Text22", "QLineEdit", ""},
        {"Text21_0", "QPlainTextEdit", ""}, {"Text21_1", "QPlainTextEdit", ""},
        {"Text21_2", "QPlainTextEdit", ""}, {"Text21_3", "QLineEdit", ""},
        {"Text21_4", "QLineEdit", ""},
        // combo boxes by their shown text
        {"Combo1", "QComboBox", "无"}, {"Combo2", "QComboBox", "无"}, {"Combo4", "QComboBox", "无"},
        {"Combo3", "QComboBox", "9600bps"}, {"Combo7", "QComboBox", ""}, {"VS1", "QScrollBar", ""},
        {"VS2", "QScrollBar", ""}, {"VS3", "QScrollBar", ""}, {"Grid", "QTableWidget", ""},
        {"SSTab1", "QTabWidget", ""},
    };
    // clang-format on
    for (const auto &row : table)
        QTest::newRow(row[0]) << QString::fromUtf8(row[0]) << QString::fromUtf8(row[1])
                              << QString::fromUtf8(row[2]);
}

void TestFrmZ41COM::captions()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    // Design-time state: the window is created, not opened.
    QWidget *c = designWindow()->findChild<QWidget *>(name);
    QVERIFY2(c, qPrintable(name));
    QVERIFY2(c->inherits(kind.toLatin1()), c->metaObject()->className());
    QString shown;
    if (auto *g = qobject_cast<QGroupBox *>(c))
        shown = g->title();
    else if (auto *b = qobject_cast<QAbstractButton *>(c))
        shown = b->text();
    else if (auto *l = qobject_cast<QLabel *>(c))
        shown = l->text();
    else if (auto *e = qobject_cast<QLineEdit *>(c))
        shown = e->text();
    else if (auto *p = qobject_cast<QPlainTextEdit *>(c))
        shown = p->toPlainText();
    else if (auto *b = qobject_cast<QComboBox *>(c))
        shown = b->currentText();
    QCOMPARE(shown, text);
}

void TestFrmZ41COM::listEntries_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("opened");

    const QStringList modes = {"电话", "短信", "电话+短信"};
    QTest::newRow("Combo1") << "Combo1" << QStringList{"主动方式", "被动方式"} << false;
    QTest::newRow("Combo2 with transparent mode 2")
        << "Combo2" << QStringList{"格式传输", "透明方式1", "透明方式2"} << false;
    QTest::newRow("Combo3") << "Combo3"
                            << QStringList{"1200bps",  "2400bps",  "4800bps",  "9600bps",
                                           "19200bps", "38400bps", "57600bps", "115200bps"}
                            << false;
    QTest::newRow("Combo4") << "Combo4" << QStringList{"ASCII", "16进制", "BCD码"} << false;
    QTest::newRow("Combo5") << "Combo5"
                            << QStringList{"DI0 参数", "DI1 参数", "DI2 参数", "DI3 参数",
                                           "DI4 参数", "DI5 参数", "DI6 参数", "DI7 参数"}
                            << false;
    QTest::newRow("Combo6") << "Combo6"
                            << QStringList{"Do0 参数", "Do1 参数", "Do2 参数", "Do3 参数",
                                           "Do4 参数", "Do5 参数", "Do6 参数", "Do7 参数"}
                            << false;
    QTest::newRow("Combo7") << "Combo7" << QStringList{"继电器0", "继电器1", "继电器2", "继电器3",
                                                       "继电器4", "继电器5", "继电器6", "继电器7"}
                            << false;
    QTest::newRow("Combo8") << "Combo8"
                            << QStringList{"Do0 通道", "Do1 通道", "Do2 通道", "Do3 通道",
                                           "Do4 通道", "Do5 通道", "Do6 通道", "Do7 通道"}
                            << false;
    QTest::newRow("Combo9_0 before opening") << "Combo9_0" << QStringList{} << false;
    QTest::newRow("Combo9_0 opened") << "Combo9_0" << modes << true;
    QTest::newRow("Combo9_7 opened") << "Combo9_7" << modes << true;
}

void TestFrmZ41COM::listEntries()
{
    QFETCH(QString, name);
    QFETCH(QStringList, entries);
    QFETCH(bool, opened);
    frmZ41COM *w = opened ? openWindow() : Windows::get<frmZ41COM>();
    QComboBox *box = w->combo(name);
    QVERIFY(box);
    QStringList shown;
    for (int i = 0; i < box->count(); ++i)
        shown << box->itemText(i);
    QCOMPARE(shown, entries);
    if (opened)
        QCOMPARE(box->currentIndex(), 0);
}

void TestFrmZ41COM::accessibleNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("accessible");
    // clang-format off
    const char *const table[][2] = {
        {"Text1", "密码："}, {"Text2", "接收号码："}, {"Text3", "模块地址："}, {"Text4", "时间(s)"},
        {"Text5", "地址开始位置"}, {"VS1", "地址开始位置"}, {"Text6", "组内最大数"}, {"VS2", "组内最大数"},
        {"Text7", "地址长度"}, {"VS3", "地址长度"}, {"Combo1", "工作形式"}, {"Combo2", "传输方式"},
        {"Combo3", "波特率："}, {"Combo4", "地址类型"}, {"Combo5", "DI通道"}, {"Combo6", "Do通道"},
        {"Combo7", "关联输出"}, {"Combo8", "通道:"}, {"Combo9_0", "0 通道"}, {"Combo9_1", "1 通道"},
        {"Combo9_7", "7 通道"}, {"Text9", "电话号码"}, {"Text11", "醒后空闲延时(ms)"}, {"Text13", "醒后数据延时(ms)"},
        {"Text16", "重复报警"}, {"Text20", "报警次数"}, {"Text19", "DI状态:"}, {"Text10", "延时恢复高电平"},
        {"Text14", "延时恢复低电平"}, {"Text18", "短信回复延时"}, {"Text17", "高电平报警内容：（限90英文/45个汉字）"},
        {"Text15", "低电平报警内容：（限90英文/45个汉字）"}, {"Text8", "高电平控制短信：（限60英文/30个汉字）"},
        {"Text12", "低电平控制指令：（限60英文/30个汉字）"}, {"Text21_0", "接收区"}, {"Text21_1", "发送区"},
        {"Text21_2", "源码区"}, {"Text21_3", "发送方电话号码"}, {"Text21_4", "接收方电话号码"}, {"Text22", "模块地址"},
        {"Grid", "电话号码表"},
    };
    // clang-format on
    for (const auto &row : table)
        QTest::newRow(row[0]) << QString::fromUtf8(row[0]) << QString::fromUtf8(row[1]);
}

void TestFrmZ41COM::accessibleNames()
{
    QFETCH(QString, name);
    QWidget *c = designWindow()->findChild<QWidget *>(name);
    QVERIFY(c);
    QTEST(spokenName(c), "accessible");
    if (!qobject_cast<QComboBox *>(c)) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(c);
        QVERIFY(iface);
        QTEST(iface->text(QAccessible::Name), "accessible");
    }
}

void TestFrmZ41COM::everyInputHasAName()
{
    frmZ41COM *w = openWindow();
    static const QRegularExpression input(QStringLiteral("^(Text|Combo|VS)\\d+(_\\d+)?$"));
    int inputs = 0;
    for (QWidget *c : w->findChildren<QWidget *>()) {
        if (auto *l = qobject_cast<QLabel *>(c)) {
            // Labels are read by their text, value labels too.
            QVERIFY2(l->accessibleName().isEmpty(), qPrintable(l->objectName()));
            continue;
        }
        if (!input.match(c->objectName()).hasMatch())
            continue;
        ++inputs;
        QVERIFY2(!spokenName(c).trimmed().isEmpty(), qPrintable(c->objectName()));
    }
    // Text1..Text20, Text21(0..4), Text22; Combo1..Combo8, Combo9(0..7); VS1..VS3.
    QCOMPARE(inputs, 45);
}

void TestFrmZ41COM::pagesShowTheirControlsWhole()
{
    frmZ41COM *w = openWindow();
    QVERIFY(w->width() >= 787 && w->height() >= 545);
    const QString shots = qEnvironmentVariable("CORVANE_SHOT_DIR");
    for (int page = 0; page < w->tabs()->count(); ++page) {
        w->tabs()->setCurrentIndex(page);
        QCoreApplication::processEvents();
        const QPixmap picture = w->grab();
        if (!shots.isEmpty())
            picture.save(QStringLiteral("%1/frmZ41COM_page%2.png").arg(shots).arg(page));
        const QRect area = w->tabs()->currentWidget()->rect();
        for (QWidget *c : w->tabs()->currentWidget()->findChildren<QWidget *>()) {
            if (!c->isVisibleTo(w) || c->objectName().startsWith(QLatin1String("qt_")))
                continue;
            if (!qobject_cast<QLabel *>(c) && !qobject_cast<QAbstractButton *>(c))
                continue;
            const QRect placed(c->mapTo(w->tabs()->currentWidget(), QPoint(0, 0)), c->size());
            QVERIFY2(area.contains(placed), qPrintable(c->objectName()));
            QVERIFY2(c->width() >= c->minimumSizeHint().width(), qPrintable(c->objectName()));
        }
    }
}

// ---- opening and the read-all sequence ------------------------------------------------------

void TestFrmZ41COM::opening()
{
    Link().setPortNumber(3);
    Link().setSettings(QStringLiteral("19200,n,8,1"));
    Link().setDtr(true);
    frmZ41COM *w = Windows::get<frmZ41COM>();
    QVERIFY(!w->hasLoaded());
    QVERIFY(!w->Timer5.isActive());
    w->show();

    QCOMPARE(ProtocolId, qint16(17));
    QCOMPARE(RxStep, qint16(0));
    QCOMPARE(panel(1), QStringLiteral("串口：COM3--19200,n,8,1"));
    QVERIFY(!m_line->dtr());
    QCOMPARE(w->tabs()->currentIndex(), 0);
    QCOMPARE(w->gridRows(), 1);
    QCOMPARE(w->combo(QStringLiteral("Combo5"))->currentIndex(), 0);
    QCOMPARE(w->combo(QStringLiteral("Combo6"))->currentIndex(), 0);
    QCOMPARE(w->combo(QStringLiteral("Combo8"))->currentIndex(), 0);
    for (int i = 0; i < 4; ++i)
        QVERIFY(!w->element(QStringLiteral("Command21"), i)->isVisibleTo(w));
    for (const char *text : {"Text5", "Text6", "Text7"})
        QCOMPARE(w->lineEdit(QLatin1String(text))->text(), QStringLiteral("0"));
    QVERIFY(w->Timer5.isActive());
    QVERIFY(w->Timer6.isActive());
    QCOMPARE(w->Timer5.interval(), 1000);
    QCOMPARE(w->Timer6.interval(), 1000);
    QVERIFY(!w->Timer2.isActive());
    QVERIFY(m_line->takeWritten().isEmpty());

    // Moving a scroll bar up counts its box up.
    w->scrollBar(QStringLiteral("VS2"))->setValue(-12);
    QCOMPARE(w->lineEdit(QStringLiteral("Text6"))->text(), QStringLiteral("12"));
}

void TestFrmZ41COM::delayedParserAndFirstRead()
{
    frmZ41COM *w = openWindow();
    Link().setDtr(true);
    w->onTimer5();
    QVERIFY(!w->Timer5.isActive());
    QCOMPARE(ProtocolId, qint16(101));
    QVERIFY(!m_line->dtr());

    w->label(QStringLiteral("Label3"))->setText(QStringLiteral("主动方式"));
    w->label(QStringLiteral("Label22"))->setText(QStringLiteral("1s"));
    RxStep = 5;
    ReadAllStep = 7;
    const int opens = m_line->openCount();
    w->onTimer6();
    QVERIFY(!w->Timer6.isActive());
    QCOMPARE(w->label(QStringLiteral("Label3"))->text(), QStringLiteral("* * * *"));
    QCOMPARE(w->label(QStringLiteral("Label22"))->text(), QStringLiteral("**"));
    QCOMPARE(RxStep, qint16(0));
    QCOMPARE(ReadAllStep, qint16(0));
    QCOMPARE(m_line->openCount(), opens + 1); // closed and opened again
    QVERIFY(Link().isOpen());
    QCOMPARE(Link().threshold(), 1);
    QVERIFY(ParamTabActive);
    QVERIFY(w->Timer2.isActive());
    QCOMPARE(enabledStates(w).join(QString()), QStringLiteral("00000000001000"));

    w->onTimer2();
    QCOMPARE(w->Timer2.interval(), 500);
    QCOMPARE(m_line->takeWritten(), frame("AB03"));
}

void TestFrmZ41COM::readAllOrder_data()
{
    QTest::addColumn<QStringList>("replies"); // reply bytes after the preamble, one per code
    QTest::addColumn<QStringList>("reads");   // code and operation of each read, in order

    const QString model = "AB010203", version = "EC005631302020202020202020",
                  restart = "A30000002EE0", smsPassword = "F10031522408", address = "E2001234",
                  receiver = "A2000138001380AA", settings = "E100050A0301", delays = "D20000030019",
                  wake = "DB0000";
    QTest::newRow("passive, no password, format, no power saving")
        << QStringList{model, version, restart, "A10000", "F80000", address, "F90001", "D30000"}
        << QStringList{"AB03", "EC03", "A302", "A103", "F803", "E203", "F903", "D303"};
    QTest::newRow("active, password, transparent 1, power saving")
        << QStringList{model,    version,  restart,  "A10003", smsPassword, "F80001",
                       "FB0001", "F90000", receiver, "D30001", delays,      wake}
        << QStringList{"AB03", "EC03", "A302", "A103", "F103", "F803",
                       "F903", "FB03", "A203", "D303", "D203", "DB03"};
    QTest::newRow("active, no password, transparent 2, no power saving")
        << QStringList{model,    version,  restart,  "A10000", "F80001",
                       "F90000", "FB0000", settings, "D30000"}
        << QStringList{"AB03", "EC03", "A302", "A103", "F803", "F903", "FB03", "E103", "D303"};
    QTest::newRow("passive, password, format, power saving")
        << QStringList{model,   version,  restart,  "A10001", smsPassword, "F80000",
                       address, "F90001", "D30001", delays,   wake}
        << QStringList{"AB03", "EC03", "A302", "A103", "F103", "F803",
                       "E203", "F903", "D303", "D203", "DB03"};
}

void TestFrmZ41COM::readAllOrder()
{
    QFETCH(QStringList, replies);
    QFETCH(QStringList, reads);
    QHash<quint8, QByteArray> module;
    for (const QString &r : replies) {
        const QByteArray bytes = QByteArray::fromHex(r.toLatin1());
        module.insert(quint8(bytes.at(0)), Preamble + bytes);
    }

    frmZ41COM *w = openWindow();
    w->onTimer5();
    w->onTimer6();
    m_line->takeWritten();
    QStringList sent;
    for (int tick = 0; tick < 30 && w->Timer2.isActive(); ++tick) {
        w->onTimer2();
        const QByteArray written = m_line->takeWritten();
        if (written.isEmpty())
            break;
        QCOMPARE(written.size(), 10);
        QCOMPARE(written.left(8), Preamble);
        sent << QString::fromLatin1(written.mid(8).toHex().toUpper());
        const quint8 code = quint8(written.at(8));
        QVERIFY2(module.contains(code), qPrintable(sent.last()));
        m_line->inject(module.value(code));
        pump();
    }
    QCOMPARE(sent, reads);
    QVERIFY(!w->Timer2.isActive());
    QCOMPARE(ReadAllStep, qint16(100));
    QCOMPARE(enabledStates(w).join(QString()), QStringLiteral("11111111111111"));
}

void TestFrmZ41COM::silentModuleKeepsAsking()
{
    frmZ41COM *w = openWindow();
    w->onTimer5();
    w->onTimer6();
    for (int i = 0; i < 4; ++i) {
        w->onTimer2();
        QCOMPARE(m_line->takeWritten(), frame("AB03"));
        QVERIFY(w->Timer2.isActive());
        QCOMPARE(w->Timer2.interval(), 500);
    }
    QCOMPARE(enabledStates(w).join(QString()), QStringLiteral("00000000001000"));
}

void TestFrmZ41COM::offlineRefreshSendsNothing()
{
    OfflineStart = true;
    frmZ41COM *w = openWindow();
    w->onTimer5();
    w->label(QStringLiteral("Label50"))->setText(QStringLiteral("12"));
    w->onTimer6();
    QCOMPARE(w->label(QStringLiteral("Label50"))->text(), QStringLiteral("**"));
    QVERIFY(Link().isOpen());
    QVERIFY(!w->Timer2.isActive());
    QVERIFY(!ParamTabActive);
    QCOMPARE(enabledStates(w).join(QString()), QStringLiteral("00000000001000"));
    QVERIFY(m_line->takeWritten().isEmpty());
}

// ---- busy handling --------------------------------------------------------------------------

void TestFrmZ41COM::disableAndEnable_data()
{
    // Enabled state of Command1..9, 14, 15, 21(0), 21(1), 21(2), one character each.
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("disabled");
    QTest::newRow("all enabled") << "11111111111111"
                                 << "00000000001000";
    QTest::newRow("remove-number button off") << "11111111110111"
                                              << "00000000000000";
    QTest::newRow("mixed") << "10100110011010"
                           << "00000000001000";
    QTest::newRow("none enabled") << "00000000000000"
                                  << "00000000000000";
}

void TestFrmZ41COM::disableAndEnable()
{
    QFETCH(QString, before);
    frmZ41COM *w = openWindow();
    for (size_t i = 0; i < frmZ41COM::GuardedButtons.size(); ++i)
        w->button(QLatin1String(frmZ41COM::GuardedButtons[i]))
            ->setEnabled(before.at(int(i)) == QLatin1Char('1'));
    w->Disable_Command();
    QTEST(enabledStates(w).join(QString()), "disabled");
    w->Enable_Command();
    QCOMPARE(enabledStates(w).join(QString()), before);
}

// ---- tabs -----------------------------------------------------------------------------------

void TestFrmZ41COM::tabs_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("workForm");
    QTest::addColumn<int>("transfer");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("paramTab");
    QTest::addColumn<bool>("addressShown");
    QTest::addColumn<bool>("numbersShown");

    QTest::newRow("test, passive, format")
        << 1 << 0 << 1 << "短信模块通信测试" << false << true << true;
    QTest::newRow("test, active, transparent")
        << 1 << 1 << 0 << "短信模块通信测试" << false << false << false;
    QTest::newRow("other parameters") << 2 << 0 << 1 << "其他参数设置" << true << false << false;
    QTest::newRow("input alarms") << 3 << 0 << 1 << "短信模块参数设置" << true << false << false;
    QTest::newRow("phone table") << 5 << 0 << 1 << "短信模块参数设置" << true << false << false;
}

void TestFrmZ41COM::tabs()
{
    QFETCH(int, tab);
    QFETCH(int, workForm);
    QFETCH(int, transfer);
    QFETCH(bool, addressShown);
    QFETCH(bool, numbersShown);
    frmZ41COM *w = openWindow();
    WorkFormFlag = quint8(workForm);
    TransferModeFlag = quint8(transfer);
    ParamTabActive = tab == 1;
    for (const char *name : {"Text21_0", "Text21_1", "Text21_2", "Text21_3", "Text21_4", "Text22"})
        w->setText(QLatin1String(name), QStringLiteral("old"));
    QVERIFY(!smsMannerVisible());

    w->tabs()->setCurrentIndex(tab);
    QTEST(w->windowTitle(), "caption");
    QTEST(ParamTabActive, "paramTab");
    QVERIFY(smsMannerVisible());
    if (tab != 1)
        return;
    for (const char *name : {"Label31", "Text22", "Command21_0", "Command21_1"})
        QCOMPARE(w->findChild<QWidget *>(QLatin1String(name))->isVisibleTo(w), addressShown);
    for (const char *name : {"Text21_3", "Text21_4", "Label21_4", "Label21_5"})
        QCOMPARE(w->findChild<QWidget *>(QLatin1String(name))->isVisibleTo(w), numbersShown);
    for (const char *name : {"Text21_0", "Text21_1", "Text21_2", "Text21_3", "Text21_4", "Text22"})
        QCOMPARE(w->text(QLatin1String(name)), QString());
}

// ---- transparent mode 2 ---------------------------------------------------------------------

void TestFrmZ41COM::transparentModeTwo_data()
{
    QTest::addColumn<QByteArray>("reply"); // after the preamble
    QTest::addColumn<int>("chosen");       // or a click on this entry when reply is empty
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("addressUsable");

    QTest::newRow("click transparent 2") << QByteArray() << 2 << "透明方式2" << true;
    QTest::newRow("click transparent 1") << QByteArray() << 1 << "透明方式1" << false;
    QTest::newRow("click format") << QByteArray() << 0 << "格式传输" << false;
    QTest::newRow("reply FB 00") << QByteArray::fromHex("FB0000") << 2 << "透明方式2" << true;
    QTest::newRow("reply FB 01") << QByteArray::fromHex("FB0001") << 1 << "透明方式1" << false;
    QTest::newRow("reply F9 01") << QByteArray::fromHex("F90001") << 0 << "格式传输" << false;
}

void TestFrmZ41COM::transparentModeTwo()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, chosen);
    QFETCH(bool, addressUsable);
    frmZ41COM *w = openWindow();
    w->onTimer5();
    w->Timer6.stop();
    ParamTabActive = true;
    Link().setThreshold(1);
    // Start from the opposite state so that each row shows a change.
    w->combo(QStringLiteral("Combo2"))->setCurrentIndex(chosen == 2 ? 0 : 2);
    if (reply.isEmpty()) {
        w->combo(QStringLiteral("Combo2"))->setCurrentIndex(chosen);
    } else {
        m_line->inject(Preamble + reply);
        pump();
    }
    QCOMPARE(w->combo(QStringLiteral("Combo2"))->currentIndex(), chosen);
    QTEST(w->combo(QStringLiteral("Combo2"))->currentText(), "shown");
    for (const char *name : {"Combo4", "Text5", "Text6", "Text7", "VS1", "VS2", "VS3"})
        QCOMPARE(w->findChild<QWidget *>(QLatin1String(name))->isEnabled(), addressUsable);
}

// ---- the two timed writes -------------------------------------------------------------------

void TestFrmZ41COM::workModeWrite_data()
{
    QTest::addColumn<int>("workForm");
    QTest::addColumn<int>("transfer");
    QTest::addColumn<QString>("addressType");
    QTest::addColumn<QByteArrayList>("frames"); // one per tick; empty: nothing sent

    QTest::newRow("active, format")
        << 0 << 0 << "ASCII" << QByteArrayList{frame("F80101"), frame("F90101"), QByteArray()};
    QTest::newRow("passive, transparent 1")
        << 1 << 1 << "ASCII"
        << QByteArrayList{frame("F80100"), frame("F90100"), frame("FB0101"), QByteArray()};
    QTest::newRow("passive, transparent 2, BCD")
        << 1 << 2 << "BCD码"
        << QByteArrayList{frame("F80100"), frame("F90100"), frame("FB0100"),
                          frame("E101051403"
                                "02"),
                          QByteArray()};
    QTest::newRow("active, transparent 2, hex")
        << 0 << 2 << "16进制"
        << QByteArrayList{frame("F80101"), frame("F90100"), frame("FB0100"),
                          frame("E101051403"
                                "01"),
                          QByteArray()};
    QTest::newRow("active, transparent 2, Wex typed")
        << 0 << 2 << "Wex模式"
        << QByteArrayList{frame("F80101"), frame("F90100"), frame("FB0100"),
                          frame("E101051403"
                                "03"),
                          QByteArray()};
}

void TestFrmZ41COM::workModeWrite()
{
    QFETCH(int, workForm);
    QFETCH(int, transfer);
    QFETCH(QString, addressType);
    QFETCH(QByteArrayList, frames);
    frmZ41COM *w = openWindow();
    w->combo(QStringLiteral("Combo1"))->setCurrentIndex(workForm);
    w->combo(QStringLiteral("Combo2"))->setCurrentIndex(transfer);
    w->combo(QStringLiteral("Combo4"))->setEditText(addressType);
    w->scrollBar(QStringLiteral("VS1"))->setValue(-5);
    w->scrollBar(QStringLiteral("VS2"))->setValue(-20);
    w->scrollBar(QStringLiteral("VS3"))->setValue(-3);
    m_line->takeWritten();

    w->button(QStringLiteral("Command5"))->click();
    QCOMPARE(w->WriteStep, qint16(0));
    QVERIFY(w->Timer1.isActive());
    QCOMPARE(enabledStates(w).join(QString()), QStringLiteral("00000000001000"));
    for (int i = 0; i < frames.size(); ++i) {
        w->onTimer1();
        QCOMPARE(m_line->takeWritten(), frames.at(i));
        if (i + 1 < frames.size()) {
            QVERIFY(w->Timer1.isActive());
            QCOMPARE(w->Timer1.interval(), 2000);
        }
    }
    QVERIFY(!w->Timer1.isActive());
    QCOMPARE(enabledStates(w).join(QString()), QStringLiteral("11111111111111"));
}

void TestFrmZ41COM::workModeWithoutChoice()
{
    MessageRecorder boxes;
    frmZ41COM *w = openWindow();
    w->button(QStringLiteral("Command5"))->click();
    for (int i = 0; i < 2; ++i) {
        w->onTimer1();
        QVERIFY(m_line->takeWritten().isEmpty());
        QCOMPARE(w->WriteStep, qint16(0));
        QVERIFY(w->Timer1.isActive());
    }
    QCOMPARE(boxes.texts(), QStringList(2, QStringLiteral("你必须选择需要的工作方式")));
    QCOMPARE(boxes.messages.at(0).title, QStringLiteral("提示信息"));

    w->combo(QStringLiteral("Combo1"))->setCurrentIndex(1);
    w->onTimer1();
    QCOMPARE(m_line->takeWritten(), frame("F80100"));
    // A typed text that is no list entry is no choice either.
    w->combo(QStringLiteral("Combo2"))->setEditText(QStringLiteral("透明"));
    w->onTimer1();
    QVERIFY(m_line->takeWritten().isEmpty());
    QCOMPARE(w->WriteStep, qint16(1));
    QCOMPARE(boxes.messages.size(), 3);
}

void TestFrmZ41COM::powerSavingWrite_data()
{
    QTest::addColumn<bool>("saving");
    QTest::addColumn<bool>("mode1");
    QTest::addColumn<QString>("idle");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QByteArrayList>("frames");

    QTest::newRow("off") << false << true << "1200"
                         << "10000" << QByteArrayList{frame("D30100"), QByteArray()};
    QTest::newRow("on, mode 1") << true << true << "1200"
                                << "10000"
                                << QByteArrayList{frame("D30101"), frame("DB0100000000"),
                                                  frame("D20100030019"), QByteArray()};
    QTest::newRow("on, mode 2, long delays")
        << true << false << "120000ms"
        << "400"
        << QByteArrayList{frame("D30101"), frame("DB0101000000"), frame("D201012C0001"),
                          QByteArray()};
}

void TestFrmZ41COM::powerSavingWrite()
{
    QFETCH(bool, saving);
    QFETCH(bool, mode1);
    QFETCH(QString, idle);
    QFETCH(QString, data);
    QFETCH(QByteArrayList, frames);
    frmZ41COM *w = openWindow();
    w->option(QLatin1String(saving ? "Option5" : "Option6"))->setChecked(true);
    w->option(QLatin1String(mode1 ? "Option7" : "Option8"))->setChecked(true);
    w->lineEdit(QStringLiteral("Text11"))->setText(idle);
    w->lineEdit(QStringLiteral("Text13"))->setText(data);
    m_line->takeWritten();

    w->button(QStringLiteral("Command14"))->click();
    QVERIFY(w->Timer3.isActive());
    QCOMPARE(enabledStates(w).join(QString()), QStringLiteral("00000000001000"));
    for (int i = 0; i < frames.size(); ++i) {
        w->onTimer3();
        QCOMPARE(m_line->takeWritten(), frames.at(i));
        if (i + 1 < frames.size())
            QCOMPARE(w->Timer3.interval(), 1000);
    }
    QVERIFY(!w->Timer3.isActive());
    QCOMPARE(enabledStates(w).join(QString()), QStringLiteral("11111111111111"));
}

// ---- single commands ------------------------------------------------------------------------

void TestFrmZ41COM::baudCommand_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("1200bps") << "1200bps" << frame("F20103");
    QTest::newRow("19200bps") << "19200bps" << frame("F20108");
    QTest::newRow("115200bps") << "115200bps" << frame("F2010B");
    QTest::newRow("14400bps typed") << "14400bps" << frame("F20107");
    QTest::newRow("other text") << "9600" << frame("F20100");
}

void TestFrmZ41COM::baudCommand()
{
    QFETCH(QString, text);
    frmZ41COM *w = openWindow();
    w->combo(QStringLiteral("Combo3"))->setEditText(text);
    m_line->takeWritten();
    w->button(QStringLiteral("Command6"))->click();
    QTEST(m_line->takeWritten(), "sent");
    QCOMPARE(Link().settings(), QStringLiteral("9600,n,8,1"));
}

void TestFrmZ41COM::closedPortSendsNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("work mode") << "Command5";
    QTest::newRow("power saving") << "Command14";
    QTest::newRow("baud rate") << "Command6";
}

void TestFrmZ41COM::closedPortSendsNothing()
{
    QFETCH(QString, button);
    frmZ41COM *w = openWindow();
    w->combo(QStringLiteral("Combo1"))->setCurrentIndex(0);
    Link().close();
    w->button(button)->click();
    QVERIFY(!w->Timer1.isActive());
    QVERIFY(!w->Timer3.isActive());
    QCOMPARE(enabledStates(w).join(QString()), QStringLiteral("11111111111111"));
    QVERIFY(m_line->writtenSoFar().isEmpty());
}

void TestFrmZ41COM::codePrompt_data()
{
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("six characters")
        << true << "A1b2C3" << frame("EC01413162324333") << QStringList{};
    QTest::newRow("eight digits as asked")
        << true << "12345678" << QByteArray() << QStringList{"密码无效"};
    QTest::newRow("five") << true << "12345" << QByteArray() << QStringList{"密码无效"};
    QTest::newRow("empty") << true << "" << QByteArray() << QStringList{"密码无效"};
    QTest::newRow("cancelled") << false << "123456" << QByteArray() << QStringList{};
}

void TestFrmZ41COM::codePrompt()
{
    QFETCH(bool, answered);
    QFETCH(QString, answer);
    MessageRecorder boxes;
    QList<InputRequest> prompts;
    SetInputHandler([&](const InputRequest &request, QString *text) {
        prompts << request;
        *text = answer;
        return answered;
    });
    frmZ41COM *w = openWindow();
    m_line->takeWritten();
    QTest::mouseDClick(w->label(QStringLiteral("Label8")), Qt::LeftButton);

    QCOMPARE(prompts.size(), 1);
    QCOMPARE(prompts.at(0).prompt, QStringLiteral("请输入8位密码："));
    QCOMPARE(prompts.at(0).title, QStringLiteral("身份识别"));
    QTEST(m_line->takeWritten(), "sent");
    QTEST(boxes.texts(), "messages");
    for (const MessageRequest &m : boxes.messages) {
        QCOMPARE(m.title, QStringLiteral("提示"));
        QCOMPARE(m.icon, MsgIcon::Information);
    }
}

// ---- the view the parser writes to ----------------------------------------------------------

void TestFrmZ41COM::viewTexts()
{
    frmZ41COM *w = openWindow();
    AlarmView *view = w;
    // Multi-line boxes keep CR LF as the module and the senders see them.
    view->setText(QStringLiteral("Text15"), QStringLiteral("第一行\r\n第二行"));
    QCOMPARE(w->textArea(QStringLiteral("Text15"))->toPlainText(),
             QStringLiteral("第一行\n第二行"));
    QCOMPARE(view->text(QStringLiteral("Text15")), QStringLiteral("第一行\r\n第二行"));
    QCOMPARE(view->text(QStringLiteral("Text17")), QStringLiteral("设备已开启\r\n"));
    view->appendText(QStringLiteral("Text21_0"), QStringLiteral("发射  24:12:\r\n"));
    view->appendText(QStringLiteral("Text21_0"), QStringLiteral("接收  21:"));
    QCOMPARE(view->text(QStringLiteral("Text21_0")), QStringLiteral("发射  24:12:\r\n接收  21:"));

    // A combo box takes only entries it has; Combo7 cannot be typed into.
    view->setComboIndex(QStringLiteral("Combo2"), 1);
    view->setComboIndex(QStringLiteral("Combo2"), 3);
    QCOMPARE(view->comboIndex(QStringLiteral("Combo2")), 1);
    view->setText(QStringLiteral("Combo7"), QStringLiteral("继电器5"));
    QCOMPARE(view->comboIndex(QStringLiteral("Combo7")), 5);
    view->setText(QStringLiteral("Combo7"), QString());
    QCOMPARE(view->comboIndex(QStringLiteral("Combo7")), -1);
    view->setText(QStringLiteral("Combo9_3"), QStringLiteral("无"));
    QCOMPARE(view->text(QStringLiteral("Combo9_3")), QStringLiteral("无"));

    // Grid: row 0 is the header, column 0 the fixed column; at most 20 entries.
    view->setGridRows(3);
    view->setGridCell(1, 1, QStringLiteral("1"));
    view->setGridCell(2, 2, QStringLiteral("13800138000"));
    view->setGridCell(3, 2, QStringLiteral("outside"));
    QTableWidget *table = w->grid();
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("1"));
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("13800138000"));
    QCOMPARE(w->gridCell(0, 1), QStringLiteral("序号"));
    QCOMPARE(w->gridCell(0, 2), QStringLiteral("电话号码"));
    view->setGridRows(30);
    QCOMPARE(w->gridRows(), 21);
    view->setGridRows(1);
    QCOMPARE(table->rowCount(), 0);
}

// ---- database -------------------------------------------------------------------------------

void TestFrmZ41COM::database_data()
{
    QTest::addColumn<QString>("file"); // "": missing; "copy": the program's database; else bytes
    QTest::addColumn<bool>("open");
    QTest::newRow("missing") << "" << false;
    QTest::newRow("the program's database") << "copy" << true;
    QTest::newRow("not a database") << "this is not a database file" << false;
}

void TestFrmZ41COM::database()
{
    QFETCH(QString, file);
    QFETCH(bool, open);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gprs.mdb"));
    if (file == QLatin1String("copy")) {
        QVERIFY(QFile::copy(QStringLiteral(CORVANE_SOURCE_DIR "/data/gprs.mdb"), path));
    } else if (!file.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file.toLatin1());
    }
    const QByteArray before = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    frmZ41COM::setDatabasePath(path);

    frmZ41COM *w = Windows::get<frmZ41COM>();
    QVERIFY(!w->database().isOpen());
    w->show();
    QCOMPARE(w->database().isOpen(), open);
    QCOMPARE(w->phoneRecordSet() != nullptr, open);
    if (open)
        QVERIFY(w->phoneRecordSet()->isActive());
    QCOMPARE(QFile::exists(path), !file.isEmpty());
    Windows::unload(QString::fromLatin1(frmZ41COM::WindowName));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("frmZ41COM")));
    if (!file.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }
}

void TestFrmZ41COM::exitButton()
{
    frmZ41COM *w = openWindow();
    w->tabs()->setCurrentIndex(1);
    QVERIFY(smsMannerVisible());
    QPointer<frmZ41COM> alive(w);
    w->button(QStringLiteral("Command10"))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(panel(1), QStringLiteral("串口：未使用"));
    QVERIFY(!Link().isOpen());
    QVERIFY(alive.isNull());
    QVERIFY(!Windows::isLoaded(QStringLiteral("frmZ41COM")));
    QVERIFY(!smsMannerVisible());
}

QTEST_MAIN(TestFrmZ41COM)
#include "tst_frmz41com.moc"
