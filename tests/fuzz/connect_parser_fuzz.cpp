// libFuzzer target for the connect-time parser of the alarm module (ParseConnectReply on the
// program's link). Operations: 0x00-0x7F the next (op + 1) bytes arrive as one piece; 0x80-0xFF
// an action (op & 3): events delivered, the connect armed again (RxStep 0, Timer9 running),
// Timer9 stopped, the port closed and opened again. The parser's last step opens nothing here
// (no hooks) and its message goes to the default handler.

#include "connect/ConnectParser.h"
#include "connect/ConnectTimers.h"
#include "core/MemorySerialBackend.h"
#include "core/Module1.h"
#include "core/ReceiveDispatch.h"
#include "core/SerialLink.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "connect parser fuzz: %s\n", what);
    std::abort();
}

} // namespace

#ifndef CORVANE_FUZZ_REPLAY
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}
#endif

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

    size_t at = 0;
    while (at < size) {
        const quint8 op = data[at++];
        if (op < 0x80) {
            const size_t length = qMin<size_t>(size_t(op) + 1, size - at);
            line->inject(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(length)));
            at += length;
        } else {
            switch (op & 3) {
            case 0:
                QCoreApplication::processEvents();
                break;
            case 1:
                RxStep = 0;
                Link().setThreshold(1);
                MainTimers().Timer9.start();
                break;
            case 2:
                MainTimers().Timer9.stop();
                break;
            case 3:
                Link().close();
                RxStep = 0;
                Link().open();
                Link().setThreshold(1);
                break;
            }
        }
        if (RxStep < 0 || RxStep > 9)
            fail("parser left in an unknown step");
        if (Link().threshold() < 1 || Link().threshold() > 12)
            fail("threshold out of range");
        if (!ModuleInfo.isEmpty() && ModuleInfo.size() != 3)
            fail("a notice of other than three bytes");
    }
    QCoreApplication::processEvents();
    for (QTimer *t :
         {&MainTimers().Timer5, &MainTimers().Timer8, &MainTimers().Timer9, &MainTimers().Timer11})
        t->stop();
    if (Link().bytesWaiting() > SerialLink::MaxUnread)
        fail("the line keeps more than its bound");
    return 0;
}
