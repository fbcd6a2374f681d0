// The quiet steps of the two timed writes, the code prompt's frame and the number of a text box.

#include "alarm/AlarmSequences.h"

#include <QtTest>

using namespace AlarmSequences;
using Missing = WriteTick::Missing;

Q_DECLARE_METATYPE(Missing)

namespace {
QByteArray frame(const char *hexAfterPreamble)
{
    return QByteArray::fromHex("1A2A3A4A5A6A7A8A") + QByteArray::fromHex(hexAfterPreamble);
}
} // namespace

class TestAlarmSequences : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void workModeStep_data();
    void workModeStep();
    void powerSavingStep_data();
    void powerSavingStep();
    void versionCode_data();
    void versionCode();
    void textNumber_data();
    void textNumber();
};

// The frames of both writes are checked tick by tick through the window; here the steps that
// send nothing: a missing choice, the end, and a step of the other sequence met on the shared
// field.
void TestAlarmSequences::workModeStep_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("workForm");
    QTest::addColumn<int>("transferMode");
    QTest::addColumn<int>("next");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<Missing>("missing");

    QTest::newRow("no work form") << 0 << -1 << 0 << 0 << false << Missing::WorkForm;
    QTest::newRow("work form beyond the list") << 0 << 2 << 0 << 0 << false << Missing::WorkForm;
    QTest::newRow("no transfer mode") << 1 << 0 << -1 << 1 << false << Missing::TransferMode;
    QTest::newRow("transfer mode beyond the list")
        << 1 << 0 << 3 << 1 << false << Missing::TransferMode;
    QTest::newRow("end") << 5 << 0 << 0 << 5 << true << Missing::None;
    QTest::newRow("power-saving step 2") << 2 << 0 << 0 << 2 << false << Missing::None;
}

void TestAlarmSequences::workModeStep()
{
    QFETCH(int, step);
    WorkModeChoice choice;
    QFETCH(int, workForm);
    QFETCH(int, transferMode);
    choice.workForm = workForm;
    choice.transferMode = transferMode;

    const WriteTick tick = WorkModeTick(qint16(step), choice);
    QVERIFY(tick.frame.isEmpty());
    QTEST(int(tick.next), "next");
    QTEST(tick.finished, "finished");
    QTEST(tick.missing, "missing");
}

void TestAlarmSequences::powerSavingStep_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<int>("next");

    QTest::newRow("end") << 3 << true << 3;
    QTest::newRow("work-mode step 4") << 4 << false << 4;
    QTest::newRow("work-mode step 6") << 6 << false << 6;
}

void TestAlarmSequences::powerSavingStep()
{
    QFETCH(int, step);
    const WriteTick tick = PowerSavingTick(qint16(step), PowerSavingChoice());
    QVERIFY(tick.frame.isEmpty());
    QTEST(tick.finished, "finished");
    QTEST(int(tick.next), "next");
}

void TestAlarmSequences::versionCode_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("six digits") << "123456" << frame("EC01313233343536");
    QTest::newRow("six letters") << "abcDEF" << frame("EC01616263444546");
    QTest::newRow("eight digits as asked") << "12345678" << QByteArray();
    QTest::newRow("five") << "12345" << QByteArray();
    QTest::newRow("seven") << "1234567" << QByteArray();
    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("six Chinese characters") << "一二三四五六" << QByteArray();
}

void TestAlarmSequences::versionCode()
{
    QFETCH(QString, answer);
    QTEST(VersionCodeFrame(answer), "sent");
}

void TestAlarmSequences::textNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");

    QTest::newRow("integer") << "1000" << 1000.0;
    QTest::newRow("leading blanks") << "  250" << 250.0;
    QTest::newRow("trailing text") << "12abc" << 12.0;
    QTest::newRow("negative decimal") << "-3.5" << -3.5;
    QTest::newRow("plus sign") << "+7" << 7.0;
    QTest::newRow("fraction only") << ".5s" << 0.5;
    QTest::newRow("exponent") << "1e3ms" << 1000.0;
    QTest::newRow("e without digits") << "2e" << 2.0;
    QTest::newRow("no number") << "abc" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
}

void TestAlarmSequences::textNumber()
{
    QFETCH(QString, text);
    QTEST(TextNumber(text), "number");
}

QTEST_GUILESS_MAIN(TestAlarmSequences)
#include "tst_alarmsequences.moc"
