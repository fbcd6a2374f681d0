#include "batch/BatchRun.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>

BatchRun::BatchRun(Sink messages, QObject *parent) : QObject(parent), m_sink(std::move(messages)) {}

BatchRun::~BatchRun() = default;

QString BatchRun::usage()
{
    return QStringLiteral(
        "用法:\n"
        "  corvane-batch read --port PATH [--port PATH ...] [--baud RATE] [-o FILE] "
        "[--report TARGET]\n"
        "  corvane-batch write PROFILE --port PATH [...] [--baud RATE] [--report TARGET]\n"
        "  corvane-batch verify PROFILE --port PATH [...] [--baud RATE] [--report TARGET]\n"
        "TARGET: FILE (JSON lines), sqlite:FILE or postgresql://USER@HOST[:PORT]/DATABASE\n"
        "退出码: 0 全部核对一致, 1 模块与配置不一致, 2 用法或配置文件错误, "
        "3 模块无应答或被拒绝, 4 设备断开或写入被拒绝");
}

bool BatchRun::setUp(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption baud(QStringLiteral("baud"), QString(), QStringLiteral("RATE"),
                                  QStringLiteral("9600"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QString(), QStringLiteral("FILE"));
    const QCommandLineOption report(QStringLiteral("report"), QString(), QStringLiteral("TARGET"));
    parser.addOptions({port, baud, output, report});
    auto bad = [this](const QString &why) {
        m_sink(QStringLiteral("corvane-batch: ") + why);
        m_sink(usage());
        m_exitCode = ExitUsage;
        return false;
    };
    if (!parser.parse(QStringList{QStringLiteral("corvane-batch")} + arguments))
        return bad(parser.errorText());
    const QStringList words = parser.positionalArguments();
    const QString command = words.value(0);
    if (command == QLatin1String("read") && words.size() == 1)
        m_command = BatchJob::Command::Read;
    else if (command == QLatin1String("write") && words.size() == 2)
        m_command = BatchJob::Command::Write;
    else if (command == QLatin1String("verify") && words.size() == 2)
        m_command = BatchJob::Command::Verify;
    else
        return bad(QStringLiteral("需要 read、write PROFILE 或 verify PROFILE"));
    QStringList ports = parser.values(port);
    if (ports.isEmpty())
        return bad(QStringLiteral("至少需要一个 --port"));
    if (ports.removeDuplicates() > 0)
        return bad(QStringLiteral("同一个 --port 给了两次"));
    bool ok = false;
    const qint32 rate = parser.value(baud).toInt(&ok);
    if (!ok || std::find(BaudRates.begin(), BaudRates.end(), rate) == BaudRates.end())
        return bad(QStringLiteral("--baud: 1200、2400、4800、9600、14400、19200、38400、57600 "
                                  "或 115200"));
    m_output = parser.value(output);
    m_portCount = int(ports.size());
    if (m_portCount > 1 && m_command == BatchJob::Command::Read &&
        (m_output.isEmpty() || m_output == QLatin1String("-")))
        return bad(QStringLiteral("多个 --port 的 read 需要 -o FILE"));
    if (m_command != BatchJob::Command::Read && !m_output.isEmpty())
        return bad(QStringLiteral("-o 只用于 read"));

    std::optional<Profile::ModuleProfile> wanted;
    if (m_command != BatchJob::Command::Read) {
        QFile file(words.at(1));
        if (!file.open(QIODevice::ReadOnly))
            return bad(QStringLiteral("配置文件 %1: %2").arg(words.at(1), file.errorString()));
        Profile::ModuleProfile profile;
        QString error;
        if (!Profile::FromFile(file.readAll(), &profile, &error)) {
            m_sink(QStringLiteral("corvane-batch: 配置文件 %1: %2").arg(words.at(1), error));
            m_exitCode = ExitUsage;
            return false;
        }
        if (profile.name.isEmpty())
            profile.name = QFileInfo(words.at(1)).completeBaseName();
        wanted = profile;
    }
    if (parser.isSet(report)) {
        QString error;
        m_report = BatchReport::open(parser.value(report), &error);
        if (!m_report)
            return bad(QStringLiteral("--report %1: %2").arg(parser.value(report), error));
    }
    for (const QString &path : ports) {
        auto *job = new BatchJob(path, rate, m_command, wanted, this);
        if (!m_output.isEmpty())
            job->setReadName(QFileInfo(outputFile(path)).completeBaseName());
        connect(job, &BatchJob::progress, this, [this](const QString &p, const QString &text) {
            m_sink(QStringLiteral("[%1] %2").arg(p, text));
        });
        connect(job, &BatchJob::finished, this, &BatchRun::jobFinished);
        m_jobs.append(job);
    }
    return true;
}

QString BatchRun::outputFile(const QString &port) const
{
    if (m_portCount < 2 || m_output.isEmpty() || m_output == QLatin1String("-"))
        return m_output;
    // Several ports: one file each, the port's device name before the suffix
    // (station.json -> station-ttyUSB0.json).
    const QFileInfo info(m_output);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return m_output.left(m_output.size() - suffix.size()) + QLatin1Char('-') +
           QFileInfo(port).fileName() + suffix;
}

void BatchRun::start()
{
    m_running = int(m_jobs.size());
    // From the event loop, so that a port that ends at once (it does not open) ends after the
    // caller has started waiting for done().
    for (BatchJob *job : m_jobs)
        QMetaObject::invokeMethod(job, &BatchJob::start, Qt::QueuedConnection);
}

void BatchRun::jobFinished(BatchJob *job)
{
    BatchRecord record = job->record();
    if (m_command == BatchJob::Command::Read && record.exitCode == ExitVerified) {
        const QByteArray bytes = Profile::ToFile(job->readProfile());
        const QString path = outputFile(record.port);
        if (path.isEmpty() || path == QLatin1String("-")) {
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
            std::fflush(stdout);
        } else {
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
                !file.commit()) {
                m_sink(QStringLiteral("[%1] %2: %3").arg(record.port, path, file.errorString()));
                record.result = QStringLiteral("not-saved");
                record.exitCode = ExitUsage;
            } else {
                m_sink(QStringLiteral("[%1] -> %2").arg(record.port, path));
            }
        }
    }
    if (m_report) {
        QString error;
        if (!m_report->add(record, &error))
            m_sink(QStringLiteral("[%1] --report: %2").arg(record.port, error));
    }
    m_exitCode = qMax(m_exitCode, record.exitCode);
    if (--m_running == 0)
        Q_EMIT done(m_exitCode);
}
