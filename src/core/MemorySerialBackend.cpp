#include "core/MemorySerialBackend.h"

OpenResult MemorySerialBackend::open(const QString &path, qint32 baud, QString *)
{
    if (m_openResult != OpenResult::Ok)
        return m_openResult;
    m_open = true;
    m_path = path;
    m_baud = baud;
    ++m_opens;
    Q_EMIT openedWith(path, baud);
    return OpenResult::Ok;
}

void MemorySerialBackend::close()
{
    m_open = false;
    m_rx.clear(); // a closed port discards what was waiting, as a real one does
}

QByteArray MemorySerialBackend::read(qint64 maxBytes)
{
    const QByteArray bytes = m_rx.left(maxBytes);
    m_rx.remove(0, bytes.size());
    return bytes;
}

qint64 MemorySerialBackend::write(const QByteArray &bytes)
{
    if (!m_open)
        return -1;
    m_tx += bytes;
    Q_EMIT written(bytes);
    return bytes.size();
}

void MemorySerialBackend::inject(const QByteArray &bytes)
{
    if (!m_open || bytes.isEmpty())
        return;
    m_rx += bytes;
    // What the program has not read yet is bounded like a real port's buffer: the oldest bytes
    // give way.
    if (m_rx.size() > SerialLink::MaxUnread)
        m_rx.remove(0, m_rx.size() - SerialLink::MaxUnread);
    Q_EMIT readyRead();
}

void MemorySerialBackend::simulateLoss()
{
    if (m_open)
        Q_EMIT deviceLost();
}

QByteArray MemorySerialBackend::takeWritten()
{
    QByteArray bytes = m_tx;
    m_tx.clear();
    return bytes;
}
