// libFuzzer target for the alarm-module reply parser. The input is a small program that drives
// the parser the way the line and the window can:
//
//   byte 0   ParamTabActive (bit 0), WorkFormFlag (bits 1-2: 0, 1, 0x55), TransferModeFlag
//            (bits 3-4: 0, 1, 2), DiWritePending (bit 5), DoWritePending (bit 6), no window (bit 7)
//   byte 1   PhoneTableOp (bits 0-1), LastQueryCode 0x98 (bit 2), SmsTestCommand (bits 3-4)
//   then operations:
//     0x00-0x7F  the next (op + 1) bytes arrive on the line as one piece
//     0x80-0xBF  the settle timer fires (op & 0x3F) times
//     0xC0-0xFF  a window action (op & 7) with parameter (op >> 3) & 7: a send that sets the
//                threshold to 1, RxStep = 0, a tab switch, PhoneTableOp, the write flags,
//                an input-state read, SmsTestCommand, a refresh that reopens the port
//
// Built with -DCORVANE_FUZZ_REPLAY it is linked into fuzz_replay, which feeds the seed corpus
// through the same entry point in the normal build.

#include "alarm/AlarmParser.h"
#include "alarm/AlarmView.h"
#include "core/MemorySerialBackend.h"
#include "core/Module1.h"
#include "core/ReceiveDispatch.h"
#include "core/SerialLink.h"

#include <QCoreApplication>
#include <QHash>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Keeps what the parser shows, so the getters it calls return earlier values.
class FuzzView : public AlarmView
{
public:
    void setText(const QString &control, const QString &text) override { texts[control] = text; }
    QString text(const QString &control) const override { return texts.value(control); }
    void appendText(const QString &control, const QString &text) override
    {
        QString &all = texts[control];
        all += text;
        if (all.size() > 4096)
            all = all.right(1024);
    }
    void setComboIndex(const QString &control, int index) override { indexes[control] = index; }
    int comboIndex(const QString &control) const override { return indexes.value(control, 0); }
    void setChecked(const QString &control, bool checked) override { checks[control] = checked; }
    bool isChecked(const QString &control) const override { return checks.value(control); }
    void setVisible(const QString &, bool) override {}
    void setEnabled(const QString &, bool) override {}
    void setGridRows(int rows) override
    {
        if (rows < 1 || rows > 21)
            fail("grid rows out of range");
        gridRows = rows;
    }
    void setGridCell(int row, int column, const QString &) override
    {
        if (row < 1 || row >= gridRows || column < 1 || column > 2)
            fail("grid cell outside the grid");
    }
    void restartReplyTimer(int) override {}
    void setModuleStatus(const QString &) override {}

    [[noreturn]] static void fail(const char *what)
    {
        std::fprintf(stderr, "alarm parser fuzz: %s\n", what);
        std::abort();
    }

    QHash<QString, QString> texts;
    QHash<QString, int> indexes;
    QHash<QString, bool> checks;
    int gridRows = 1;
};

bool knownStep(qint16 step)
{
    return (step >= 0 && step <= 32 && step != 27 && step != 29) || step == 100;
}

void settle(int ticks)
{
    for (int i = 0; i < ticks && AlarmParserSettling(); ++i)
        AlarmParserSettleTick();
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

    ResetSharedValues();
    auto *line = new MemorySerialBackend;
    Link().setBackend(line);
    Link().setPortNumber(1);
    Link().setSettings(QStringLiteral("9600,n,8,1"));
    Link().open();
    InstallReceiveDispatch();
    ResetAlarmParser();
    RegisterAlarmParser();

    static const quint8 workForms[] = {0, 1, 0x55, 0};
    static const quint8 transferModes[] = {0, 1, 2, 0};
    ParamTabActive = config & 1;
    WorkFormFlag = workForms[(config >> 1) & 3];
    TransferModeFlag = transferModes[(config >> 3) & 3];
    DiWritePending = (config >> 5) & 1;
    DoWritePending = (config >> 6) & 1;
    PhoneTableOp = extra & 3;
    LastQueryCode = (extra & 4) ? 0x98 : 0;
    SmsTestCommand = (extra >> 3) & 3;

    FuzzView view;
    SetAlarmView((config & 0x80) ? nullptr : &view);
    ProtocolId = ProtocolAlarm;
    RxStep = 0;
    Link().setThreshold(1);

    size_t at = 2;
    while (at < size) {
        const quint8 op = data[at++];
        if (op < 0x80) {
            const size_t length = qMin<size_t>(size_t(op) + 1, size - at);
            line->inject(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(length)));
            at += length;
        } else if (op < 0xC0) {
            settle(op & 0x3F);
        } else {
            const int parameter = (op >> 3) & 7;
            switch (op & 7) {
            case 0: // a window sends: threshold 1, then the event loop delivers what waits
                Link().setThreshold(1);
                QCoreApplication::processEvents();
                break;
            case 1: // a communication-test request
                RxStep = 0;
                break;
            case 2: // tab switch
                ParamTabActive = !ParamTabActive;
                break;
            case 3:
                PhoneTableOp = parameter & 3;
                break;
            case 4:
                DiWritePending = parameter & 1;
                DoWritePending = (parameter >> 1) & 1;
                break;
            case 5:
                LastQueryCode = 0x98;
                break;
            case 6:
                SmsTestCommand = qint16(parameter & 3);
                break;
            case 7: // refresh: the port is closed and opened again, RxStep 0
                RxStep = 0;
                Link().close();
                Link().setThreshold(1);
                Link().open();
                break;
            }
        }
        if (!knownStep(RxStep) && ParamTabActive)
            FuzzView::fail("frame machine left in an unknown step");
        if (Link().threshold() < 0 || Link().threshold() > 12)
            FuzzView::fail("threshold out of range");
    }
    settle(200);
    QCoreApplication::processEvents();

    SetAlarmView(nullptr);
    ResetAlarmParser();
    ProtocolId = 0;
    return 0;
}
