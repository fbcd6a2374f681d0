#include "alarm/AlarmSequences.h"

#include "alarm/AlarmFrames.h"
#include "core/ByteRoutines.h"

namespace AlarmSequences {

WriteTick WorkModeTick(qint16 writeStep, const WorkModeChoice &choice)
{
    WriteTick tick;
    tick.next = writeStep;
    switch (writeStep) {
    case 0:
        if (choice.workForm == 0 || choice.workForm == 1) {
            tick.frame = AlarmFrames::WorkForm(choice.workForm == 0 ? 1 : 0);
            tick.next = 1;
        } else {
            tick.missing = WriteTick::Missing::WorkForm;
        }
        break;
    case 1:
        if (choice.transferMode == 0) {
            tick.frame = AlarmFrames::TransferMode(1);
            tick.next = 5;
        } else if (choice.transferMode == 1) {
            tick.frame = AlarmFrames::TransferMode(0);
            tick.next = 6;
        } else if (choice.transferMode == 2) {
            tick.frame = AlarmFrames::TransferMode(0);
            tick.next = 3;
        } else {
            tick.missing = WriteTick::Missing::TransferMode;
        }
        break;
    case 3: // transparent mode 2, then its address settings
        tick.frame = AlarmFrames::TransparentMode(0);
        tick.next = 4;
        break;
    case 6: // transparent mode 1, then the address settings as well
        tick.frame = AlarmFrames::TransparentMode(1);
        tick.next = 4;
        break;
    case 4:
        tick.frame = AlarmFrames::AddressSettings(choice.addressStart, choice.groupMaximum,
                                                  choice.addressLength,
                                                  AlarmFrames::AddressTypeCode(choice.addressType));
        tick.next = 5;
        break;
    case 5:
        tick.finished = true;
        break;
    default: // a step of the other sequence: nothing to do here
        break;
    }
    return tick;
}

WriteTick PowerSavingTick(qint16 writeStep, const PowerSavingChoice &choice)
{
    WriteTick tick;
    tick.next = writeStep;
    switch (writeStep) {
    case 0:
        tick.frame = AlarmFrames::PowerSaving(choice.powerSaving);
        tick.next = choice.powerSaving ? 1 : 3;
        break;
    case 1:
        tick.frame = AlarmFrames::WakeMode(choice.wakeMode1 ? 0 : 1);
        tick.next = 2;
        break;
    case 2:
        tick.frame = AlarmFrames::WakeDelays(AlarmFrames::WakeDelayCount(choice.idleMs),
                                             AlarmFrames::WakeDelayCount(choice.dataMs));
        tick.next = 3;
        break;
    case 3:
        tick.finished = true;
        break;
    default:
        break;
    }
    return tick;
}

QByteArray VersionCodeFrame(const QString &answer, bool gbkAvailable)
{
    if (answer.size() != 6 || !AnsiEncodable(answer, gbkAvailable))
        return {};
    // Each character must go out as one byte: the module compares six character codes.
    if (ToAnsi(answer).size() != 6)
        return {};
    return AlarmFrames::VersionCode(answer);
}

double TextNumber(const QString &text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    const int start = i;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    int end = i;
    // An exponent counts only when digits follow it.
    if (i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        int j = i + 1;
        if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-')))
            ++j;
        int expDigits = 0;
        while (j < n && text.at(j).isDigit() && text.at(j).unicode() < 128) {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            end = j;
    }
    bool ok = false;
    const double value = text.mid(start, end - start).toDouble(&ok);
    return ok ? value : 0;
}

} // namespace AlarmSequences
