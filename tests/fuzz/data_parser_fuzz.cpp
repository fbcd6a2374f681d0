// libFuzzer target for the data-module reply parser. The input drives the parser the way the
// line and the window can:
//
//   byte 0   parameter machine (bit 0), work mode (bit 1), transmission mode (bit 2), the
//            passive request answered next (bits 3-4: send, poll, memory check)
//   then operations:
//     0x00-0x7F  the next (op + 1) bytes arrive on the line as one piece
//     0x80-0xFF  a window action (op & 7): events delivered, a reset, a machine switch, another
//                request, another module form, the port closed and opened again
//
// Built with -DCORVANE_FUZZ_REPLAY it is linked into a replay program that feeds the seed
// corpus through the same entry point in the normal build.

#include "core/MemorySerialBackend.h"
#include "core/SerialLink.h"
#include "data/DataReplyParser.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "data parser fuzz: %s\n", what);
    std::abort();
}

bool knownStep(qint16 step)
{
    return (step >= 0 && step <= 19 && step != 9) || step == 100 || (step >= 200 && step <= 207) ||
           (step >= 210 && step <= 212);
}

void check(const DataReplyValue &reply)
{
    if (describe(reply).isEmpty())
        fail("reply without a description");
    if (const auto *a = std::get_if<DataReply::Address>(&reply))
        if (a->text().size() != 4)
            fail("an address of other than four digits");
    if (const auto *d = std::get_if<DataReply::ReceivedData>(&reply))
        if (d->sender.size() > 2 || d->data.size() > 65535)
            fail("received data larger than a frame carries");
}

const DataReplyParser::Request Requests[] = {
    DataReplyParser::Request::Send, DataReplyParser::Request::Poll,
    DataReplyParser::Request::EmptyCheck, DataReplyParser::Request::Send};

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
    const quint8 config = data[0];
    SerialLink link;
    auto *line = new MemorySerialBackend;
    link.setBackend(line);
    link.open();
    DataReplyParser parser(link);
    link.setReceiveHandler([&parser] { parser.parse(); });
    parser.setReplyHandler(&check);
    parser.setParameterMachine(config & 1);
    parser.setModuleForm((config >> 1) & 1, (config >> 2) & 1);
    parser.expectAnswerTo(Requests[(config >> 3) & 3]);
    parser.reset();

    size_t at = 1;
    while (at < size) {
        const quint8 op = data[at++];
        if (op < 0x80) {
            const size_t length = qMin<size_t>(size_t(op) + 1, size - at);
            line->inject(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(length)));
            at += length;
        } else {
            const int parameter = (op >> 3) & 3;
            switch (op & 7) {
            case 0:
            case 6:
                QCoreApplication::processEvents();
                break;
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
            }
        }
        if (!knownStep(parser.step()))
            fail("parser left in an unknown step");
        if (link.threshold() < 0 || link.threshold() > 65536)
            fail("threshold out of range");
    }
    QCoreApplication::processEvents();
    if (link.bytesWaiting() > SerialLink::MaxUnread)
        fail("the line keeps more than its bound");
    return 0;
}
