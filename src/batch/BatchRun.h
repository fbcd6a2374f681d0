#pragma once
// The whole of corvane-batch without main(): reads the command line, starts one BatchJob per
// --port (all at once, in this one event loop), writes the profiles read, appends the report
// records and ends with the exit code (the highest of all ports). Messages go to a text sink
// (stderr in the program, a list in tests), one line per call; on a terminal the program draws
// a line per module that changes in place instead (setLive).

#include "batch/BatchJob.h"
#include "batch/BatchReport.h"

#include <QHash>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class BatchRun : public QObject
{
    Q_OBJECT
public:
    using Sink = std::function<void(const QString &line)>;
    explicit BatchRun(Sink messages, QObject *parent = nullptr);
    ~BatchRun() override;

    // Where a profile read without -o goes; false and the reason when it could not be written
    // whole. Default: standard output, flushed and checked.
    using Output = std::function<bool(const QByteArray &bytes, QString *error)>;
    void setStandardOutput(Output output) { m_stdout = std::move(output); }
    // Draws through write (raw bytes, terminal control sequences included): one line per module
    // that is redrawn in place, with colour when colour is true. The lines are cut to columns,
    // the terminal's width: a line that wrapped would throw the redrawing off.
    using Writer = std::function<void(const QByteArray &bytes)>;
    void setLive(Writer write, bool colour, int columns = 80);

    // Reads the arguments (without the program name); false after a message on bad usage or a
    // bad profile (exit code 2).
    bool setUp(const QStringList &arguments);
    // Starts every port; done() follows once all have ended.
    void start();
    // The program was told to end: every module still running stops and is recorded as
    // interrupted; done(status) follows once the records are written.
    void interrupt(int status);
    int exitCode() const { return m_exitCode; }
    const QList<BatchJob *> &jobs() const { return m_jobs; }

    static QString usage();

Q_SIGNALS:
    void done(int exitCode);

private:
    // The profile of write and verify, checked whole; false (with the message and the exit
    // code set) when it cannot be used.
    bool loadProfile(const QString &path, std::optional<Profile::ModuleProfile> *wanted);
    void jobFinished(BatchJob *job);
    void saveProfile(BatchJob *job, BatchRecord *record);
    QString outputFile(const QString &port) const;
    void message(const QString &line);
    void portLine(const QString &port, const QString &text, const char *colour = nullptr);
    void drawLive(bool clearOnly = false);
    void summary();

    Sink m_sink;
    Output m_stdout;
    Writer m_live;
    bool m_colour = false;
    int m_columns = 80;
    QStringList m_livePorts;            // the ports in the order their lines stand
    QHash<QString, QString> m_liveText; // the line of each port, colour included
    int m_liveDrawn = 0;                // lines drawn below the messages
    BatchJob::Command m_command = BatchJob::Command::Read;
    QString m_output;
    std::vector<std::unique_ptr<BatchReport>> m_reports;
    QStringList m_reportTargets;
    QList<BatchJob *> m_jobs;
    QList<BatchRecord> m_records; // in the order the modules ended
    QList<qint64> m_elapsedMs;
    int m_portCount = 0;
    int m_running = 0;
    int m_exitCode = ExitVerified;
};
