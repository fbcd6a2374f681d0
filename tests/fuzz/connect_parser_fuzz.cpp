// libFuzzer target for the connect-time parser of the alarm module (ParseConnectReply on the
// program's link). The program of FuzzProgram.h; actions (op & 3): events delivered, the
// connect armed again (RxStep 0, Timer9 running), Timer9 stopped, the port closed and opened
// again. The parser's last step opens nothing here (no hooks); its message goes to the default
// handler.

#include "FuzzProgram.h"
#include "connect/ConnectParser.h"
#include "connect/ConnectTimers.h"
#include "core/Module1.h"
#include "core/ReceiveDispatch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ResetSharedValues();
    auto *line = new MemorySerialBackend;
    Link().setBackend(line);
    Link().open();
    Link().setThreshold(1);
    InstallReceiveDispatch();
    InstallConnectParser();
    ProtocolId = ProtocolConnect;
    MainTimers().Timer9.start();
    const auto action = [](quint8 op) {
        if ((op & 3) == 0) {
            QCoreApplication::processEvents();
        } else if ((op & 3) == 2) {
            MainTimers().Timer9.stop();
        } else {
            if ((op & 3) == 3) {
                Link().close();
                Link().open();
            } else {
                MainTimers().Timer9.start();
            }
            RxStep = 0;
            Link().setThreshold(1);
        }
    };
    RunFuzzProgram(data, size, 0, line, action, [] {
        if (RxStep < 0 || RxStep > 9)
            FuzzFail("parser left in an unknown step");
        if (Link().threshold() < 1 || Link().threshold() > 12)
            FuzzFail("threshold out of range");
        if (!ModuleInfo.isEmpty() && ModuleInfo.size() != 3)
            FuzzFail("a notice of other than three bytes");
    });
    for (QTimer *t : {&MainTimers().Timer5, &MainTimers().Timer9, &MainTimers().Timer11})
        t->stop();
    return 0;
}
