// Throughput of the alarm-module reply parser on a long stream that mixes every reply kind:
// the parameter replies of the read-all sequence, the phone table, both settings records, the
// text results after writes, the input state, noise between frames, and the communication-test
// replies of both text machines. The bytes arrive through the real SerialLink over the memory
// line in pieces of the given size (as a serial driver hands them over); the settle wait of the
// variable-length steps is ended by calling its tick directly, as a quiet line would.
//
// Reported: bytes_per_second (the line itself carries 11,520 bytes/s at 115200 baud).

#include "alarm/AlarmReplyParser.h"
#include "core/MemorySerialBackend.h"
#include "core/SerialLink.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <functional>
#include <vector>

namespace {

// What the sender records before the reply comes.
using Before = std::function<void(AlarmReplyParser &)>;
struct Reply {
    Before before;
    QByteArray bytes;
};

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray P = hex("1A2A3A4A5A6A7A8A");

void frameTab(AlarmReplyParser &p)
{
    p.setFrameMachine(true);
    p.reset();
}

QByteArray record(int length)
{
    QByteArray body = hex("03 02 06 85 0E") + QByteArray("ALARM").leftJustified(90, '\0');
    body += hex("8BBE59075DF25F00542F000D000A").leftJustified(90, '\0') + hex("05 03");
    body = body.left(length);
    int sum = 0;
    for (const char b : std::as_const(body))
        sum += quint8(b);
    return QByteArray(1, '\0') + char(length + 1) + char(sum % 256) + body;
}

std::vector<Reply> replyMix()
{
    std::vector<Reply> mix;
    auto frame = [&mix](const QByteArray &bytes, Before before = frameTab) {
        mix.push_back({std::move(before), bytes});
    };
    // The read-all sequence of a module in passive work form with everything switched on.
    frame(P + hex("AB 00 0A 05"));
    frame(P + hex("EC 00 20 20 56 33 2E 30 35 20 20 20 20"));
    frame(P + hex("A3 00 00 00 2E E0"));
    frame(P + hex("A1 00 03"));
    frame(P + hex("F1 00 31 52 24 08"));
    frame(P + hex("F8 00 00"));
    frame(P + hex("E2 00 1A 2B"));
    frame(P + hex("F9 00 00"));
    frame(P + hex("FB 00 00"));
    frame(P + hex("A2 00 01 01 23 45 67 89"));
    frame(P + hex("E1 00 05 0A 10 01"));
    frame(P + hex("D3 00 01"));
    frame(P + hex("D2 00 00 03 00 19"));
    frame(P + hex("DB 00 01"));
    frame(P + hex("F2 00 06"));
    frame(P + hex("FD 02"));
    frame(P + hex("AC 00 01 02 03 00 01 02 03 04"));
    frame(hex("00 FF 8A 2A 1A2A3A4A5A6A7A8B 55") + P + hex("F8 00 01")); // noise, bad preamble
    // Phone table: read (20 entries), write result, clear result.
    QByteArray table;
    for (int i = 0; i < 20; ++i)
        table += hex("01 38 00 13 80") + char(i);
    int sum = 20;
    for (const char b : std::as_const(table))
        sum += quint8(b);
    frame(P + hex("D9 00") + char(sum % 256) + char(20) + table, [](AlarmReplyParser &p) {
        frameTab(p);
        p.setPhoneTableOp(AlarmReplyParser::PhoneOp::Read);
    });
    frame(P + hex("D9 00") + "SETOK:", [](AlarmReplyParser &p) {
        frameTab(p);
        p.setPhoneTableOp(AlarmReplyParser::PhoneOp::Write);
    });
    frame(P + hex("D9 00") + "CLROK:", [](AlarmReplyParser &p) {
        frameTab(p);
        p.setPhoneTableOp(AlarmReplyParser::PhoneOp::Clear);
    });
    // Settings records: read back and write results.
    frame(P + hex("B4") + record(187), [](AlarmReplyParser &p) {
        frameTab(p);
        p.expectInputRead(3);
    });
    frame(P + hex("B4 03") + "SETOK:", [](AlarmReplyParser &p) {
        frameTab(p);
        p.expectInputWrite(3);
    });
    QByteArray relay = hex("02 03 0A 05 07 06 82 8BBE59075173").leftJustified(67, '\0');
    relay += QByteArray("ON").leftJustified(60, '\0') + hex("01 00");
    sum = 0;
    for (const char b : std::as_const(relay))
        sum += quint8(b);
    frame(P + hex("B5 00 82") + char(sum % 256) + relay, [](AlarmReplyParser &p) {
        frameTab(p);
        p.expectRelayRead(3);
    });
    frame(P + hex("B5 03") + "SETFAIL:", [](AlarmReplyParser &p) {
        frameTab(p);
        p.expectRelayWrite(3);
    });
    frame(QByteArray("<0>"), [](AlarmReplyParser &p) {
        frameTab(p);
        p.expectInputState(3);
    });
    // Communication test, passive module: send state, read a 140-byte message, error reply.
    auto passive = [](qint16 command) {
        return [command](AlarmReplyParser &p) {
            p.setFrameMachine(false);
            p.setModuleForm(0, 1);
            p.reset();
            p.setTestCommand(command);
        };
    };
    frame(hex("21 12 34 00 02 00"), passive(2));
    frame(hex("21 12 34 00 8C") + QByteArray(140, 'm'), passive(1));
    frame(hex("3F 01 02 03"), passive(1));
    // Active module: format transmission results and a message, then transparent data.
    frame(hex("D7 FA D7 01") + QByteArray(140, 'a'), [](AlarmReplyParser &p) {
        p.setFrameMachine(false);
        p.setModuleForm(1, 1);
        p.reset();
    });
    frame(QByteArray(200, 't'), [](AlarmReplyParser &p) {
        p.setFrameMachine(false);
        p.setModuleForm(1, 0);
        p.reset();
    });
    return mix;
}

void BM_AlarmParserMixedStream(benchmark::State &state)
{
    const int piece = int(state.range(0));
    SerialLink link;
    auto *line = new MemorySerialBackend;
    link.setBackend(line);
    link.open();
    AlarmReplyParser parser(link);
    link.setReceiveHandler([&parser] { parser.parse(); });
    qint64 replies = 0;
    parser.setReplyHandler([&replies](const AlarmReplyValue &) { ++replies; });

    // About 100 KB of replies per pass, cut into pieces beforehand (the cutting is not parsing).
    const std::vector<Reply> mix = replyMix();
    std::vector<std::vector<QByteArray>> pieces;
    qint64 mixBytes = 0;
    for (const Reply &r : mix) {
        mixBytes += r.bytes.size();
        pieces.emplace_back();
        for (int at = 0; at < r.bytes.size(); at += piece)
            pieces.back().push_back(r.bytes.mid(at, piece));
    }
    const int rounds = int(100000 / mixBytes) + 1;

    qint64 bytes = 0;
    qint64 quiet = 0;
    for (auto _ : state) {
        for (int round = 0; round < rounds; ++round) {
            for (size_t k = 0; k < mix.size(); ++k) {
                mix[k].before(parser);
                for (const QByteArray &p : pieces[k])
                    line->inject(p);
                // The line goes quiet after each reply.
                if (parser.quietTimer().isActive()) {
                    parser.quietElapsed();
                    ++quiet;
                }
            }
            bytes += mixBytes;
        }
        if (link.bytesWaiting() != 0)
            state.SkipWithError("bytes left unparsed");
    }
    state.SetBytesProcessed(bytes);
    state.counters["replies"] =
        benchmark::Counter(double(rounds * qint64(mix.size())) * double(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["quiet_ends_per_pass"] =
        double(quiet) / double(qMax<qint64>(1, state.iterations()));
    benchmark::DoNotOptimize(replies);
}
BENCHMARK(BM_AlarmParserMixedStream)
    ->Arg(1)
    ->Arg(16)
    ->Arg(64)
    ->Arg(4096)
    ->Unit(benchmark::kMillisecond);

// Reference: the same pieces through the memory line, SerialLink and the receive dispatch to a
// handler that only reads what waits. The difference to the benchmark above is the parser.
void BM_LineAndDispatchOnly(benchmark::State &state)
{
    const int piece = int(state.range(0));
    SerialLink link;
    auto *line = new MemorySerialBackend;
    link.setBackend(line);
    link.open();
    link.setReceiveHandler([&link] { link.readBytes(0); });
    link.setThreshold(1);

    const std::vector<Reply> mix = replyMix();
    std::vector<QByteArray> pieces;
    qint64 mixBytes = 0;
    for (const Reply &r : mix) {
        mixBytes += r.bytes.size();
        for (int at = 0; at < r.bytes.size(); at += piece)
            pieces.push_back(r.bytes.mid(at, piece));
    }
    const int rounds = int(100000 / mixBytes) + 1;
    qint64 bytes = 0;
    for (auto _ : state) {
        for (int round = 0; round < rounds; ++round) {
            for (const QByteArray &p : pieces)
                line->inject(p);
            bytes += mixBytes;
        }
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_LineAndDispatchOnly)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
