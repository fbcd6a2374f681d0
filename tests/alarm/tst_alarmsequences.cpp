// The step tables of the two timed writes, the code prompt's frame and the number of a text box.

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

void TestAlarmSequences::workModeStep_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("workForm");
    QTest::addColumn<int>("transferMode");
    QTest::addColumn<QString>("addressType");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("next");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<Missing>("missing");

    const QByteArray none;
    QTest::newRow("0 active") << 0 << 0 << -1 << "" << frame("F80101") << 1 << false
                              << Missing::None;
    QTest::newRow("0 passive") << 0 << 1 << -1 << "" << frame("F80100") << 1 << false
                               << Missing::None;
    QTest::newRow("0 no work form")
        << 0 << -1 << 0 << "" << none << 0 << false << Missing::WorkForm;
    QTest::newRow("1 format") << 1 << 0 << 0 << "" << frame("F90101") << 5 << false
                              << Missing::None;
    QTest::newRow("1 transparent 1")
        << 1 << 0 << 1 << "" << frame("F90100") << 6 << false << Missing::None;
    QTest::newRow("1 transparent 2")
        << 1 << 0 << 2 << "" << frame("F90100") << 3 << false << Missing::None;
    QTest::newRow("1 no transfer mode")
        << 1 << 0 << -1 << "" << none << 1 << false << Missing::TransferMode;
    QTest::newRow("3 mode 2 then address")
        << 3 << 1 << 2 << "" << frame("FB0100") << 4 << false << Missing::None;
    QTest::newRow("6 mode 1") << 6 << 1 << 1 << "" << frame("FB0101") << 5 << false
                              << Missing::None;
    QTest::newRow("4 address ASCII")
        << 4 << 1 << 2 << "ASCII" << frame("E101070C0300") << 5 << false << Missing::None;
    QTest::newRow("4 address Wex typed")
        << 4 << 1 << 2 << "Wex模式" << frame("E101070C0303") << 5 << false << Missing::None;
    QTest::newRow("5 end") << 5 << 1 << 2 << "" << none << 5 << true << Missing::None;
    // Steps of the power-saving write met on the shared field are passed over.
    QTest::newRow("2 not a step here") << 2 << 0 << 0 << "" << none << 2 << false << Missing::None;
}

void TestAlarmSequences::workModeStep()
{
    QFETCH(int, step);
    QFETCH(int, workForm);
    QFETCH(int, transferMode);
    QFETCH(QString, addressType);
    WorkModeChoice choice;
    choice.workForm = workForm;
    choice.transferMode = transferMode;
    choice.addressStart = 7;
    choice.groupMaximum = 12;
    choice.addressLength = 3;
    choice.addressType = addressType;

    const WriteTick tick = WorkModeTick(qint16(step), choice);
    QTEST(tick.frame, "sent");
    QTEST(int(tick.next), "next");
    QTEST(tick.finished, "finished");
    QTEST(tick.missing, "missing");
}

void TestAlarmSequences::powerSavingStep_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("saving");
    QTest::addColumn<bool>("mode1");
    QTest::addColumn<double>("idleMs");
    QTest::addColumn<double>("dataMs");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("next");
    QTest::addColumn<bool>("finished");

    QTest::newRow("0 saving on") << 0 << true << true << 0.0 << 0.0 << frame("D30101") << 1
                                 << false;
    QTest::newRow("0 saving off skips the rest")
        << 0 << false << true << 0.0 << 0.0 << frame("D30100") << 3 << false;
    QTest::newRow("1 mode 1") << 1 << true << true << 0.0 << 0.0 << frame("DB0100000000") << 2
                              << false;
    QTest::newRow("1 mode 2") << 1 << true << false << 0.0 << 0.0 << frame("DB0101000000") << 2
                              << false;
    QTest::newRow("2 delays 1200/10000 ms")
        << 2 << true << true << 1200.0 << 10000.0 << frame("D20100030019") << 3 << false;
    QTest::newRow("2 delays above 255 counts")
        << 2 << true << true << 120000.0 << 400.0 << frame("D201012C0001") << 3 << false;
    QTest::newRow("3 end") << 3 << true << true << 0.0 << 0.0 << QByteArray() << 3 << true;
    QTest::newRow("4 not a step here")
        << 4 << true << true << 0.0 << 0.0 << QByteArray() << 4 << false;
}

void TestAlarmSequences::powerSavingStep()
{
    QFETCH(int, step);
    PowerSavingChoice choice;
    QFETCH(bool, saving);
    QFETCH(bool, mode1);
    QFETCH(double, idleMs);
    QFETCH(double, dataMs);
    choice.powerSaving = saving;
    choice.wakeMode1 = mode1;
    choice.idleMs = idleMs;
    choice.dataMs = dataMs;

    const WriteTick tick = PowerSavingTick(qint16(step), choice);
    QTEST(tick.frame, "sent");
    QTEST(int(tick.next), "next");
    QTEST(tick.finished, "finished");
    QCOMPARE(tick.missing, Missing::None);
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
