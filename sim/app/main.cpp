// corvane-sim: the virtual alarm control module on a pseudo-terminal. It prints the device path
// and serves it until SIGINT or SIGTERM; connect the program to that path with --port COMn=PATH.

#include "Serve.h"
#include "sim/AlarmModuleSim.h"
#include "sim/PtyServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

namespace {

int UsageError(const QString &text)
{
    std::fprintf(stderr, "corvane-sim: %s\n", qPrintable(text));
    return 2;
}

// Value of an option that must be one of the given words; empty when it is not.
QString Choice(const QCommandLineParser &parser, const QString &name, const QStringList &words)
{
    const QString value = parser.value(name).toLower();
    return words.contains(value) ? value : QString();
}

// One command line of standard input; unknown commands are reported and ignored.
void RunCommand(AlarmModuleSim &sim, const QString &line)
{
    const QString word = line.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    if (word == QLatin1String("sms")) {
        const QString number = line.section(QLatin1Char(' '), 1, 1, QString::SectionSkipEmpty);
        const QString text = line.section(QLatin1Char(' '), 2, -1, QString::SectionSkipEmpty);
        if (number.size() == 11 && !text.isEmpty()) {
            sim.receiveSms(IncomingSms(number, text));
            return;
        }
    } else if (word == QLatin1String("send-result")) {
        const QStringList results = {QStringLiteral("sent"), QStringLiteral("failed"),
                                     QStringLiteral("sending")};
        const int result = int(results.indexOf(line.section(QLatin1Char(' '), 1, 1)));
        if (result >= 0) {
            sim.state().smsSendResult = quint8(result);
            return;
        }
    } else if (word.isEmpty()) {
        return;
    }
    std::fprintf(stderr, "corvane-sim: unknown command: %s\n", qPrintable(line));
}

// The options of the alarm module, with the help text that lists the commands.
void AddOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Virtual multi-channel SMS alarm control module on a pseudo-terminal.\n"
        "Prints \"corvane-sim: serving <path>\" and answers on <path> until SIGINT or SIGTERM.\n"
        "Commands on standard input, one per line:\n"
        "  sms NUMBER TEXT   a message from NUMBER arrives (active: sent on at once;\n"
        "                    passive: kept until it is read)\n"
        "  send-result sent|failed|sending   how the next send of a message ends"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("module"), QStringLiteral("Module: alarm (default) or vx8."),
         QStringLiteral("name"), QStringLiteral("alarm")},
        {QStringLiteral("work-form"), QStringLiteral("Work form: active or passive (default)."),
         QStringLiteral("form"), QStringLiteral("passive")},
        {QStringLiteral("transfer"),
         QStringLiteral("Transfer mode: format (default), transparent1 or transparent2."),
         QStringLiteral("mode"), QStringLiteral("format")},
        {QStringLiteral("power-saving"), QStringLiteral("Power saving: on or off (default)."),
         QStringLiteral("on|off"), QStringLiteral("off")},
        {QStringLiteral("password"),
         QStringLiteral("SMS password for sending and receiving: on or off (default)."),
         QStringLiteral("on|off"), QStringLiteral("off")},
        {QStringLiteral("net"),
         QStringLiteral("Network mode: sms (default) or gprs (the program refuses it)."),
         QStringLiteral("mode"), QStringLiteral("sms")},
        {QStringLiteral("silent"), QStringLiteral("Answer nothing (a module that is not there).")},
        {QStringLiteral("delay"), QStringLiteral("Wait MS milliseconds before each answer."),
         QStringLiteral("MS"), QStringLiteral("0")},
        {QStringLiteral("chunk"),
         QStringLiteral("Send each answer in pieces of N bytes, 10 ms apart."), QStringLiteral("N"),
         QStringLiteral("0")},
        {QStringLiteral("seed"),
         QStringLiteral("With --chunk: pieces of random size 1..N drawn from seed S."),
         QStringLiteral("S")},
        {QStringLiteral("fault"),
         QStringLiteral("Inject a fault: preamble, checksum, truncate or noise, on the next answer "
                        "it fits (add :always for every answer). May be repeated."),
         QStringLiteral("fault")},
        {QStringLiteral("incoming-sms"),
         QStringLiteral("A message from a phone arrives every S seconds (0: never)."),
         QStringLiteral("S"), QStringLiteral("0")},
    });
}

// The module's settings from the options; an error text when one of them is not understood.
QString ReadState(const QCommandLineParser &parser, AlarmModuleState &state)
{
    const QString form = Choice(parser, QStringLiteral("work-form"), {"active", "passive"});
    if (form.isEmpty())
        return QStringLiteral("--work-form must be active or passive");
    state.workForm = form == QLatin1String("active") ? 1 : 0;

    const QString mode =
        Choice(parser, QStringLiteral("transfer"), {"format", "transparent1", "transparent2"});
    if (mode.isEmpty())
        return QStringLiteral("--transfer must be format, transparent1 or transparent2");
    state.transferMode = mode == QLatin1String("format") ? 1 : 0;
    state.transparentMode = mode == QLatin1String("transparent2") ? 0 : 1;

    const QString saving = Choice(parser, QStringLiteral("power-saving"), {"on", "off"});
    const QString secret = Choice(parser, QStringLiteral("password"), {"on", "off"});
    if (saving.isEmpty() || secret.isEmpty())
        return QStringLiteral("--power-saving and --password must be on or off");
    state.powerSaving = saving == QLatin1String("on") ? 1 : 0;
    state.passwordMode = secret == QLatin1String("on") ? 3 : 0;

    const QString network = Choice(parser, QStringLiteral("net"), {"sms", "gprs"});
    if (network.isEmpty())
        return QStringLiteral("--net must be sms or gprs");
    state.netMode = network == QLatin1String("gprs") ? 1 : 2;
    return QString();
}

// One --fault value ("noise", "checksum:always"); an error text when it is not understood.
QString ReadFault(const QString &value, AlarmSimOptions &options)
{
    static const struct {
        const char *name;
        FaultMode AlarmSimOptions::*mode;
    } faults[] = {{"preamble", &AlarmSimOptions::wrongPreamble},
                  {"checksum", &AlarmSimOptions::badChecksum},
                  {"truncate", &AlarmSimOptions::truncate},
                  {"noise", &AlarmSimOptions::noise}};
    const QStringList parts = value.toLower().split(QLatin1Char(':'));
    FaultMode modeOfFault = FaultMode::Once;
    if (parts.size() == 2 && parts[1] == QLatin1String("always"))
        modeOfFault = FaultMode::Always;
    else if (parts.size() != 1 && !(parts.size() == 2 && parts[1] == QLatin1String("once")))
        return QStringLiteral("unknown fault ") + value;
    for (const auto &fault : faults) {
        if (parts[0] == QLatin1String(fault.name)) {
            options.*fault.mode = modeOfFault;
            return QString();
        }
    }
    return QStringLiteral("unknown fault ") + value;
}

// How the module behaves on the line, from the options; an error text when one of them is not
// understood.
QString ReadOptions(const QCommandLineParser &parser, AlarmSimOptions &options)
{
    options.silent = parser.isSet(QStringLiteral("silent"));
    bool ok = false;
    options.replyDelayMs = parser.value(QStringLiteral("delay")).toInt(&ok);
    if (!ok || options.replyDelayMs < 0)
        return QStringLiteral("--delay needs a number of milliseconds");
    options.chunkSize = parser.value(QStringLiteral("chunk")).toInt(&ok);
    if (!ok || options.chunkSize < 0)
        return QStringLiteral("--chunk needs a number of bytes");
    if (options.chunkSize > 0)
        options.pieceGapMs = 10; // so that the pieces reach the client as separate reads
    if (parser.isSet(QStringLiteral("seed"))) {
        options.seed = parser.value(QStringLiteral("seed")).toUInt(&ok);
        if (!ok)
            return QStringLiteral("--seed needs a number");
        options.randomChunks = true;
    }
    for (const QString &value : parser.values(QStringLiteral("fault"))) {
        const QString error = ReadFault(value, options);
        if (!error.isEmpty())
            return error;
    }
    const int every = parser.value(QStringLiteral("incoming-sms")).toInt(&ok);
    if (!ok || every < 0 || every > 86400)
        return QStringLiteral("--incoming-sms needs a number of seconds");
    options.incomingEveryMs = every * 1000;
    return QString();
}

} // namespace

// --module vx8: the virtual VX8 data module instead (vx8.cpp).
int ServeVx8(QCoreApplication &app);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-sim"));
    QCoreApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(CORVANE_VERSION_MAJOR).arg(CORVANE_VERSION_MINOR));
    const QStringList args = app.arguments();
    const qsizetype moduleAt = args.indexOf(QStringLiteral("--module"));
    if (args.contains(QStringLiteral("--module=vx8")) ||
        (moduleAt > 0 && args.value(moduleAt + 1) == QLatin1String("vx8")))
        return ServeVx8(app);

    QCommandLineParser parser;
    AddOptions(parser);
    parser.process(app);

    const QString module = parser.value(QStringLiteral("module"));
    if (module != QLatin1String("alarm"))
        return UsageError(
            QStringLiteral("unknown module name '%1' (known: alarm, vx8)").arg(module));

    AlarmModuleSim sim;
    AlarmSimOptions options;
    QString error = ReadState(parser, sim.state());
    if (error.isEmpty())
        error = ReadOptions(parser, options);
    if (!error.isEmpty())
        return UsageError(error);
    sim.setOptions(options);

    // Commands on standard input act on the module while it serves.
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&commands, &QSocketNotifier::activated, &sim, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            commands.setEnabled(false); // end of input: serve on without commands
            return;
        }
        pending.append(buffer, int(n));
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0;) {
            const QString line = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            RunCommand(sim, line);
        }
        if (pending.size() > 65536)
            pending.clear(); // a line without an end: nothing sensible to run
    });

    return ServeOnPty(app, [&sim](PtyServer &server) { server.serve(&sim); });
}
