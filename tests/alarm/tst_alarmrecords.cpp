// The two settings records: text fields in English (ANSI) and Chinese (UTF-16), the size limits
// of the fields, and decoding of read-back records including short ones.

#include "alarm/AlarmChecks.h"
#include "alarm/AlarmRecords.h"
#include "support/AlarmTestKit.h"

#include <QtTest>

using namespace AlarmRecords;

Q_DECLARE_METATYPE(AlarmRecords::RecordText)

class TestAlarmRecords : public QObject
{
    Q_OBJECT

private slots:
    void encodeText_data();
    void encodeText();
    void decodeText_data();
    void decodeText();
    void trimSpaces_data();
    void trimSpaces();
    void recordTooLong();
    void recordWithoutGbk_data();
    void recordWithoutGbk();
    void decodeRelayRecordShort();
};

void TestAlarmRecords::encodeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("english");
    QTest::addColumn<bool>("gbk"); // whether Qt converts GBK
    QTest::addColumn<int>("field");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("header");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty: header 0, no bytes")
        << QString() << true << true << 90 << true << 0 << QByteArray();
    QTest::newRow("design text with CR LF, 14 UCS-2 bytes")
        << QStringLiteral("设备已开启\r\n") << false << true << 90 << true << 14
        << hex("8BBE59075DF25F00542F000D000A");
    QTest::newRow("relay design text, 6 bytes")
        << QStringLiteral("设备开") << false << true << 60 << true << 6 << hex("8BBE59075F00");
    QTest::newRow("English ASCII") << QStringLiteral("Door open") << true << true << 90 << true
                                   << 0x89 << hex("446F6F72206F70656E");
    QTest::newRow("English mode Chinese goes out as GBK")
        << QStringLiteral("你好") << true << true << 90 << true << 0x84 << hex("C4E3BAC3");
    QTest::newRow("61 ASCII refused by the relay field")
        << QString(61, QLatin1Char('z')) << true << true << 60 << false << 0 << QByteArray();
    // A Qt without GBK (Windows without ICU): English text outside ASCII is refused, not sent in
    // some other code page; ASCII and Chinese-mode text are unaffected.
    QTest::newRow("no GBK: English Chinese refused")
        << QStringLiteral("你好") << true << false << 90 << false << 0 << QByteArray();
    QTest::newRow("no GBK: English ASCII as usual")
        << QStringLiteral("Door open") << true << false << 90 << true << 0x89
        << hex("446F6F72206F70656E");
    QTest::newRow("no GBK: Chinese mode as usual")
        << QStringLiteral("设备开") << false << false << 60 << true << 6 << hex("8BBE59075F00");
}

void TestAlarmRecords::encodeText()
{
    QFETCH(QString, text);
    QFETCH(bool, english);
    QFETCH(bool, gbk);
    QFETCH(int, field);
    QFETCH(bool, fits);
    QFETCH(int, header);
    QFETCH(QByteArray, bytes);
    quint8 head = 0xEE;
    QByteArray encoded("untouched");
    QCOMPARE(EncodeText({text, english}, field, &head, &encoded, gbk), fits);
    if (!fits)
        return;
    QCOMPARE(int(head), header);
    QCOMPARE(encoded.toHex(' '), bytes.toHex(' '));
}

void TestAlarmRecords::decodeText_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("text");

    QTest::newRow("English: only the counted bytes")
        << 0x83 << hex("414243444546") << QStringLiteral("ABC");
    QTest::newRow("English GBK Chinese") << 0x84 << hex("C4E3BAC300") << QStringLiteral("你好");
    QTest::newRow("English count beyond the field stops at the field")
        << 0xFF << hex("4142") << QStringLiteral("AB");
    QTest::newRow("Chinese: whole field, zeros not shown")
        << 0x04 << hex("6D4B8BD5000000000000") << QStringLiteral("测试");
    QTest::newRow("Chinese with CR LF")
        << 0x08 << hex("8BBE5907000D000A0000") << QStringLiteral("设备\r\n");
    QTest::newRow("Chinese: odd last byte ignored") << 0x02 << hex("004100") << QStringLiteral("A");
    QTest::newRow("empty field") << 0x00 << QByteArray() << QString();
}

void TestAlarmRecords::decodeText()
{
    QFETCH(int, flag);
    QFETCH(QByteArray, field);
    QFETCH(QString, text);
    QCOMPARE(DecodeText(quint8(flag), field), text);
}

void TestAlarmRecords::trimSpaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("spaces both sides") << QStringLiteral("  ab c ") << QStringLiteral("ab c");
    QTest::newRow("line break kept") << QStringLiteral(" 设备\r\n") << QStringLiteral("设备\r\n");
    QTest::newRow("only spaces") << QStringLiteral("   ") << QString();
}

void TestAlarmRecords::trimSpaces()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(TrimSpaces(text), trimmed);
}

void TestAlarmRecords::recordTooLong()
{
    QByteArray record("kept");
    DiRecordValues di;
    di.low = {QString(46, QChar(0x6D4B)), false};
    QCOMPARE(EncodeDiRecord(di, &record), EncodeResult::LowTextTooLong);
    di.low = {};
    di.high = {QString(91, QLatin1Char('x')), true};
    QCOMPARE(EncodeDiRecord(di, &record), EncodeResult::HighTextTooLong);
    DoRecordValues relay;
    relay.high = {QString(31, QChar(0x5F00)), false};
    QCOMPARE(EncodeDoRecord(relay, &record), EncodeResult::HighTextTooLong);
    QCOMPARE(record, QByteArray("kept"));
}

void TestAlarmRecords::recordWithoutGbk_data()
{
    QTest::addColumn<bool>("relay"); // the relay record, else the input record
    QTest::addColumn<RecordText>("low");
    QTest::addColumn<RecordText>("high");
    QTest::addColumn<int>("result");
    const RecordText ascii{QStringLiteral("Door"), true};
    const RecordText chinese{QStringLiteral("门开"), false};
    const RecordText gbk{QStringLiteral("门开"), true};
    QTest::newRow("input, GBK text low") << false << gbk << ascii << int(EncodeResult::NoGbk);
    QTest::newRow("input, GBK text high") << false << chinese << gbk << int(EncodeResult::NoGbk);
    QTest::newRow("input, ASCII and Chinese") << false << ascii << chinese << int(EncodeResult::Ok);
    // Said before the length: shortening the text would not help.
    QTest::newRow("relay, long GBK text") << true << RecordText{QString(70, QChar(0x95E8)), true}
                                          << ascii << int(EncodeResult::NoGbk);
    QTest::newRow("relay, GBK text high") << true << ascii << gbk << int(EncodeResult::NoGbk);
    QTest::newRow("relay, ASCII both") << true << ascii << ascii << int(EncodeResult::Ok);
}

void TestAlarmRecords::recordWithoutGbk()
{
    QFETCH(bool, relay);
    QFETCH(RecordText, low);
    QFETCH(RecordText, high);
    QFETCH(int, result);
    QByteArray record("kept");
    EncodeResult got;
    if (relay) {
        DoRecordValues values;
        values.low = low;
        values.high = high;
        got = EncodeDoRecord(values, &record, false);
    } else {
        DiRecordValues values;
        values.low = low;
        values.high = high;
        got = EncodeDiRecord(values, &record, false);
    }
    QCOMPARE(int(got), result);
    QCOMPARE(record.size(), got == EncodeResult::Ok ? (relay ? 129 : 187) : 4);
}

void TestAlarmRecords::decodeRelayRecordShort()
{
    // Ends inside the low-level text field: the text and everything after it are missing.
    const QByteArray record = hex("02 00 05 06 07 00 82 4F4E");
    const DoRecordFields f = DecodeDoRecord(record);
    QCOMPARE(f.mode.value_or(0), quint8(2));
    QCOMPARE(f.lowDelay.value_or(0), quint8(7));
    QCOMPARE(f.highFlag.value_or(0), quint8(0x82));
    QVERIFY(!f.lowText); // a UTF-16 field needs all 60 bytes
    QVERIFY(!f.highText);
    QVERIFY(!f.hold);
    // Ends right after a short English high-level text: that text is whole.
    const QByteArray exact = hex("02 00 05 06 07 82 82") + "OF" + QByteArray(58, '\0') + "ON";
    QCOMPARE(DecodeDoRecord(exact).highText.value_or("-"), QStringLiteral("ON"));
    // The first character beyond ASCII already needs "汉字".
    QVERIFY(AlarmChecks::NeedsChinese(QString(QChar(0x80))) &&
            !AlarmChecks::NeedsChinese(QStringLiteral("~")));
}

QTEST_GUILESS_MAIN(TestAlarmRecords)
#include "tst_alarmrecords.moc"
