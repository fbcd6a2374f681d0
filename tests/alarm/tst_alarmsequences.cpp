// The code prompt's frame and the number of a text box.

#include "alarm/AlarmSequences.h"

#include <QtTest>

using namespace AlarmSequences;

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
    void versionCode_data();
    void versionCode();
    void textNumber_data();
    void textNumber();
};

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
