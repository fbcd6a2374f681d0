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
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<bool>("demo");
        QTest::addColumn<QString>("connectPort");
        QTest::addColumn<QString>("baud");
        using R = CommandLineResult;
        QTest::newRow("nothing") << QStringList{} << int(R::Run) << QStringList{} << false << ""
                                 << "9600bps";
        QTest::newRow("demo") << QStringList{"--demo"} << int(R::Run) << QStringList{} << true << ""
                              << "9600bps";
        QTest::newRow("two ports")
            << QStringList{"--port", "COM1=/dev/pts/3", "--port=COM2=/dev/ttyUSB0"} << int(R::Run)
            << QStringList{"COM1=/dev/pts/3", "COM2=/dev/ttyUSB0"} << false << ""
            << "9600bps";
        QTest::newRow("connect with baud")
            << QStringList{"--connect", "com3", "--baud", "115200bps"} << int(R::Run)
            << QStringList{} << false << "COM3"
            << "115200bps";
        QTest::newRow("baud without unit") << QStringList{"--connect", "COM1", "--baud", "19200"}
                                           << int(R::Run) << QStringList{} << false << "COM1"
                                           << "19200bps";
        QTest::newRow("port 9 refused")
            << QStringList{"--port", "COM9=/dev/x"} << int(R::Error) << QStringList{} << false << ""
            << "9600bps";
        QTest::newRow("port without path")
            << QStringList{"--port", "COM1"} << int(R::Error) << QStringList{} << false << ""
            << "9600bps";
        QTest::newRow("connect COM0")
            << QStringList{"--connect", "COM0"} << int(R::Error) << QStringList{} << false << ""
            << "9600bps";
        QTest::newRow("odd baud") << QStringList{"--baud", "600bps"} << int(R::Error)
                                  << QStringList{} << false << ""
                                  << "9600bps";
        QTest::newRow("unknown option")
            << QStringList{"--frobnicate"} << int(R::Error) << QStringList{} << false << ""
            << "9600bps";
        QTest::newRow("stray argument")
            << QStringList{"file.txt"} << int(R::Error) << QStringList{} << false << ""
            << "9600bps";
        QTest::newRow("help") << QStringList{"--help"} << int(R::Exit) << QStringList{} << false
                              << ""
                              << "9600bps";
        QTest::newRow("version") << QStringList{"--version"} << int(R::Exit) << QStringList{}
                                 << false << ""
                                 << "9600bps";
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(int, result);
        QFETCH(QStringList, ports);
        QFETCH(bool, demo);
        QFETCH(QString, connectPort);
        QFETCH(QString, baud);
        StartOptions options;
        QString output;
        QCOMPARE(int(ParseCommandLine(QStringList{"corvane"} + args, &options, &output)), result);
        if (result == int(CommandLineResult::Run)) {
            QCOMPARE(options.portAssignments, ports);
            QCOMPARE(options.demo, demo);
            QCOMPARE(options.connectPort, connectPort);
            QCOMPARE(options.baud, baud);
        } else {
            QVERIFY(!output.isEmpty());
        }
    }

    void helpMentionsRealPortsAndVersionIsProjects()
    {
        StartOptions options;
        QString output;
        ParseCommandLine({"corvane", "--help"}, &options, &output);
        QVERIFY(output.contains("--port"));
        QVERIFY(output.contains("COM1=/dev/ttyUSB0"));
        ParseCommandLine({"corvane", "--version"}, &options, &output);
        QCOMPARE(output.trimmed(), QStringLiteral("Corvane 4.0"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
