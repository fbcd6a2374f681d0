// End to end without any window, in real time: the alarm exchange reads a virtual module served
// on a pseudo-terminal through the real QSerialPort, with QCoreApplication only.

#include "alarm/AlarmExchange.h"
#include "core/SerialLink.h"
#include "core/serial/QtSerialBackend.h"
#include "sim/AlarmModuleSim.h"
#include "sim/PtyServer.h"

#include <QSignalSpy>
#include <QtTest>

class TestE2EHeadless : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readAllAndTable_data()
    {
        QTest::addColumn<int>("chunk");
        QTest::addColumn<int>("gapMs");
        QTest::newRow("whole answers") << 0 << 0;
        // Pauses longer than the parser's quiet time inside every answer.
        QTest::newRow("pieces of 50 bytes, 60 ms apart") << 50 << 60;
    }
    void readAllAndTable()
    {
        QFETCH(int, chunk);
        QFETCH(int, gapMs);
        AlarmModuleSim module;
        module.state().workForm = 1;
        module.state().transferMode = 0;
        module.state().transparentMode = 0;
        module.state().powerSaving = 1;
        module.state().passwordMode = 3;
        module.state().phoneTable = {QByteArray::fromHex("013800138000"),
                                     QByteArray::fromHex("015912345678")};
        AlarmSimOptions options;
        options.chunkSize = chunk;
        options.pieceGapMs = gapMs;
        module.setOptions(options);
        PtyServer server;
        QString error;
        QVERIFY2(server.open(&error), qPrintable(error));
        server.serve(&module);

        SerialLink link;
        link.setBackend(new QtSerialBackend);
        const QString path = server.slavePath();
        link.setPortResolver([path](int) { return path; });
        AlarmExchange exchange(link);
        link.setReceiveHandler([&exchange] { exchange.parser().parse(); });
        QSignalSpy finished(&exchange, &AlarmExchange::sequenceFinished);
        QSignalSpy replies(&exchange, &AlarmExchange::replied);
        QVERIFY(exchange.reopenPort());
        exchange.startReadAll();
        QVERIFY(finished.wait(20000));

        const AlarmSettings &s = exchange.settings();
        QVERIFY(s.workForm && !s.workForm->passive());
        QVERIFY(s.transparentMode && s.transparentMode->mode2());
        QCOMPARE(s.addressSettings->length, quint8(4));
        QCOMPARE(s.smsPassword->bytes, (std::array<quint8, 4>{0x31, 0x52, 0x24, 0x08}));
        QCOMPARE(s.wakeDelays->dataSeconds(), QStringLiteral("10"));
        QCOMPARE(s.version->text, QStringLiteral("CVALM V2.10"));
        QVERIFY(!s.receiverNumber); // not read in transparent mode 2

        exchange.readPhoneTable();
        QTRY_VERIFY_WITH_TIMEOUT(s.phoneTable.has_value(), 5000);
        QCOMPARE(*s.phoneTable, (QStringList{"13800138000", "15912345678"}));
        link.close();
    }
};

QTEST_GUILESS_MAIN(TestE2EHeadless)
#include "tst_e2e_headless.moc"
