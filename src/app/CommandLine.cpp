#include "app/CommandLine.h"

#include "core/SerialLink.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace {

// The options of the program, in the order the help lists them.
struct Options {
    const QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit.")};
    const QCommandLineOption version{QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit.")};
    const QCommandLineOption port{
        QStringLiteral("port"),
        QStringLiteral("Map a port entry to a device, for example "
                       "COM1=/dev/ttyUSB0 or COM2=/dev/pts/3. Repeatable."),
        QStringLiteral("COMn=PATH")};
    const QCommandLineOption demo{
        QStringLiteral("demo"),
        QStringLiteral("Map COM1 to the built-in virtual alarm module and COM2 to "
                       "the built-in virtual VX8 data module.")};
    const QCommandLineOption demoSms{
        QStringLiteral("demo-sms"),
        QStringLiteral("With --demo: a message from a phone reaches the virtual module every S "
                       "seconds (shown by the communication test)."),
        QStringLiteral("S"), QStringLiteral("0")};
    const QCommandLineOption connect{QStringLiteral("connect"),
                                     QStringLiteral("Open the connect dialog with this port chosen "
                                                    "and connect right after start-up."),
                                     QStringLiteral("COMn")};
    const QCommandLineOption baud{QStringLiteral("baud"),
                                  QStringLiteral("Baud rate for --connect (default 9600bps)."),
                                  QStringLiteral("RATEbps"), QStringLiteral("9600bps")};
    const QCommandLineOption trace{QStringLiteral("trace"),
                                   QStringLiteral("Append every frame written or read to FILE, "
                                                  "timed and named as the traffic monitor shows "
                                                  "it; every 32 MiB it goes on in a numbered "
                                                  "file (trace.log, trace.2.log, ...)."),
                                   QStringLiteral("FILE")};
    const QCommandLineOption screenshot{QStringLiteral("screenshot"),
                                        QStringLiteral("Save a picture of the main window to FILE "
                                                       "after a delay, then quit."),
                                        QStringLiteral("FILE")};
    const QCommandLineOption screenshotDelay{QStringLiteral("screenshot-delay"),
                                             QStringLiteral("Delay before --screenshot, in ms."),
                                             QStringLiteral("MS"), QStringLiteral("1500")};
    const QCommandLineOption screenshotWindow{
        QStringLiteral("screenshot-window"),
        QStringLiteral("With --screenshot, also save this window (by name) to FILE-NAME.png."),
        QStringLiteral("NAME")};

    explicit Options(QCommandLineParser &parser)
    {
        parser.setApplicationDescription(QStringLiteral(
            "Corvane: configuration and test tool for GSM modules on a serial line.\n"
            "Without --port, COM1..COM8 are the serial devices of this computer (USB and ACM "
            "adapters first). To use a real module: corvane --port COM1=/dev/ttyUSB0"));
        parser.addOptions({help, version, port, demo, demoSms, connect, baud, trace, screenshot,
                           screenshotDelay, screenshotWindow});
    }
};

// Each Read* takes its options into *options and returns the message for a value it refuses
// (empty when all is well).

// The port map: --port, and --demo with its --demo-sms.
QString ReadPorts(const QCommandLineParser &parser, const Options &o, StartOptions *options)
{
    static const QRegularExpression assignment(QStringLiteral("^COM[1-8]=.+$"),
                                               QRegularExpression::CaseInsensitiveOption);
    for (const QString &value : parser.values(o.port)) {
        if (!assignment.match(value).hasMatch())
            return QStringLiteral("--port expects COMn=PATH with n from 1 to 8, not \"%1\"")
                .arg(value);
        options->portAssignments << value;
    }
    options->demo = parser.isSet(o.demo);
    bool numeric = false;
    options->demoSmsSeconds = parser.value(o.demoSms).toInt(&numeric);
    if (!numeric || options->demoSmsSeconds < 0 || options->demoSmsSeconds > 86400)
        return QStringLiteral("--demo-sms expects a number of seconds (0 to 86400)");
    return QString();
}

// The connect right after start-up: --connect and --baud.
QString ReadConnect(const QCommandLineParser &parser, const Options &o, StartOptions *options)
{
    if (parser.isSet(o.connect)) {
        static const QRegularExpression com(QStringLiteral("^COM[1-8]$"));
        const QString value = parser.value(o.connect).toUpper();
        if (!com.match(value).hasMatch())
            return QStringLiteral("--connect expects COM1 to COM8, not \"%1\"")
                .arg(parser.value(o.connect));
        options->connectPort = value;
    }
    QStringList bauds;
    for (const qint32 rate : BaudRates)
        bauds << BaudText(rate);
    QString baudValue = parser.value(o.baud);
    if (!baudValue.endsWith(QLatin1String("bps")))
        baudValue += QLatin1String("bps");
    if (!bauds.contains(baudValue))
        return QStringLiteral("--baud expects one of %1").arg(bauds.join(QLatin1String(", ")));
    options->baud = baudValue;
    return QString();
}

// What the program writes besides its windows: --trace and the screenshots.
QString ReadOutputs(const QCommandLineParser &parser, const Options &o, StartOptions *options)
{
    options->traceFile = parser.value(o.trace);
    if (!options->traceFile.isEmpty()) {
        // Found out now rather than on the first byte, when nobody would see it.
        QFile file(options->traceFile);
        if (!file.open(QIODevice::Append | QIODevice::Text))
            return QStringLiteral("--trace cannot write to \"%1\": %2")
                .arg(options->traceFile, file.errorString());
    }
    options->screenshotFile = parser.value(o.screenshot);
    bool ok = false;
    const int delay = parser.value(o.screenshotDelay).toInt(&ok);
    if (!ok || delay < 0)
        return QStringLiteral("--screenshot-delay expects milliseconds");
    options->screenshotDelayMs = delay;
    options->screenshotWindow = parser.value(o.screenshotWindow);
    return QString();
}

} // namespace

CommandLineResult ParseCommandLine(const QStringList &arguments, StartOptions *options,
                                   QString *output)
{
    QCommandLineParser parser;
    const Options o(parser);
    if (!parser.parse(arguments)) {
        *output = parser.errorText();
        return CommandLineResult::Error;
    }
    if (parser.isSet(o.help)) {
        *output = parser.helpText();
        return CommandLineResult::Exit;
    }
    if (parser.isSet(o.version)) {
        *output =
            QStringLiteral("Corvane %1.%2\n").arg(CORVANE_VERSION_MAJOR).arg(CORVANE_VERSION_MINOR);
        return CommandLineResult::Exit;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *output =
            QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return CommandLineResult::Error;
    }
    for (auto read : {ReadPorts, ReadConnect, ReadOutputs}) {
        const QString error = read(parser, o, options);
        if (!error.isEmpty()) {
            *output = error;
            return CommandLineResult::Error;
        }
    }
    return CommandLineResult::Run;
}
