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
    m_dropped = m_droppedTotal = 0;
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

bool TrafficLogWriter::nextFile()
{
    m_file->file.flush();
    return openFile(m_file->number + 1);
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
            chunk += QByteArray("# ") + QByteArray::number(dropped) +
                     QByteArray(" bytes of log lines were left out: the line was faster than "
                                "the disk\n");
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
            m_file->size += m_file->file.write(chunk.constData() + at, end - at);
            at = end;
            if (at < chunk.size() && !nextFile())
                break; // the disk refuses: the rest of this chunk is lost
        }
        if (m_file)
            m_file->file.flush();
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
