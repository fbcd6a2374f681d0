// The corvane-sim program: the virtual module served on a pseudo-terminal, reached as a serial
// port by QSerialPort in real time, and the options it refuses.
#include <QProcess>
#include <QSerialPort>
#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

class TestPtyServer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Empty answer: the options are refused (exit code 2, a message on stderr).
    void program_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("defaults") << QStringList() << QByteArray::fromHex(P "FE 03")
                                  << QByteArray::fromHex(P "FD 01 00 00");
        QTest::newRow("noise, delayed, in pieces")
            << QStringList{"--fault", "noise:always", "--delay", "50", "--chunk", "4"}
            << QByteArray::fromHex(P "F8 03") << QByteArray::fromHex("FF 00 55 AA" P "F8 00 00");
        for (const char *option : {"--work-form=sideways", "--transfer=transparent3",
                                   "--delay=soon", "--fault=static", "--fault=noise:often"})
            QTest::newRow(option) << QStringList{option} << QByteArray() << QByteArray();
    }
    void program()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        const QString program = QStringLiteral(CORVANE_BINARY_DIR "/bin/corvane-sim");
        if (!QFile::exists(program))
            QSKIP("corvane-sim is not built in this build directory");
        QProcess sim;
        sim.start(program, arguments);
        if (answer.isEmpty()) {
            QVERIFY(sim.waitForFinished(5000));
            QCOMPARE(sim.exitCode(), 2);
            QVERIFY(sim.readAllStandardOutput().isEmpty());
            QVERIFY(sim.readAllStandardError().startsWith("corvane-sim: "));
            return;
        }
        QVERIFY(sim.waitForReadyRead(5000));
        const QString line = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(line.startsWith("corvane-sim: serving /dev/"), qPrintable(line));
        QSerialPort port(line.mid(QStringLiteral("corvane-sim: serving ").size()));
        port.setBaudRate(9600);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        QByteArray got;
        connect(&port, &QSerialPort::readyRead, this, [&] { got += port.readAll(); });
        port.write(request);
        QTRY_COMPARE_WITH_TIMEOUT(got.toHex(' '), answer.toHex(' '), 3000);
        port.close();
        sim.terminate(); // SIGTERM
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestPtyServer)
#include "tst_ptyserver.moc"
