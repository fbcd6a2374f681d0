#pragma once
// The whole of corvane-batch without main(): reads the command line, starts one BatchJob per
// --port (all at once, in this one event loop), writes the profiles read, appends the report
// records and ends with the exit code (the highest of all ports). Messages go to a text sink
// (stderr in the program, a list in tests).

#include "batch/BatchJob.h"
#include "batch/BatchReport.h"

#include <QObject>
#include <functional>
#include <memory>

class BatchRun : public QObject
{
    Q_OBJECT
public:
    using Sink = std::function<void(const QString &line)>;
    explicit BatchRun(Sink messages, QObject *parent = nullptr);
    ~BatchRun() override;

    // Reads the arguments (without the program name); false after a message on bad usage or a
    // bad profile (exit code 2).
    bool setUp(const QStringList &arguments);
    // Starts every port; done() follows once all have ended.
    void start();
    int exitCode() const { return m_exitCode; }
    const QList<BatchJob *> &jobs() const { return m_jobs; }

    static QString usage();

Q_SIGNALS:
    void done(int exitCode);

private:
    void jobFinished(BatchJob *job);
    QString outputFile(const QString &port) const;

    Sink m_sink;
    BatchJob::Command m_command = BatchJob::Command::Read;
    QString m_output;
    std::unique_ptr<BatchReport> m_report;
    QList<BatchJob *> m_jobs;
    int m_portCount = 0;
    int m_running = 0;
    int m_exitCode = ExitVerified;
};
