// The batch mode end to end, in real time: virtual modules on pseudo-terminals, the real
// QSerialPort, BatchRun as corvane-batch runs it. A profile read from one module and written
// into another that holds other values; the exit code and report record of every way a port can
// end; two ports at once; the SQLite report; and the program itself.

#include "batch/BatchRun.h"
#include "serial/PortLock.h"
#include "sim/AlarmModuleSim.h"
#include "sim/PtyServer.h"
#include "support/AlarmTestKit.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A virtual module on a pseudo-terminal. Requests pass through filter() first: it may let a
// request through (true), or act on its own (answer, fall silent, vanish).
struct Module {
    AlarmModuleSim sim;
    PtyServer server;
    QByteArray seen; // every byte the program wrote
    std::function<bool(Module &)> filter;
    QString open()
    {
        server.open();
        QObject::connect(&server, &PtyServer::received, &sim, [this](const QByteArray &bytes) {
            seen += bytes;
            if (!filter || filter(*this))
                sim.feed(bytes);
        });
        QObject::connect(&sim, &AlarmModuleSim::reply, &server, &PtyServer::send);
        return server.slavePath();
    }
};

const QByteArray Preamble = QByteArray::fromHex("1A2A3A4A5A6A7A8A");

struct Run {
    QStringList messages;
    BatchRun run{[this](const QString &line) { messages << line; }};
    int exec(const QStringList &args)
    {
        if (!run.setUp(args))
            return run.exitCode();
        QSignalSpy done(&run, &BatchRun::done);
        run.start();
        return done.wait(20000) ? done.first().first().toInt() : -1;
    }
};

QList<QJsonObject> reportLines(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QList<QJsonObject> lines;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty())
            lines << QJsonDocument::fromJson(line).object();
    return lines;
}

// The profile of a module with factory values with some values changed, as a file.
QString profileFile(const QTemporaryDir &dir, const QList<QPair<QString, QJsonValue>> &changes)
{
    Module m;
    const QString factory = dir.filePath("factory.json");
    if (!QFile::exists(factory))
        Run().exec({"read", "--port", m.open(), "-o", factory});
    QFile f(factory);
    f.open(QIODevice::ReadOnly);
    QJsonValue json = QJsonDocument::fromJson(f.readAll()).object();
    for (const auto &change : changes)
        json = patched(json, change.first.split('.'), change.second);
    const QString out = dir.filePath("profile.json");
    QFile o(out);
    o.open(QIODevice::WriteOnly | QIODevice::Truncate);
    o.write(QJsonDocument(json.toObject()).toJson());
    return out;
}

// The rows of a query, columns joined by "|".
QStringList rowsOf(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(sql, db);
    QStringList rows;
    while (q.next()) {
        QStringList columns;
        for (int i = 0; i < q.record().count(); ++i)
            columns << q.value(i).toString();
        rows << columns.join('|');
    }
    return rows;
}

} // namespace

class TestBatch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip()
    {
        QTemporaryDir dir;
        Module a, b;
        AlarmModuleState &s = a.sim.state();
        s.workForm = 1;
        s.restartTime = 6000;
        s.deliveryModes[0] = 3;
        s.phoneTable = {QByteArray::fromHex("013912345678"), QByteArray::fromHex("015000000001")};
        s.inputRecords[5][0] = 3;  // level change
        s.inputRecords[5][2] = 12; // every 120 s
        s.relayRecords[2][0] = 2;  // pulse output
        s.password = {0x01, 0x02, 0x03, 0x04};
        const QString file = dir.filePath("a.json"), report = dir.filePath("report.jsonl");
        QCOMPARE(Run().exec({"read", "--port", a.open(), "-o", file, "--report", report}), 0);

        const QString portB = b.open();
        QCOMPARE(Run().exec({"verify", file, "--port", portB, "--report", report}), 1);
        QCOMPARE(Run().exec({"write", file, "--port", portB, "--report", report}), 0);
        const AlarmModuleState &t = b.sim.state();
        QCOMPARE(t.workForm, quint8(1));
        QCOMPARE(t.restartTime, quint32(6000));
        QCOMPARE(t.deliveryModes, (std::array<quint8, 8>{3, 2, 2, 2, 2, 2, 2, 2}));
        QCOMPARE(t.phoneTable, (QList<QByteArray>{QByteArray::fromHex("013912345678"),
                                                  QByteArray::fromHex("015000000001")}));
        QCOMPARE(t.password, (std::array<quint8, 4>{0x01, 0x02, 0x03, 0x04}));
        QCOMPARE(t.inputRecords, s.inputRecords);
        QCOMPARE(t.relayRecords, s.relayRecords);
        QCOMPARE(Run().exec({"verify", file, "--port", portB, "--report", report}), 0);

        const QList<QJsonObject> lines = reportLines(report);
        QCOMPARE(lines.size(), 4);
        QStringList results, fields;
        for (const QJsonObject &l : lines)
            results << l["command"].toString() + " " + l["result"].toString();
        QCOMPARE(results,
                 (QStringList{"read read", "verify differs", "write verified", "verify verified"}));
        for (const QJsonValue &d : lines[1]["differences"].toArray())
            fields << d["field"].toString();
        QCOMPARE(fields, (QStringList{"parameters.password", "parameters.restart_seconds",
                                      "parameters.work_form", "inputs[5].repeat_seconds",
                                      "inputs[5].trigger", "relays[2].mode", "alarm_modes[0]",
                                      "phone_table[0]", "phone_table[1]"}));
        QCOMPARE(lines[3]["software_version"].toString(), QStringLiteral("CVALM V2.10"));
        QCOMPARE(lines[3]["profile_name"].toString(), QStringLiteral("a"));
        QCOMPARE(lines[3]["profile_checksum"], lines[0]["profile_checksum"]);
        QCOMPARE(lines[3]["port"].toString(), portB);
    }

    void endings_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("stoppedAt");
        QTest::newRow("a module that never answers") << "silent" << 3 << "no-answer"
                                                     << "connect";
        QTest::newRow("a read-out left unanswered") << "skip-d6" << 0 << "verified"
                                                    << "";
        QTest::newRow("a GPRS module") << "gprs" << 3 << "gprs-refused"
                                       << "connect";
        QTest::newRow("SETFAIL to a record") << "refuse" << 4 << "refused"
                                             << "inputs[4] write";
        QTest::newRow("falls silent mid-write") << "mute" << 3 << "no-answer"
                                                << "parameters.restart_seconds write";
        QTest::newRow("vanishes mid-write") << "vanish" << 4 << "device-lost"
                                            << "parameters.restart_seconds write";
        QTest::newRow("records always corrupt") << "checksum" << 3 << "checksum"
                                                << "inputs[0] read";
    }
    void endings()
    {
        QFETCH(QString, how);
        QFETCH(int, code);
        QTemporaryDir dir;
        // Parameters are written first, then the records.
        const QString profile =
            profileFile(dir, {{"parameters.restart_seconds", 30}, {"inputs.4.count", 9}});
        Module m;
        m.sim.state().netMode = how == "gprs" ? 1 : 2;
        AlarmSimOptions options;
        options.silent = how == "silent";
        options.badChecksum = how == "checksum" ? FaultMode::Always : FaultMode::Off;
        m.sim.setOptions(options);
        m.filter = [how](Module &mod) {
            if (how == "refuse" && mod.seen.contains(Preamble + "\xB4\x01")) {
                mod.seen.clear();
                mod.server.send(Preamble + QByteArray::fromHex("B403") + "SETFAIL:");
                return false;
            }
            if (how == "skip-d6" && mod.seen.endsWith(Preamble + "\xD6\x03"))
                return false; // the connect goes on with the next read-out a second later
            const bool writing = mod.seen.contains(Preamble + "\xA3\x01");
            if (how == "vanish" && writing)
                QTimer::singleShot(0, &mod.server, &PtyServer::close);
            return !(writing && (how == "mute" || how == "vanish"));
        };
        const QString report = dir.filePath("r.jsonl");
        Run run;
        QCOMPARE(run.exec({"write", profile, "--port", m.open(), "--report", report}), code);
        const QJsonObject line = reportLines(report).value(0);
        QTEST(line["result"].toString(), "result");
        QTEST(line["stopped_at"].toString(), "stoppedAt");
        QCOMPARE(line["exit_code"].toInt(), code);
        QVERIFY(run.messages.filter("结果: ").value(0).endsWith("（" + line["result"].toString() +
                                                                "）"));
    }

    void badProfile()
    {
        QTemporaryDir dir;
        const QString profile = profileFile(dir, {{"inputs.0.repeat_seconds", 2551}});
        Run run;
        QCOMPARE(run.exec({"verify", profile, "--port", "/dev/null"}), 2);
        QCOMPARE(run.messages.first(), "corvane-batch: 配置文件 " + profile +
                                           ": inputs[0].repeat_seconds: 0 到 2550，10 的倍数");
    }

    void twoPortsAtOnce()
    {
        QTemporaryDir dir;
        Module good, silent;
        good.sim.state().restartTime = 1;
        AlarmSimOptions options;
        options.silent = true;
        silent.sim.setOptions(options);
        const QString a = good.open(), b = silent.open();
        Run run;
        QCOMPARE(
            run.exec({"read", "--port", a, "--port", b, "-o", dir.filePath("st.json"), "--report",
                      "sqlite:" + dir.filePath("results.db"), "--report", dir.filePath("r.jsonl")}),
            3);
        QCOMPARE(reportLines(dir.filePath("r.jsonl")).size(), 2); // both reports written
        // One file per port that answered, named after its device.
        const QString file = dir.filePath("st-" + QFileInfo(a).fileName() + ".json");
        QFile f(file);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(file));
        QCOMPARE(QJsonDocument::fromJson(f.readAll())["parameters"]["restart_seconds"].toDouble(),
                 0.005);
        QVERIFY(!QFile::exists(dir.filePath("st-" + QFileInfo(b).fileName() + ".json")));
        // Both ports worked at the same time: the good one was read while the other waited.
        const int goodDone = int(run.messages.indexOf("[" + a + "] 结果: 已读出（read）"));
        const int silentDone =
            int(run.messages.indexOf("[" + b + "] 结果: 模块无应答（no-answer）"));
        QVERIFY(goodDone >= 0 && silentDone > goodDone);

        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
        db.setDatabaseName(dir.filePath("results.db"));
        QVERIFY(db.open());
        const QStringList rows = rowsOf(db, "SELECT port, command, result, exit_code, stopped_at "
                                            "FROM batch_results ORDER BY exit_code");
        QCOMPARE(rows, (QStringList{a + "|read|read|0|", b + "|read|no-answer|3|connect"}));
    }

    // On a terminal the module's line is drawn again in place at every step, coloured only when
    // asked (NO_COLOR), and nothing goes out line by line.
    void liveDisplay_data()
    {
        QTest::addColumn<bool>("colour");
        QTest::newRow("colour") << true;
        QTest::newRow("NO_COLOR") << false;
    }
    void liveDisplay()
    {
        QFETCH(bool, colour);
        QTemporaryDir dir;
        Module m;
        Run run;
        QByteArray screen;
        run.run.setLive([&screen](const QByteArray &bytes) { screen += bytes; }, colour);
        QCOMPARE(run.exec({"read", "--port", m.open(), "-o", dir.filePath("m.json")}), 0);
        QVERIFY(run.messages.isEmpty());
        QVERIFY2(screen.count("\x1b[1F\x1b[2K\n\x1b[1F[") > 20, screen.constData());
        QCOMPARE(screen.contains("\x1b[32m"), colour);
    }

    // A real server from Debian's postgresql package, started here in a temporary folder (as an
    // unprivileged user when the test runs as root, since initdb refuses root).
    void postgresqlReport()
    {
        const QStringList initdb = QDir("/usr/lib/postgresql").entryList({"*"}, QDir::Dirs);
        QString bin;
        for (const QString &v : initdb)
            if (QFile::exists("/usr/lib/postgresql/" + v + "/bin/initdb"))
                bin = "/usr/lib/postgresql/" + v + "/bin/";
        if (bin.isEmpty() || !QSqlDatabase::isDriverAvailable("QPSQL"))
            QSKIP("PostgreSQL server (package postgresql) or Qt driver (libqt6sql6-psql) missing");
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadOther | QFile::WriteOther |
                                              QFile::ExeOther);
        const QString port = QString::number(20000 + QCoreApplication::applicationPid() % 20000);
        auto pg = [&](const QString &tool, const QStringList &args) {
            QProcess p;
            QStringList command = QStringList{bin + tool} + args;
            if (::geteuid() == 0)
                command = QStringList{"runuser", "-u", "nobody", "--"} + command;
            p.start(command.takeFirst(), command);
            p.waitForFinished(60000);
            return p.exitCode() == 0 ? QString() : QString::fromLocal8Bit(p.readAllStandardError());
        };
        const QString data = dir.filePath("data");
        QString failed = pg("initdb", {"-D", data, "-A", "trust", "-U", "corvane", "--no-sync"});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        failed =
            pg("pg_ctl",
               {"-D", data, "-w", "-l", dir.filePath("log"), "-o",
                "-p " + port + " -k " + dir.path() + " -c listen_addresses=127.0.0.1", "start"});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        const auto stop = qScopeGuard([&] { pg("pg_ctl", {"-D", data, "-m", "fast", "stop"}); });

        Module m;
        const QString path = m.open();
        const QString url = "postgresql://corvane@127.0.0.1:" + port + "/postgres";
        const QString profile = profileFile(dir, {{"parameters.restart_seconds", 30}});
        QCOMPARE(Run().exec({"verify", profile, "--port", path, "--report", url}), 1);
        QCOMPARE(Run().exec({"write", profile, "--port", path, "--report", url}), 0);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "pg");
            db.setHostName("127.0.0.1");
            db.setPort(port.toInt());
            db.setUserName("corvane");
            db.setDatabaseName("postgres");
            QVERIFY(db.open());
            const QStringList rows =
                rowsOf(db, "SELECT command, result, exit_code, differences FROM batch_results");
            QCOMPARE(rows,
                     (QStringList{"verify|differs|1|[{\"field\":\"parameters.restart_seconds\","
                                  "\"module\":\"60\",\"profile\":\"30\"}]",
                                  "write|verified|0|[]"}));
        }
        QSqlDatabase::removeDatabase("pg");
    }

    // The program itself: PORT is a virtual module, FIFO a named pipe, OUT standard output.
    void program_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says"); // on standard error (standard output for --help)
        QTest::newRow("no command") << QStringList{"--port", "/dev/null"} << "" << 2 << "用法";
        QTest::newRow("--help") << QStringList{"--help"} << "" << 0 << "  --report TARGET";
        QTest::newRow("a port that is not there")
            << QStringList{"read", "--port", "/dev/corvane-none"} << "" << 3 << "本机没有这个串口";
        QTest::newRow("a port that is no serial port")
            << QStringList{"read", "--port", "/dev/null"} << "" << 3 << "（not-a-serial-port）";
        QTest::newRow("profile read to a full disk")
            << QStringList{"read", "--port", "PORT"} << "/dev/full" << 5 << "配置丢失";
        QTest::newRow("report to a pipe")
            << QStringList{"read", "--port", "PORT", "--report", "FIFO"} << "" << 2
            << "不是普通文件";
        QTest::newRow("sqlite without a file")
            << QStringList{"read", "--port", "PORT", "--report", "sqlite:"} << "" << 2
            << "没有给出文件名";
        QTest::newRow("profile from a pipe")
            << QStringList{"verify", "FIFO", "--port", "PORT"} << "" << 2 << "不是普通文件";
        QTest::newRow("profile from a device")
            << QStringList{"verify", "/dev/zero", "--port", "PORT"} << "" << 2 << "不是普通文件";
    }
    void program()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        QTemporaryDir dir;
        const QString fifo = dir.filePath("fifo");
        QVERIFY(::mkfifo(fifo.toLocal8Bit().constData(), 0600) == 0);
        Module m;
        args.replaceInStrings(QRegularExpression("^PORT$"), m.open());
        args.replaceInStrings(QRegularExpression("^FIFO$"), fifo);
        QProcess p;
        if (!out.isEmpty())
            p.setStandardOutputFile(out);
        p.start(CORVANE_BINARY_DIR "/bin/corvane-batch", args);
        // The module answers from this event loop.
        QTRY_VERIFY_WITH_TIMEOUT(p.state() == QProcess::NotRunning, 10000);
        QTEST(p.exitCode(), "code");
        const QString said =
            QString::fromUtf8(p.readAllStandardError() + p.readAllStandardOutput());
        QFETCH(QString, says);
        QVERIFY2(said.contains(says), qPrintable(said));
    }

    // Ctrl+C (SIGINT) or SIGTERM while a module is being read: the program ends through its
    // event loop with 128 + the signal, and the port's lock file goes with it.
    void interruptReleasesPortLock_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
    }
    void interruptReleasesPortLock()
    {
        QFETCH(int, signal);
        Module m;
        AlarmSimOptions options;
        options.silent = true; // the connect waits: the program is still running when told to end
        m.sim.setOptions(options);
        const QString path = m.open();
        const QString lock = PortLockFilePath(path);
        if (HasStaleLock(path))
            QFile::remove(lock); // left on a reused terminal number by a program that was killed
        QVERIFY(!lock.isEmpty() && !QFile::exists(lock));
        QTemporaryDir dir;
        const QString report = dir.filePath("r.jsonl");
        QProcess p;
        p.start(CORVANE_BINARY_DIR "/bin/corvane-batch",
                {"read", "--port", path, "--report", report});
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 10000);
        ::kill(pid_t(p.processId()), signal);
        QVERIFY(p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 128 + signal);
        QVERIFY(!QFile::exists(lock));
        // The module's record says where it stopped.
        const QJsonObject line = reportLines(report).value(0);
        QCOMPARE(line["result"].toString() + " " + line["stopped_at"].toString(),
                 QStringLiteral("interrupted connect"));
        QCOMPARE(line["exit_code"].toInt(), 128 + signal);
    }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
