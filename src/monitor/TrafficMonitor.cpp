#include "monitor/TrafficMonitor.h"

#include "core/Dialogs.h"
#include "core/SerialLink.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>

namespace {
const char AutoLogKey[] = "monitor/autoLog";

TrafficNamer::Family FamilyOf(SerialLink::Conversation conversation)
{
    switch (conversation) {
    case SerialLink::Conversation::Connect:
        return TrafficNamer::Family::Connect;
    case SerialLink::Conversation::Alarm:
        return TrafficNamer::Family::Alarm;
    case SerialLink::Conversation::Data:
        return TrafficNamer::Family::Data;
    case SerialLink::Conversation::None:
        break;
    }
    return TrafficNamer::Family::Other;
}
} // namespace

TrafficMonitor::TrafficMonitor(QObject *parent)
    : QObject(parent), m_model(TrafficModel::DefaultBound, this)
{
    setObjectName(QStringLiteral("TrafficMonitor"));
    BatchTimer.setInterval(100);
    connect(&BatchTimer, &QTimer::timeout, this, &TrafficMonitor::batchTick);
}

bool TrafficMonitor::autoLog() const
{
    if (!m_autoLog)
        m_autoLog = QSettings().value(QLatin1String(AutoLogKey), false).toBool();
    return *m_autoLog;
}

TrafficMonitor::~TrafficMonitor()
{
    // The taps live with their links; they must not reach a monitor that is gone.
    for (const QPointer<LinkTap> &tap : std::as_const(m_taps))
        delete tap.data();
    setTraceFile(QString()); // the trace's last lines, and a word if they were lost
}

bool TrafficMonitor::checkLog(const TrafficLogWriter &writer, bool trace)
{
    const QString failure = writer.failure();
    if (failure.isEmpty())
        return false;
    tell(failure, trace);
    return true;
}

void TrafficMonitor::tell(const QString &message, bool trace)
{
    if (trace) {
        std::fprintf(stderr, "corvane: --trace: %s\n", qPrintable(message));
        std::fflush(stderr);
    } else {
        // Not from inside a tick or a port signal: the box runs an event loop of its own.
        QMetaObject::invokeMethod(
            this,
            [message] { ShowMessage(message, QStringLiteral("通信监视"), MsgIcon::Exclamation); },
            Qt::QueuedConnection);
    }
    Q_EMIT logFailed(message);
}

void TrafficMonitor::follow(SerialLink &link)
{
    for (const QPointer<LinkTap> &tap : std::as_const(m_taps))
        if (tap && tap->parent() == &link)
            return;
    auto *tap = new LinkTap(link, *this);
    m_taps.removeAll(nullptr);
    m_taps.append(tap);
    tap->listen(wantsRows());
    if (autoLog() && link.isOpen())
        tap->startLog();
}

QString TrafficMonitor::logsFolder()
{
    // "Corvane" in the user's data folder: one level, though the organisation bears the
    // program's name too (the application data folder would be Corvane/Corvane).
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Corvane/logs"));
}

QString TrafficMonitor::autoLogPath() const
{
    for (auto it = m_taps.crbegin(); it != m_taps.crend(); ++it)
        if (*it && !(*it)->logPath().isEmpty())
            return (*it)->logPath();
    return {};
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
    for (const QPointer<LinkTap> &tap : std::as_const(m_taps)) {
        if (!tap)
            continue;
        if (on)
            tap->startLog();
        else
            tap->stopLog();
    }
    updateListening();
}

bool TrafficMonitor::setTraceFile(const QString &path)
{
    if (m_trace) {
        m_trace->close();
        // Said once when it failed, and once more at the end if lines were lost since.
        if (!m_traceFailed || m_trace->failure() != m_traceFailure)
            checkLog(*m_trace, true);
    }
    m_trace.reset();
    m_traceFailed = false;
    bool opened = true;
    if (!path.isEmpty()) {
        m_trace = std::make_unique<TrafficLogWriter>();
        opened = m_trace->open(path, TrafficRow::logHeader());
        if (!opened)
            m_trace.reset();
    }
    updateListening();
    return opened;
}

void TrafficMonitor::updateListening()
{
    const bool listen = wantsRows();
    for (const QPointer<LinkTap> &tap : std::as_const(m_taps))
        if (tap)
            tap->listen(listen);
    if (listen)
        BatchTimer.start();
    else
        BatchTimer.stop();
}

void TrafficMonitor::takeRow(TrafficRow &row, TrafficLogWriter *connectionLog)
{
    if (connectionLog || m_trace) {
        const QByteArray line = row.logLine();
        if (connectionLog)
            connectionLog->append(line);
        if (m_trace)
            m_trace->append(line);
    }
    if (m_watching)
        m_model.add(std::move(row));
}

void TrafficMonitor::batchTick()
{
    if (m_trace && !m_traceFailed && checkLog(*m_trace, true)) {
        m_traceFailed = true;
        m_traceFailure = m_trace->failure();
    }
    for (const QPointer<LinkTap> &tap : std::as_const(m_taps))
        if (tap)
            tap->tick();
    m_model.takePending();
}

// ---- one link --------------------------------------------------------------------------------

LinkTap::LinkTap(SerialLink &link, TrafficMonitor &monitor)
    : QObject(&link), m_link(link), m_monitor(monitor)
{
    setObjectName(QStringLiteral("LinkTap"));
    m_since.start();
    m_namer.setRowHandler([this](TrafficRow &row) {
        row.elapsedMs = m_since.elapsed();
        row.wall = QDateTime::currentDateTime();
        row.port = m_link.portName();
        m_monitor.takeRow(row, m_connectionLog.get());
    });
    connect(&link, &SerialLink::portOpened, this, &LinkTap::portOpened);
    connect(&link, &SerialLink::portClosed, this, &LinkTap::portClosed);
}

void LinkTap::listen(bool on)
{
    if (on == m_listening)
        return;
    m_listening = on;
    if (on) {
        m_namer.restart();
        m_connection = connect(&m_link, &SerialLink::traffic, this, &LinkTap::onTraffic);
    } else {
        disconnect(m_connection);
        m_namer.flush();
    }
}

void LinkTap::startLog()
{
    if (m_connectionLog || !m_link.isOpen())
        return;
    const QString name =
        QStringLiteral("corvane-%1-%2.log")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz")),
                 m_link.portName());
    m_connectionLog = std::make_unique<TrafficLogWriter>();
    m_logFailed = false;
    QString error;
    if (!m_connectionLog->open(QDir(TrafficMonitor::logsFolder()).filePath(name),
                               TrafficRow::logHeader(), &error)) {
        m_connectionLog.reset();
        m_monitor.tell(error, false);
    }
}

QString LinkTap::logPath() const
{
    const QStringList files = m_connectionLog ? m_connectionLog->files() : QStringList();
    return files.isEmpty() ? QString() : files.last();
}

void LinkTap::stopLog()
{
    if (!m_connectionLog)
        return;
    m_connectionLog->close(); // writes what is left
    if (!m_logFailed)
        m_monitor.checkLog(*m_connectionLog, false);
    m_connectionLog.reset();
}

void LinkTap::tick()
{
    if (m_connectionLog && !m_logFailed)
        m_logFailed = m_monitor.checkLog(*m_connectionLog, false);
    if (m_quiet)
        m_namer.flush();
    m_quiet = true;
}

void LinkTap::portOpened()
{
    m_since.restart();
    m_namer.restart();
    if (m_monitor.autoLog())
        startLog();
}

void LinkTap::portClosed()
{
    m_namer.finish();
    stopLog();
}

void LinkTap::onTraffic(bool sent, const QByteArray &bytes)
{
    m_quiet = false;
    const TrafficNamer::Family family = FamilyOf(m_link.conversation());
    if (sent)
        m_namer.sent(bytes, family);
    else
        m_namer.received(bytes, family);
}
