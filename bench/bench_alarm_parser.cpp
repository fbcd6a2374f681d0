// Throughput of the alarm-module reply parser on a long stream that mixes every reply kind:
// the parameter replies of the read-all sequence, the phone table, both settings records, the
// text results after writes, the input state, noise between frames, and the communication-test
// replies of both text machines. The bytes arrive through the real SerialLink over the memory
// line in pieces of the given size (as a serial driver hands them over); the settle wait of the
// variable-length steps is ended by calling its tick directly, as a quiet line would.
//
// Reported: bytes_per_second (the line itself carries 11,520 bytes/s at 115200 baud).

#include "alarm/AlarmParser.h"
#include "alarm/AlarmView.h"
#include "core/MemorySerialBackend.h"
#include "core/Module1.h"
#include "core/ReceiveDispatch.h"
#include "core/SerialLink.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <functional>
#include <vector>

namespace {

// A window that only counts what it is asked to show.
class CountingView : public AlarmView
{
public:
    void setText(const QString &, const QString &) override { ++updates; }
    QString text(const QString &) const override { return {}; }
    void appendText(const QString &, const QString &) override { ++updates; }
    void setComboIndex(const QString &, int) override { ++updates; }
    int comboIndex(const QString &) const override { return 3; }
    void setChecked(const QString &, bool) override { ++updates; }
    bool isChecked(const QString &) const override { return false; }
    void setVisible(const QString &, bool) override { ++updates; }
    void setEnabled(const QString &, bool) override { ++updates; }
    void setGridRows(int) override { ++updates; }
    void setGridCell(int, int, const QString &) override { ++updates; }
    void restartReplyTimer(int) override { ++updates; }
    void setModuleStatus(const QString &) override { ++updates; }
    qint64 updates = 0;
};

struct Reply {
    std::function<void()> before; // what the sender records before the reply comes
    QByteArray bytes;
};

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray P = hex("1A2A3A4A5A6A7A8A");

void frameTab()
{
    ParamTabActive = true;
    RxStep = 0;
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
    auto frame = [&mix](const QByteArray &bytes, std::function<void()> before = frameTab) {
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
    frame(P + hex("D9 00") + char(sum % 256) + char(20) + table, [] {
        frameTab();
        PhoneTableOp = 0;
    });
    frame(P + hex("D9 00") + "SETOK:", [] {
        frameTab();
        PhoneTableOp = 1;
    });
    frame(P + hex("D9 00") + "CLROK:", [] {
        frameTab();
        PhoneTableOp = 2;
    });
    // Settings records: read back and write results.
    frame(P + hex("B4") + record(187), [] {
        frameTab();
        DiWritePending = 0;
    });
    frame(P + hex("B4 03") + "SETOK:", [] {
        frameTab();
        DiWritePending = 1;
    });
    QByteArray relay = hex("02 03 0A 05 07 06 82 8BBE59075173").leftJustified(67, '\0');
    relay += QByteArray("ON").leftJustified(60, '\0') + hex("01 00");
    sum = 0;
    for (const char b : std::as_const(relay))
        sum += quint8(b);
    frame(P + hex("B5 00 82") + char(sum % 256) + relay, [] {
        frameTab();
        DoWritePending = 0;
    });
    frame(P + hex("B5 03") + "SETFAIL:", [] {
        frameTab();
        DoWritePending = 1;
    });
    frame(QByteArray("<0>"), [] {
        frameTab();
        LastQueryCode = 0x98;
    });
    // Communication test, passive module: send state, read a 140-byte message, error reply.
    auto passive = [](qint16 command) {
        return [command] {
            ParamTabActive = false;
            WorkFormFlag = 0;
            RxStep = 0;
            SmsTestCommand = command;
            ReplyText.clear();
        };
    };
    frame(hex("21 12 34 00 02 00"), passive(2));
    frame(hex("21 12 34 00 8C") + QByteArray(140, 'm'), passive(1));
    frame(hex("3F 01 02 03"), passive(1));
    // Active module: format transmission results and a message, then transparent data.
    frame(hex("D7 FA D7 01") + QByteArray(140, 'a'), [] {
        ParamTabActive = false;
        WorkFormFlag = 1;
        TransferModeFlag = 1;
        RxStep = 0;
        ReplyText.clear();
    });
    frame(QByteArray(200, 't'), [] {
        ParamTabActive = false;
        WorkFormFlag = 1;
        TransferModeFlag = 0;
        RxStep = 0;
        ReplyText.clear();
    });
    return mix;
}

void BM_AlarmParserMixedStream(benchmark::State &state)
{
    const int piece = int(state.range(0));
    ResetSharedValues();
    auto *line = new MemorySerialBackend;
    Link().setBackend(line);
    Link().open();
    InstallReceiveDispatch();
    ResetAlarmParser();
    RegisterAlarmParser();
    CountingView view;
    SetAlarmView(&view);
    ProtocolId = ProtocolAlarm;

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
    qint64 settles = 0;
    for (auto _ : state) {
        for (int round = 0; round < rounds; ++round) {
            for (size_t k = 0; k < mix.size(); ++k) {
                mix[k].before();
                Link().setThreshold(1); // what a window does before it sends
                for (const QByteArray &p : pieces[k])
                    line->inject(p);
                // The line goes quiet after each reply: let the settle wait run out.
                for (int i = 0; i < 100 && AlarmParserSettling(); ++i) {
                    AlarmParserSettleTick();
                    ++settles;
                }
            }
            bytes += mixBytes;
        }
        if (Link().bytesWaiting() != 0)
            state.SkipWithError("bytes left unparsed");
    }
    state.SetBytesProcessed(bytes);
    state.counters["replies"] =
        benchmark::Counter(double(rounds * qint64(mix.size())) * double(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["settle_ticks_per_pass"] =
        double(settles) / double(qMax<qint64>(1, state.iterations()));
    SetAlarmView(nullptr);
    ResetAlarmParser();
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
    ResetSharedValues();
    auto *line = new MemorySerialBackend;
    Link().setBackend(line);
    Link().open();
    InstallReceiveDispatch();
    ResetAlarmParser();
    SetReplyParser(ProtocolAlarm, [] {
        Link().setReadLength(0);
        RxBytes = Link().read();
    });
    ProtocolId = ProtocolAlarm;
    Link().setThreshold(1);

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
    RegisterAlarmParser();
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
