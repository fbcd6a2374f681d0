#pragma once
// Where corvane-batch keeps its results, one record per module:
//   FILE                 one JSON line per module appended to the file;
//   sqlite:FILE          a row in the table batch_results of an SQLite file (created if missing);
//   postgresql://[USER@][HOST][:PORT][/DATABASE][?KEY=VALUE&...]
//                        a row in the table batch_results of a PostgreSQL server, reached the
//                        way libpq reads such a URI: HOST may be a socket folder
//                        (percent-encoded, or ?host=/run/postgresql), the other query keys
//                        (sslmode, sslrootcert, connect_timeout, ...) go to libpq as they are,
//                        and the password comes from PGPASSWORD or ~/.pgpass, never from the
//                        command line.
// QtCore and QtSql only.

#include "batch/BatchJob.h"

#include <QJsonObject>
#include <QString>
#include <memory>

class BatchReport
{
public:
    virtual ~BatchReport() = default;
    // The sink a --report value names; nullptr and the reason when it cannot be used.
    static std::unique_ptr<BatchReport> open(const QString &target, QString *error);
    virtual bool add(const BatchRecord &record, QString *error) = 0;
};

// A postgresql:// (or postgres://) target taken apart for QSqlDatabase's QPSQL driver.
struct PostgresTarget {
    QString host; // a host name, an address or a socket folder; empty: libpq's default socket
    int port = -1;
    QString user;     // empty: libpq's default (PGUSER, else the login name)
    QString database; // empty: libpq's default (PGDATABASE, else the user name)
    QString options;  // the other query keys as "key='value';..." for setConnectOptions
};

// Takes a target apart; false and the reason when it cannot be used as it is (a password in it,
// a port that is no number, a key or value the driver cannot pass on).
bool ParsePostgresTarget(const QString &target, PostgresTarget *out, QString *error);

// The JSON line of a record: time, port, software_version, profile_name, profile_checksum,
// command, result, exit_code, differences [{field, module, profile}], stopped_at.
QJsonObject RecordJson(const BatchRecord &record);
