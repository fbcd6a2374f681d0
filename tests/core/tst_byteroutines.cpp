// Byte and text routines shared by frame builders, parsers and input boxes.
#include "core/ByteRoutines.h"
#include "core/Module1.h"

#include <QtTest>

class TestByteRoutines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void byteToHex_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("hex");
        QTest::newRow("zero") << 0 << "00";
        QTest::newRow("one digit") << 10 << "0A";
        QTest::newRow("fifteen") << 15 << "0F";
        QTest::newRow("sixteen") << 16 << "10";
        QTest::newRow("preamble byte") << 0x1A << "1A";
        QTest::newRow("max") << 255 << "FF";
    }
    void byteToHex()
    {
        QFETCH(int, value);
        QFETCH(QString, hex);
        QCOMPARE(ByteToHex(quint8(value)), hex);
    }

    void hexDigitValue_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("value");
        QTest::newRow("0") << int('0') << 0;
        QTest::newRow("9") << int('9') << 9;
        QTest::newRow("A") << int('A') << 10;
        QTest::newRow("F") << int('F') << 15;
        QTest::newRow("lower a is not a digit") << int('a') << 0;
        QTest::newRow("G") << int('G') << 0;
        QTest::newRow("colon") << int(':') << 0;
        QTest::newRow("high byte") << 200 << 0;
    }
    void hexDigitValue()
    {
        QFETCH(int, code);
        QFETCH(int, value);
        QCOMPARE(int(HexDigitValue(quint8(code))), value);
    }

    void keyFilters_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("hexResult");
        QTest::addColumn<int>("digitResult");
        QTest::newRow("backspace kept") << 8 << 8 << 8;
        QTest::newRow("enter dropped") << 13 << 0 << 0;
        QTest::newRow("space dropped") << 32 << 0 << 0;
        QTest::newRow("tab dropped") << 9 << 0 << 0;
        QTest::newRow("NUL dropped") << 0 << 0 << 0;
        QTest::newRow("digit 7") << int('7') << int('7') << int('7');
        QTest::newRow("colon") << int(':') << 0 << 0;
        QTest::newRow("@") << int('@') << 0 << 0;
        QTest::newRow("A") << int('A') << int('A') << 0;
        QTest::newRow("F") << int('F') << int('F') << 0;
        QTest::newRow("G") << int('G') << 0 << 0;
        QTest::newRow("backquote") << 96 << 0 << 0;
        QTest::newRow("a to A") << int('a') << int('A') << 0;
        QTest::newRow("b to B") << int('b') << int('B') << 0;
        QTest::newRow("f to F") << int('f') << int('F') << 0;
        QTest::newRow("g") << int('g') << 0 << 0;
        QTest::newRow("tilde") << 126 << 0 << 0;
        QTest::newRow("DEL passes") << 127 << 127 << 127;
        QTest::newRow("high code passes") << 0x4E2D << 0x4E2D << 0x4E2D;
        QTest::newRow("negative passes") << -20 << -20 << -20;
    }
    void keyFilters()
    {
        QFETCH(int, key);
        QFETCH(int, hexResult);
        QFETCH(int, digitResult);
        qint16 k = qint16(key);
        FilterHexKey(k);
        QCOMPARE(int(k), hexResult);
        k = qint16(key);
        FilterDigitKey(k);
        QCOMPARE(int(k), digitResult);
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
        QTest::newRow("sum 256 is 0") << QByteArray::fromHex("80 80") << 0 << 2 << 0;
        QTest::newRow("all zero") << QByteArray(30, '\0') << 0 << 30 << 0;
        QTest::newRow("range past end counts nothing more")
            << QByteArray::fromHex("0102") << 0 << 10 << 3;
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
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("letter A") << QStringLiteral("A") << 1 << QByteArray::fromHex("000041");
        QTest::newRow("zhong A") << QStringLiteral("\u4E2DA") << 1
                                 << QByteArray::fromHex("004E2D0041");
        QTest::newRow("surrogate pair")
            << QString::fromUcs4(U"\U0001F600") << 1 << QByteArray::fromHex("00D83DDE00");
    }
    void ucs2()
    {
        QFETCH(QString, text);
        QFETCH(int, result);
        QFETCH(QByteArray, bytes);
        QByteArray out = QByteArray::fromHex("AABBCC");
        QCOMPARE(int(TextToUcs2Bytes(out, text)), result);
        QCOMPARE(out.toHex(' '), bytes.toHex(' '));
    }
    void ucs2EmptyLeavesArray()
    {
        QByteArray out = QByteArray::fromHex("AABBCC");
        QCOMPARE(int(TextToUcs2Bytes(out, QString())), 0);
        QCOMPARE(out, QByteArray::fromHex("AABBCC"));
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
