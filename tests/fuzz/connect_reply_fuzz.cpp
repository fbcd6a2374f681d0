// libFuzzer target for the reply parser of the connect. Byte 0: whether a 0xFD notice
// answers the connect query (bit 0). Then the program of FuzzProgram.h; actions (op & 3): events
// delivered, a reset, the connect query answered or not, the port closed and opened again.

#include "FuzzProgram.h"
#include "connect/ConnectReplyParser.h"

namespace {

void check(const ConnectReplyValue &reply)
{
    if (describe(reply).isEmpty())
        FuzzFail("reply without a description");
    if (const auto *n = std::get_if<ConnectReply::Notice>(&reply); n && n->info.size() != 3)
        FuzzFail("a notice of other than three bytes");
    if (const auto *v = std::get_if<ConnectReply::Version>(&reply); v && v->bytes.size() != 12)
        FuzzFail("a version of other than twelve bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    bool answersQuery = data[0] & 1;
    SerialLink link;
    auto *line = new MemorySerialBackend;
    link.setBackend(line);
    link.open();
    ConnectReplyParser parser(link);
    parser.setNoticeAnswersQuery([&answersQuery] { return answersQuery; });
    parser.setReplyHandler(&check);
    link.bindReceiver(&parser, [&parser] { parser.parse(); });
    parser.reset();
    const auto action = [&](quint8 op) {
        if ((op & 3) == 0)
            QCoreApplication::processEvents();
        else if ((op & 3) == 1)
            parser.reset();
        else if ((op & 3) == 2)
            answersQuery = !answersQuery;
        else {
            link.close();
            parser.reset();
            link.open();
        }
    };
    RunFuzzProgram(data, size, 1, link, line, action, [&parser, &link] {
        if (parser.step() < 0 || parser.step() > 9)
            FuzzFail("parser left in an unknown step");
        if (link.threshold() < 1 || link.threshold() > 12)
            FuzzFail("threshold out of range");
    });
    return 0;
}
