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

// Exit codes of corvane-batch (also per port in the report). A run ended by a signal exits with
// 128 + its number (130 for SIGINT, 143 for SIGTERM).
enum BatchExit : int {
    ExitVerified = 0,   // every module verified (read: read whole)
    ExitDiffers = 1,    // a module differs from the profile
    ExitUsage = 2,      // bad usage or a bad profile
    ExitNoModule = 3,   // the port did not open, no module answered, or it was refused
    ExitLostDevice = 4, // the device went away, or the module refused a write
    ExitNotSaved = 5    // a profile read or a report record could not be written
};

struct BatchRecord {
    QDateTime time;
    QString command; // read, write, verify
    QString port;
    QString softwareVersion;
    QString profileName;
    QString profileChecksum;
    // read, verified, differs, no-answer, checksum, refused, gprs-refused, device-lost,
    // interrupted, not-saved, or why the port did not open: no-such-port, port-busy,
    // no-permission, not-a-serial-port, stale-lock, port-not-opened.
    QString result;
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
    // Stops at once (the program was told to end): nothing more is sent, the port closes and the
    // record says "interrupted" with the step reached and exit code status.
    void interrupt(int status);
    bool isDone() const { return m_done; }
    // When the job ended, less when it started.
    qint64 elapsedMs() const { return m_elapsedMs; }
    const BatchRecord &record() const { return m_record; }
    // The profile read (read command), named after the port.
    const Profile::ModuleProfile &readProfile() const { return m_read; }
    SerialLink &link() { return m_link; }

Q_SIGNALS:
    // The step now under way, as a person reads it ("读取 DI3 参数（inputs[3]）").
    void progress(const QString &port, const QString &text);
    void finished(BatchJob *job);

private:
    void connected(ConnectRoutine::Result result);
    void ran(const ProfileRunner::Outcome &outcome);
    void end(const QString &result, int exitCode, const QString &stoppedAt = QString());
    void step(const QString &where);

    Command m_command;
    std::optional<Profile::ModuleProfile> m_wanted;
    SerialLink m_link;
    ConnectRoutine m_routine{m_link};
    AlarmExchange m_exchange{m_link};
    ProfileRunner m_runner{m_exchange};
    BatchRecord m_record;
    Profile::ModuleProfile m_read;
    QString m_readName;
    QString m_step; // the request under way, as the report names it
    qint64 m_startMs = 0;
    qint64 m_elapsedMs = 0;
    bool m_done = false;
};

QString CommandName(BatchJob::Command command);
// A result of a record as a person reads it: "differs" -> "与配置不一致（differs）".
QString ResultCaption(const QString &result);
