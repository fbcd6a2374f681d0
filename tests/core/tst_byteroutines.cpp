// Byte and text routines shared by frame builders, parsers and input boxes.
#include "core/ByteRoutines.h"
#include "core/Module1.h"

#include <QtTest>

class TestByteRoutines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A digit's value: only "0"-"9" and "A"-"F" have one. The key filter of hexadecimal boxes
    // keeps digits, backspace (8) and codes from 127 on, turns "a"-"f" into capitals.
    void hexDigits_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("key");
        const int rows[][3] = {{8, 0, 8},           {13, 0, 0},   {0, 0, 0},      {7, 0, 0},
                               {9, 0, 0},           {'/', 0, 0},  {'0', 0, '0'},  {'9', 9, '9'},
                               {':', 0, 0},         {'@', 0, 0},  {'A', 10, 'A'}, {'F', 15, 'F'},
                               {'G', 0, 0},         {96, 0, 0},   {'a', 0, 'A'},  {'f', 0, 'F'},
                               {'g', 0, 0},         {126, 0, 0},  {127, 0, 127},  {200, 0, 200},
                               {0x4E2D, 0, 0x4E2D}, {-20, 0, -20}};
        for (const auto &row : rows)
            QTest::newRow(qPrintable(QString::number(row[0]))) << row[0] << row[1] << row[2];
    }
    void hexDigits()
    {
        QFETCH(int, code);
        QTEST(int(HexDigitValue(quint8(code))), "value");
        qint16 key = qint16(code);
        FilterHexKey(key);
        QTEST(int(key), "key");
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
        QTEST(ByteSum(bytes, from, to), "sum");
    }

    void ucs2_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("zhong A") << QStringLiteral("\u4E2DA") << QByteArray::fromHex("4E2D0041");
        QTest::newRow("surrogates")
            << QString::fromUcs4(U"\U0001F600") << QByteArray("\xD8\x3D\xDE\x00", 4);
    }
    // The plain encoding, and the form with the leading 0 byte (empty text: array untouched).
    // Neither lets pending events run.
    void ucs2()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        bool ran = false;
        QTimer::singleShot(0, [&ran] { ran = true; });
        QByteArray out = QByteArray::fromHex("AABBCC");
        QCOMPARE(Ucs2Bytes(text), bytes);
        QCOMPARE(int(TextToUcs2Bytes(out, text)), text.isEmpty() ? 0 : 1);
        QCOMPARE(out, text.isEmpty() ? QByteArray::fromHex("AABBCC") : '\0' + bytes);
        QVERIFY(!ran);
        QCoreApplication::processEvents();
    }

    void hexColonAndAnsi()
    {
        QCOMPARE(BytesToHexColon(QByteArray::fromHex("1A0A00FF")), QStringLiteral("1A:0A:00:FF:"));
        QCOMPARE(BytesToHexColon(QByteArray()), QString());
        // GBK: the two characters 中文 are D6 D0 CE C4.
        QCOMPARE(ToAnsi(QStringLiteral("中文")), QByteArray::fromHex("D6D0CEC4"));
        QCOMPARE(FromAnsi(QByteArray::fromHex("D6D0CEC4")), QStringLiteral("中文"));
    }

    void resetSharedValues()
    {
        ProtocolId = RxStep = 7;
        RxBytes = "x";
        ModeChoiceFlags[2] = OfflineStart = true;
        ResetSharedValues();
        QVERIFY(!ProtocolId && !RxStep && RxBytes.isEmpty() && !ModeChoiceFlags[2] &&
                !OfflineStart);
    }
};

QTEST_GUILESS_MAIN(TestByteRoutines)
#include "tst_byteroutines.moc"
