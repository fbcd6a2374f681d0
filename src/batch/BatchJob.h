#pragma once
// One port of the batch mode: its own serial link, connect routine, alarm exchange and profile
// runner, so that any number of ports run at once in one process. It opens the port, connects
// as the connect dialog does, then reads, writes or verifies, and ends with one record.
// QtCore and QtSerialPort only.

#include "alarm/AlarmExchange.h"
#include "connect/ConnectRoutine.h"
#include "core/SerialLink.h"
#include "profile/ProfileRunner.h"

#include <QDateTime>
#include <QObject>
#include <optional>

// Exit codes of corvane-batch (also per port in the report).
enum BatchExit : int {
    ExitVerified = 0,  // every module verified (read: read whole)
    ExitDiffers = 1,   // a module differs from the profile
    ExitUsage = 2,     // bad usage or a bad profile
    ExitNoModule = 3,  // the port did not open, no module answered, or it was refused
    ExitLostDevice = 4 // the device went away, or the module refused a write
};

struct BatchRecord {
    QDateTime time;
    QString command; // read, write, verify
    QString port;
    QString softwareVersion;
    QString profileName;
    QString profileChecksum;
    QString result; // ok, verified, differs, no-answer, refused, gprs-refused, ...
    int exitCode = ExitVerified;
    QList<Profile::Difference> differences;
    QString stoppedAt;
};

class BatchJob : public QObject
{
    Q_OBJECT
public:
    enum class Command { Read, Write, Verify };

    // wanted: the profile of write and verify.
    BatchJob(const QString &port, qint32 baud, Command command,
             const std::optional<Profile::ModuleProfile> &wanted, QObject *parent = nullptr);

    // Name of the profile a read gives (default: the port).
    void setReadName(const QString &name) { m_readName = name; }
    void start();
    bool isDone() const { return m_done; }
    const BatchRecord &record() const { return m_record; }
    // The profile read (read command), named after the port.
    const Profile::ModuleProfile &readProfile() const { return m_read; }
    SerialLink &link() { return m_link; }

Q_SIGNALS:
    void progress(const QString &port, const QString &text);
    void finished(BatchJob *job);

private:
    void connected(ConnectRoutine::Result result);
    void ran(const ProfileRunner::Outcome &outcome);
    void end(const QString &result, int exitCode, const QString &stoppedAt = QString());

    Command m_command;
    std::optional<Profile::ModuleProfile> m_wanted;
    SerialLink m_link;
    ConnectRoutine m_routine{m_link};
    AlarmExchange m_exchange{m_link};
    ProfileRunner m_runner{m_exchange};
    BatchRecord m_record;
    Profile::ModuleProfile m_read;
    QString m_readName;
    bool m_done = false;
};

QString CommandName(BatchJob::Command command);
