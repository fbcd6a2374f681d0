// libFuzzer target for the connect routine over a link: its parser, its timers and its end. The
// program of FuzzProgram.h; actions (op & 3): events delivered, the connect started again (the
// query sent, Timer9 running), a read-out tick, the port closed and opened again. The routine
// must stay within its steps, keep a bounded threshold, never take a notice of other than three
// bytes and end at most once per start.

#include "FuzzProgram.h"
#include "connect/ConnectRoutine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SerialLink link;
    auto *line = new MemorySerialBackend;
    link.setBackend(line);
    link.open();
    ConnectRoutine routine(link);
    routine.setClosePortOnPartialNotice(true);
    int starts = 1, ends = 0;
    QObject::connect(&routine, &ConnectRoutine::finished, &routine, [&ends] { ++ends; });
    routine.start();
    routine.onTimer8();
    const auto action = [&](quint8 op) {
        switch (op & 3) {
        case 0:
            QCoreApplication::processEvents();
            break;
        case 1:
            ++starts;
            routine.start();
            routine.onTimer8();
            break;
        case 2:
            if (routine.Timer11.isActive())
                routine.onTimer11();
            break;
        default:
            link.close();
            link.open();
            break;
        }
    };
    RunFuzzProgram(data, size, 0, link, line, action, [&] {
        if (routine.parser().step() < 0 || routine.parser().step() > 9)
            FuzzFail("parser left in an unknown step");
        if (link.isOpen() && (link.threshold() < 1 || link.threshold() > 12))
            FuzzFail("threshold out of range");
        const QByteArray &info = routine.identity().moduleInfo;
        if (!info.isEmpty() && info.size() != 3)
            FuzzFail("a notice of other than three bytes");
        if (ends > starts)
            FuzzFail("a connect that ended twice");
    });
    routine.stop();
    return 0;
}
