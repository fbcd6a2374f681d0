// The communication test without its window: the frame each button sends in every work form,
// transmission mode and send mode (literal bytes), the refusals, and how a received message is
// logged, where its sender and content are found and how the content is decoded.

#include "alarm/SmsTest.h"
#include "support/AlarmTestKit.h"

#include <QtTest>

using namespace SmsTest;
using AlarmFrames::SmsSendMode;

Q_DECLARE_METATYPE(SmsTest::Form)

namespace {
const QString WrongAddress = QStringLiteral("您输入的模块地址不正确，请重新输入");
const QString WrongContent = QStringLiteral("您所发射的内容不符合要求， 请输入要发射的内容");
const QString WrongReceiver = QStringLiteral("您接收方地址不符合要求， 请输入接收方地址");

// "passive format 汉字" and the like.
Form form(const char *text)
{
    const QString t = QString::fromUtf8(text);
    Form f;
    f.passive = t.contains(QLatin1String("passive"));
    f.format = t.contains(QLatin1String("format"));
    f.mode = t.contains(QStringLiteral("英文"))   ? SmsSendMode::English
             : t.contains(QStringLiteral("十六")) ? SmsSendMode::Hex
                                                  : SmsSendMode::Chinese;
    return f;
}
} // namespace

class TestSmsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void requests_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<Form>("f");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<bool>("gbk"); // whether Qt converts GBK
        const QString to = QStringLiteral("13800138000");
        // The expected frame, or (with no frame) the refusal.
        auto row = [](const char *tag, Button b, const char *f, const QString &address,
                      const QString &content, const QString &receiver, const QByteArray &frame,
                      const QString &refusal = QString(), bool gbk = true) {
            QTest::newRow(tag) << int(b) << form(f) << address << content << receiver << frame
                               << refusal << gbk;
        };
        // U+6D4B U+8BD5 to 1 and ten zeros through a passive module at 12:34.
        row("worked example", SendSms, "passive format 汉字", "12:34:", "测试", "10000000000",
            hex("24 12 34 57 00 0E D7 01 01 00 00 00 00 00 00 04 6D 4B 8B D5 0D"));
        row("passive transparent 汉字", SendSms, "passive 汉字", "12:34:", "测试", "",
            hex("24 12 34 57 00 04 6D 4B 8B D5 0D"));
        row("active transparent 汉字", SendSms, "active 汉字", "", "测试", "", hex("6D4B 8BD5"));
        row("active format 汉字", SendSms, "active format 汉字", "", "测试", to,
            hex("D7 01 01 38 00 13 80 00 00 04 6D 4B 8B D5"));
        row("passive format 英文", SendSms, "passive format 英文", "AB:0F:", "Hi!", to,
            hex("24 AB 0F 57 00 0D D7 01 01 38 00 13 80 00 00 03 48 69 21 0D"));
        row("passive transparent 英文", SendSms, "passive 英文", "12:34:", "OK", "",
            hex("24 12 34 57 00 02 4F 4B 0D"));
        row("active transparent 英文", SendSms, "active 英文", "", "OK", "", hex("4F 4B"));
        row("active format 英文", SendSms, "active format 英文", "", "OK", to,
            hex("D7 01 01 38 00 13 80 00 00 02 4F 4B"));
        row("passive format 十六进制", SendSms, "passive format 十六进制", "12:34:", "12:AB:", to,
            hex("24 12 34 57 00 0C D7 01 01 38 00 13 80 00 00 02 12 AB 0D"));
        row("4 hex characters give one byte", SendSms, "passive 十六进制", "12:34:", "12:A", "",
            hex("24 12 34 57 00 01 12 0D"));
        row("five hex characters round up", SendSms, "active 十六进制", "", "12:AB", "",
            hex("12 AB"));
        row("active format 十六进制", SendSms, "active format 十六进制", "", "FF:", to,
            hex("D7 01 01 38 00 13 80 00 00 01 FF"));
        // Lengths above 255 take both bytes.
        row("300 bytes", SendSms, "passive format 英文", "12:34:", QString(300, 'A'), to,
            hex("24 1234 57 0136 D701 013800138000 012C") + QByteArray(300, 'A') + hex("0D"));
        row("read SMS", ReadSms, "passive format", "12:34:", "", "", hex("24 12 34 52 0D"));
        row("send state", SendState, "passive", "12:34:", "", "", hex("24 12 34 57 00 00 0D"));
        row("reset sends nothing", Reset, "passive", "12:34:", "x", to, {});

        row("address of 5 characters", ReadSms, "passive", "12:34", "", "", {}, WrongAddress);
        row("state without address", SendState, "active", "", "", "", {}, WrongAddress);
        row("empty content", SendSms, "passive 汉字", "12:34:", "", to, {}, WrongContent);
        row("two hex characters", SendSms, "active 十六进制", "", "12", "", {}, WrongContent);
        row("passive send with a short address", SendSms, "passive 英文", "1234", "OK", "", {},
            WrongAddress);
        row("receiver of 10 digits", SendSms, "passive format 汉字", "12:34:", "测", "1380013800",
            {}, WrongReceiver);
        row("receiver with a letter", SendSms, "active format 汉字", "", "测", "1380013800A", {},
            WrongReceiver);
        row("receiver with a space", SendSms, "active format 英文", "", "OK", "138 0013800", {},
            WrongReceiver);
        // Line breaks go out as CR LF, in either text mode.
        row("English line break", SendSms, "active 英文", "", "A\nB", "", hex("41 0D 0A 42"));
        row("Chinese line break", SendSms, "active 汉字", "", "测\n试", "",
            hex("6D4B 000D 000A 8BD5"));
        // The passive format length counts ten header bytes as well: 65525 content bytes fit.
        row("65525 bytes", SendSms, "passive format 英文", "12:34:", QString(65525, 'A'), to,
            hex("24 1234 57 FFFF D701 013800138000 FFF5") + QByteArray(65525, 'A') + hex("0D"));
        row("65526 bytes do not fit", SendSms, "passive format 英文", "12:34:", QString(65526, 'A'),
            to, {},
            QStringLiteral("发射内容有65526字节，超过了一帧最多能带的65525字节，请缩短后再发送"));
        row("65536 bytes do not fit", SendSms, "active format 十六进制", "",
            QString("41:").repeated(65536), to, {},
            QStringLiteral("发射内容有65536字节，超过了一帧最多能带的65535字节，请缩短后再发送"));
        row("English mode, a Chinese character", SendSms, "active 英文", "", "Tel 电话", "", {},
            QStringLiteral(
                "字符“电”没有单字节编码，不能按英文方式发送。请删去它，或改用汉字方式发送"));
        // The euro sign is the one character outside ASCII with a one-byte GBK code. Without GBK
        // (a Windows Qt without ICU) it is refused with the message that says so.
        row("English mode, euro sign", SendSms, "active 英文", "", "5€", "", hex("35 80"));
        row("no GBK: English mode, euro sign", SendSms, "active 英文", "", "5€", "", {},
            GbkMissingText(), false);
        row("no GBK: English mode, ASCII", SendSms, "active 英文", "", "OK", "", hex("4F 4B"), {},
            false);
        row("no GBK: Chinese mode", SendSms, "active 汉字", "", "测试", "", hex("6D4B 8BD5"), {},
            false);
    }
    void requests()
    {
        QFETCH(int, button);
        QFETCH(Form, f);
        QFETCH(QString, address);
        QFETCH(QString, content);
        QFETCH(QString, receiver);
        QFETCH(QByteArray, frame);
        QFETCH(bool, gbk);
        const Request r = BuildRequest(Button(button), f, address, content, receiver, gbk);
        QCOMPARE(r.frame.toHex(' '), frame.toHex(' '));
        QTEST(r.refusal, "refusal");
    }

    void receptions_data()
    {
        QTest::addColumn<Form>("f");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("content");
        // A stored message read from a passive module in format transmission: "!" 12 34, length
        // 34, D7 01, sender 13912345678, length 18, the text, the time, CR.
        const QString stored = "21:12:34:00:22:D7:01:01:39:12:34:56:78:00:12:6D:4B:8B:D5:77:ED:"
                               "4F:E1:FF:1A:95:E8:78:C1:62:A5:8B:66:26:12:07:03:45:58:0D:";
        auto row = [](const char *tag, const char *f, const QString &reply, const QString &log,
                      const QString &sender, const QString &content) {
            QTest::newRow(tag) << form(f) << reply << log << sender << content;
        };
        row("passive format 汉字", "passive format 汉字", stored,
            "接收  21:12:34:00:22:D7:01:01:39:12:34:56:78:00:12:\n"
            "6D:4B:8B:D5:77:ED:4F:E1:FF:1A:95:E8:78:C1:62:A5:8B:66:26:12:07:03:45:58:0D:\n",
            "13912345678", "测试短信：门磁报警\n");
        row("passive format 十六进制", "passive format 十六进制",
            stored.left(45) + "41:26:12:07:03:45:58:0D:",
            "接收  21:12:34:00:22:D7:01:01:39:12:34:56:78:00:12:\n41:26:12:07:03:45:58:0D:\n",
            "13912345678", "41:\n");
        row("passive transparent 英文", "passive 英文",
            "21:12:34:00:02:4F:4B:0D:", "接收  21:12:34:00:02:4F:4B:0D:\n", "", "OK\n");
        row("active transparent 十六进制", "active 十六进制", "41:42:", "接收  41:42:\n", "",
            "41:42:\n");
        row("active format 汉字, odd byte left out", "active format 汉字",
            "D7:01:01:38:00:13:80:00:00:03:4E:2D:41:26:12:07:03:45:58:",
            "接收  D7:01:01:38:00:13:80:00:00:03:4E:2D:41:26:12:\n07:03:45:58:\n", "13800138000",
            "中\n");
        const QString a14 = QString("41:").repeated(14);
        row("14 bytes, one line", "active 英文", a14, "接收  " + a14 + "\n", "",
            "AAAAAAAAAAAAAA\n");
        // 70 Chinese characters from 13912345678: 162 bytes in all.
        const QString long70 =
            "21:12:34:00:9C:D7:01:01:39:12:34:56:78:00:8C:" + QString("4E:2D:").repeated(70) +
            "26:12:07:03:45:58:0D:";
        row("70 Chinese characters are shown", "passive format 汉字", long70,
            "接收  " + long70.left(45) + "\n" + long70.mid(45) + "\n", "13912345678",
            QString(70, QChar(0x4E2D)) + "\n");
    }
    void receptions()
    {
        QFETCH(Form, f);
        QFETCH(QString, reply);
        QFETCH(QString, content);
        const Reception r = FinishReception(reply, f);
        QTEST(r.log, "log");
        QTEST(r.sender, "sender");
        QCOMPARE(r.content, content);
    }
};

QTEST_GUILESS_MAIN(TestSmsTest)
#include "tst_smstest.moc"
