#include "monitor/TrafficMonitor.h"

#include "core/Module1.h"
#include "core/SerialLink.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {
const char AutoLogKey[] = "monitor/autoLog";

TrafficNamer::Family FamilyOf(qint16 protocolId)
{
    switch (protocolId) {
    case ProtocolConnect:
        return TrafficNamer::Family::Connect;
    case ProtocolAlarm:
    case ProtocolAlarmWindowLoading:
        return TrafficNamer::Family::Alarm;
    case ProtocolDataModule:
        return TrafficNamer::Family::Data;
    default:
        return TrafficNamer::Family::Other;
    }
}
} // namespace

TrafficMonitor::TrafficMonitor(SerialLink &link, QObject *parent)
    : QObject(parent), m_link(link), m_model(TrafficModel::DefaultBound, this)
{
    setObjectName(QStringLiteral("TrafficMonitor"));
    m_since.start();
    m_namer.setRowHandler([this](TrafficRow &row) { onRow(row); });
    BatchTimer.setInterval(100);
    connect(&BatchTimer, &QTimer::timeout, this, &TrafficMonitor::batchTick);
    connect(&link, &SerialLink::portOpened, this, &TrafficMonitor::portOpened);
    connect(&link, &SerialLink::portClosed, this, &TrafficMonitor::portClosed);
    m_autoLog = QSettings().value(QLatin1String(AutoLogKey), false).toBool();
    updateListening();
    if (m_autoLog && link.isOpen())
        portOpened();
}

TrafficMonitor::~TrafficMonitor() = default;

TrafficMonitor *TrafficMonitor::of(SerialLink &link)
{
    if (auto *monitor = link.findChild<TrafficMonitor *>(QString(), Qt::FindDirectChildrenOnly))
        return monitor;
    return new TrafficMonitor(link, &link);
}

QString TrafficMonitor::logsFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("logs"));
}

QString TrafficMonitor::autoLogPath() const
{
    const QStringList files = m_connectionLog ? m_connectionLog->files() : QStringList();
    return files.isEmpty() ? QString() : files.last();
}

void TrafficMonitor::setWatching(bool on)
{
    m_watching = on;
    updateListening();
}

void TrafficMonitor::setAutoLog(bool on)
{
    m_autoLog = on;
    QSettings().setValue(QLatin1String(AutoLogKey), on);
    if (!on)
        m_connectionLog.reset();
    else if (m_link.isOpen() && !m_connectionLog)
        portOpened();
    updateListening();
}

void TrafficMonitor::setTraceFile(const QString &path)
{
    m_trace.reset();
    if (!path.isEmpty()) {
        m_trace = std::make_unique<TrafficLogWriter>();
        if (!m_trace->open(path, TrafficRow::logHeader()))
            m_trace.reset();
    }
    updateListening();
}

void TrafficMonitor::updateListening()
{
    const bool listen = m_watching || m_autoLog || m_trace;
    if (listen == m_listening)
        return;
    m_listening = listen;
    if (listen) {
        m_namer.restart();
        m_connection = connect(&m_link, &SerialLink::traffic, this, &TrafficMonitor::onTraffic);
        BatchTimer.start();
    } else {
        disconnect(m_connection);
        BatchTimer.stop();
        m_namer.flush();
    }
}

void TrafficMonitor::portOpened()
{
    m_since.restart();
    m_namer.restart();
    if (!m_autoLog)
        return;
    const QString name =
        QStringLiteral("corvane-%1-COM%2.log")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz")))
            .arg(m_link.portNumber());
    m_connectionLog = std::make_unique<TrafficLogWriter>();
    if (!m_connectionLog->open(QDir(logsFolder()).filePath(name), TrafficRow::logHeader()))
        m_connectionLog.reset();
}

void TrafficMonitor::portClosed()
{
    m_namer.flush();
    m_connectionLog.reset(); // writes what is left, then closes the file
}

void TrafficMonitor::onTraffic(bool sent, const QByteArray &bytes)
{
    m_quiet = false;
    const TrafficNamer::Family family = FamilyOf(ProtocolId);
    if (sent)
        m_namer.sent(bytes, family);
    else
        m_namer.received(bytes, family);
}

void TrafficMonitor::onRow(TrafficRow &row)
{
    row.elapsedMs = m_since.elapsed();
    row.wall = QDateTime::currentDateTime();
    if (m_connectionLog || m_trace) {
        const QByteArray line = row.logLine();
        if (m_connectionLog)
            m_connectionLog->append(line);
        if (m_trace)
            m_trace->append(line);
    }
    if (m_watching)
        m_model.add(std::move(row));
}

void TrafficMonitor::batchTick()
{
    // A run of bytes with no frame ends when the line has been quiet for a tick.
    if (m_quiet)
        m_namer.flush();
    m_quiet = true;
    m_model.takePending();
}
