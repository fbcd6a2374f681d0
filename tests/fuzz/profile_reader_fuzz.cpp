// libFuzzer target for the profile reader: any bytes as a profile file. A file it accepts must
// come out of the writer as a file it accepts again, with the same fields and checksum, and every
// field must have a caption.

#include "FuzzProgram.h"
#include "profile/ModuleProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    Profile::ModuleProfile profile;
    QString error;
    if (!Profile::FromFile(bytes, &profile, &error)) {
        if (error.isEmpty())
            FuzzFail("a refused profile without a message");
        return 0;
    }
    Profile::ModuleProfile again;
    if (!Profile::FromFile(Profile::ToFile(profile), &again, &error))
        FuzzFail("the writer made a profile the reader refuses");
    if (!Profile::Diff(again, profile).isEmpty() || !Profile::Diff(profile, again).isEmpty())
        FuzzFail("a profile changed on its way through the writer");
    if (Profile::Checksum(again) != Profile::Checksum(profile))
        FuzzFail("the checksum changed on the way through the writer");
    for (const Profile::Field &f : Profile::Fields(profile))
        if (Profile::FieldCaption(f.path) == f.path)
            FuzzFail("a field without a caption");
    return 0;
}
