#include "monitor/TrafficLogWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

struct TrafficLogWriter::File {
    QFile file;
    int number = 1;
    qint64 size = 0;
};

TrafficLogWriter::TrafficLogWriter(qint64 fileCap, qint64 bufferCap)
    : m_fileCap(qMax<qint64>(fileCap, 1024)), m_bufferCap(qMax<qint64>(bufferCap, 1024))
{
}

TrafficLogWriter::~TrafficLogWriter()
{
    close();
}

QString TrafficLogWriter::fileName(int number) const
{
    if (number == 1)
        return m_path;
    const QFileInfo info(m_path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return info.dir().filePath(info.completeBaseName() + QLatin1Char('.') +
                               QString::number(number) + suffix);
}

bool TrafficLogWriter::openFile(int number)
{
    auto *next = new File;
    next->number = number;
    next->file.setFileName(fileName(number));
    if (!next->file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (m_file) // the next file of a running log: the log ends here
            fail(QStringLiteral("无法创建 %1（%2）")
                     .arg(next->file.fileName(), next->file.errorString()),
                 0);
        delete next;
        return false;
    }
    next->size = next->file.size();
    if (next->size == 0 && !m_header.isEmpty())
        next->size += next->file.write(m_header);
    delete m_file;
    m_file = next;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_files << m_file->file.fileName();
    return true;
}

bool TrafficLogWriter::open(const QString &path, const QByteArray &header, QString *error)
{
    close();
    m_path = path;
    m_header = header;
    m_files.clear();
    m_buffer.clear();
    m_dropped = m_droppedTotal = m_lost = 0;
    m_failure.clear();
    m_stop = false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!openFile(1)) {
        if (error)
            *error = QStringLiteral("无法创建日志文件 %1").arg(path);
        return false;
    }
    m_thread = std::thread([this] { run(); });
    return true;
}

void TrafficLogWriter::close()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    delete m_file;
    m_file = nullptr;
}

void TrafficLogWriter::append(const QByteArray &lines)
{
    if (!m_thread.joinable() || lines.isEmpty())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_failure.isEmpty()) {
            m_lost += lines.size(); // the log has ended
            return;
        }
        if (m_buffer.size() + lines.size() > m_bufferCap) {
            // Counted; the writer notes the gap in the log.
            m_dropped += lines.size();
            m_droppedTotal += lines.size();
        } else {
            m_buffer += lines;
        }
    }
    m_wake.notify_one();
}

void TrafficLogWriter::flush()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] {
        return !m_thread.joinable() || (m_buffer.isEmpty() && m_dropped == 0 && !m_writing);
    });
}

QStringList TrafficLogWriter::files() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_files;
}

qint64 TrafficLogWriter::droppedBytes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_droppedTotal;
}

QString TrafficLogWriter::failure() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_failure.isEmpty())
        return {};
    return QStringLiteral("日志 %1 写入失败：%2。日志到此结束，共有 %3 字节的通信记录没有写入。")
        .arg(m_path, m_failure)
        .arg(m_lost);
}

// Writer thread: the disk refused; the log ends and lost bytes are counted from here on.
void TrafficLogWriter::fail(const QString &reason, qint64 lost)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_failure.isEmpty())
        m_failure = reason.isEmpty() ? QStringLiteral("未知错误") : reason;
    m_lost += lost + m_buffer.size();
    m_buffer.clear();
}

bool TrafficLogWriter::nextFile()
{
    return m_file->file.flush() && openFile(m_file->number + 1);
}

void TrafficLogWriter::run()
{
    for (;;) {
        QByteArray chunk;
        qint64 dropped = 0;
        bool stop = false;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_buffer.isEmpty() || m_dropped; });
            chunk.swap(m_buffer);
            dropped = std::exchange(m_dropped, 0);
            stop = m_stop;
            m_writing = true;
        }
        if (dropped)
            chunk += QStringLiteral("# 有 %1 字节的通信记录没有写入：线路上的数据比磁盘写得快\n")
                         .arg(dropped)
                         .toUtf8();
        // Whole lines go to one file: a line that does not fit starts the next file. Only a
        // line longer than a whole file is cut.
        qsizetype at = 0;
        while (at < chunk.size() && m_file) {
            const qint64 room = m_fileCap - m_file->size;
            qsizetype end = chunk.size();
            if (end - at > room) {
                const qsizetype cut = room > 0 ? chunk.lastIndexOf('\n', at + room - 1) : -1;
                if (cut >= at) {
                    end = cut + 1;
                } else if (m_file->size > m_header.size()) {
                    if (!nextFile())
                        break;
                    continue;
                } else {
                    end = at + qMax<qint64>(room, 1);
                }
            }
            const qint64 written = m_file->file.write(chunk.constData() + at, end - at);
            if (written != end - at)
                break;
            m_file->size += written;
            at = end;
            if (at < chunk.size() && !nextFile())
                break;
        }
        // A refused write, a next file that cannot be made or a failed flush: the bytes not yet
        // on the disk are lost and the log ends.
        const bool flushed = m_file && m_file->file.flush();
        if (m_file && (at < chunk.size() || !flushed)) {
            fail(m_file->file.errorString(), flushed ? chunk.size() - at : chunk.size());
            delete m_file;
            m_file = nullptr;
        } else if (!m_file && !chunk.isEmpty()) {
            fail(QString(), chunk.size());
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_writing = false;
        }
        m_idle.notify_all();
        if (stop) {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_buffer.isEmpty())
                return;
        }
    }
}
