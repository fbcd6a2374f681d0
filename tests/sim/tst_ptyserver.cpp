// The virtual module on a pseudo-terminal, reached as a serial port by QSerialPort, and through
// the corvane-sim program. These exchanges run over a real
// terminal and wait for its bytes in real time.
#include "sim/AlarmModuleSim.h"
#include "sim/PtyServer.h"

#include <QProcess>
#include <QSerialPort>
#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

#define P "1A2A3A4A5A6A7A8A "

// One client session on the slave side: writes the request, collects the answer.
QByteArray ExchangeWithSerialPort(const QString &path, const QByteArray &request, int expected)
{
    QSerialPort port(path);
    port.setBaudRate(9600);
    if (!port.open(QIODevice::ReadWrite))
        return "open failed: " + port.errorString().toUtf8();
    QByteArray got;
    QObject::connect(&port, &QSerialPort::readyRead, [&] { got += port.readAll(); });
    port.write(request);
    const bool arrived = QTest::qWaitFor([&] { return got.size() >= expected; }, 3000);
    Q_UNUSED(arrived) // a short answer shows in the comparison
    port.close();
    return got;
}

QString SimProgram()
{
    return QStringLiteral(CORVANE_BINARY_DIR "/bin/corvane-sim");
}

} // namespace

class TestPtyServer : public QObject
{
    Q_OBJECT
    AlarmModuleSim m_sim;
    PtyServer m_server;

private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_server.open(&error), qPrintable(error));
        QVERIFY(m_server.slavePath().startsWith("/dev/"));
        m_server.serve(&m_sim);
    }

    // Each row is a new client session on the same terminal: clients come and go as the
    // program opens and closes its port.
    void sessions_data()
    {
        QTest::addColumn<int>("chunk");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("connect query") << 0 << hex(P "FE 03") << hex(P "FD 01 00 00");
        QTest::newRow("version in pieces of 3")
            << 3 << hex(P "EC 03") << hex(P "EC 20 43 56 41 4C 4D 20 56 32 2E 31 30");
        QTest::newRow("phone table, 133 bytes")
            << 0 << hex(P "D9 01") << hex(P "D9 01 00 00") + QByteArray(120, '\0');
    }
    void sessions()
    {
        QFETCH(int, chunk);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        AlarmSimOptions options;
        options.chunkSize = chunk;
        options.pieceGapMs = chunk ? 5 : 0;
        m_sim.setOptions(options);
        const QByteArray got = ExchangeWithSerialPort(m_server.slavePath(), request, answer.size());
        QCOMPARE(got.toHex(' '), answer.toHex(' '));
        QTest::qWait(20); // the master would report a hang-up now if the server let go
        QCOMPARE(m_server.hangups(), 0);
    }

    void program_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("defaults") << QStringList() << hex(P "FE 03") << hex(P "FD 01 00 00");
        QTest::newRow("noise, delayed, in pieces")
            << QStringList{"--fault", "noise:always", "--delay", "50", "--chunk", "4"}
            << hex(P "F8 03") << hex("FF 00 55 AA" P "F8 00 00");
    }
    void program()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        if (!QFile::exists(SimProgram()))
            QSKIP("corvane-sim is not built in this build directory");
        QProcess sim;
        sim.start(SimProgram(), arguments);
        QVERIFY(sim.waitForStarted());
        QVERIFY(sim.waitForReadyRead(5000));
        const QString line = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(line.startsWith("corvane-sim: serving /dev/"), qPrintable(line));
        const QString path = line.mid(QStringLiteral("corvane-sim: serving ").size());
        QCOMPARE(ExchangeWithSerialPort(path, request, answer.size()).toHex(' '),
                 answer.toHex(' '));
        sim.terminate(); // SIGTERM
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
    }

    void programRefusesBadOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        for (const char *option : {"--work-form=sideways", "--transfer=transparent3",
                                   "--delay=soon", "--fault=static", "--fault=noise:often"})
            QTest::newRow(option) << QStringList{QString::fromLatin1(option)};
    }
    void programRefusesBadOptions()
    {
        QFETCH(QStringList, arguments);
        if (!QFile::exists(SimProgram()))
            QSKIP("corvane-sim is not built in this build directory");
        QProcess sim;
        sim.start(SimProgram(), arguments);
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardOutput().isEmpty());
        QVERIFY(sim.readAllStandardError().startsWith("corvane-sim: "));
    }
};

QTEST_GUILESS_MAIN(TestPtyServer)
#include "tst_ptyserver.moc"
