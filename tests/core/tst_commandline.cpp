// The program's command line.
#include "core/CommandLine.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<bool>("demo");
        QTest::addColumn<QString>("connectPort");
        QTest::addColumn<QString>("baud");
        QTest::newRow("nothing") << QStringList{} << QStringList{} << false << ""
                                 << "9600bps";
        QTest::newRow("demo") << QStringList{"--demo"} << QStringList{} << true << ""
                              << "9600bps";
        QTest::newRow("two ports")
            << QStringList{"--port", "COM1=/dev/pts/3", "--port=COM2=/dev/ttyUSB0"}
            << QStringList{"COM1=/dev/pts/3", "COM2=/dev/ttyUSB0"} << false << ""
            << "9600bps";
        QTest::newRow("connect with baud")
            << QStringList{"--connect", "com3", "--baud", "115200bps"} << QStringList{} << false
            << "COM3"
            << "115200bps";
        QTest::newRow("baud without unit") << QStringList{"--connect", "COM1", "--baud", "19200"}
                                           << QStringList{} << false << "COM1"
                                           << "19200bps";
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, ports);
        QFETCH(bool, demo);
        QFETCH(QString, connectPort);
        QFETCH(QString, baud);
        StartOptions options;
        QString output;
        QCOMPARE(ParseCommandLine(QStringList{"corvane"} + args, &options, &output),
                 CommandLineResult::Run);
        QCOMPARE(options.portAssignments, ports);
        QCOMPARE(options.demo, demo);
        QCOMPARE(options.connectPort, connectPort);
        QCOMPARE(options.baud, baud);
    }

    // Mistakes end the program with a message; --help and --version with their text.
    void stops_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("result");
        const QStringList errors[] = {{"--port", "COM9=/dev/x"}, {"--port", "COM1"},
                                      {"--connect", "COM0"},     {"--baud", "600bps"},
                                      {"--frobnicate"},          {"file.txt"}};
        for (const QStringList &args : errors)
            QTest::newRow(qPrintable(args.join(' '))) << args << int(CommandLineResult::Error);
        QTest::newRow("--help") << QStringList{"--help"} << int(CommandLineResult::Exit);
        QTest::newRow("--version") << QStringList{"--version"} << int(CommandLineResult::Exit);
    }
    void stops()
    {
        QFETCH(QStringList, args);
        QFETCH(int, result);
        StartOptions options;
        QString output;
        QCOMPARE(int(ParseCommandLine(QStringList{"corvane"} + args, &options, &output)), result);
        QVERIFY(!output.isEmpty());
        if (args.first() == QLatin1String("--help"))
            QVERIFY(output.contains("COM1=/dev/ttyUSB0"));
        if (args.first() == QLatin1String("--version"))
            QCOMPARE(output.trimmed(), QStringLiteral("Corvane 4.0"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
