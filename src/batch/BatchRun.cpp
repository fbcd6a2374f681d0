#include "batch/BatchRun.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool WriteStandardOutput(const QByteArray &bytes, QString *error)
{
    errno = 0;
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    // A full disk or a closed pipe shows only when the buffer is flushed.
    if (std::fflush(stdout) != 0 || written != size_t(bytes.size()) || std::ferror(stdout)) {
        *error = QString::fromLocal8Bit(std::strerror(errno ? errno : EIO));
        std::clearerr(stdout);
        return false;
    }
    return true;
}

// Columns a text takes on a terminal: CJK and full-width characters take two.
int Width(const QString &text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x2E80 && !(c.unicode() >= 0xFF61 && c.unicode() <= 0xFFDC) ? 2 : 1;
    return width;
}

// The start of text that fits in width columns.
QString Cut(const QString &text, int width)
{
    int used = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        used += Width(text.mid(i, 1));
        if (used > width)
            return text.left(i);
    }
    return text;
}

QString Padded(const QString &text, int width)
{
    return text + QString(qMax(0, width - Width(text)), QLatin1Char(' '));
}

const char *const Green = "32";
const char *const Yellow = "33";
const char *const Red = "31";

const char *ResultColour(const BatchRecord &record)
{
    if (record.exitCode == ExitVerified)
        return Green;
    return record.exitCode == ExitDiffers ? Yellow : Red;
}

} // namespace

BatchRun::BatchRun(Sink messages, QObject *parent)
    : QObject(parent), m_sink(std::move(messages)), m_stdout(WriteStandardOutput)
{
}

BatchRun::~BatchRun() = default;

void BatchRun::setLive(Writer write, bool colour, int columns)
{
    m_live = std::move(write);
    m_colour = colour;
    m_columns = qMax(20, columns);
}

QString BatchRun::usage()
{
    return QStringLiteral(
        "用法:\n"
        "  corvane-batch read --port PATH [--port PATH ...] [选项]\n"
        "  corvane-batch write PROFILE --port PATH [--port PATH ...] [选项]\n"
        "  corvane-batch verify PROFILE --port PATH [--port PATH ...] [选项]\n"
        "选项:\n"
        "  --port PATH        串口设备；可给多个，各串口同时进行\n"
        "  --baud RATE        波特率 1200、2400、4800、9600、14400、19200、38400、57600 或 "
        "115200（默认 9600）\n"
        "  -o, --output FILE  read 读出的配置写到 "
        "FILE（默认标准输出；多个串口时每个串口一个文件）\n"
        "  --report TARGET    每个模块的结果记录写到 TARGET；可给多个\n"
        "                     TARGET: FILE（每行一个 JSON）、sqlite:FILE 或 "
        "postgresql://USER@HOST[:PORT]/DATABASE\n"
        "  -h, --help         显示本帮助\n"
        "  --version          显示版本\n"
        "退出码:\n"
        "  0    全部核对一致（read: 全部读出）\n"
        "  1    模块与配置不一致\n"
        "  2    用法或配置文件错误\n"
        "  3    串口无法打开、模块无应答、读回校验和错误或模块被拒绝\n"
        "  4    设备断开或模块拒绝写入\n"
        "  5    读出的配置或结果记录未能保存\n"
        "  130  被 SIGINT (Ctrl+C) 中断；143 被 SIGTERM 中断（128 + 信号编号）");
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
    if (m_command != BatchJob::Command::Read && !loadProfile(words.at(1), &wanted))
        return false;
    m_reportTargets = parser.values(report);
    if (m_reportTargets.removeDuplicates() > 0)
        return bad(QStringLiteral("同一个 --report 给了两次"));
    for (const QString &target : std::as_const(m_reportTargets)) {
        QString error;
        std::unique_ptr<BatchReport> sink = BatchReport::open(target, &error);
        if (!sink)
            return bad(QStringLiteral("--report %1: %2").arg(target, error));
        m_reports.push_back(std::move(sink));
    }
    for (const QString &path : ports) {
        auto *job = new BatchJob(path, rate, m_command, wanted, this);
        if (!m_output.isEmpty())
            job->setReadName(QFileInfo(outputFile(path)).completeBaseName());
        connect(job, &BatchJob::progress, this,
                [this](const QString &p, const QString &text) { portLine(p, text); });
        connect(job, &BatchJob::finished, this, &BatchRun::jobFinished);
        m_jobs.append(job);
        m_livePorts << path;
    }
    return true;
}

bool BatchRun::loadProfile(const QString &path, std::optional<Profile::ModuleProfile> *wanted)
{
    Profile::ModuleProfile profile;
    QString error;
    if (!Profile::ReadFile(path, &profile, &error)) {
        m_sink(QStringLiteral("corvane-batch: 配置文件 %1: %2").arg(path, error));
        m_exitCode = ExitUsage;
        return false;
    }
    if (profile.name.isEmpty())
        profile.name = QFileInfo(path).completeBaseName();
    *wanted = profile;
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

void BatchRun::interrupt(int status)
{
    message(QStringLiteral("corvane-batch: 收到结束信号，停止发送"));
    for (BatchJob *job : std::as_const(m_jobs))
        if (!job->isDone())
            job->interrupt(status);
}

void BatchRun::message(const QString &line)
{
    if (!m_live) {
        m_sink(line);
        return;
    }
    drawLive(true);
    m_live(line.toUtf8() + '\n');
    drawLive();
}

void BatchRun::portLine(const QString &port, const QString &text, const char *colour)
{
    if (!m_live) {
        m_sink(QStringLiteral("[%1] %2").arg(port, text));
        return;
    }
    // One column spare: a line that fills the last column leaves the cursor there.
    const QString line = Cut(QStringLiteral("[%1] %2").arg(port, text), m_columns - 1);
    m_liveText[port] = m_colour && colour
                           ? QStringLiteral("\x1b[%1m%2\x1b[0m").arg(QLatin1String(colour), line)
                           : line;
    drawLive();
}

// The modules' lines stand below everything else: to change one, all are drawn again.
void BatchRun::drawLive(bool clearOnly)
{
    QByteArray out;
    if (m_liveDrawn > 0)
        out += "\x1b[" + QByteArray::number(m_liveDrawn) + "F"; // to the first of them
    for (int i = 0; i < m_liveDrawn; ++i)
        out += "\x1b[2K\n"; // erase
    if (m_liveDrawn > 0)
        out += "\x1b[" + QByteArray::number(m_liveDrawn) + "F";
    m_liveDrawn = 0;
    if (!clearOnly) {
        for (const QString &port : std::as_const(m_livePorts)) {
            out += m_liveText.value(port, QStringLiteral("[%1]").arg(port)).toUtf8() + '\n';
            ++m_liveDrawn;
        }
    }
    m_live(out);
}

void BatchRun::saveProfile(BatchJob *job, BatchRecord *record)
{
    const QByteArray bytes = Profile::ToFile(job->readProfile());
    const QString path = outputFile(record->port);
    QString error;
    if (path.isEmpty() || path == QLatin1String("-")) {
        if (m_stdout(bytes, &error))
            return;
        message(QStringLiteral("corvane-batch: [%1] 读出的配置未能写到标准输出（%2），配置丢失")
                    .arg(record->port, error));
    } else {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
            message(QStringLiteral("[%1] 配置已保存到 %2").arg(record->port, path));
            return;
        }
        message(QStringLiteral("corvane-batch: [%1] 配置未能保存到 %2（%3），配置丢失")
                    .arg(record->port, path, file.errorString()));
    }
    record->result = QStringLiteral("not-saved");
    record->exitCode = ExitNotSaved;
}

void BatchRun::jobFinished(BatchJob *job)
{
    BatchRecord record = job->record();
    if (m_command == BatchJob::Command::Read && record.exitCode == ExitVerified)
        saveProfile(job, &record);
    portLine(record.port, QStringLiteral("结果: ") + ResultCaption(record.result),
             ResultColour(record));
    // What differs, named as the windows name it, on the terminal too.
    for (const Profile::Difference &d : std::as_const(record.differences))
        message(QStringLiteral("[%1]   %2: 模块 %3，配置 %4")
                    .arg(record.port, Profile::FieldCaption(d.path),
                         d.reported ? d.moduleValue : QStringLiteral("（未读出）"),
                         d.profileValue.isEmpty() ? QStringLiteral("（无）") : d.profileValue));
    for (size_t i = 0; i < m_reports.size(); ++i) {
        QString error;
        if (!m_reports[i]->add(record, &error)) {
            message(QStringLiteral("corvane-batch: 报告 %1 未能写入（%2），丢失的记录: %3 %4 %5")
                        .arg(m_reportTargets.at(qsizetype(i)), error, record.port, record.command,
                             record.result));
            m_exitCode = qMax<int>(m_exitCode, ExitNotSaved);
        }
    }
    m_records.append(record);
    m_elapsedMs.append(job->elapsedMs());
    m_exitCode = qMax(m_exitCode, record.exitCode);
    if (--m_running == 0) {
        summary();
        Q_EMIT done(m_exitCode);
    }
}

// A table of every module once all have ended: module, port, result, time taken.
void BatchRun::summary()
{
    const QStringList head = {QStringLiteral("模块"), QStringLiteral("端口"),
                              QStringLiteral("结果"), QStringLiteral("用时")};
    QList<QStringList> rows;
    for (int i = 0; i < m_records.size(); ++i) {
        const BatchRecord &r = m_records.at(i);
        rows << QStringList{
            r.softwareVersion.isEmpty() ? QStringLiteral("-") : r.softwareVersion, r.port,
            ResultCaption(r.result),
            QStringLiteral("%1 s").arg(double(m_elapsedMs.at(i)) / 1000, 0, 'f', 1)};
    }
    // The modules' lines stay as they are; the table follows below them.
    m_liveDrawn = 0;
    m_livePorts.clear();
    QList<int> widths;
    for (int c = 0; c < head.size(); ++c) {
        int w = Width(head[c]);
        for (const QStringList &row : std::as_const(rows))
            w = qMax(w, Width(row[c]));
        widths << w;
    }
    auto line = [&widths](const QStringList &cells) {
        QString text;
        for (int c = 0; c < cells.size(); ++c)
            text += c + 1 < cells.size() ? Padded(cells[c], widths[c] + 2) : cells[c];
        return text;
    };
    message(line(head));
    for (int i = 0; i < rows.size(); ++i) {
        QString text = line(rows[i]);
        if (m_live && m_colour)
            text = QStringLiteral("\x1b[%1m%2\x1b[0m")
                       .arg(QLatin1String(ResultColour(m_records[i])), text);
        message(text);
    }
}
