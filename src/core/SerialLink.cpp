#include "core/SerialLink.h"

#include "core/ByteRoutines.h"

#include <QMetaMethod>
#include <QMetaObject>

SerialLink::SerialLink(QObject *parent) : QObject(parent) {}

SerialLink::~SerialLink()
{
    if (m_backend && m_backend->isOpen())
        m_backend->close();
}

void SerialLink::setBackend(SerialBackend *backend)
{
    if (m_backend) {
        if (m_backend->isOpen())
            m_backend->close();
        m_backend->disconnect(this);
        delete m_backend;
    }
    m_backend = backend;
    if (!m_backend)
        return;
    m_backend->setParent(this);
    connect(m_backend, &SerialBackend::readyRead, this, &SerialLink::onReadyRead);
    connect(m_backend, &SerialBackend::deviceLost, this, &SerialLink::onDeviceLost,
            Qt::QueuedConnection);
}

void SerialLink::setPortResolver(std::function<QString(int)> resolver)
{
    m_resolver = std::move(resolver);
}

QString SerialLink::devicePath(int portNumber) const
{
    if (m_resolver)
        return m_resolver(portNumber);
    return QStringLiteral("COM%1").arg(portNumber);
}

void SerialLink::setPortNumber(qint16 number)
{
    m_portNumber = number;
}

void SerialLink::setSettings(const QString &settings)
{
    m_settings = settings;
}

qint32 SerialLink::baudRate() const
{
    bool ok = false;
    const qint32 baud = m_settings.section(QLatin1Char(','), 0, 0).toInt(&ok);
    return ok ? baud : 9600;
}

OpenResult SerialLink::open(QString *detail)
{
    if (!m_backend)
        return OpenResult::OtherError;
    if (m_backend->isOpen())
        return OpenResult::InUse;
    const QString path = devicePath(m_portNumber);
    if (path.isEmpty())
        return OpenResult::NoSuchPort;
    if (m_guard) {
        const QString holder = m_guard(path);
        if (!holder.isEmpty()) {
            if (detail)
                *detail = holder;
            return OpenResult::HeldByWindow;
        }
    }
    const OpenResult result = m_backend->open(path, baudRate(), detail);
    if (result == OpenResult::Ok) {
        m_openPath = path;
        m_backend->setDtr(m_dtr);
        Q_EMIT portOpened();
        // Bytes may already be waiting (a module that talks first).
        scheduleDelivery();
    }
    return result;
}

void SerialLink::close()
{
    if (!m_backend || !m_backend->isOpen())
        return;
    m_backend->close();
    Q_EMIT portClosed();
}

bool SerialLink::isOpen() const
{
    return m_backend && m_backend->isOpen();
}

void SerialLink::setDtr(bool on)
{
    m_dtr = on;
    if (isOpen())
        m_backend->setDtr(on);
}

void SerialLink::setThreshold(int n)
{
    const bool changed = n != m_threshold;
    m_threshold = n;
    m_readLength = n;
    if (changed)
        ++m_thresholdChanges;
    // Inside a handler the delivery loop looks again when the handler returns.
    if (!m_delivering)
        scheduleDelivery();
}

qint64 SerialLink::bytesWaiting() const
{
    return isOpen() ? m_backend->bytesAvailable() : 0;
}

QByteArray SerialLink::read()
{
    if (!isOpen())
        return {};
    const qint64 available = m_backend->bytesAvailable();
    const qint64 count = m_readLength > 0 ? qMin<qint64>(m_readLength, available) : available;
    if (count <= 0)
        return {};
    QByteArray bytes = m_backend->read(count);
    ++m_reads;
    if (!bytes.isEmpty())
        trace(false, bytes);
    return bytes;
}

QByteArray SerialLink::readBytes(int n)
{
    if (m_readLength != n)
        m_readLength = n;
    return read();
}

void SerialLink::waitFor(int n)
{
    if (m_threshold != n || m_readLength != n)
        setThreshold(n);
}

void SerialLink::write(const QByteArray &bytes)
{
    if (!isOpen() || bytes.isEmpty())
        return;
    trace(true, bytes);
    m_backend->write(bytes);
}

void SerialLink::bindReceiver(const QObject *owner, std::function<void()> handler)
{
    m_receiver = owner;
    m_handler = std::move(handler);
    // Bytes that waited for a receiver are its first.
    if (m_handler && !m_delivering)
        scheduleDelivery();
}

void SerialLink::unbindReceiver(const QObject *owner)
{
    if (m_receiver != owner)
        return;
    m_receiver = nullptr;
    m_handler = {};
}

void SerialLink::requestDelivery()
{
    scheduleDelivery();
}

void SerialLink::onReadyRead()
{
    ++m_arrivals;
    if (!m_delivering)
        deliver();
}

void SerialLink::onDeviceLost()
{
    if (!m_backend || !m_backend->isOpen())
        return; // already handled: one loss, one report
    m_backend->close();
    Q_EMIT portClosed();
    Q_EMIT deviceLost(m_openPath);
}

void SerialLink::scheduleDelivery()
{
    if (m_deliveryQueued)
        return;
    m_deliveryQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_deliveryQueued = false;
            if (!m_delivering)
                deliver();
        },
        Qt::QueuedConnection);
}

void SerialLink::deliver()
{
    m_delivering = true;
    while (isOpen() && m_threshold > 0 && m_backend->bytesAvailable() >= m_threshold) {
        const quint64 reads = m_reads, arrivals = m_arrivals, changes = m_thresholdChanges;
        if (m_handler)
            m_handler();
        static const QMetaMethod receivedSignal =
            QMetaMethod::fromSignal(&SerialLink::dataReceived);
        if (isSignalConnected(receivedSignal))
            Q_EMIT dataReceived();
        // A handler that neither read nor changed the threshold, with nothing new arrived,
        // waits for the next arrival: calling it again would spin.
        if (reads == m_reads && changes == m_thresholdChanges && arrivals == m_arrivals)
            break;
    }
    m_delivering = false;
}

void SerialLink::trace(bool transmitted, const QByteArray &bytes)
{
    // Reads come a byte at a time on some steps: skip the signal when nobody listens.
    static const QMetaMethod trafficSignal = QMetaMethod::fromSignal(&SerialLink::traffic);
    if (isSignalConnected(trafficSignal))
        Q_EMIT traffic(transmitted, bytes);
}

int PortNumberOf(const QString &portName)
{
    for (int i = 1; i <= 8; ++i)
        if (portName == QStringLiteral("COM%1").arg(i))
            return i;
    return 0;
}

void SerialLink::applyChoice(const QString &portName, const QString &baudText)
{
    if (const int number = PortNumberOf(portName))
        setPortNumber(qint16(number));
    const int baud = BaudIndex(baudText);
    if (baud >= 0)
        setSettings(QString::number(BaudRates[size_t(baud)]) + QLatin1String(",n,8,1"));
}

QString SerialLink::portName() const
{
    return QStringLiteral("COM%1").arg(m_portNumber);
}

QString BaudText(qint32 rate)
{
    return QString::number(rate) + QLatin1String("bps");
}

int BaudIndex(const QString &text)
{
    for (size_t i = 0; i < BaudRates.size(); ++i)
        if (text == BaudText(BaudRates[i]))
            return int(i);
    return -1;
}
