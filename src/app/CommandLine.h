#pragma once
// The program's command line.

#include <QString>
#include <QStringList>

struct StartOptions {
    QStringList portAssignments; // "COMn=PATH", in order
    bool demo = false;           // COM1 is the built-in virtual module
    int demoSmsSeconds = 0;      // the virtual module receives a message this often (0: never)
    QString connectPort;         // "COMn": connect right after start-up
    QString baud = QStringLiteral("9600bps");
    QString traceFile;
    QString screenshotFile; // grab the main window into this PNG and quit
    int screenshotDelayMs = 1500;
    QString screenshotWindow; // also grab this window (by name) into <file>-<name>.png
};

enum class CommandLineResult { Run, Exit, Error };

// Parses arguments (argv[0] included). Exit: --help or --version was shown (text in *output).
// Error: *output holds the message.
CommandLineResult ParseCommandLine(const QStringList &arguments, StartOptions *options,
                                   QString *output);
