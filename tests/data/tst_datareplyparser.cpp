// The data-module reply parser: literal reply bytes -> the replies it emits (their describe()
// text), each fed whole, byte by byte and in random pieces through the real SerialLink.

#include "core/SerialLink.h"
#include "data/DataReplyParser.h"
#include "support/AlarmTestKit.h"
#include "support/TestSupport.h"

#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

namespace {

struct Run {
    QStringList replies;
    qint64 left = 0;
};

// "param": the parameter machine; else the data machine with work mode, transmission mode and
// the request answered next ("01p": passive, format, poll; s send, m memory check).
Run feed(const QString &conditions, const QByteArray &bytes, Feed how, quint32 seed)
{
    MemoryLine mem(true);
    MemorySerialBackend *line = mem.backend;
    DataReplyParser parser(*mem);
    mem->bindReceiver(&parser, [&parser] { parser.parse(); });
    using Request = DataReplyParser::Request;
    const QChar ask = conditions.size() > 2 ? conditions.at(2) : QChar();
    parser.expectAnswerTo(ask == 'p'   ? Request::Poll
                          : ask == 'm' ? Request::EmptyCheck
                                       : Request::Send);
    parser.setParameterMachine(conditions == "param");
    parser.setModuleForm(conditions.at(0) == '1', conditions.at(1) == '1');
    parser.reset();
    Run run;
    // A data reply with every byte it was read from.
    parser.setReplyHandler([&run](const DataReplyValue &r) {
        const QByteArray received = dataBytes(r);
        run.replies << describe(r) + (received.isEmpty() ? "" : " = " + received.toHex(':'));
    });
    FeedLine(line, bytes, how, seed);
    QCoreApplication::processEvents();
    run.left = mem->bytesWaiting();
    return run;
}

} // namespace

class TestDataReplyParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void replies_data()
    {
        QTest::addColumn<QString>("conditions");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char *tag, const char *conditions, const char *bytes,
                      const QStringList &expected) {
            QTest::newRow(tag) << QString::fromUtf8(conditions) << hex(bytes) << expected;
        };
        row("notice 1", "param", P "FD 01", {"FD notice 1"});
        row("version", "param", P "EC 03 56 58 38 4B 20 56 31 2E 30 35 20",
            {"EC version VX8K V1.05"});
        row("passive address", "param", P "E2 03 30 35", {"E2 passive-address 30:35:"});
        row("target", "param", P "F3 03 3F 00", {"F3 target 3-F00"});
        row("identity read back", "param", P "F4 03 10 12", {"F4 identity 1-012"});
        row("identity set", "param", P "F4 FA", {"F4 status 250"});
        row("F5 consumed", "param", P "F5 01 02 03 04 05 06 07 08 09" P "E4 03 07",
            {"F5 skipped", "E4 restarts 7"});
        row("heartbeat 300", "param", P "F6 03 01 2C", {"F6 heartbeat 300秒"});
        row("heartbeat above 32767 stays positive", "param", P "F6 03 FF FF",
            {"F6 heartbeat 65535秒"});
        row("work mode active", "param", P "F8 03 01", {"F8 work-mode 主动方式"});
        row("format", "param", P "F9 03 00", {"F9 data-format 透明传输"});
        row("transparent mode 2", "param", P "FB 03 00", {"FB transparent 方式2"});
        row("address parameters, Wex", "param", P "E1 03 01 02 1E 07",
            {"E1 address 1 2 30 Wex模式"});
        row("baud 115200", "param", P "F2 0B", {"F2 baud 11 115200bps"});
        row("baud code 2 has no text", "param", P "F2 02", {"F2 baud 2 "});
        row("power saving", "param", P "D3 03 01", {"D3 power 有省电"});
        row("wake delays 1000 ms", "param", P "D2 03 00 02 00 19", {"D2 wake 0.8s   10s"});
        row("wake mode", "param", P "DB 03 00", {"DB wake-mode 模式1"});
        row("garbage, broken preamble, unknown code", "param",
            "00 FF 1A 2A 3A 00" P "77 66 F8 03 00", {"F8 work-mode 被动方式"});
        row("a lead byte where a code belongs", "param", "1A2A3A4A5A6A7A8A" P "E4 03 02",
            {"E4 restarts 2"});
        // Data machine.
        row("passive send ack", "01s", "55 21 12 34 0D", {"! 1234 = 21:12:34:0d"});
        row("passive refused", "00s", "3F 01 02 03", {"? 01:02:03 = 3f:01:02:03"});
        row("passive memory", "00m", "21 12 34 57 01 0D", {"memory 1 = 21:12:34:57:01:0d"});
        row("passive poll, nothing", "00p", "21 12 34 00 00 0D", {"! 1234 = 21:12:34:00:00:0d"});
        row("passive poll, transparent data", "00p", "21 12 34 00 03 AA BB CC 0D",
            {"data from [] AA:BB:CC = 21:12:34:00:03:aa:bb:cc:0d"});
        row("passive poll, format data", "01p", "21 12 34 00 08 D7 01 56 78 00 02 AA BB 0D",
            {"data from [56:78] AA:BB = 21:12:34:00:08:d7:01:56:78:00:02:aa:bb:0d"});
        row("active results and data", "11", "D7 FA 00 D7 FF D7 FC D7 01 56 78 00 02 01 02",
            {"D7 result FA = d7:fa", "D7 result FF = d7:ff", "D7 result FC = d7:fc",
             "data from [56:78] 01:02 = d7:01:56:78:00:02:01:02"});
        row("active, empty data", "11", "D7 01 56 78 00 00 D7 FA",
            {"data from [56:78]  = d7:01:56:78:00:00", "D7 result FA = d7:fa"});
    }
    void replies()
    {
        QFETCH(QString, conditions);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        for (Feed how : {Feed::Whole, Feed::ByteByByte, Feed::RandomPieces}) {
            for (quint32 seed : {1u, 7u}) {
                const Run run = feed(conditions, bytes, how, seed);
                QCOMPARE(run.replies, expected);
                QCOMPARE(run.left, qint64(0));
                if (how != Feed::RandomPieces)
                    break;
            }
        }
    }

    // Transparent data in active mode are whatever arrives; a machine switch in the middle
    // of a reply starts over in the other machine.
    void activeTransparentAndSwitch()
    {
        QCOMPARE(feed("10", hex("01 02 03 04"), Feed::Whole, 1).replies,
                 QStringList{"data from [] 01:02:03:04 = 01:02:03:04"});
        MemoryLine mem(true);
        MemorySerialBackend *line = mem.backend;
        DataReplyParser parser(*mem);
        QStringList replies;
        parser.setReplyHandler([&](const DataReplyValue &r) { replies << describe(r); });
        mem->bindReceiver(&parser, [&parser] { parser.parse(); });
        parser.reset();
        line->inject(hex(P "F6 03"));
        QCoreApplication::processEvents();
        parser.setParameterMachine(false);
        parser.setModuleForm(1, 1);
        line->inject(hex("01 2C D7 FA"));
        QCoreApplication::processEvents();
        QCOMPARE(replies, QStringList{"D7 result FA"});
    }
};

QTEST_GUILESS_MAIN(TestDataReplyParser)
#include "tst_datareplyparser.moc"
