#include "batch/BatchJob.h"

#include "core/OpenFailure.h"
#include "serial/QtSerialBackend.h"

#include <QHash>

QString CommandName(BatchJob::Command command)
{
    switch (command) {
    case BatchJob::Command::Read:
        return QStringLiteral("read");
    case BatchJob::Command::Write:
        return QStringLiteral("write");
    case BatchJob::Command::Verify:
        return QStringLiteral("verify");
    }
    return {};
}

QString ResultCaption(const QString &result)
{
    static const QHash<QString, QString> captions = {
        {"read", "已读出"},
        {"verified", "核对一致"},
        {"differs", "与配置不一致"},
        {"no-answer", "模块无应答"},
        {"checksum", "读回的校验和错误"},
        {"refused", "模块拒绝写入"},
        {"gprs-refused", "GPRS 模块，不能在此连接"},
        {"device-lost", "串口设备已断开"},
        {"interrupted", "已中断"},
        {"not-saved", "结果未能保存"},
        {"no-such-port", "没有这个串口"},
        {"port-busy", "串口正被其它程序使用"},
        {"no-permission", "没有访问串口的权限"},
        {"not-a-serial-port", "不是串口设备"},
        {"stale-lock", "串口被已结束程序的锁文件锁着"},
        {"port-not-opened", "串口无法打开"},
    };
    const auto it = captions.constFind(result);
    return it == captions.constEnd() ? result : QStringLiteral("%1（%2）").arg(*it, result);
}

namespace {

// The report's name for why a port did not open.
QString OpenResultName(OpenResult result)
{
    switch (result) {
    case OpenResult::NoSuchPort:
        return QStringLiteral("no-such-port");
    case OpenResult::InUse:
    case OpenResult::HeldByWindow:
        return QStringLiteral("port-busy");
    case OpenResult::NoPermission:
        return QStringLiteral("no-permission");
    case OpenResult::NotASerialPort:
        return QStringLiteral("not-a-serial-port");
    case OpenResult::StaleLock:
        return QStringLiteral("stale-lock");
    case OpenResult::Ok:
    case OpenResult::OtherError:
        break;
    }
    return QStringLiteral("port-not-opened");
}

} // namespace

BatchJob::BatchJob(const QString &port, qint32 baud, Command command,
                   const std::optional<Profile::ModuleProfile> &wanted, QObject *parent)
    : QObject(parent), m_command(command), m_wanted(wanted)
{
    m_record.command = CommandName(command);
    m_record.port = port;
    if (wanted) {
        m_record.profileName = wanted->name;
        m_record.profileChecksum = Profile::Checksum(*wanted);
    }
    m_link.setBackend(new QtSerialBackend);
    m_link.setPortResolver([port](int) { return port; });
    m_link.setSettings(QStringLiteral("%1,n,8,1").arg(baud));
    // The next read-out of the connect leaves as soon as the last one is answered.
    m_routine.setPace(ConnectRoutine::Pace::OnAnswer);
    connect(&m_routine, &ConnectRoutine::finished, this, &BatchJob::connected);
    connect(&m_runner, &ProfileRunner::finished, this, &BatchJob::ran);
    connect(&m_runner, &ProfileRunner::progress, this, &BatchJob::step);
    connect(&m_link, &SerialLink::deviceLost, this, [this] {
        // While connecting; afterwards the runner reports it with the request it stopped at.
        if (m_routine.isActive())
            end(QStringLiteral("device-lost"), ExitLostDevice, QStringLiteral("connect"));
    });
}

void BatchJob::step(const QString &where)
{
    m_step = where;
    Q_EMIT progress(m_record.port, Profile::StepCaption(where));
}

void BatchJob::start()
{
    if (m_done) // interrupted before it started
        return;
    m_startMs = QDateTime::currentMSecsSinceEpoch();
    QString detail;
    const OpenResult opened = m_link.open(&detail);
    if (opened != OpenResult::Ok) {
        m_link.close();
        // The same words as the connect windows use, on the terminal; the cause in the report.
        Q_EMIT progress(m_record.port,
                        OpenFailureText(opened, QStringLiteral(" %1 ").arg(m_record.port), detail));
        end(OpenResultName(opened), ExitNoModule,
            detail.isEmpty() ? QStringLiteral("open")
                             : QStringLiteral("open: ") + detail.trimmed());
        return;
    }
    m_link.setDtr(false);
    step(QStringLiteral("connect"));
    m_routine.start();
}

void BatchJob::interrupt(int status)
{
    end(QStringLiteral("interrupted"), status, m_step);
}

void BatchJob::connected(ConnectRoutine::Result result)
{
    if (m_done)
        return;
    // The version reply repeats the operation byte before the text.
    m_record.softwareVersion = m_routine.identity().version.mid(1).trimmed();
    using Result = ConnectRoutine::Result;
    switch (result) {
    case Result::Connected:
        break;
    case Result::NoAnswer:
    case Result::GaveUp:
        end(QStringLiteral("no-answer"), ExitNoModule, QStringLiteral("connect"));
        return;
    case Result::GprsRefused:
        // The module is a GPRS module: the connect dialog refuses it as well.
        end(QStringLiteral("gprs-refused"), ExitNoModule, QStringLiteral("connect"));
        return;
    case Result::DeviceLost:
        end(QStringLiteral("device-lost"), ExitLostDevice, QStringLiteral("connect"));
        return;
    }
    m_exchange.bind();
    m_exchange.parser().reset();
    m_exchange.parser().setFrameMachine(true);
    switch (m_command) {
    case Command::Read:
        m_runner.read();
        break;
    case Command::Write:
        m_runner.write(*m_wanted);
        break;
    case Command::Verify:
        m_runner.verify(*m_wanted);
        break;
    }
}

void BatchJob::ran(const ProfileRunner::Outcome &outcome)
{
    const AlarmSettings &s = m_exchange.settings();
    if (s.version)
        m_record.softwareVersion = s.version->text;
    m_record.differences = outcome.differences;
    using R = ProfileRunner::Result;
    switch (outcome.result) {
    case R::Verified:
        if (m_command == Command::Read) {
            m_read = m_runner.moduleProfile(m_readName.isEmpty() ? m_record.port : m_readName);
            m_record.profileName = m_read.name;
            m_record.profileChecksum = Profile::Checksum(m_read);
            end(QStringLiteral("read"), ExitVerified);
        } else {
            end(QStringLiteral("verified"), ExitVerified);
        }
        return;
    case R::Differs:
        end(QStringLiteral("differs"), ExitDiffers);
        return;
    case R::NoAnswer:
        end(QStringLiteral("no-answer"), ExitNoModule, outcome.stoppedAt);
        return;
    case R::Refused:
        end(QStringLiteral("refused"), ExitLostDevice, outcome.stoppedAt);
        return;
    case R::DeviceLost:
        end(QStringLiteral("device-lost"), ExitLostDevice, outcome.stoppedAt);
        return;
    case R::Checksum:
        end(QStringLiteral("checksum"), ExitNoModule, outcome.stoppedAt);
        return;
    }
}

void BatchJob::end(const QString &result, int exitCode, const QString &stoppedAt)
{
    if (m_done)
        return;
    m_done = true;
    m_runner.stop();
    if (m_link.isOpen())
        m_link.close();
    m_record.time = QDateTime::currentDateTimeUtc();
    m_record.result = result;
    m_record.exitCode = exitCode;
    m_record.stoppedAt = stoppedAt;
    m_elapsedMs = m_startMs ? QDateTime::currentMSecsSinceEpoch() - m_startMs : 0;
    Q_EMIT finished(this);
}
