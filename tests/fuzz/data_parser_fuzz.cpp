// libFuzzer target for the data-module reply parser. Byte 0: parameter machine (bit 0), work
// mode (bit 1), transmission mode (bit 2), the passive request answered next (bits 3-4). Then
// the program of FuzzProgram.h; actions (op & 7): events delivered, a reset, a machine switch,
// another request, another module form, a parse call, the port closed and opened again.
//
// Built with -DCORVANE_FUZZ_REPLAY it is linked into a replay program that feeds the seed
// corpus through the same entry point in the normal build.

#include "FuzzProgram.h"
#include "data/DataReplyParser.h"

namespace {

bool knownStep(qint16 step)
{
    return (step >= 0 && step <= 19 && step != 9) || step == 100 || (step >= 200 && step <= 207) ||
           (step >= 210 && step <= 212);
}

void check(const DataReplyValue &reply)
{
    if (describe(reply).isEmpty())
        FuzzFail("reply without a description");
    if (const auto *a = std::get_if<DataReply::Address>(&reply); a && a->text().size() != 4)
        FuzzFail("an address of other than four digits");
    if (const auto *d = std::get_if<DataReply::ReceivedData>(&reply); d && d->sender.size() > 2)
        FuzzFail("a sender address longer than two bytes");
}

using Request = DataReplyParser::Request;
const Request Requests[] = {Request::Send, Request::Poll, Request::EmptyCheck, Request::Send};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    SerialLink link;
    auto *line = new MemorySerialBackend;
    link.setBackend(line);
    link.open();
    DataReplyParser parser(link);
    link.bindReceiver(&parser, [&parser] { parser.parse(); });
    parser.setReplyHandler(&check);
    parser.setParameterMachine(data[0] & 1);
    parser.setModuleForm((data[0] >> 1) & 1, (data[0] >> 2) & 1);
    parser.expectAnswerTo(Requests[(data[0] >> 3) & 3]);
    parser.reset();
    const auto action = [&parser, &link](quint8 op) {
        const int parameter = (op >> 3) & 3;
        switch (op & 7) {
        case 1:
            parser.reset();
            break;
        case 2:
            parser.setParameterMachine(!parser.parameterMachine());
            break;
        case 3:
            parser.expectAnswerTo(Requests[parameter]);
            break;
        case 4:
            parser.setModuleForm(parameter & 1, (parameter >> 1) & 1);
            break;
        case 5:
            parser.parse();
            break;
        case 7:
            link.close();
            parser.reset();
            link.open();
            break;
        default:
            QCoreApplication::processEvents();
            break;
        }
    };
    RunFuzzProgram(data, size, 1, link, line, action, [&parser, &link] {
        if (!knownStep(parser.step()))
            FuzzFail("parser left in an unknown step");
        if (link.threshold() < 0 || link.threshold() > 65536)
            FuzzFail("threshold out of range");
    });
    return 0;
}
