#pragma once
// Where the alarm window finds "gprs.mdb". In a build folder (or any folder the file was copied
// to) it lies beside the program and is opened as before. An installed program finds the
// read-only template that the package puts in share/corvane instead, and opens it read-only: it
// may not write to the system's folders. QtCore only.

#include <QString>
#include <QStringList>

struct DatabaseLocation {
    QString path;          // the file to open; may not exist (the window then goes on without it)
    bool readOnly = false; // the installed template: open it read-only
};

// programDir: the folder of the running program. dataDirs: the system's data folders in the
// order they are searched (QStandardPaths::GenericDataLocation). Looked for, first found wins:
// programDir/gprs.mdb, programDir/../share/corvane/gprs.mdb, DIR/corvane/gprs.mdb for each data
// folder. When none exists, the path beside the program.
DatabaseLocation LocateDatabase(const QString &programDir, const QStringList &dataDirs);
