// The window "通信监视" over two links: the port of every row, the filters by direction, kind and
// search text, pause, and what copy and save put out (CSV and log lines).

#include "core/SerialLink.h"
#include "monitor/TrafficMonitor.h"
#include "monitor/ui/frmMonitor.h"
#include "support/AlarmTestKit.h"
#include "support/TestSupport.h"

#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>

#define P "1A2A3A4A5A6A7A8A "

class TestMonitorWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void filtersAndExports()
    {
        MemoryLine first(true), second(true);
        second->setPortNumber(2);
        for (MemoryLine *mem : {&first, &second})
            (*mem)->setConversation(SerialLink::Conversation::Alarm);
        TrafficMonitor traffic;
        traffic.follow(*first);
        traffic.follow(*second);
        frmMonitor window(traffic);
        window.show();
        TrafficMonitor *monitor = window.monitor();
        monitor->model().clear();
        first->write(hex(P "F8 03"));
        first.backend->inject(hex(P "F8 00 01"));
        first->read();
        second->write(hex(P "D3 03"));
        second.backend->inject(hex("55" P "D3 00 00"));
        second->read();
        monitor->batchTick();
        QSortFilterProxyModel *shown = window.shownRows();
        QCOMPARE(shown->rowCount(), 5);
        QStringList ports;
        for (int row = 0; row < 5; ++row)
            ports << shown->index(row, TrafficModel::PortColumn).data().toString();
        QCOMPARE(ports.join(' '), "COM1 COM1 COM2 COM2 COM2");

        auto set = [&window](const char *combo, const QString &text) {
            auto *box = window.findChild<QComboBox *>(QLatin1String(combo));
            box->setCurrentIndex(box->findText(text));
        };
        set("ComboDirection", "发送");
        QCOMPARE(shown->rowCount(), 2);
        set("ComboDirection", "全部");
        set("ComboKind", "帧外字节");
        QCOMPARE(shown->rowCount(), 1);
        QCOMPARE(shown->index(0, TrafficModel::BytesColumn).data().toString(), "55");
        set("ComboKind", "全部");
        window.findChild<QLineEdit *>("TextSearch")->setText("主动");
        QCOMPARE(shown->rowCount(), 1);
        QCOMPARE(shown->index(0, TrafficModel::FieldsColumn).data().toString(), "01 主动方式");

        // Paused, new rows wait; the shown ones stay.
        window.findChild<QCheckBox *>("CheckPause")->setChecked(true);
        first->write(hex(P "F8 03"));
        monitor->batchTick();
        QCOMPARE(monitor->model().rowCount(), 5);
        window.findChild<QCheckBox *>("CheckPause")->setChecked(false);
        QCOMPARE(monitor->model().rowCount(), 6);

        // Copy and save take the rows shown: here the one reply found by the search.
        auto *table = window.findChild<QTableView *>("Table");
        table->selectRow(0);
        QVERIFY(window.selectedText().endsWith(
            "\tCOM1\t接收\tF8 工作形式\t01 主动方式\t\t1A 2A 3A 4A 5A 6A 7A 8A F8 00 01\n"));
        QTemporaryDir dir;
        QString error;
        QVERIFY(window.saveTo(dir.filePath("rows.csv"), &error));
        QFile csv(dir.filePath("rows.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = csv.readAll().split('\n');
        QCOMPARE(lines.at(0), QByteArray("\xEF\xBB\xBF毫秒,时间,串口,方向,内容,字段,校验,字节"));
        QVERIFY(lines.at(1).endsWith(
            ",COM1,接收,F8 工作形式,01 主动方式,,1A 2A 3A 4A 5A 6A 7A 8A F8 00 01"));
        QCOMPARE(lines.size(), 3);
    }
};

QTEST_MAIN(TestMonitorWindow)
#include "tst_monitorwindow.moc"
