// The alarm-module reply parser: literal reply bytes -> the replies it emits (their describe()
// text), each fed whole, byte by byte and in random pieces through the real SerialLink; plus
// the timing rules of variable-length replies and a flooded line.

#include "alarm/AlarmReplyParser.h"
#include "core/SerialLink.h"
#include "support/AlarmTestKit.h"
#include "support/TestSupport.h"

#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

namespace {

// Sets the parser up as the senders would: "text work=0 transfer=1 cmd=2 di=r3 do=w phone=c
// state=5" (no word: frame machine, nothing asked).
void prepare(AlarmReplyParser &parser, const QString &conditions)
{
    int work = 0, transfer = 0;
    for (const QString &item : conditions.split(' ', Qt::SkipEmptyParts)) {
        const QString key = item.section('=', 0, 0), value = item.section('=', 1);
        const bool write = value.startsWith('w');
        const int number = value.mid(write || value.startsWith('r') ? 1 : 0).toInt();
        if (key == "text")
            parser.setFrameMachine(false);
        else if (key == "work")
            work = number;
        else if (key == "transfer")
            transfer = number;
        else if (key == "cmd")
            parser.setTestCommand(number);
        else if (key == "di")
            write ? parser.expectInputWrite(number) : parser.expectInputRead(number);
        else if (key == "do")
            write ? parser.expectRelayWrite(number) : parser.expectRelayRead(number);
        else if (key == "phone")
            parser.setPhoneTableOp(value == "w"   ? AlarmReplyParser::PhoneOp::Write
                                   : value == "c" ? AlarmReplyParser::PhoneOp::Clear
                                                  : AlarmReplyParser::PhoneOp::Read);
        else if (key == "state")
            parser.expectInputState(number);
    }
    parser.setModuleForm(quint8(work), quint8(transfer));
}

struct Run {
    QStringList replies;
    QString message;
    qint64 left = 0;
};

// Feeds bytes to a fresh parser on a memory line and collects the replies. Message data of the
// communication test comes in as many pieces as the line delivers: consecutive repeats are
// merged and the collected text is compared once at the end.
Run feed(const QString &conditions, const QByteArray &bytes, Feed how, quint32 seed = 1)
{
    MemoryLine mem(true);
    MemorySerialBackend *line = mem.backend;
    AlarmReplyParser parser(*mem);
    mem->bindReceiver(&parser, [&parser] { parser.parse(); });
    prepare(parser, conditions);
    parser.reset();
    Run run;
    parser.setReplyHandler([&run](const AlarmReplyValue &reply) {
        if (const auto *data = std::get_if<AlarmReply::TestData>(&reply)) {
            if (data->ended) // a message cut at the cap: its size is what matters
                run.replies << QStringLiteral("test data ended %1").arg(data->fields.size() / 3);
            return;
        }
        const QString text = describe(reply);
        if (run.replies.isEmpty() || run.replies.last() != text)
            run.replies << text;
    });
    // Gaps: pauses longer than the quiet time inside a reply whose header gives its length.
    FeedLine(line, bytes, how, seed);
    QCoreApplication::processEvents();
    run.message = parser.messageText();
    run.left = mem->bytesWaiting();
    return run;
}

} // namespace

class TestAlarmReplyParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A reset in the middle of a reply (a refresh, a new page) starts afresh: the next frame is
    // read whole, not as the rest of the one cut off.
    void resetStartsAfresh()
    {
        MemoryLine mem(true);
        AlarmReplyParser parser(*mem);
        mem->bindReceiver(&parser, [&parser] { parser.parse(); });
        QStringList seen;
        parser.setReplyHandler([&seen](const AlarmReplyValue &r) { seen << describe(r); });
        parser.reset();
        mem.backend->inject(hex(P "F8 00"));
        QCoreApplication::processEvents();
        parser.reset();
        mem.backend->inject(hex(P "F9 00 01"));
        QCoreApplication::processEvents();
        QCOMPARE(seen, QStringList{"F9 transfer-mode 01 format"});
    }

    void replies_data()
    {
        QTest::addColumn<QString>("conditions");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("message");
        auto row = [&](const char *tag, const char *conditions, const QByteArray &bytes,
                       const QStringList &expected, const QString &message = QString()) {
            QTest::newRow(tag) << QString::fromUtf8(conditions) << bytes << expected << message;
        };
        // Parameters of the read-all.
        row("FD 1", "", hex(P "FD 01"), {"FD init-done 1"});
        row("FD 4 waits for another value", "", hex(P "FD 04 02"), {"FD init-done 2"});
        row("F8 passive", "", hex(P "F8 00 00"), {"F8 work-form 00 passive"});
        row("F8 active", "", hex(P "F8 00 01"), {"F8 work-form 01 active"});
        row("F9 format", "", hex(P "F9 00 01"), {"F9 transfer-mode 01 format"});
        row("F9 transparent", "", hex(P "F9 00 00"), {"F9 transfer-mode 00 transparent"});
        row("A2 receiver", "", hex(P "A2 00 01 01 23 45 67 89"), {"A2 receiver 10123456789"});
        row("A1 both", "", hex(P "A1 00 03"), {"A1 password-mode 3"});
        row("F1 password", "", hex(P "F1 00 31 52 24 08"), {"F1 password 31:52:24:08:"});
        row("EC version", "", hex(P "EC 00 20 20 56 33 2E 30 35 20 20 20 20"),
            {"EC version \"V3.05\""});
        row("EC SETOK", "", hex(P "EC 5345544F4B3A"), {"text version-code \"SETOK:\" ok"});
        row("EC SETFAIL", "", hex(P "EC 5345544641494C3A"),
            {"text version-code \"SETFAIL:\" fail"});
        row("E2", "", hex(P "E2 00 1A 2B"), {"E2 passive-address 1A:2B:"});
        // Noise with a lead byte just before a frame: the frame is found again, not lost.
        row("stray lead bytes before a frame", "", hex("1A 2A 00 55 1A 1A " P "DB 00 01"),
            {"DB wake-mode 2"});
        row("F2", "", hex(P "F2 00 06"), {"F2 baud-answer 6"});
        row("A3 12000 units", "", hex(P "A3 00 00 00 2E E0"), {"A3 restart 60 s"});
        row("A3 one unit", "", hex(P "A3 00 00 00 00 01"), {"A3 restart 0.005 s"});
        row("A3 largest", "", hex(P "A3 00 FF FF FF FF"), {"A3 restart 21474836.475 s"});
        row("FB mode 2", "", hex(P "FB 00 00"), {"FB transparent-mode 2"});
        row("FB mode 1", "", hex(P "FB 00 01"), {"FB transparent-mode 1"});
        row("E1", "", hex(P "E1 00 05 0A 10 01"), {"E1 address start 5 group 10 length 16 type 1"});
        row("D3 off", "", hex(P "D3 00 00"), {"D3 power-saving off"});
        row("D3 on", "", hex(P "D3 00 01"), {"D3 power-saving on"});
        row("D2", "", hex(P "D2 00 00 03 00 19"), {"D2 wake idle 1.2 s data 10 s"});
        row("D2 largest", "", hex(P "D2 00 FF FF FF FF"), {"D2 wake idle 26214 s data 26214 s"});
        row("DB mode 2", "", hex(P "DB 00 05"), {"DB wake-mode 2"});
        row("AB", "", hex(P "AB 00 0A 05"), {"AB model A5"});
        row("AC", "", hex(P "AC 00 01 02 03 00 01 02 03 04"), {"AC modes 1 2 3 0 1 2 3 4"});
        // Phone table: the count and the checksum come first, then 120 bytes.
        row("D9 two entries", "phone=r",
            hex(P "D9 00 28 02 010123456789 013800138000") + zeros(108),
            {"D9 phone-table 2 checksum ok [10123456789 13800138000]"});
        row("D9 last byte counts", "phone=r",
            hex(P "D9 00 03 01 010000000000") + zeros(113) + hex("01"),
            {"D9 phone-table 1 checksum ok [10000000000]"});
        row("D9 checksum wrong", "phone=r",
            hex(P "D9 00 29 02 010123456789 013800138000") + zeros(108),
            {"D9 phone-table 2 checksum 29 wrong, expected 28 []"});
        row("D9 count 21", "phone=r", hex(P "D9 00 00 15"), {"D9 phone-table empty (count 21)"});
        row("D9 count 0, next frame read", "phone=r", hex(P "D9 00 00 00" P "DB 00 00"),
            {"D9 phone-table empty (count 0)", "DB wake-mode 1"});
        row("D9 write SETOK", "phone=w", hex(P "D9 00 5345544F4B3A"),
            {"text phone-write \"SETOK:\" ok"});
        row("D9 clear CLRFAIL", "phone=c", hex(P "D9 00 434C524641494C3A"),
            {"text phone-clear \"CLRFAIL:\" fail"});
        row("D9 text then a frame at once", "phone=w", hex(P "D9 00 5345544F4B3A" P "F8 00 01"),
            {"text phone-write \"SETOK:\" ok", "F8 work-form 01 active"});
        // Settings records.
        row("B4 write: status 2 ignored, then 3 and the text", "di=w1",
            hex(P "B4 02 03 5345544641494C3A"), {"text record-write \"SETFAIL:\" fail"});
        row("A5 write", "di=w1", hex(P "A5 03 5345544F4B3A"), {"text record-write \"SETOK:\" ok"});
        row("B5 write", "do=w2", hex(P "B5 03 5345544F4B3A"), {"text record-write \"SETOK:\" ok"});
        row("B4 read: English and Chinese texts", "di=r3",
            hex(P "B4 00 BC 46 03 02 06 87 0E 20414C41524D20") + zeros(83) +
                hex("8BBE59075DF25F00542F000D000A") + zeros(76) + hex("05 03"),
            {"B4 input 3 checksum ok trigger 3 group 2 interval 6 flags 135/14 low \" ALARM \" "
             "high \"设备已开启\r\n\" count 5 relay 3"});
        row("B4 read: last byte in the checksum", "di=r0",
            hex(P "B4 00 BC 07") + zeros(186) + hex("07"),
            {"B4 input 0 checksum ok trigger 0 group 0 interval 0 flags 0/0 low \"\" high \"\" "
             "count 0 relay 7"});
        row("B4 read: checksum wrong", "di=r3",
            hex(P "B4 00 BC 47 03 02 06 87 0E 20414C41524D20") + zeros(83) +
                hex("8BBE59075DF25F00542F000D000A") + zeros(76) + hex("05 03"),
            {"B4 input 3 checksum 47 wrong, expected 46"});
        row("B4 read: short record", "di=r1", hex(P "B4 00 04 0C 01 01 0A"),
            {"B4 input 1 checksum ok trigger 1 group 1 interval 10 flags -/- low - high - "
             "count - relay -"});
        row("B4 read: record of length 1 is empty", "di=r1", hex(P "B4 00 01 00" P "DB 00 00"),
            {"B4 input 1 checksum ok trigger - group - interval - flags -/- low - high - count - "
             "relay -",
             "DB wake-mode 1"});
        row("B5 read", "do=r4",
            hex(P "B5 00 82 AE 02 03 0A 05 07 06 82 8BBE59075173") + zeros(54) + hex("4F4E") +
                zeros(58) + hex("01 00"),
            {"B5 relay 4 checksum ok mode 2 reply 3 delays 10/5/7 flags 6/130 low \"设备关\" "
             "high \"ON\" hold 1"});
        // Input state and resynchronisation.
        row("input state", "state=3", hex("3C 31" P "DB 00 00"),
            {"< input-state DI3 = 0", "DB wake-mode 1"});
        row("input state unasked", "", hex("3C 30"), {"< input-state unasked 30"});
        row("preamble ending 8B dropped", "", hex("1A2A3A4A5A6A7A8B" P "F9 00 01"),
            {"F9 transfer-mode 01 format"});
        row("a lead byte just before a frame", "", hex("1A" P "F9 00 01"),
            {"F9 transfer-mode 01 format"});
        row("noise before a frame", "", hex("00 FF 8A 2A" P "DB 00 00"), {"DB wake-mode 1"});
        row("unknown code", "", hex(P "77 00 00" P "D3 00 01"), {"D3 power-saving on"});
        // Passive text machine.
        row("passive send state", "text work=0 cmd=2", hex("21 12 34 00 02 00"),
            {"test line 21:12:34:00:02:00: 正在发送"});
        row("passive sent", "text work=0 cmd=2", hex("21 12 34 05 00 00"),
            {"test line 21:12:34:05:00:00: 发送成功"});
        row("passive send answer", "text work=0 cmd=3", hex("21 12 34 05"),
            {"test line 21:12:34:05: 格式正确"});
        row("passive no SMS", "text work=0 cmd=1", hex("21 12 34 00 00 00"),
            {"test line 21:12:34:00:00:00: 读短信空"});
        row("passive message", "text work=0 cmd=1", hex("21 12 34 00 05 41 42"),
            {"test status 接收短信"}, "21:12:34:00:05:41:42:");
        row("passive error", "text work=0 cmd=1", hex("55 3F 01 02 03"),
            {"test line 3F:01:02:03: 格式错误"});
        // Active text machine.
        row("active transparent", "text work=1 transfer=0", hex("48 49"), {}, "48:49:");
        row("active format sent", "text work=1 transfer=1", hex("00 D7 FA"),
            {"test line D7:FA: 发送成功"});
        row("active format not online", "text work=1 transfer=1", hex("D7 FF"),
            {"test line D7:FF: 没有上网"});
        row("active format D8 message", "text work=1 transfer=1", hex("D8 41 42"), {}, "D8:41:42:");
        row("active format message", "text work=1 transfer=1", hex("D7 01 41 42"),
            {"test status 接收短信"}, "D7:01:41:42:");
        // An answer byte that is none of FA/FC/FF/01 sends the machine back: the FA after it is
        // not taken as "sent".
        row("active format unknown answer dropped", "text work=1 transfer=1", hex("D7 55 FA"), {});
        // A module that never goes quiet: the message ends at 4096 bytes and a new one begins.
        row("active transparent message cap", "text work=1 transfer=0", QByteArray(5000, 'A'),
            {"test data ended 4096"}, QString("41:").repeated(904));
    }

    void replies()
    {
        QFETCH(QString, conditions);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QFETCH(QString, message);
        for (const Feed how : {Feed::Whole, Feed::ByteByByte, Feed::RandomPieces, Feed::Gaps}) {
            if (how == Feed::Gaps && bytes.size() < 100)
                continue; // only the phone table and the records have their length in a header
            const Run run = feed(conditions, bytes, how, 7);
            QCOMPARE(run.replies, expected);
            QCOMPARE(run.message, message);
            QCOMPARE(run.left, 0);
        }
    }

    // Text answers end at their known ending or after 50 ms of quiet with at least six bytes;
    // a shorter text waits for more (a partial reply has no time limit).
    void textEndings()
    {
        MemoryLine mem(true);
        MemorySerialBackend *line = mem.backend;
        AlarmReplyParser parser(*mem);
        mem->bindReceiver(&parser, [&parser] { parser.parse(); });
        QStringList got;
        parser.setReplyHandler([&got](const AlarmReplyValue &r) { got << describe(r); });
        parser.setPhoneTableOp(AlarmReplyParser::PhoneOp::Write);
        parser.reset();
        QCOMPARE(parser.quietTimer().interval(), 50);
        QVERIFY(parser.quietTimer().isSingleShot());

        line->inject(hex(P "D9 00 5345544F"));
        QCoreApplication::processEvents();
        QVERIFY(parser.quietTimer().isActive());
        parser.quietElapsed(); // five bytes: still waiting
        QVERIFY(got.isEmpty());
        line->inject(hex("4B 21"));
        QCoreApplication::processEvents();
        parser.quietElapsed();
        QCOMPARE(got, QStringList{"text phone-write \"SETOK!\" none"});
        line->inject(hex(P "DB 00 01"));
        QCoreApplication::processEvents();
        QCOMPARE(got.last(), QStringLiteral("DB wake-mode 2"));
    }

    // A flooded line never stalls the parser and never grows what waits unread; once the junk
    // stops, a reply is read again.
    void flood()
    {
        MemoryLine mem(true);
        MemorySerialBackend *line = mem.backend;
        AlarmReplyParser parser(*mem);
        QStringList got;
        parser.setReplyHandler([&got](const AlarmReplyValue &r) { got << describe(r); });
        parser.reset();
        // Nobody reads while the window is busy (a message box is open): the line stays bounded.
        QByteArray junk(1 << 20, '\x55');
        for (int i = 0; i < 4; ++i)
            line->inject(junk);
        QVERIFY(mem->bytesWaiting() <= 64 * 1024);
        mem->bindReceiver(&parser, [&parser] { parser.parse(); });
        line->inject(hex(P "EC 5345"));
        QCoreApplication::processEvents();
        QCOMPARE(mem->bytesWaiting(), 0);
        line->inject(hex("544F4B3A"));
        QCoreApplication::processEvents();
        QCOMPARE(got, QStringList{"text version-code \"SETOK:\" ok"});
    }
};

QTEST_GUILESS_MAIN(TestAlarmReplyParser)
#include "tst_alarmreplyparser.moc"
