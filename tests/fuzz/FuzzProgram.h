#pragma once
// What the parser fuzz targets share: the application object libFuzzer needs for timers and
// events, the abort with a reason, and the program loop: an operation byte below 0x80 makes the
// next (op + 1) bytes arrive on the line as one piece, any other is handed to the target's
// action; check runs after every operation.

#include "core/MemorySerialBackend.h"
#include "core/SerialLink.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#ifndef CORVANE_FUZZ_REPLAY
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}
#endif

[[noreturn]] inline void FuzzFail(const char *what)
{
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
}

template <class Action, class Check>
void RunFuzzProgram(const uint8_t *data, size_t size, size_t at, SerialLink &link,
                    MemorySerialBackend *line, Action action, Check check)
{
    while (at < size) {
        const quint8 op = data[at++];
        if (op < 0x80) {
            const size_t length = qMin<size_t>(size_t(op) + 1, size - at);
            line->inject(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(length)));
            at += length;
        } else {
            action(op);
        }
        check();
    }
    QCoreApplication::processEvents();
    if (link.bytesWaiting() > SerialLink::MaxUnread)
        FuzzFail("the line keeps more than its bound");
}
