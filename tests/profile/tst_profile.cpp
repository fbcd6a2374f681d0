// Module profiles without a module: the checks of every field with the message that names it,
// the file round trip, what a module's replies become, the differences, and the frames that a
// difference makes the runner send.

#include "core/MemorySerialBackend.h"
#include "profile/ProfileRunner.h"
#include "support/AlarmTestKit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#define P "1A2A3A4A5A6A7A8A "

namespace {

QJsonObject text(const QString &t, bool english)
{
    return {{"text", t}, {"english", english}};
}

// A complete, valid profile.
QJsonObject base()
{
    const QJsonObject input{{"trigger", 2},
                            {"group", 1},
                            {"repeat_seconds", 30},
                            {"low_text", text("门关", false)},
                            {"high_text", text("Door open", true)},
                            {"count", 255},
                            {"relay", 8}};
    const QJsonObject relay{{"mode", 2},
                            {"reply", 3},
                            {"reply_delay", 255},
                            {"high_delay", 255},
                            {"low_delay", 255},
                            {"low_text", text("关", false)},
                            {"high_text", text("ON", true)},
                            {"hold", 1}};
    QJsonArray inputs, relays;
    for (int i = 0; i < 8; ++i) {
        inputs.append(input);
        relays.append(i == 4 ? QJsonValue() : QJsonValue(relay));
    }
    const QJsonObject params{
        {"work_form", "passive"},
        {"transfer_mode", "format"},
        {"transparent_mode", 1},
        {"password_mode", 3},
        {"password", "31:52:24:08"},
        {"receiver_number", "13800138000"},
        {"passive_address", "12:34"},
        {"restart_seconds", 60},
        {"power_saving", true},
        {"wake_mode", 2},
        {"wake_idle_seconds", 0.8},
        {"wake_data_seconds", 10},
        {"address",
         QJsonObject{{"start", 255}, {"group_maximum", 255}, {"length", 255}, {"type", 3}}}};
    return {{"format", "corvane-alarm-profile"},
            {"version", 1},
            {"name", "line-3"},
            {"module", QJsonObject{{"software_version", "CVALM V2.10"}}},
            {"parameters", params},
            {"inputs", inputs},
            {"relays", relays},
            {"alarm_modes", QJsonArray{1, 2, 3, 0, 2, 2, 2, 2}},
            {"phone_table", QJsonArray{"13800138000", "15912345678"}}};
}

Profile::ModuleProfile load(const QJsonObject &json)
{
    Profile::ModuleProfile p;
    QString error;
    if (!Profile::FromJson(json, &p, &error))
        qWarning("%s", qPrintable(error));
    return p;
}

QStringList diffText(const QList<Profile::Difference> &diff)
{
    QStringList out;
    for (const auto &d : diff)
        out << d.path + "|" + d.moduleValue + "|" + d.profileValue;
    return out;
}

} // namespace

class TestProfile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void badField_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("message");
        const QString chinese46(46, QChar(0x4E2D)), chinese31(31, QChar(0x4E2D));
        QTest::newRow("interval above 2550") << "inputs.3.repeat_seconds" << QJsonValue(2560)
                                             << "inputs[3].repeat_seconds: 0 到 2550，10 的倍数";
        QTest::newRow("interval not in tens") << "inputs.3.repeat_seconds" << QJsonValue(25)
                                              << "inputs[3].repeat_seconds: 0 到 2550，10 的倍数";
        QTest::newRow("trigger 4")
            << "inputs.0.trigger" << QJsonValue(4) << "inputs[0].trigger: 0 到 3";
        QTest::newRow("relay reply 4")
            << "relays.2.reply" << QJsonValue(4) << "relays[2].reply: 0 到 3";
        QTest::newRow("relay delay 256")
            << "relays.1.low_delay" << QJsonValue(256) << "relays[1].low_delay: 0 到 255";
        QTest::newRow("input text of 92 bytes")
            << "inputs.2.low_text.text" << QJsonValue(chinese46)
            << "inputs[2].low_text.text: 最多 90 字节（英文 90 个字符，汉字 45 个）";
        QTest::newRow("relay text of 62 bytes")
            << "relays.5.high_text.text" << QJsonValue(chinese31)
            << "relays[5].high_text.text: 最多 60 字节（英文 60 个字符，汉字 30 个）";
        QTest::newRow("missing english flag")
            << "relays.0.low_text" << QJsonValue(QJsonObject{{"text", "x"}})
            << "relays[0].low_text.english: true 或 false";
        QTest::newRow("work form word") << "parameters.work_form" << QJsonValue("sleepy")
                                        << "parameters.work_form: \"passive\" 或 \"active\"";
        QTest::newRow("password of three fields")
            << "parameters.password" << QJsonValue("31:52:24")
            << "parameters.password: 4 组两位十六进制数，以冒号分隔（如 31:52:24:08）";
        QTest::newRow("restart below a unit")
            << "parameters.restart_seconds" << QJsonValue(0.003)
            << "parameters.restart_seconds: 0 到 21474836.475，0.005 的倍数";
        QTest::newRow("wake delay of 1 s")
            << "parameters.wake_idle_seconds" << QJsonValue(1)
            << "parameters.wake_idle_seconds: 0 到 26214，0.4 的倍数";
        QTest::newRow("misspelt key") << "parameters.restart_second" << QJsonValue(5)
                                      << "parameters.restart_second: 未知的项";
        QTest::newRow("other format")
            << "format" << QJsonValue("other") << "format: \"corvane-alarm-profile\"";
        QTest::newRow("alarm mode 4")
            << "alarm_modes.7" << QJsonValue(4) << "alarm_modes[7]: 0 到 3";
        QTest::newRow("short phone number")
            << "phone_table.1" << QJsonValue("13800") << "phone_table[1]: 以 1 开头的 11 位号码";
        QTest::newRow("seven inputs") << "inputs" << QJsonValue(QJsonArray{1, 2, 3, 4, 5, 6, 7})
                                      << "inputs: 8 项的数组（每项为对象或 null）";
        QTest::newRow("English text GBK cannot carry")
            << "inputs.1.high_text.text" << QJsonValue("Door 😀")
            << "inputs[1].high_text.text: 英文方式只能使用 GBK 编码中的字符（“😀”不在其中）";
        QTest::newRow("module a number") << "module" << QJsonValue(5) << "module: 对象或 null";
        QTest::newRow("unknown key in module")
            << "module.serial" << QJsonValue("x") << "module.serial: 未知的项";
        QTest::newRow("name of 201 characters")
            << "name" << QJsonValue(QString(201, 'n')) << "name: 最多 200 个字符的文字";
        QTest::newRow("version 2")
            << "version" << QJsonValue(2) << "version: 本程序支持的格式版本为 1";
    }
    void badField()
    {
        QFETCH(QString, path);
        QFETCH(QJsonValue, value);
        QFETCH(QString, message);
        const QJsonObject json = patched(base(), path.split('.'), value).toObject();
        QString error;
        Profile::ModuleProfile p;
        QVERIFY(!Profile::FromJson(json, &p, &error));
        QCOMPARE(error, message);
        // The same document unchanged is accepted.
        QVERIFY2(Profile::FromJson(base(), &p, &error), qPrintable(error));
    }

    void brokenFile()
    {
        QString error;
        QVERIFY(!Profile::FromFile("{\"format\": ", nullptr, &error));
        QVERIFY2(error.startsWith("第 11 字节: JSON 格式错误"), qPrintable(error));
    }

    // Only a regular file of at most 1 MiB is read: a device or pipe could block or never end.
    void readFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QString notFile = "不是普通文件（目录、设备或管道不能作配置文件）";
        QTest::newRow("endless device") << "/dev/zero" << notFile;
        QTest::newRow("directory") << "/" << notFile;
        QTest::newRow("1 MiB and a byte") << "big"
                                          << "文件太大（配置文件最多 1048576 字节）";
        QTest::newRow("not there") << "/corvane-none.json"
                                   << "文件不存在";
    }
    void readFile()
    {
        QFETCH(QString, path);
        QTemporaryDir dir;
        if (path == "big") {
            path = dir.filePath("big.json");
            QFile big(path);
            QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(1048577));
        }
        QString error;
        QVERIFY(!Profile::ReadFile(path, nullptr, &error));
        QTEST(error, "message");
    }

    // The captions beside the paths: the parts of a path each find their caption.
    void captions_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("caption");
        QTest::newRow("address part") << "parameters.address.type"
                                      << "模块地址 地址类型（parameters.address.type）";
        QTest::newRow("text encoding") << "inputs[3].low_text.english"
                                       << "DI3 低电平报警内容 英文（inputs[3].low_text.english）";
        QTest::newRow("phone number") << "phone_table[0]"
                                      << "电话号码表 第 1 号（phone_table[0]）";
        QTest::newRow("step: a module value read") << "firmware_model read"
                                                   << "读取 模块型号（module.firmware_model）";
    }
    void captions()
    {
        QFETCH(QString, where);
        QTEST(where.contains(' ') ? Profile::StepCaption(where) : Profile::FieldCaption(where),
              "caption");
    }

    void fileRoundTrip()
    {
        const Profile::ModuleProfile p = load(base());
        Profile::ModuleProfile again;
        QString error;
        QVERIFY2(Profile::FromFile(Profile::ToFile(p), &again, &error), qPrintable(error));
        QCOMPARE(Profile::Fields(again).size(), Profile::Fields(p).size());
        QVERIFY(Profile::Diff(again, p).isEmpty());
        QCOMPARE(again.module.softwareVersion, QStringLiteral("CVALM V2.10"));
        QCOMPARE(*again.parameters.wakeIdle, quint16(2));
        QCOMPARE(*again.parameters.restartUnits, quint32(12000));
        QVERIFY(!again.relays[4].has_value());
        // The checksum covers what is written, not the name or the module section.
        again.name = "other";
        again.module.softwareVersion.clear();
        QCOMPARE(Profile::Checksum(again), Profile::Checksum(p));
        again.inputs[7]->count = 4;
        QVERIFY(Profile::Checksum(again) != Profile::Checksum(p));
    }

    void fromReplies()
    {
        namespace R = AlarmReply;
        AlarmSettings s;
        s.take(R::TransparentMode{0});
        s.take(R::WakeDelays{3, 25});
        s.take(R::RestartTime{7});
        s.take(R::WorkForm{1});
        s.take(R::PassiveAddress{0xAB, 0x0C});
        R::InputRecord in{2, 0, 0, true, {}};
        in.fields = {3, 0, 12, quint8(0x82), 0, QString("OK"), QString(), 9, 0};
        s.take(in);
        const QJsonObject json = Profile::ToJson(Profile::FromSettings(s, "m"));
        const QJsonObject params = json["parameters"].toObject();
        QCOMPARE(params["transparent_mode"].toInt(), 2);
        QCOMPARE(params["wake_idle_seconds"].toDouble(), 1.2);
        QCOMPARE(params["wake_data_seconds"].toDouble(), 10.0);
        QCOMPARE(params["restart_seconds"].toDouble(), 0.035);
        QCOMPARE(params["work_form"].toString(), QStringLiteral("active"));
        QCOMPARE(params["passive_address"].toString(), QStringLiteral("AB:0C"));
        QVERIFY(!params.contains("receiver_number"));
        const QJsonObject input = json["inputs"].toArray().at(2).toObject();
        QCOMPARE(input["repeat_seconds"].toInt(), 120);
        QCOMPARE(input["low_text"].toObject(), text("OK", true));
        QCOMPARE(input["high_text"].toObject(), text("", false));
        QVERIFY(json["inputs"].toArray().at(3).isNull());
    }

    void diff_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QJsonValue>("moduleValue");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("same") << "name" << QJsonValue("x") << QStringList();
        QTest::newRow("restart time") << "parameters.restart_seconds" << QJsonValue(30)
                                      << QStringList{"parameters.restart_seconds|30|60"};
        QTest::newRow("not reported") << "parameters.receiver_number" << QJsonValue()
                                      << QStringList{"parameters.receiver_number||13800138000"};
        QTest::newRow("text encoding") << "inputs.5.high_text.english" << QJsonValue(false)
                                       << QStringList{"inputs[5].high_text.english|false|true"};
        QTest::newRow("longer phone table")
            << "phone_table" << QJsonValue(QJsonArray{"13800138000", "15912345678", "13000000001"})
            << QStringList{"phone_table[2]|13000000001|"};
        QTest::newRow("relay the profile leaves out")
            << "relays.4" << QJsonValue(base()["relays"].toArray().at(0)) << QStringList();
    }
    void diff()
    {
        QFETCH(QString, path);
        QFETCH(QJsonValue, moduleValue);
        QFETCH(QStringList, expected);
        const auto module = load(patched(base(), path.split('.'), moduleValue).toObject());
        QCOMPARE(diffText(Profile::Diff(module, load(base()))), expected);
    }

    void writeFrames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QJsonValue>("moduleValue");
        QTest::addColumn<QByteArray>("frames");
        QTest::newRow("work form")
            << "parameters.work_form" << QJsonValue("active") << hex(P "F8 01 00");
        QTest::newRow("restart 60 s")
            << "parameters.restart_seconds" << QJsonValue(1) << hex(P "A3 01 00 00 2E E0");
        QTest::newRow("wake mode 2")
            << "parameters.wake_mode" << QJsonValue(1) << hex(P "DB 01 01 00 00 00");
        QTest::newRow("both wake delays in one frame")
            << "parameters.wake_data_seconds" << QJsonValue(4) << hex(P "D2 01 00 02 00 19");
        QTest::newRow("password") << "parameters.password" << QJsonValue("00:00:00:00")
                                  << hex(P "F1 01 31 52 24 08");
        QTest::newRow("receiver number")
            << "parameters.receiver_number" << QJsonValue("15912345678")
            << hex(P "A2 01 01 38 00 13 80 00");
        QTest::newRow("alarm modes")
            << "alarm_modes.3" << QJsonValue(1) << hex(P "AC 01 01 02 03 00 02 02 02 02");
        QTest::newRow("nothing differs") << "name" << QJsonValue("x") << QByteArray();
    }
    void writeFrames()
    {
        QFETCH(QString, path);
        QFETCH(QJsonValue, moduleValue);
        QFETCH(QByteArray, frames);
        SerialLink link;
        auto *line = new MemorySerialBackend;
        link.setBackend(line);
        AlarmExchange exchange(link);
        QCOMPARE(link.open(), OpenResult::Ok);
        ProfileRunner runner(exchange);
        const auto module = load(patched(base(), path.split('.'), moduleValue).toObject());
        for (const auto &request : runner.writeRequests(module, load(base())))
            request.send();
        QCOMPARE(line->takeWritten().toHex(' '), frames.toHex(' '));
    }

    void recordAndTableWrites()
    {
        SerialLink link;
        auto *line = new MemorySerialBackend;
        link.setBackend(line);
        AlarmExchange exchange(link);
        QCOMPARE(link.open(), OpenResult::Ok);
        ProfileRunner runner(exchange);
        QJsonObject module = patched(base(), {"inputs", "6", "count"}, 7).toObject();
        module["phone_table"] = QJsonArray{"13800138000"};
        QJsonObject wanted = base();
        wanted["phone_table"] = QJsonArray();
        const auto requests = runner.writeRequests(load(module), load(wanted));
        QStringList where;
        for (const auto &r : requests) {
            where << r.where;
            r.send();
        }
        QCOMPARE(where, (QStringList{"inputs[6] write", "phone_table write"}));
        const QByteArray sent = line->takeWritten();
        QCOMPARE(sent.size(), 199 + 11);
        // B4 01, channel 6, the checksum, then the record: trigger 2, group 1, interval 3,
        // low text "门关" in UTF-16 (header 4), high text "Door open" in ANSI (header 80 + 9).
        QCOMPARE(sent.left(11).toHex(' '), hex(P "B4 01 06").toHex(' '));
        QCOMPARE(sent.mid(12, 9).toHex(' '), hex("02 01 03 04 89 95 E8 51 73").toHex(' '));
        QCOMPARE(sent.right(11).toHex(' '), hex(P "D9 04 01").toHex(' '));
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
