// libFuzzer target for the alarm-module reply parser. The input is a small program that drives
// the parser the way the line and the window can:
//
//   byte 0   frame machine (bit 0), work form (bits 1-2: 0, 1, 0x55), transmission mode
//            (bits 3-4: 0, 1, 2), input write expected (bit 5), relay write expected (bit 6)
//   byte 1   phone-table operation (bits 0-1), input state asked (bit 2), test command (3-4)
//   then operations:
//     0x00-0x7F  the next (op + 1) bytes arrive on the line as one piece
//     0x80-0xBF  the quiet time passes (op & 0x3F) times
//     0xC0-0xFF  a window action (op & 7) with parameter (op >> 3) & 7: a send that sets the
//                threshold to 1, a reset, a tab switch, the phone-table operation, the write
//                flags, an input-state read, the test command, a refresh that reopens the port
//
// Built with -DCORVANE_FUZZ_REPLAY it is linked into fuzz_replay, which feeds the seed corpus
// through the same entry point in the normal build.

#include "alarm/AlarmReplyParser.h"
#include "core/MemorySerialBackend.h"
#include "core/SerialLink.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "alarm parser fuzz: %s\n", what);
    std::abort();
}

bool knownStep(qint16 step)
{
    return (step >= 0 && step <= 32 && step != 27 && step != 29) || step == 100 || step == 101;
}

// What every reply must satisfy, whatever the bytes were.
void check(const AlarmReplyValue &reply)
{
    if (describe(reply).isEmpty())
        fail("reply without a description");
    if (const auto *t = std::get_if<AlarmReply::PhoneTable>(&reply))
        if (t->numbers.size() > 20 || (!t->checksumOk && !t->numbers.isEmpty()))
            fail("phone table with more than it may hold");
    if (const auto *r = std::get_if<AlarmReply::InputRecord>(&reply))
        if (!r->checksumOk && r->fields.trigger)
            fail("record decoded despite a wrong checksum");
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
    if (size < 2)
        return 0;
    const quint8 config = data[0];
    const quint8 extra = data[1];

    SerialLink link;
    auto *line = new MemorySerialBackend;
    link.setBackend(line);
    link.open();
    AlarmReplyParser parser(link);
    link.bindReceiver(&parser, [&parser] { parser.parse(); });
    parser.setReplyHandler(&check);

    static const quint8 workForms[] = {0, 1, 0x55, 0};
    static const quint8 transferModes[] = {0, 1, 2, 0};
    using Op = AlarmReplyParser::PhoneOp;
    static const Op phoneOps[] = {Op::Read, Op::Write, Op::Clear, Op::Read};
    parser.setFrameMachine(config & 1);
    parser.setModuleForm(workForms[(config >> 1) & 3], transferModes[(config >> 3) & 3]);
    (config & 0x20) ? parser.expectInputWrite(1) : parser.expectInputRead(1);
    (config & 0x40) ? parser.expectRelayWrite(2) : parser.expectRelayRead(2);
    parser.setPhoneTableOp(phoneOps[extra & 3]);
    if (extra & 4)
        parser.expectInputState(3);
    parser.setTestCommand((extra >> 3) & 3);
    parser.reset();

    size_t at = 2;
    while (at < size) {
        const quint8 op = data[at++];
        if (op < 0x80) {
            const size_t length = qMin<size_t>(size_t(op) + 1, size - at);
            line->inject(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(length)));
            at += length;
        } else if (op < 0xC0) {
            for (int i = 0; i < (op & 0x3F); ++i)
                parser.quietElapsed();
        } else {
            const int parameter = (op >> 3) & 7;
            switch (op & 7) {
            case 0: // a window sends: the event loop delivers what waits
                QCoreApplication::processEvents();
                break;
            case 1: // a communication-test request, or the message timer running out
                if (parameter & 1)
                    parser.takeMessage();
                else
                    parser.reset();
                break;
            case 2: // tab switch
                parser.setFrameMachine(!parser.frameMachine());
                break;
            case 3:
                parser.setPhoneTableOp(phoneOps[parameter & 3]);
                break;
            case 4:
                (parameter & 1) ? parser.expectInputWrite(0) : parser.expectInputRead(0);
                (parameter & 2) ? parser.expectRelayWrite(0) : parser.expectRelayRead(0);
                break;
            case 5:
                parser.expectInputState(parameter);
                break;
            case 6:
                parser.setTestCommand(parameter & 3);
                break;
            case 7: // refresh: the port is closed and opened again
                link.close();
                parser.reset();
                link.open();
                break;
            }
        }
        if (parser.messageText().size() > 3 * AlarmReplyParser::MessageCap)
            fail("a test message grew past its cap");
        if (!knownStep(parser.step()) && parser.frameMachine())
            fail("frame machine left in an unknown step");
        if (link.threshold() < 0 || link.threshold() > 254)
            fail("threshold out of range");
    }
    parser.quietElapsed();
    QCoreApplication::processEvents();
    if (link.bytesWaiting() > SerialLink::MaxUnread)
        fail("the line keeps more than its bound");
    return 0;
}
