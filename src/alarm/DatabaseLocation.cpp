#include "alarm/DatabaseLocation.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char *const FileName = "gprs.mdb";
// The install rules put the program in bin/ and the template in share/corvane/ under one prefix.
const char *const InstalledBesideBin = "../share/corvane";

bool IsFile(const QString &path)
{
    return QFileInfo(path).isFile();
}

} // namespace

DatabaseLocation LocateDatabase(const QString &programDir, const QStringList &dataDirs)
{
    const QDir program(programDir);
    const QString beside = program.filePath(QLatin1String(FileName));
    if (IsFile(beside))
        return {beside, false};
    const QString underPrefix = QDir::cleanPath(
        program.filePath(QLatin1String(InstalledBesideBin) + QLatin1Char('/') + FileName));
    if (IsFile(underPrefix))
        return {underPrefix, true};
    for (const QString &dir : dataDirs) {
        const QString shared = QDir(dir).filePath(QStringLiteral("corvane/") + FileName);
        if (IsFile(shared))
            return {shared, true};
    }
    return {beside, false};
}
