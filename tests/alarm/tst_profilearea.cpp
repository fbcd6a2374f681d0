// "保存配置…" and "写入配置…" of the alarm window against the built-in virtual module: save the
// module's profile, change the module, see the differences, write, and see the read-back; a bad
// profile is refused with the field named and nothing is sent.

#include "alarm/ui/ProfileArea.h"
#include "sim/AlarmModuleSim.h"
#include "sim/SimAttach.h"
#include "support/AlarmWindowKit.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestProfileArea : public QObject, private AlarmWindowKit
{
    Q_OBJECT
    AlarmModuleSim sim;
    QTemporaryDir dir;
    QString chosen;
    QStringList tables; // title, then "field|module|profile" per row

private Q_SLOTS:
    void initTestCase()
    {
        StubConnectWindow();
        ProfileArea::setFileChooser([this](bool) { return chosen; });
        ProfileArea::setTableViewer(
            [this](const QString &title, const QList<Profile::Difference> &rows, bool ask) {
                tables << title;
                for (const auto &r : rows)
                    tables << r.path + "|" + r.moduleValue + "|" + r.profileValue;
                return ask;
            });
    }
    void init()
    {
        openArea();
        AttachAlarmSim(backend, &sim);
        window->onTimer5(); // the alarm parser takes the line
        tables.clear();
    }
    void cleanup()
    {
        DetachAlarmSim(backend, &sim);
        closeArea();
    }

    void saveChangeWrite()
    {
        auto *save = c<QPushButton>("SaveProfile");
        QVERIFY(!save->isEnabled()); // nothing read yet
        AlarmExchange &exchange = window->exchange();
        exchange.startReadAll();
        for (int i = 0; i < 40 && exchange.readAllRunning(); ++i) {
            exchange.readAllTick();
            QTest::qWait(5);
        }
        QVERIFY(save->isEnabled());
        chosen = dir.filePath("unit"); // typed without the suffix 写入配置… lists
        save->click();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(chosen + ".json"), 10000);
        QCOMPARE(messages->texts(), QStringList{"配置已保存到 " + chosen + ".json"});
        messages->messages.clear();
        chosen += ".json";

        sim.state().restartTime = 1;
        sim.state().deliveryModes[2] = 1;
        press("WriteProfile");
        QTRY_VERIFY_WITH_TIMEOUT(tables.size() >= 3, 10000);
        QCOMPARE(tables.mid(0, 3),
                 (QStringList{"将要写入的改动", "parameters.restart_seconds|0.005|60",
                              "alarm_modes[2]|1|2"}));
        QTRY_VERIFY_WITH_TIMEOUT(tables.size() > 3, 10000);
        QCOMPARE(tables.at(3), QStringLiteral("写入完成，读回核对：全部一致"));
        QVERIFY(tables.contains("parameters.restart_seconds|60|60"));
        QCOMPARE(sim.state().restartTime, quint32(12000));
        QCOMPARE(sim.state().deliveryModes[2], quint8(2));
        QCOMPARE(messages->texts(), QStringList());
    }

    void badProfile()
    {
        chosen = dir.filePath("bad.json");
        QFile f(chosen);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"format": "corvane-alarm-profile", "version": 1,
                    "parameters": {"wake_mode": 3}})");
        f.close();
        press("WriteProfile");
        QCOMPARE(messages->texts(), QStringList{"配置文件有误：\nparameters.wake_mode: 1 到 2"});
        QTest::qWait(50);
        QVERIFY(backend->writtenSoFar().isEmpty());
    }
};

QTEST_MAIN(TestProfileArea)
#include "tst_profilearea.moc"
