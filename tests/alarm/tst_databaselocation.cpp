// Where the alarm window's "gprs.mdb" is looked for: beside the program in a build folder, the
// read-only template under the installation prefix or in a system data folder otherwise.

#include "alarm/DatabaseLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestDatabaseLocation : public QObject
{
    Q_OBJECT

private slots:
    void locate_data()
    {
        // Paths are relative to a temporary folder; the program runs from prefix/bin and the
        // data folders searched are data1 and data2, in that order.
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("build folder")
            << QStringList{"prefix/bin/gprs.mdb"} << "prefix/bin/gprs.mdb" << false;
        QTest::newRow("beside the program wins over the template")
            << QStringList{"prefix/bin/gprs.mdb", "prefix/share/corvane/gprs.mdb"}
            << "prefix/bin/gprs.mdb" << false;
        QTest::newRow("installed under the same prefix")
            << QStringList{"prefix/share/corvane/gprs.mdb", "data1/corvane/gprs.mdb"}
            << "prefix/share/corvane/gprs.mdb" << true;
        QTest::newRow("a system data folder")
            << QStringList{"data2/corvane/gprs.mdb"} << "data2/corvane/gprs.mdb" << true;
        QTest::newRow("first data folder first")
            << QStringList{"data1/corvane/gprs.mdb", "data2/corvane/gprs.mdb"}
            << "data1/corvane/gprs.mdb" << true;
        QTest::newRow("a folder of that name is no file")
            << QStringList{"prefix/share/corvane/gprs.mdb/x"} << "prefix/bin/gprs.mdb" << false;
        QTest::newRow("a data folder's file outside corvane/")
            << QStringList{"data1/gprs.mdb"} << "prefix/bin/gprs.mdb" << false;
        QTest::newRow("nowhere: beside the program, writable as before")
            << QStringList{} << "prefix/bin/gprs.mdb" << false;
    }
    void locate()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QFETCH(bool, readOnly);
        QTemporaryDir root;
        const QDir dir(root.path());
        QVERIFY(dir.mkpath("prefix/bin"));
        for (const QString &file : files) {
            QVERIFY(dir.mkpath(QFileInfo(file).path()));
            QFile f(dir.filePath(file));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const DatabaseLocation found = LocateDatabase(
            dir.filePath("prefix/bin"), {dir.filePath("data1"), dir.filePath("data2")});
        QCOMPARE(found.path, dir.filePath(expected));
        QCOMPARE(found.readOnly, readOnly);
    }
};

QTEST_GUILESS_MAIN(TestDatabaseLocation)
#include "tst_databaselocation.moc"
