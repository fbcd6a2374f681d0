#include "monitor/TrafficNames.h"

#include "core/ByteRoutines.h"

namespace TrafficNames {

namespace {

struct CodeName {
    quint8 code;
    const char *name;
};

// Request and reply codes, named with the captions of the windows that send them.
const CodeName AlarmCodes[] = {
    {0x98, "DI状态"},       {0x99, "输出控制"},     {0xA1, "密码使用方式"}, {0xA2, "接收方号码"},
    {0xA3, "重起时间"},     {0xAB, "模块型号"},     {0xAC, "报警方式"},     {0xB4, "DI参数"},
    {0xB5, "Do参数"},       {0xD1, "GPRS/SMS模式"}, {0xD2, "醒后延时"},     {0xD3, "省电"},
    {0xD5, "清空参数"},     {0xD9, "号码表"},       {0xDB, "唤醒模式"},     {0xE1, "地址设置"},
    {0xE2, "被动方式地址"}, {0xEC, "版本"},         {0xF1, "短信密码"},     {0xF2, "串口波特率"},
    {0xF8, "工作形式"},     {0xF9, "传输方式"},     {0xFB, "透明模式"},     {0xFD, "启动完成"},
};
const CodeName DataCodes[] = {
    {0xD2, "睡醒延时"}, {0xD3, "模块省电"},     {0xDA, "VX8模式"},      {0xDB, "醒后模式"},
    {0xE1, "地址参数"}, {0xE2, "被动方式地址"}, {0xE4, "模块重起"},     {0xEC, "软件版本"},
    {0xF2, "波特率"},   {0xF3, "模块目标地址"}, {0xF4, "模块身份地址"}, {0xF5, "未用"},
    {0xF6, "心跳时间"}, {0xF8, "工作方式"},     {0xF9, "串口数据格式"}, {0xFB, "透明模式"},
    {0xFD, "模块通知"},
};
const CodeName ConnectCodes[] = {
    {0xFE, "连接查询"}, {0xFD, "模块信息"}, {0xF8, "工作形式"},     {0xF9, "传输方式"},
    {0xEC, "版本"},     {0xD6, "保留"},     {0xD1, "GPRS/SMS模式"},
};

template <size_t N> const char *Find(const CodeName (&table)[N], quint8 code)
{
    for (const CodeName &c : table)
        if (c.code == code)
            return c.name;
    return nullptr;
}

QString Optional(const std::optional<quint8> &v)
{
    return v ? QString::number(*v) : QStringLiteral("-");
}

QString Quoted(const std::optional<QString> &v)
{
    return v ? QLatin1Char('"') + *v + QLatin1Char('"') : QStringLiteral("-");
}

QString Spaced(const QByteArray &bytes)
{
    QString text = BytesToHexColon(bytes);
    text.replace(QLatin1Char(':'), QLatin1Char(' '));
    return text.trimmed();
}

QString OnOff(bool on)
{
    return on ? QStringLiteral("省电") : QStringLiteral("不省电");
}

// Units of 400 ms as seconds, the shortest decimal ("0.8", "10").
QString Seconds400(quint16 units)
{
    const quint32 tenths = quint32(units) * 4;
    return tenths % 10 == 0 ? QString::number(tenths / 10)
                            : QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
}

const char *AlarmModeName(quint8 mode)
{
    switch (mode) {
    case 1:
        return "电话";
    case 2:
        return "短信";
    case 3:
        return "电话+短信";
    default:
        return "无";
    }
}

const char *PasswordUse(quint8 value)
{
    static const char *const names[] = {"不需要", "发送", "接收", "发送和接收"};
    return value < 4 ? names[value] : "未知";
}

namespace A = AlarmReply;

Name InputRecordName(const A::InputRecord &r)
{
    Name n{CodeText(0xB4, Conversation::Alarm), QStringLiteral("通道 %1").arg(r.channel)};
    if (!r.checksumOk)
        return n; // the check column says what is wrong; nothing was decoded
    const auto &f = r.fields;
    n.fields += QStringLiteral(" 电平变化 %1 群发 %2 报警时间间隔 %3 汉字 %4/%5 低电平报警内容 %6 "
                               "高电平报警内容 %7 报警次数 %8 关联输出 %9")
                    .arg(Optional(f.trigger), Optional(f.group), Optional(f.interval),
                         Optional(f.lowFlag), Optional(f.highFlag), Quoted(f.lowText),
                         Quoted(f.highText), Optional(f.count), Optional(f.relay));
    return n;
}

Name RelayRecordName(const A::RelayRecord &r)
{
    Name n{CodeText(0xB5, Conversation::Alarm), QStringLiteral("通道 %1").arg(r.channel)};
    if (!r.checksumOk)
        return n;
    const auto &f = r.fields;
    n.fields += QStringLiteral(" 输出方式 %1 回复操作结果 %2 短信回复延时 %3 延时恢复 %4/%5 汉字 "
                               "%6/%7 低电平控制指令 %8 高电平控制短信 %9")
                    .arg(Optional(f.mode), Optional(f.reply), Optional(f.replyDelay),
                         Optional(f.highDelay), Optional(f.lowDelay), Optional(f.lowFlag),
                         Optional(f.highFlag), Quoted(f.lowText), Quoted(f.highText)) +
                QStringLiteral(" 输出保持 ") + Optional(f.hold);
    return n;
}

Name PhoneTableName(const A::PhoneTable &r)
{
    const QString kind = CodeText(0xD9, Conversation::Alarm);
    if (r.empty())
        return {kind, QStringLiteral("号码表空（数量 %1）").arg(r.count)};
    if (!r.checksumOk)
        return {kind, QStringLiteral("数量 %1，号码表结构错误").arg(r.count)};
    return {kind,
            QStringLiteral("数量 %1 [%2]").arg(r.count).arg(r.numbers.join(QLatin1Char(' ')))};
}

Name TextAnswerName(const A::TextAnswer &r)
{
    static const char *const requests[] = {"EC 设置模块型号", "B4/B5 更新设置", "D9 写入号码表",
                                           "D9 清空号码表"};
    static const char *const verdicts[] = {"无结果", "成功", "失败"};
    return {QString::fromUtf8(requests[int(r.request)]) + QStringLiteral(" 应答"),
            QStringLiteral("\"%1\" %2").arg(r.text, QString::fromUtf8(verdicts[int(r.verdict)]))};
}

// One overload per reply kind of the alarm module.
struct AlarmNames {
    static Name N(quint8 code, const QString &fields)
    {
        return {CodeText(code, Conversation::Alarm), fields};
    }
    Name operator()(const A::InitDone &r) const { return N(0xFD, QString::number(r.value)); }
    Name operator()(const A::WorkForm &r) const
    {
        return N(0xF8, ByteToHex(r.value) + (r.passive() ? QStringLiteral(" 被动方式")
                                                         : QStringLiteral(" 主动方式")));
    }
    Name operator()(const A::TransferMode &r) const
    {
        return N(0xF9, ByteToHex(r.value) + (r.format() ? QStringLiteral(" 格式传输")
                                                        : QStringLiteral(" 透明传输")));
    }
    Name operator()(const A::ReceiverNumber &r) const { return N(0xA2, r.number); }
    Name operator()(const A::PasswordMode &r) const
    {
        return N(0xA1,
                 QStringLiteral("%1 %2").arg(r.value).arg(QString::fromUtf8(PasswordUse(r.value))));
    }
    Name operator()(const A::SmsPassword &r) const
    {
        return N(0xF1, Spaced(QByteArray(reinterpret_cast<const char *>(r.bytes.data()), 4)));
    }
    Name operator()(const A::Version &r) const
    {
        return N(0xEC, QLatin1Char('"') + r.text + QLatin1Char('"'));
    }
    Name operator()(const A::PassiveAddress &r) const
    {
        return N(0xE2, ByteToHex(r.high) + QLatin1Char(' ') + ByteToHex(r.low));
    }
    Name operator()(const A::BaudAnswer &r) const { return N(0xF2, QString::number(r.value)); }
    Name operator()(const A::RestartTime &r) const
    {
        return N(0xA3, r.seconds() + QStringLiteral(" 秒"));
    }
    Name operator()(const A::TransparentMode &r) const
    {
        return N(0xFB, r.mode2() ? QStringLiteral("透明方式2") : QStringLiteral("透明方式1"));
    }
    Name operator()(const A::AddressSettings &r) const
    {
        return N(0xE1, QStringLiteral("地址开始位置 %1 组内最大数 %2 地址长度 %3 地址类型 %4")
                           .arg(r.start)
                           .arg(r.groupMaximum)
                           .arg(r.length)
                           .arg(r.type));
    }
    Name operator()(const A::PowerSaving &r) const { return N(0xD3, OnOff(r.on())); }
    Name operator()(const A::WakeDelays &r) const
    {
        return N(0xD2,
                 QStringLiteral("空闲 %1 秒 数据 %2 秒").arg(r.idleSeconds(), r.dataSeconds()));
    }
    Name operator()(const A::WakeMode &r) const
    {
        return N(0xDB, r.mode1() ? QStringLiteral("模式1") : QStringLiteral("模式2"));
    }
    Name operator()(const A::FirmwareModel &r) const { return N(0xAB, r.text()); }
    Name operator()(const A::AlarmModes &r) const
    {
        QStringList modes;
        for (size_t i = 0; i < r.modes.size(); ++i)
            modes << QStringLiteral("DI%1 %2").arg(i).arg(
                QString::fromUtf8(AlarmModeName(r.modes[i])));
        return N(0xAC, modes.join(QLatin1Char(' ')));
    }
    Name operator()(const A::PhoneTable &r) const { return PhoneTableName(r); }
    Name operator()(const A::TextAnswer &r) const { return TextAnswerName(r); }
    Name operator()(const A::InputRecord &r) const { return InputRecordName(r); }
    Name operator()(const A::RelayRecord &r) const { return RelayRecordName(r); }
    Name operator()(const A::InputState &r) const
    {
        return {QStringLiteral("< DI状态"),
                r.queried ? r.text() : QStringLiteral("未读取 ") + ByteToHex(quint8(r.value))};
    }
    Name operator()(const A::TestLine &r) const
    {
        return {QStringLiteral("通信测试 接收"),
                (r.fields + QLatin1Char(' ') + r.status).trimmed()};
    }
    Name operator()(const A::TestStatus &r) const
    {
        return {QStringLiteral("通信测试 状态"), r.status};
    }
    Name operator()(const A::TestData &r) const { return {MessageData(), r.fields}; }
};

namespace D = DataReply;

const char *IdentityStatusText(quint8 status)
{
    switch (status) {
    case 250:
        return "设置成功";
    case 252:
        return "被拒绝";
    case 8:
        return "已被其他模块占用";
    case 10:
        return "不在线";
    default:
        return "未知";
    }
}

const char *SendResultText(quint8 code)
{
    switch (code) {
    case 0xFA:
        return "已发送";
    case 0xFF:
        return "不在线";
    case 0xFC:
        return "发送失败";
    default:
        return "未知";
    }
}

// One overload per reply kind of the data module.
struct DataNames {
    static Name N(quint8 code, const QString &fields)
    {
        return {CodeText(code, Conversation::Data), fields};
    }
    Name operator()(const D::Notice &r) const
    {
        const QString meaning = r.value == 1   ? QStringLiteral(" 启动完成")
                                : r.value == 3 ? QStringLiteral(" 请求身份地址")
                                               : QString();
        return N(0xFD, QString::number(r.value) + meaning);
    }
    Name operator()(const D::Version &r) const
    {
        return N(0xEC, QLatin1Char('"') + r.text() + QLatin1Char('"'));
    }
    Name operator()(const D::PassiveAddress &r) const
    {
        return N(0xE2, ByteToHex(r.high) + QLatin1Char(' ') + ByteToHex(r.low));
    }
    Name operator()(const D::Address &r) const
    {
        return N(r.identity ? 0xF4 : 0xF3,
                 QStringLiteral("工程号 %1 站点号 %2").arg(r.project(), r.station()));
    }
    Name operator()(const D::IdentityStatus &r) const
    {
        return {CodeText(0xF4, Conversation::Data) + QStringLiteral(" 设置结果"),
                QStringLiteral("%1 %2").arg(r.status).arg(
                    QString::fromUtf8(IdentityStatusText(r.status)))};
    }
    Name operator()(const D::Skipped &r) const { return N(r.code, QString()); }
    Name operator()(const D::Heartbeat &r) const { return N(0xF6, r.text()); }
    Name operator()(const D::WorkMode &r) const { return N(0xF8, r.text()); }
    Name operator()(const D::DataFormat &r) const { return N(0xF9, r.text()); }
    Name operator()(const D::TransparentMode &r) const { return N(0xFB, r.text()); }
    Name operator()(const D::AddressParams &r) const
    {
        return N(0xE1, QStringLiteral("地址开始位置 %1 地址长度 %2 组内最大数 %3 地址类型 %4")
                           .arg(r.start)
                           .arg(r.length)
                           .arg(r.groupMaximum)
                           .arg(r.typeText()));
    }
    Name operator()(const D::BaudAnswer &r) const
    {
        return N(0xF2, (QString::number(r.code) + QLatin1Char(' ') + r.text()).trimmed());
    }
    Name operator()(const D::RestartCount &r) const
    {
        return N(0xE4, QStringLiteral("%1 次").arg(r.count));
    }
    Name operator()(const D::PowerSaving &r) const { return N(0xD3, r.text()); }
    Name operator()(const D::WakeDelays &r) const
    {
        return N(
            0xD2,
            QStringLiteral("空闲 %1 秒 数据 %2 秒").arg(Seconds400(r.idle), Seconds400(r.data)));
    }
    Name operator()(const D::WakeMode &r) const { return N(0xDB, r.text()); }
    Name operator()(const D::PassiveAck &r) const
    {
        return {QStringLiteral("! 被动方式应答"),
                QStringLiteral("地址 %1 %2").arg(ByteToHex(r.high), ByteToHex(r.low))};
    }
    Name operator()(const D::PassiveRefused &r) const
    {
        return {QStringLiteral("? 被动方式拒绝"),
                QStringLiteral("地址 %1 %2").arg(ByteToHex(r.high), ByteToHex(r.low))};
    }
    Name operator()(const D::MemoryState &r) const
    {
        return {QStringLiteral("判断内存 应答"),
                QStringLiteral("%1 %2").arg(r.state).arg(r.state == 0 ? QStringLiteral("无待发数据")
                                                                      : QStringLiteral("发送中"))};
    }
    Name operator()(const D::SendResult &r) const
    {
        return {QStringLiteral("D7 发送结果"),
                ByteToHex(r.code) + QLatin1Char(' ') + QString::fromUtf8(SendResultText(r.code))};
    }
    Name operator()(const D::ReceivedData &r) const
    {
        return {QStringLiteral("接收数据"),
                QStringLiteral("发送方地址 [%1] 数据 %2").arg(Spaced(r.sender), Spaced(r.data))};
    }
};

// Texts from the module (versions, answers, alarm texts) may carry control characters: shown as
// "·" so that a row stays one line and the log stays readable.
Name Printable(Name name)
{
    for (QChar &c : name.fields)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QChar(0x00B7);
    return name;
}

} // namespace

QString CodeText(quint8 code, Conversation conversation)
{
    const char *name = conversation == Conversation::Alarm  ? Find(AlarmCodes, code)
                       : conversation == Conversation::Data ? Find(DataCodes, code)
                                                            : Find(ConnectCodes, code);
    return name ? ByteToHex(code) + QLatin1Char(' ') + QString::fromUtf8(name) : ByteToHex(code);
}

Name OfAlarmReply(const AlarmReplyValue &reply)
{
    return Printable(std::visit(AlarmNames{}, reply));
}

Name OfDataReply(const DataReplyValue &reply)
{
    return Printable(std::visit(DataNames{}, reply));
}

QString NoFrame()
{
    return QStringLiteral("帧外字节");
}
QString UnknownModule()
{
    return QStringLiteral("未识别的通信");
}
QString MessageData()
{
    return QStringLiteral("短信数据");
}
QString UnfinishedFrame()
{
    return QStringLiteral("未完成的帧");
}
QString ByteCount(qsizetype count)
{
    return QStringLiteral("%1 字节").arg(count);
}

} // namespace TrafficNames
