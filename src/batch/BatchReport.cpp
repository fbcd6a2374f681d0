#include "batch/BatchReport.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

namespace {

class FileReport : public BatchReport
{
public:
    explicit FileReport(const QString &path) : m_path(path) {}
    bool add(const BatchRecord &record, QString *error) override
    {
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            *error = file.errorString();
            return false;
        }
        // One write per line, so that lines from several processes never interleave. A full
        // disk shows only when the line leaves the buffer, a failing device when it is closed.
        const QByteArray line = QJsonDocument(RecordJson(record)).toJson(QJsonDocument::Compact);
        if (file.write(line + '\n') != line.size() + 1 || !file.flush()) {
            *error = file.errorString();
            return false;
        }
        file.close();
        if (file.error() != QFileDevice::NoError) {
            *error = file.errorString();
            return false;
        }
        return true;
    }

private:
    QString m_path;
};

class SqlReport : public BatchReport
{
public:
    ~SqlReport() override
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }

    bool open(const QString &driver, const PostgresTarget &server, const QString &file,
              QString *error)
    {
        if (!QSqlDatabase::isDriverAvailable(driver)) {
            *error = QStringLiteral("Qt SQL driver %1 is not installed").arg(driver);
            return false;
        }
        m_connection = QUuid::createUuid().toString();
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, m_connection);
        if (file.isEmpty()) {
            // No password is set: libpq takes it from PGPASSWORD or the password file.
            db.setHostName(server.host);
            db.setPort(server.port);
            db.setUserName(server.user);
            db.setDatabaseName(server.database);
            db.setConnectOptions(server.options);
        } else {
            db.setDatabaseName(file);
        }
        if (!db.open()) {
            *error = db.lastError().text();
            return false;
        }
        // Asked first: PostgreSQL answers IF NOT EXISTS on an existing table with a notice that
        // would land on stderr on every run.
        if (db.tables().contains(QStringLiteral("batch_results")))
            return true;
        QSqlQuery create(db);
        if (!create.exec(QStringLiteral(
                "CREATE TABLE IF NOT EXISTS batch_results (time TEXT, port TEXT, command TEXT, "
                "software_version TEXT, profile_name TEXT, profile_checksum TEXT, result TEXT, "
                "exit_code INTEGER, differences TEXT, stopped_at TEXT)"))) {
            *error = create.lastError().text();
            return false;
        }
        return true;
    }

    bool add(const BatchRecord &record, QString *error) override
    {
        QSqlQuery insert(QSqlDatabase::database(m_connection, false));
        insert.prepare(QStringLiteral(
            "INSERT INTO batch_results (time, port, command, software_version, profile_name, "
            "profile_checksum, result, exit_code, differences, stopped_at) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        const QJsonObject json = RecordJson(record);
        insert.addBindValue(json.value(QLatin1String("time")).toString());
        insert.addBindValue(record.port);
        insert.addBindValue(record.command);
        insert.addBindValue(record.softwareVersion);
        insert.addBindValue(record.profileName);
        insert.addBindValue(record.profileChecksum);
        insert.addBindValue(record.result);
        insert.addBindValue(record.exitCode);
        insert.addBindValue(
            QString::fromUtf8(QJsonDocument(json.value(QLatin1String("differences")).toArray())
                                  .toJson(QJsonDocument::Compact)));
        insert.addBindValue(record.stoppedAt);
        if (!insert.exec()) {
            *error = insert.lastError().text();
            return false;
        }
        return true;
    }

private:
    QString m_connection;
};

QString Decoded(const QString &text)
{
    return QUrl::fromPercentEncoding(text.toUtf8());
}

// A value as libpq's connection string quotes it.
QString Quoted(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

bool IsKeyword(const QString &key)
{
    if (key.isEmpty())
        return false;
    for (const QChar c : key)
        if (!(c >= QLatin1Char('a') && c <= QLatin1Char('z')) && c != QLatin1Char('_'))
            return false;
    return true;
}

QString PasswordRefused()
{
    return QStringLiteral("口令不能写在命令行上(其他用户可以看到), 请用 PGPASSWORD 或 ~/.pgpass");
}

// The query keys of a target: host, port, user and dbname replace the parts of the address,
// any other libpq keyword goes to the driver's options; a password is refused.
bool ReadQuery(const QString &query, PostgresTarget *t, QString *port, QStringList *options,
               QString *error)
{
    for (const QString &pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        const QString key = Decoded(pair.left(eq));
        const QString value = eq < 0 ? QString() : Decoded(pair.mid(eq + 1));
        if (key == QLatin1String("host"))
            t->host = value;
        else if (key == QLatin1String("port"))
            *port = value;
        else if (key == QLatin1String("user"))
            t->user = value;
        else if (key == QLatin1String("dbname"))
            t->database = value;
        else if (key == QLatin1String("password")) {
            *error = PasswordRefused();
            return false;
        } else if (!IsKeyword(key) || value.contains(QLatin1Char(';'))) {
            // The driver joins its options with ';' and hands them on unquoted.
            *error = QStringLiteral("无法传给数据库驱动的参数: %1").arg(pair);
            return false;
        } else {
            *options << key + QLatin1Char('=') + Quoted(value);
        }
    }
    return true;
}

} // namespace

bool ParsePostgresTarget(const QString &target, PostgresTarget *out, QString *error)
{
    // postgresql://[user@][host][:port][/dbname][?key=value&...], each part percent-encoded.
    qsizetype start = -1;
    for (const char *scheme : {"postgresql://", "postgres://"})
        if (target.startsWith(QLatin1String(scheme)))
            start = qsizetype(qstrlen(scheme));
    if (start < 0) {
        *error = QStringLiteral("不是 postgresql:// 地址");
        return false;
    }
    QString rest = target.mid(start);
    QString query, path;
    if (const qsizetype q = rest.indexOf(QLatin1Char('?')); q >= 0) {
        query = rest.mid(q + 1);
        rest.truncate(q);
    }
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0) {
        path = rest.mid(slash + 1);
        rest.truncate(slash);
    }
    PostgresTarget t;
    if (const qsizetype at = rest.lastIndexOf(QLatin1Char('@')); at >= 0) {
        if (rest.left(at).contains(QLatin1Char(':'))) {
            *error = PasswordRefused();
            return false;
        }
        t.user = Decoded(rest.left(at));
        rest = rest.mid(at + 1);
    }
    QString port;
    if (rest.startsWith(QLatin1Char('['))) { // [IPv6 address]
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0 || (close + 1 < rest.size() && rest.at(close + 1) != QLatin1Char(':'))) {
            *error = QStringLiteral("IPv6 地址应写成 [ADDRESS]:PORT");
            return false;
        }
        t.host = rest.mid(1, close - 1);
        port = rest.mid(close + 2);
    } else {
        const qsizetype colon = rest.indexOf(QLatin1Char(':'));
        t.host = Decoded(rest.left(colon));
        port = colon < 0 ? QString() : rest.mid(colon + 1);
    }
    t.database = Decoded(path);

    QStringList options;
    if (!ReadQuery(query, &t, &port, &options, error))
        return false;
    if (t.host.contains(QLatin1Char(','))) {
        *error = QStringLiteral("只能写一个主机");
        return false;
    }
    if (!port.isEmpty()) {
        bool ok = false;
        t.port = port.toInt(&ok);
        if (!ok || t.port < 1 || t.port > 65535) {
            *error = QStringLiteral("端口无效: %1").arg(port);
            return false;
        }
    }
    t.options = options.join(QLatin1Char(';'));
    *out = t;
    return true;
}

namespace {

// A report file must be a regular file, or not exist yet: opening a pipe waits for a reader
// that may never come, and a device swallows the records.
bool UsableFile(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (path.isEmpty())
        *error = QStringLiteral("没有给出文件名");
    else if (info.exists() && !info.isFile())
        *error = QStringLiteral("不是普通文件（目录、设备或管道不能作报告文件）");
    else
        return true;
    return false;
}

} // namespace

std::unique_ptr<BatchReport> BatchReport::open(const QString &target, QString *error)
{
    if (target.startsWith(QLatin1String("sqlite:"))) {
        // An empty name would give SQLite a database of its own that is gone at the end.
        if (!UsableFile(target.mid(7), error))
            return nullptr;
        auto sql = std::make_unique<SqlReport>();
        if (!sql->open(QStringLiteral("QSQLITE"), PostgresTarget(), target.mid(7), error))
            return nullptr;
        return sql;
    }
    if (target.startsWith(QLatin1String("postgresql://")) ||
        target.startsWith(QLatin1String("postgres://"))) {
        PostgresTarget server;
        if (!ParsePostgresTarget(target, &server, error))
            return nullptr;
        auto sql = std::make_unique<SqlReport>();
        if (!sql->open(QStringLiteral("QPSQL"), server, QString(), error))
            return nullptr;
        return sql;
    }
    if (!UsableFile(target, error))
        return nullptr;
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = file.errorString();
        return nullptr;
    }
    return std::make_unique<FileReport>(target);
}

QJsonObject RecordJson(const BatchRecord &r)
{
    QJsonArray differences;
    for (const Profile::Difference &d : r.differences)
        differences.append(QJsonObject{
            {QStringLiteral("field"), d.path},
            {QStringLiteral("module"), d.reported ? QJsonValue(d.moduleValue) : QJsonValue()},
            {QStringLiteral("profile"), d.profileValue}});
    return {{QStringLiteral("time"), r.time.toUTC().toString(Qt::ISODateWithMs)},
            {QStringLiteral("port"), r.port},
            {QStringLiteral("command"), r.command},
            {QStringLiteral("software_version"), r.softwareVersion},
            {QStringLiteral("profile_name"), r.profileName},
            {QStringLiteral("profile_checksum"), r.profileChecksum},
            {QStringLiteral("result"), r.result},
            {QStringLiteral("exit_code"), r.exitCode},
            {QStringLiteral("differences"), differences},
            {QStringLiteral("stopped_at"), r.stoppedAt}};
}
