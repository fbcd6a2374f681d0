// corvane-sim --module vx8: the virtual VX8 data module on a pseudo-terminal.

#include "Serve.h"
#include "sim/PtyServer.h"
#include "sim/Vx8ModuleSim.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

int Usage(const char *text)
{
    std::fprintf(stderr, "corvane-sim: %s\n", text);
    return 2;
}

// The options of the VX8 module.
void AddOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Virtual VX8 GPRS data module with the SMS data module on a pseudo-terminal."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("module"),
         QStringLiteral("vx8: this module (without it: the alarm module)."),
         QStringLiteral("kind")},
        {QStringLiteral("mode"),
         QStringLiteral("The module's mode: data (data communication, default) "
                        "or address (identity-address setting)."),
         QStringLiteral("mode"), QStringLiteral("data")},
        {QStringLiteral("identity"),
         QStringLiteral("Outcome of an identity write: set (default), refused, taken, offline, "
                        "notice3."),
         QStringLiteral("outcome"), QStringLiteral("set")},
        {QStringLiteral("work-form"), QStringLiteral("active or passive (default)."),
         QStringLiteral("form"), QStringLiteral("passive")},
        {QStringLiteral("transfer"),
         QStringLiteral("format (default), transparent1 or transparent2."), QStringLiteral("mode"),
         QStringLiteral("format")},
        {QStringLiteral("power-saving"), QStringLiteral("on or off (default)."),
         QStringLiteral("on|off"), QStringLiteral("off")},
        {QStringLiteral("net"), QStringLiteral("sms (default) or gprs."), QStringLiteral("mode"),
         QStringLiteral("sms")},
        {QStringLiteral("chunk"), QStringLiteral("Send answers in pieces of N bytes."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("taken"),
         QStringLiteral("An identity address another module holds, as four hexadecimal digits "
                        "(1ABC). May be repeated."),
         QStringLiteral("address")},
    });
}

// The module's state from the options; the error text when one of them is not understood.
const char *ReadState(const QCommandLineParser &parser, Vx8ModuleState &s)
{
    const auto value = [&parser](const char *name) { return parser.value(QLatin1String(name)); };
    const QString m = value("mode"), id = value("identity"), form = value("work-form"),
                  tr = value("transfer"), ps = value("power-saving"), nt = value("net");
    if (m != QLatin1String("data") && m != QLatin1String("address"))
        return "--mode must be data or address";
    s.dataMode = m == QLatin1String("data");
    using Identity = Vx8ModuleState::Identity;
    const struct {
        const char *word;
        Identity outcome;
    } outcomes[] = {{"set", Identity::Set},
                    {"refused", Identity::Refused},
                    {"taken", Identity::Taken},
                    {"offline", Identity::NotOnline},
                    {"notice3", Identity::Notice3}};
    bool known = false;
    for (const auto &o : outcomes) {
        if (id == QLatin1String(o.word)) {
            s.identityOutcome = o.outcome;
            known = true;
        }
    }
    if (!known)
        return "--identity must be set, refused, taken, offline or notice3";
    if (form != QLatin1String("active") && form != QLatin1String("passive"))
        return "--work-form must be active or passive";
    s.workMode = form == QLatin1String("active") ? 1 : 0;
    if (tr != QLatin1String("format") && tr != QLatin1String("transparent1") &&
        tr != QLatin1String("transparent2"))
        return "--transfer must be format, transparent1 or transparent2";
    s.dataFormat = tr == QLatin1String("format") ? 1 : 0;
    s.transparentMode = tr == QLatin1String("transparent2") ? 0 : 1;
    if (ps != QLatin1String("on") && ps != QLatin1String("off"))
        return "--power-saving must be on or off";
    s.powerSaving = ps == QLatin1String("on") ? 1 : 0;
    if (nt != QLatin1String("sms") && nt != QLatin1String("gprs"))
        return "--net must be sms or gprs";
    s.netMode = nt == QLatin1String("gprs") ? 1 : 2;
    return nullptr;
}

} // namespace

int ServeVx8(QCoreApplication &app)
{
    QCommandLineParser parser;
    AddOptions(parser);
    parser.process(app);

    Vx8ModuleSim sim;
    if (const char *error = ReadState(parser, sim.state()))
        return Usage(error);
    bool ok = false;
    const int pieces = parser.value(QStringLiteral("chunk")).toInt(&ok);
    if (!ok || pieces < 0)
        return Usage("--chunk needs a number of bytes");
    sim.setChunkSize(pieces);
    for (const QString &address : parser.values(QStringLiteral("taken"))) {
        const QByteArray bytes = QByteArray::fromHex(address.toLatin1());
        if (bytes.size() != 2)
            return Usage("--taken needs four hexadecimal digits");
        sim.state().takenAddresses << bytes;
    }

    return ServeOnPty(app, [&sim](PtyServer &server) { server.serve(&sim); });
}
