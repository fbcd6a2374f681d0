#pragma once
// Writes log lines to a file from a thread of its own, so that a line that floods never holds up
// the user interface. append() only copies into a buffer; the writer thread empties it. The
// buffer is bounded: what comes while it is full is counted and the log says how much is missing.
// A file that reaches its size cap is closed and the log goes on in the next file
// ("trace.log", "trace.2.log", "trace.3.log", ...). When the disk refuses a write the log ends
// there: nothing more is written, what comes after is counted as lost, and failure() says so.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <thread>

class TrafficLogWriter
{
public:
    static constexpr qint64 DefaultFileCap = 32LL * 1024 * 1024;
    static constexpr qint64 DefaultBufferCap = 8LL * 1024 * 1024;

    explicit TrafficLogWriter(qint64 fileCap = DefaultFileCap, qint64 bufferCap = DefaultBufferCap);
    ~TrafficLogWriter();
    TrafficLogWriter(const TrafficLogWriter &) = delete;
    TrafficLogWriter &operator=(const TrafficLogWriter &) = delete;

    // Starts a log at path (its folder is made); header is written at the top of every file.
    // False with a reason when the first file cannot be created.
    bool open(const QString &path, const QByteArray &header = {}, QString *error = nullptr);
    // Writes what is buffered and ends the thread.
    void close();
    bool isOpen() const { return m_thread.joinable(); }

    // Never waits for the disk.
    void append(const QByteArray &lines);
    // Waits until everything appended so far is written (tests, before reading the files).
    void flush();

    // The files written so far, first to last.
    QStringList files() const;
    qint64 droppedBytes() const;
    // Empty while every line reached the disk; otherwise which file failed, why, and how many
    // bytes of log lines were lost since (counting those appended after the failure).
    QString failure() const;

private:
    void run();
    bool openFile(int number);
    bool nextFile();
    void fail(const QString &reason, qint64 lost);
    QString fileName(int number) const;

    const qint64 m_fileCap;
    const qint64 m_bufferCap;
    QString m_path;
    QByteArray m_header;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    QByteArray m_buffer;
    qint64 m_dropped = 0; // bytes refused since the buffer was last full
    qint64 m_droppedTotal = 0;
    QString m_failure; // the file and the reason; empty while all is well
    qint64 m_lost = 0; // bytes not written since the failure
    bool m_stop = false;
    bool m_writing = false;
    QStringList m_files;
    std::thread m_thread;

    // Writer thread only.
    struct File;
    File *m_file = nullptr;
};
