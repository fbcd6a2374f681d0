#include "serial/RoutingBackend.h"

RoutingBackend::RoutingBackend(QObject *parent)
    : SerialBackend(parent), m_device(new QtSerialBackend(this)),
      m_memory(new MemorySerialBackend(this))
{
    for (SerialBackend *b :
         {static_cast<SerialBackend *>(m_device), static_cast<SerialBackend *>(m_memory)}) {
        connect(b, &SerialBackend::readyRead, this, [this, b] {
            if (b == active())
                Q_EMIT readyRead();
        });
        connect(b, &SerialBackend::deviceLost, this, [this, b] {
            if (b == active())
                Q_EMIT deviceLost();
        });
    }
}

SerialBackend *RoutingBackend::active() const
{
    return m_virtual ? static_cast<SerialBackend *>(m_memory)
                     : static_cast<SerialBackend *>(m_device);
}

OpenResult RoutingBackend::open(const QString &path, qint32 baud, QString *detail)
{
    if (isOpen())
        return OpenResult::InUse;
    m_virtual = path == QLatin1String(VirtualPath) || path == QLatin1String(VirtualVx8Path);
    return active()->open(path, baud, detail);
}

void RoutingBackend::close()
{
    active()->close();
}
bool RoutingBackend::isOpen() const
{
    return active()->isOpen();
}
qint64 RoutingBackend::bytesAvailable() const
{
    return active()->bytesAvailable();
}
QByteArray RoutingBackend::read(qint64 maxBytes)
{
    return active()->read(maxBytes);
}
qint64 RoutingBackend::write(const QByteArray &bytes)
{
    return active()->write(bytes);
}
void RoutingBackend::setDtr(bool on)
{
    active()->setDtr(on);
}
