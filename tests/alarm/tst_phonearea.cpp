// Phone number table area of the alarm window: typing a number, the local editing buttons as
// the grid shows them, and the write, read and clear frames.

#include "alarm/ui/AlarmFeatures.h"
#include "alarm/ui/frmZ41COM.h"
#include "core/Module1.h"
#include "core/SerialLink.h"
#include "core/ui/WindowRegistry.h"
#include "support/AlarmTestKit.h"
#include "support/AlarmWindowKit.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

class tst_PhoneArea : public QObject, private AlarmWindowKit
{
    Q_OBJECT

    QTableWidget *grid = nullptr;
    QLineEdit *text9 = nullptr;

    void add(const QString &number)
    {
        text9->setText(number);
        press("Command19");
    }
    // Column 1 and column 2 of every entry row, "1 13800138000" ...
    QStringList rows() const
    {
        QStringList list;
        for (int r = 0; r < grid->rowCount(); ++r) {
            auto cell = [&](int c) { return grid->item(r, c) ? grid->item(r, c)->text() : "-"; };
            list << cell(0) + ' ' + cell(1);
        }
        return list;
    }
    void fill(const QStringList &numbers)
    {
        for (const QString &n : numbers)
            add(n);
        messages->messages.clear();
    }

private Q_SLOTS:
    void initTestCase() { StubConnectWindow(); }

    void init()
    {
        openArea();
        grid = window->findChild<QTableWidget *>("Grid");
        text9 = window->findChild<QLineEdit *>("Text9");
    }

    void cleanup() { closeArea(); }

    void typingANumber_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("digits") << "13800138000"
                                << "13800138000";
        QTest::newRow("lower-case a to f as capitals") << "1abcdef"
                                                       << "1ABCDEF";
        QTest::newRow("G-Z and punctuation dropped") << "1G-z:9 +"
                                                     << "19";
    }
    void typingANumber()
    {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        text9->clear();
        QTest::keyClicks(text9, keys);
        QCOMPARE(text9->text(), shown);
        QTest::keyClick(text9, Qt::Key_Backspace);
        QCOMPARE(text9->text(), shown.chopped(1));
    }

    void addNumbers_data()
    {
        QTest::addColumn<int>("present");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("entries");
        QTest::newRow("20th") << 19 << "18912345678"
                              << ""
                              << "" << 20;
        QTest::newRow("21st") << 20 << "18912345678"
                              << "号码表已满"
                              << "提示" << 20;
        QTest::newRow("10 digits") << 2 << "1891234567"
                                   << "您输入的电话号码不正确"
                                   << "请重新输入" << 2;
        QTest::newRow("duplicate") << 3 << "13800000001"
                                   << "电话号码有重复，请检查电话号码"
                                   << "系统提示" << 3;
    }
    void addNumbers()
    {
        QFETCH(int, present);
        QFETCH(QString, number);
        QFETCH(QString, message);
        QFETCH(QString, title);
        QFETCH(int, entries);
        QStringList numbers;
        for (int i = 0; i < present; ++i)
            numbers << QStringLiteral("138000000%1").arg(i, 2, 10, QLatin1Char('0'));
        fill(numbers);
        add(number);
        QCOMPARE(grid->rowCount(), entries);
        QCOMPARE(messages->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty())
            QCOMPARE(messages->messages.first().title, title);
        QCOMPARE(grid->item(entries - 1, 0)->text(), QString::number(entries));
    }

    void duplicateRenumbersTheTable()
    {
        fill({"13800000001", "13800000002"});
        grid->item(1, 0)->setText("7");
        add("13800000001");
        QCOMPARE(rows(), (QStringList{"1 13800000001", "2 13800000002"}));
        QCOMPARE(messages->messages.first().icon, MsgIcon::Exclamation);
    }

    void editing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("selected"); // grid row (0-based), -1 none
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("current");
        const QString a = "13800000001", b = "13900000002", c = "15000000003";
        QTest::newRow("remove first of three")
            << "Command15" << 0 << QStringList{"1 " + b, "2 " + c} << 0;
        QTest::newRow("remove last") << "Command15" << 2 << QStringList{"1 " + a, "2 " + b} << 1;
        QTest::newRow("remove without selection")
            << "Command15" << -1 << QStringList{"1 " + a, "2 " + b, "3 " + c} << -1;
        QTest::newRow("move first up")
            << "Command20" << 0 << QStringList{"1 " + a, "2 " + b, "3 " + c} << 0;
        QTest::newRow("move second up")
            << "Command20" << 1 << QStringList{"1 " + b, "2 " + a, "3 " + c} << 0;
        QTest::newRow("move last down")
            << "Command22" << 2 << QStringList{"1 " + a, "2 " + b, "3 " + c} << 2;
        QTest::newRow("move first down")
            << "Command22" << 0 << QStringList{"1 " + b, "2 " + a, "3 " + c} << 1;
    }
    void editing()
    {
        QFETCH(QString, button);
        QFETCH(int, selected);
        QFETCH(QStringList, after);
        QFETCH(int, current);
        fill({"13800000001", "13900000002", "15000000003"});
        grid->setCurrentCell(selected, selected < 0 ? -1 : 0);
        press(button.toLatin1().constData());
        QCOMPARE(rows(), after);
        QCOMPARE(grid->currentRow(), current);
        // A moved number stays selected and shown; a removal leaves the box as it was.
        if (button != QLatin1String("Command15") && current >= 0)
            QCOMPARE(text9->text(), grid->item(current, 1)->text());
    }

    void selectionShowsTheNumber()
    {
        fill({"13800000001", "13900000002"});
        grid->setCurrentCell(1, 0);
        QCOMPARE(text9->text(), QStringLiteral("13900000002"));
        grid->setCurrentCell(0, 1);
        QCOMPARE(text9->text(), QStringLiteral("13800000001"));
    }

    void gridHeader()
    {
        QCOMPARE(grid->columnCount(), 2);
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("序号"));
        QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("电话号码"));
        QCOMPARE(grid->rowCount(), 0);
    }

    void writeTable_data()
    {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("one entry, first digit 1")
            << QStringList{"10123456789"}
            << frameOf(183, "1A2A3A4A5A6A7A8A D9 02 5B 01 01 01 23 45 67 89");
        QTest::newRow("one entry, first digit 9 goes out as 01")
            << QStringList{"90123456789"}
            << frameOf(183, "1A2A3A4A5A6A7A8A D9 02 5B 01 01 01 23 45 67 89");
        QTest::newRow("three entries")
            << QStringList{"13800138000", "13912345678", "15A0B0C0D0E"}
            << frameOf(183, "1A2A3A4A5A6A7A8A D9 02 AA 03 01 38 00 13 80 00 01 39 12 34 56 78"
                            " 01 5A 0B 0C 0D 0E");
    }
    void writeTable()
    {
        QFETCH(QStringList, numbers);
        QFETCH(QByteArray, frame);
        fill(numbers);
        PhoneTableOp = 0;
        press("Command11");
        QCOMPARE(backend->takeWritten(), frame);
        QCOMPARE(PhoneTableOp, 1);
    }

    void writeEmptyTable()
    {
        PhoneTableOp = 0;
        press("Command11");
        QCOMPARE(backend->takeWritten(), QByteArray());
        QCOMPARE(messages->texts(), QStringList{QStringLiteral("您输入的电话号码表不完整")});
        QCOMPARE(messages->messages.first().title, QStringLiteral("请重新输入"));
        QCOMPARE(PhoneTableOp, 0);
    }

    void readTable()
    {
        fill({"13800000001", "13900000002"});
        PhoneTableOp = 2;
        press("Command12");
        QCOMPARE(backend->takeWritten(), hex("1A2A3A4A5A6A7A8A D9 01"));
        QCOMPARE(PhoneTableOp, 0);
        QCOMPARE(grid->rowCount(), 0);
    }

    void clearTable_data()
    {
        QTest::addColumn<MsgResult>("answer");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("op");
        QTest::newRow("OK") << MsgResult::Ok << hex("1A2A3A4A5A6A7A8A D9 04 01") << 2;
        QTest::newRow("Cancel") << MsgResult::Cancel << QByteArray() << 0;
    }
    void clearTable()
    {
        QFETCH(MsgResult, answer);
        QFETCH(QByteArray, frame);
        QFETCH(int, op);
        fill({"13800000001"});
        messages->answers << answer;
        press("Command24");
        QCOMPARE(messages->messages.size(), 1);
        const MessageRequest &question = messages->messages.first();
        QCOMPARE(question.text, QStringLiteral("您确定要清空号码表吗？操作无法恢复！"));
        QCOMPARE(question.title, QStringLiteral("警告！"));
        QCOMPARE(question.buttons, MsgButtons::OkCancel);
        QCOMPARE(question.icon, MsgIcon::Question);
        QCOMPARE(backend->takeWritten(), frame);
        QCOMPARE(PhoneTableOp, op);
        QCOMPARE(grid->rowCount(), 1); // emptied only when the module confirms
    }

    void closedPort_data()
    {
        QTest::addColumn<QString>("button");
        for (const char *b : {"Command11", "Command12", "Command24"})
            QTest::newRow(b) << b;
    }
    void closedPort()
    {
        QFETCH(QString, button);
        fill({"13800000001"});
        Link().close();
        PhoneTableOp = 5;
        press(button.toLatin1().constData());
        QCOMPARE(backend->takeWritten(), QByteArray());
        QWidget *connect = Windows::find(QStringLiteral("frmZ40MOD"));
        QVERIFY(connect && connect->isVisible() && connect->isModal());
        QCOMPARE(PhoneTableOp, 5);
        QCOMPARE(rows(), QStringList{"1 13800000001"});
        QVERIFY(messages->messages.isEmpty());
        // Local editing needs no port.
        add("13800000002");
        QCOMPARE(grid->rowCount(), 2);
    }
};

QTEST_MAIN(tst_PhoneArea)
#include "tst_phonearea.moc"
