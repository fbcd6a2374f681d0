// Byte and text routines shared by frame builders, parsers and input boxes.
#include "core/ByteRoutines.h"
#include "core/Module1.h"

#include <QtTest>

class TestByteRoutines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hexDigits_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("hex");
        QTest::newRow("0") << 0 << "00";
        QTest::newRow("10") << 10 << "0A";
        QTest::newRow("16") << 16 << "10";
        QTest::newRow("255") << 255 << "FF";
    }
    void hexDigits()
    {
        QFETCH(int, value);
        QFETCH(QString, hex);
        QCOMPARE(ByteToHex(quint8(value)), hex);
        const quint8 high = quint8(hex.at(0).unicode()), low = quint8(hex.at(1).unicode());
        QCOMPARE(HexDigitValue(high) * 16 + HexDigitValue(low), value);
    }

    // Only "0"-"9" and "A"-"F" have a value; every other code gives 0.
    void hexDigitValueRefuses_data()
    {
        QTest::addColumn<int>("code");
        for (int code : {int('a'), int('G'), int(':'), int('@'), int('/'), 200})
            QTest::newRow(qPrintable(QString::number(code))) << code;
    }
    void hexDigitValueRefuses()
    {
        QFETCH(int, code);
        QCOMPARE(int(HexDigitValue(quint8(code))), 0);
    }

    void hexKeyFilter_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        const int rows[][2] = {
            {8, 8},     {13, 0},    {0, 0},   {7, 0},     {9, 0},     {47, 0},          {'0', '0'},
            {'9', '9'}, {':', 0},   {'@', 0}, {'A', 'A'}, {'F', 'F'}, {'G', 0},         {96, 0},
            {'a', 'A'}, {'f', 'F'}, {'g', 0}, {126, 0},   {127, 127}, {0x4E2D, 0x4E2D}, {-20, -20}};
        for (const auto &row : rows)
            QTest::newRow(qPrintable(QString::number(row[0]))) << row[0] << row[1];
    }
    void hexKeyFilter()
    {
        QFETCH(int, key);
        QFETCH(int, result);
        qint16 k = qint16(key);
        FilterHexKey(k);
        QCOMPARE(int(k), result);
    }

    void byteSum_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("sum");
        QTest::newRow("wraps") << QByteArray::fromHex("FF02") << 0 << 2 << 0x01;
        QTest::newRow("from equals to") << QByteArray::fromHex("FF02") << 1 << 1 << 0;
        QTest::newRow("from after to") << QByteArray::fromHex("FF02") << 2 << 0 << 0;
        QTest::newRow("end excluded") << QByteArray::fromHex("010203") << 0 << 2 << 3;
        QTest::newRow("last byte counts") << QByteArray::fromHex("01020304") << 1 << 4 << 9;
        QTest::newRow("range past end") << QByteArray::fromHex("0102") << 0 << 10 << 3;
        QTest::newRow("negative start") << QByteArray::fromHex("0102") << -5 << 1 << 1;
    }
    void byteSum()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, sum);
        QCOMPARE(ByteSum(bytes, from, to), sum);
    }

    void ucs2_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("letter A") << QStringLiteral("A") << QByteArray::fromHex("0041");
        QTest::newRow("zhong A") << QStringLiteral("\u4E2DA") << QByteArray::fromHex("4E2D0041");
        QTest::newRow("surrogate pair")
            << QString::fromUcs4(U"\U0001F600") << QByteArray::fromHex("D83DDE00");
    }
    // The plain encoding, and the form with the leading 0 byte (empty text: array untouched).
    // Neither lets pending events run.
    void ucs2()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        bool ran = false;
        QTimer::singleShot(0, [&ran] { ran = true; });
        QCOMPARE(Ucs2Bytes(text).toHex(' '), bytes.toHex(' '));
        QByteArray out = QByteArray::fromHex("AABBCC");
        QCOMPARE(int(TextToUcs2Bytes(out, text)), text.isEmpty() ? 0 : 1);
        QCOMPARE(out.toHex(' '),
                 (text.isEmpty() ? QByteArray::fromHex("AABBCC") : QByteArray(1, '\0') + bytes)
                     .toHex(' '));
        QVERIFY(!ran);
        QCoreApplication::processEvents();
    }

    void hexColonAndAnsi()
    {
        QCOMPARE(BytesToHexColon(QByteArray::fromHex("1A2A00FF")), QStringLiteral("1A:2A:00:FF:"));
        QCOMPARE(BytesToHexColon(QByteArray()), QString());
        // GBK: the two characters 中文 are D6 D0 CE C4.
        QCOMPARE(ToAnsi(QStringLiteral("中文")), QByteArray::fromHex("D6D0CEC4"));
        QCOMPARE(FromAnsi(QByteArray::fromHex("D6D0CEC4")), QStringLiteral("中文"));
        QCOMPARE(ToAnsi(QStringLiteral("AT")), QByteArray("AT"));
    }

    void resetSharedValues()
    {
        ProtocolId = 101;
        RxStep = 7;
        RxBytes = "x";
        ModeChoiceFlags[2] = true;
        OfflineStart = true;
        ResetSharedValues();
        QCOMPARE(ProtocolId, qint16(0));
        QCOMPARE(RxStep, qint16(0));
        QVERIFY(RxBytes.isEmpty());
        QVERIFY(!ModeChoiceFlags[2]);
        QVERIFY(!OfflineStart);
    }
};

QTEST_GUILESS_MAIN(TestByteRoutines)
#include "tst_byteroutines.moc"
