// libFuzzer target for the identity parser of the VX8 connection. Byte 0 says whether a 0xFD
// notice answers the connect query (bit 0); then operations: 0x00-0x7F the next (op + 1) bytes
// arrive as one piece; 0x80-0xFF a window action (op & 3): events delivered, a reset, the
// connect query answered or not, the port closed and opened again.

#include "connect/IdentityParser.h"
#include "core/MemorySerialBackend.h"
#include "core/SerialLink.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "identity parser fuzz: %s\n", what);
    std::abort();
}

void check(const IdentityReplyValue &reply)
{
    if (describe(reply).isEmpty())
        fail("reply without a description");
    if (const auto *n = std::get_if<IdentityReply::Notice>(&reply))
        if (n->info.size() != 3)
            fail("a notice of other than three bytes");
    if (const auto *v = std::get_if<IdentityReply::Version>(&reply))
        if (v->bytes.size() != 12)
            fail("a version of other than twelve bytes");
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
    if (size < 1)
        return 0;
    bool answersQuery = data[0] & 1;
    SerialLink link;
    auto *line = new MemorySerialBackend;
    link.setBackend(line);
    link.open();
    IdentityParser parser(link);
    parser.setNoticeAnswersQuery([&answersQuery] { return answersQuery; });
    parser.setReplyHandler(&check);
    link.setReceiveHandler([&parser] { parser.parse(); });
    parser.reset();

    size_t at = 1;
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
                parser.reset();
                break;
            case 2:
                answersQuery = !answersQuery;
                break;
            case 3:
                link.close();
                parser.reset();
                link.open();
                break;
            }
        }
        if (parser.step() < 0 || parser.step() > 9)
            fail("parser left in an unknown step");
        if (link.threshold() < 1 || link.threshold() > 12)
            fail("threshold out of range");
    }
    QCoreApplication::processEvents();
    if (link.bytesWaiting() > SerialLink::MaxUnread)
        fail("the line keeps more than its bound");
    return 0;
}
