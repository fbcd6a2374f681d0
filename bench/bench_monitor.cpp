// The traffic monitor under load: how many rows per second it names, appends to its bounded
// list and keeps on screen (a filter proxy and a table view, scrolled to the newest row after
// every batch of 100 ms worth of rows), and the memory the list takes at its bound of 100,000
// rows, for the frames of a read-all and for the worst case, runs of junk of 256 bytes.
//
// Reported: items_per_second (rows), and heap_mib (memory of the filled list).

#include "monitor/TrafficModel.h"
#include "monitor/TrafficNamer.h"

#include <QApplication>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The requests and replies of a read-all (passive module, format transmission).
struct Exchange {
    QByteArray request, reply;
};
const Exchange ReadAll[] = {
    {hex("1A2A3A4A5A6A7A8AAB03"), hex("1A2A3A4A5A6A7A8AAB000201")},
    {hex("1A2A3A4A5A6A7A8AA302"), hex("1A2A3A4A5A6A7A8AA300000007D0")},
    {hex("1A2A3A4A5A6A7A8AA103"), hex("1A2A3A4A5A6A7A8AA10000")},
    {hex("1A2A3A4A5A6A7A8AF803"), hex("1A2A3A4A5A6A7A8AF80000")},
    {hex("1A2A3A4A5A6A7A8AE203"), hex("1A2A3A4A5A6A7A8AE2001234")},
    {hex("1A2A3A4A5A6A7A8AF903"), hex("1A2A3A4A5A6A7A8AF90001")},
    {hex("1A2A3A4A5A6A7A8AD303"), hex("1A2A3A4A5A6A7A8AD30000")},
};

// Heap bytes in use (freed memory that the allocator keeps does not count).
double HeapMiB()
{
    return double(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

void NameAndShow(benchmark::State &state)
{
    TrafficModel model;
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    QTableView view;
    view.setModel(&proxy);
    view.resize(900, 400);
    view.show();
    TrafficNamer namer;
    namer.setRowHandler([&model](TrafficRow &row) { model.add(std::move(row)); });
    const int perBatch = int(state.range(0));
    qint64 rows = 0;
    for (auto _ : state) {
        const qint64 before = model.rowCount() + model.droppedRows() + model.pendingCount();
        while (model.pendingCount() < perBatch) {
            for (const Exchange &e : ReadAll) {
                namer.sent(e.request, TrafficNamer::Family::Alarm);
                namer.received(e.reply, TrafficNamer::Family::Alarm);
            }
        }
        model.takePending();
        view.scrollToBottom();
        QCoreApplication::processEvents();
        rows += model.rowCount() + model.droppedRows() - before;
    }
    state.SetItemsProcessed(rows);
    state.counters["rows_kept"] = model.rowCount();
}
BENCHMARK(NameAndShow)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void MemoryAtBound(benchmark::State &state)
{
    const bool junk = state.range(0) != 0;
    for (auto _ : state) {
        const double before = HeapMiB();
        auto *model = new TrafficModel;
        TrafficNamer namer;
        namer.setRowHandler([model](TrafficRow &row) { model->add(std::move(row)); });
        while (model->rowCount() < model->bound()) {
            for (int i = 0; i < 1000; ++i) {
                if (junk) {
                    namer.received(QByteArray(TrafficNamer::LongestRun, '\x55'),
                                   TrafficNamer::Family::Alarm);
                } else {
                    const Exchange &e = ReadAll[i % 7];
                    namer.sent(e.request, TrafficNamer::Family::Alarm);
                    namer.received(e.reply, TrafficNamer::Family::Alarm);
                }
            }
            namer.flush();
            model->takePending();
        }
        state.counters["heap_mib"] = HeapMiB() - before;
        state.counters["rows"] = model->rowCount();
        delete model;
    }
}
BENCHMARK(MemoryAtBound)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
