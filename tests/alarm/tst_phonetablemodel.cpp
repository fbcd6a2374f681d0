// The phone number table as edited before a write: the 20-entry limit, duplicates, removal and
// moving entries up and down.

#include "alarm/PhoneTableModel.h"

#include <QtTest>

using AddResult = PhoneTableModel::AddResult;
Q_DECLARE_METATYPE(PhoneTableModel::AddResult)

namespace {
QStringList numbers(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("1380000%1").arg(i, 4, 10, QLatin1Char('0'));
    return list;
}
} // namespace

class tst_PhoneTableModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void add_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("number");
        QTest::addColumn<AddResult>("result");
        QTest::addColumn<QStringList>("after");
        const QStringList three = {"13800138000", "13912345678", "15000000001"};
        QTest::newRow("first entry")
            << QStringList() << "13800138000" << AddResult::Added << QStringList{"13800138000"};
        QTest::newRow("20th entry")
            << numbers(19) << "18912345678" << AddResult::Added << (numbers(19) << "18912345678");
        QTest::newRow("21st refused")
            << numbers(20) << "18912345678" << AddResult::Full << numbers(20);
        QTest::newRow("duplicate") << three << "13912345678" << AddResult::Duplicate << three;
        QTest::newRow("differs in case only")
            << QStringList{"1380013800A"} << "1380013800a" << AddResult::Added
            << QStringList{"1380013800A", "1380013800a"};
        QTest::newRow("10 characters") << three << "1391234567" << AddResult::WrongLength << three;
        QTest::newRow("12 characters")
            << three << "139123456789" << AddResult::WrongLength << three;
        QTest::newRow("design-time stars are 11 characters")
            << QStringList() << "***********" << AddResult::Added << QStringList{"***********"};
        QTest::newRow("wrong length before full")
            << numbers(20) << "1" << AddResult::WrongLength << numbers(20);
    }
    void add()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, number);
        QFETCH(AddResult, result);
        QFETCH(QStringList, after);
        PhoneTableModel table(before);
        QCOMPARE(table.add(number), result);
        QCOMPARE(table.numbers(), after);
    }

    void edit_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("current");
        const QString a = "13800000001", b = "13800000002", c = "13800000003";
        QTest::newRow("remove first of three") << "remove" << 1 << QStringList{b, c} << 1;
        QTest::newRow("remove middle") << "remove" << 2 << QStringList{a, c} << 2;
        QTest::newRow("remove last") << "remove" << 3 << QStringList{a, b} << 2;
        QTest::newRow("remove without selection") << "remove" << 0 << QStringList{a, b, c} << 0;
        QTest::newRow("remove below the table") << "remove" << 4 << QStringList{a, b, c} << 4;
        QTest::newRow("move first up") << "up" << 1 << QStringList{a, b, c} << 1;
        QTest::newRow("move last up") << "up" << 3 << QStringList{a, c, b} << 2;
        QTest::newRow("move last down") << "down" << 3 << QStringList{a, b, c} << 3;
        QTest::newRow("move first down") << "down" << 1 << QStringList{b, a, c} << 2;
        QTest::newRow("move without selection") << "down" << 0 << QStringList{a, b, c} << 0;
    }
    void edit()
    {
        QFETCH(QString, operation);
        QFETCH(int, row);
        QFETCH(QStringList, after);
        QFETCH(int, current);
        PhoneTableModel table({"13800000001", "13800000002", "13800000003"});
        const int next = operation == "remove" ? table.remove(row)
                         : operation == "up"   ? table.moveUp(row)
                                               : table.moveDown(row);
        QCOMPARE(table.numbers(), after);
        QCOMPARE(next, current);
    }

    void removeOnlyEntry()
    {
        PhoneTableModel table({"13800000001"});
        QCOMPARE(table.remove(1), 0);
        QCOMPARE(table.count(), 0);
        QCOMPARE(table.remove(1), 1); // nothing left to remove
    }
};

QTEST_GUILESS_MAIN(tst_PhoneTableModel)
#include "tst_phonetablemodel.moc"
