#include "profile/ModuleProfile.h"

#include "alarm/AlarmExchange.h"
#include "core/ByteRoutines.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <cmath>

namespace Profile {

namespace {

constexpr double RestartStep = 0.005; // seconds per restart-time unit
constexpr double WakeStep = 0.4;      // seconds per wake-delay count

QString hexBytes(const quint8 *bytes, int n)
{
    QStringList parts;
    for (int i = 0; i < n; ++i)
        parts << QStringLiteral("%1").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QLatin1Char(':'));
}

Text textOf(const std::optional<quint8> &flag, const std::optional<QString> &text)
{
    Text t;
    t.text = text.value_or(QString());
    // An empty text has no encoding: it is written as header 0 either way.
    t.english = !t.text.isEmpty() && flag && (*flag & 0x80);
    return t;
}

QJsonObject textJson(const Text &t)
{
    return {{QStringLiteral("text"), t.text}, {QStringLiteral("english"), t.english}};
}

QJsonObject parametersJson(const Parameters &q)
{
    QJsonObject params;
    if (q.workForm)
        params[QStringLiteral("work_form")] =
            *q.workForm ? QStringLiteral("active") : QStringLiteral("passive");
    if (q.transferMode)
        params[QStringLiteral("transfer_mode")] =
            *q.transferMode ? QStringLiteral("format") : QStringLiteral("transparent");
    if (q.transparentMode)
        params[QStringLiteral("transparent_mode")] = *q.transparentMode;
    if (q.address)
        params[QStringLiteral("address")] =
            QJsonObject{{QStringLiteral("start"), q.address->start},
                        {QStringLiteral("group_maximum"), q.address->groupMaximum},
                        {QStringLiteral("length"), q.address->length},
                        {QStringLiteral("type"), q.address->type}};
    if (q.passwordMode)
        params[QStringLiteral("password_mode")] = *q.passwordMode;
    if (q.password)
        params[QStringLiteral("password")] = hexBytes(q.password->data(), 4);
    if (q.receiverNumber)
        params[QStringLiteral("receiver_number")] = *q.receiverNumber;
    if (q.passiveAddress)
        params[QStringLiteral("passive_address")] = hexBytes(q.passiveAddress->data(), 2);
    if (q.restartUnits)
        params[QStringLiteral("restart_seconds")] = double(*q.restartUnits) * RestartStep;
    if (q.powerSaving)
        params[QStringLiteral("power_saving")] = *q.powerSaving;
    if (q.wakeMode)
        params[QStringLiteral("wake_mode")] = *q.wakeMode;
    // Whole counts of 400 ms, kept exact in the text (0.4 * 3 is not 1.2 in binary).
    auto seconds = [](quint16 count) {
        return QString::number(count * WakeStep, 'f', 1).toDouble();
    };
    if (q.wakeIdle)
        params[QStringLiteral("wake_idle_seconds")] = seconds(*q.wakeIdle);
    if (q.wakeData)
        params[QStringLiteral("wake_data_seconds")] = seconds(*q.wakeData);
    return params;
}

QJsonObject inputJson(const Input &in)
{
    return {{QStringLiteral("trigger"), in.trigger},
            {QStringLiteral("group"), in.group},
            {QStringLiteral("repeat_seconds"), in.repeatSeconds},
            {QStringLiteral("low_text"), textJson(in.low)},
            {QStringLiteral("high_text"), textJson(in.high)},
            {QStringLiteral("count"), in.count},
            {QStringLiteral("relay"), in.relay}};
}

QJsonObject relayJson(const Relay &r)
{
    return {{QStringLiteral("mode"), r.mode},
            {QStringLiteral("reply"), r.reply},
            {QStringLiteral("reply_delay"), r.replyDelay},
            {QStringLiteral("high_delay"), r.highDelay},
            {QStringLiteral("low_delay"), r.lowDelay},
            {QStringLiteral("low_text"), textJson(r.low)},
            {QStringLiteral("high_text"), textJson(r.high)},
            {QStringLiteral("hold"), r.hold}};
}

// ---- reading with checks ----------------------------------------------------------------------

// The first character of text that GBK cannot carry; empty when it carries all of it.
QString notInGbk(const QString &text)
{
    if (FromAnsi(ToAnsi(text)) == text)
        return QString();
    for (const uint c : text.toUcs4()) {
        const QString one = QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
        if (FromAnsi(ToAnsi(one)) != one)
            return one;
    }
    return QStringLiteral("?");
}

// Reads the fields of one object; the first fault is kept as the message to show.
class Reader
{
public:
    explicit Reader(QString *error) : m_error(error) {}

    bool ok() const { return m_ok; }
    bool fail(const QString &path, const QString &what)
    {
        if (m_ok && m_error)
            *m_error = path + QStringLiteral(": ") + what;
        m_ok = false;
        return false;
    }

    // Refuses keys that are not in known: a misspelt key would otherwise be dropped silently.
    bool onlyKeys(const QJsonObject &o, const QString &path, const QStringList &known)
    {
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!known.contains(it.key()))
                return fail(join(path, it.key()), QStringLiteral("未知的项"));
        return m_ok;
    }

    // A whole number min..max that is a multiple of step (step scales the stored value).
    bool number(const QJsonValue &v, const QString &path, double min, double max, double step,
                quint32 *out)
    {
        const QString range = QStringLiteral("%1 到 %2").arg(min, 0, 'g', 12).arg(max, 0, 'g', 12);
        const QString what =
            step == 1 ? range : range + QStringLiteral("，%1 的倍数").arg(step, 0, 'g', 12);
        if (!v.isDouble())
            return fail(path, what);
        const double x = v.toDouble();
        const double units = std::nearbyint(x / step);
        if (!std::isfinite(x) || x < min || x > max || std::fabs(units * step - x) > 1e-6)
            return fail(path, what);
        *out = quint32(units);
        return true;
    }
    template <class T> bool byte(const QJsonValue &v, const QString &path, int min, int max, T *out)
    {
        quint32 n = 0;
        if (!number(v, path, min, max, 1, &n))
            return false;
        *out = T(n);
        return true;
    }
    bool boolean(const QJsonValue &v, const QString &path, bool *out)
    {
        if (!v.isBool())
            return fail(path, QStringLiteral("true 或 false"));
        *out = v.toBool();
        return true;
    }
    bool choice(const QJsonValue &v, const QString &path, const QStringList &words, quint8 *out)
    {
        const int i = v.isString() ? int(words.indexOf(v.toString())) : -1;
        if (i < 0) {
            QStringList quoted;
            for (const QString &w : words)
                quoted << QLatin1Char('"') + w + QLatin1Char('"');
            return fail(path, quoted.join(QStringLiteral(" 或 ")));
        }
        *out = quint8(i);
        return true;
    }
    // "31:52:24:08": n pairs of hexadecimal digits separated by colons.
    bool hexFields(const QJsonValue &v, const QString &path, int n, quint8 *out)
    {
        const QString what =
            QStringLiteral("%1 组两位十六进制数，以冒号分隔（如 %2）")
                .arg(n)
                .arg(n == 4 ? QStringLiteral("31:52:24:08") : QStringLiteral("12:34"));
        static const QRegularExpression pair(QStringLiteral("^[0-9A-Fa-f]{2}$"));
        const QStringList parts = v.toString().split(QLatin1Char(':'));
        if (!v.isString() || parts.size() != n)
            return fail(path, what);
        for (int i = 0; i < n; ++i) {
            if (!pair.match(parts[i]).hasMatch())
                return fail(path, what);
            out[i] = quint8(parts[i].toUInt(nullptr, 16));
        }
        return true;
    }
    bool phoneNumber(const QJsonValue &v, const QString &path, QString *out)
    {
        static const QRegularExpression number(QStringLiteral("^1[0-9A-F]{10}$"));
        if (!v.isString() || !number.match(v.toString()).hasMatch())
            return fail(path, QStringLiteral("以 1 开头的 11 位号码"));
        *out = v.toString();
        return true;
    }
    bool text(const QJsonValue &v, const QString &path, int fieldBytes, Text *out)
    {
        const QJsonObject o = v.toObject();
        if (!v.isObject() || !o.value(QStringLiteral("text")).isString())
            return fail(path, QStringLiteral("对象 {\"text\": 文字, \"english\": true 或 false}"));
        if (!onlyKeys(o, path, {QStringLiteral("text"), QStringLiteral("english")}) ||
            !boolean(o.value(QStringLiteral("english")), join(path, QStringLiteral("english")),
                     &out->english))
            return false;
        out->text = o.value(QStringLiteral("text")).toString();
        if (out->text.isEmpty())
            out->english = false;
        if (out->english && !AnsiEncodable(out->text))
            return fail(join(path, QStringLiteral("text")), GbkMissingText());
        if (out->english) {
            // GBK turns what it cannot carry into '?': the module would show other text.
            const QString lost = notInGbk(out->text);
            if (!lost.isEmpty())
                return fail(
                    join(path, QStringLiteral("text")),
                    QStringLiteral("英文方式只能使用 GBK 编码中的字符（“%1”不在其中）").arg(lost));
        }
        if (!AlarmRecords::EncodeText({out->text, out->english}, fieldBytes, nullptr, nullptr))
            return fail(join(path, QStringLiteral("text")),
                        QStringLiteral("最多 %1 字节（英文 %1 个字符，汉字 %2 个）")
                            .arg(qMin(fieldBytes, 0x7F))
                            .arg(fieldBytes / 2));
        return true;
    }

    // A text value of at most MaxNameLength characters; absent or null gives empty text.
    bool shortText(const QJsonValue &v, const QString &path, QString *out)
    {
        if (!v.isUndefined() && !v.isNull() &&
            (!v.isString() || v.toString().size() > MaxNameLength))
            return fail(path, QStringLiteral("最多 %1 个字符的文字").arg(MaxNameLength));
        *out = v.toString();
        return true;
    }

    static QString join(const QString &path, const QString &key)
    {
        return path.isEmpty() ? key : path + QLatin1Char('.') + key;
    }

private:
    QString *m_error;
    bool m_ok = true;
};

QString at(const QString &path, int i)
{
    return QStringLiteral("%1[%2]").arg(path).arg(i);
}

bool readInput(Reader &r, const QJsonObject &o, const QString &path, Input *in)
{
    const QStringList keys = {"trigger",   "group", "repeat_seconds", "low_text",
                              "high_text", "count", "relay"};
    if (!r.onlyKeys(o, path, keys))
        return false;
    quint32 repeat = 0;
    auto f = [&](const char *key) { return o.value(QLatin1String(key)); };
    auto p = [&](const char *key) { return Reader::join(path, QLatin1String(key)); };
    if (r.byte(f("trigger"), p("trigger"), 0, 3, &in->trigger) &&
        r.byte(f("group"), p("group"), 0, 2, &in->group) &&
        r.number(f("repeat_seconds"), p("repeat_seconds"), 0, 2550, 10, &repeat) &&
        r.text(f("low_text"), p("low_text"), AlarmRecords::DiTextField, &in->low) &&
        r.text(f("high_text"), p("high_text"), AlarmRecords::DiTextField, &in->high) &&
        r.byte(f("count"), p("count"), 0, 255, &in->count) &&
        r.byte(f("relay"), p("relay"), 0, 8, &in->relay))
        in->repeatSeconds = quint16(repeat * 10);
    return r.ok();
}

bool readRelay(Reader &r, const QJsonObject &o, const QString &path, Relay *out)
{
    const QStringList keys = {"mode",      "reply",    "reply_delay", "high_delay",
                              "low_delay", "low_text", "high_text",   "hold"};
    if (!r.onlyKeys(o, path, keys))
        return false;
    auto f = [&](const char *key) { return o.value(QLatin1String(key)); };
    auto p = [&](const char *key) { return Reader::join(path, QLatin1String(key)); };
    return r.byte(f("mode"), p("mode"), 0, 2, &out->mode) &&
           r.byte(f("reply"), p("reply"), 0, 3, &out->reply) &&
           r.byte(f("reply_delay"), p("reply_delay"), 0, 255, &out->replyDelay) &&
           r.byte(f("high_delay"), p("high_delay"), 0, 255, &out->highDelay) &&
           r.byte(f("low_delay"), p("low_delay"), 0, 255, &out->lowDelay) &&
           r.text(f("low_text"), p("low_text"), AlarmRecords::DoTextField, &out->low) &&
           r.text(f("high_text"), p("high_text"), AlarmRecords::DoTextField, &out->high) &&
           r.byte(f("hold"), p("hold"), 0, 1, &out->hold);
}

bool readParameters(Reader &r, const QJsonObject &o, Parameters *out)
{
    const QString path = QStringLiteral("parameters");
    const QStringList keys = {
        "work_form", "transfer_mode",     "transparent_mode", "address",         "password_mode",
        "password",  "receiver_number",   "passive_address",  "restart_seconds", "power_saving",
        "wake_mode", "wake_idle_seconds", "wake_data_seconds"};
    if (!r.onlyKeys(o, path, keys))
        return false;
    // Each present, non-null value is read into its field.
    auto has = [&](const char *key) {
        const QJsonValue v = o.value(QLatin1String(key));
        return !v.isNull() && !v.isUndefined();
    };
    auto f = [&](const char *key) { return o.value(QLatin1String(key)); };
    auto p = [&](const char *key) { return Reader::join(path, QLatin1String(key)); };
    quint8 b = 0;
    quint32 n = 0;
    if (has("work_form") && r.choice(f("work_form"), p("work_form"), {"passive", "active"}, &b))
        out->workForm = b;
    if (has("transfer_mode") &&
        r.choice(f("transfer_mode"), p("transfer_mode"), {"transparent", "format"}, &b))
        out->transferMode = b;
    if (has("transparent_mode") && r.byte(f("transparent_mode"), p("transparent_mode"), 1, 2, &b))
        out->transparentMode = b;
    if (has("address")) {
        const QJsonObject a = f("address").toObject();
        const QString ap = p("address");
        Address address;
        if (!f("address").isObject())
            return r.fail(ap, QStringLiteral("对象 {start, group_maximum, length, type}"));
        if (r.onlyKeys(a, ap, {"start", "group_maximum", "length", "type"}) &&
            r.byte(a.value(QLatin1String("start")), Reader::join(ap, "start"), 0, 255,
                   &address.start) &&
            r.byte(a.value(QLatin1String("group_maximum")), Reader::join(ap, "group_maximum"), 0,
                   255, &address.groupMaximum) &&
            r.byte(a.value(QLatin1String("length")), Reader::join(ap, "length"), 0, 255,
                   &address.length) &&
            r.byte(a.value(QLatin1String("type")), Reader::join(ap, "type"), 0, 3, &address.type))
            out->address = address;
    }
    if (has("password_mode") && r.byte(f("password_mode"), p("password_mode"), 0, 3, &b))
        out->passwordMode = b;
    std::array<quint8, 4> password{};
    if (has("password") && r.hexFields(f("password"), p("password"), 4, password.data()))
        out->password = password;
    QString number;
    if (has("receiver_number") &&
        r.phoneNumber(f("receiver_number"), p("receiver_number"), &number))
        out->receiverNumber = number;
    std::array<quint8, 2> address{};
    if (has("passive_address") &&
        r.hexFields(f("passive_address"), p("passive_address"), 2, address.data()))
        out->passiveAddress = address;
    if (has("restart_seconds") && r.number(f("restart_seconds"), p("restart_seconds"), 0,
                                           4294967295.0 * RestartStep, RestartStep, &n))
        out->restartUnits = n;
    bool on = false;
    if (has("power_saving") && r.boolean(f("power_saving"), p("power_saving"), &on))
        out->powerSaving = on;
    if (has("wake_mode") && r.byte(f("wake_mode"), p("wake_mode"), 1, 2, &b))
        out->wakeMode = b;
    if (has("wake_idle_seconds") &&
        r.number(f("wake_idle_seconds"), p("wake_idle_seconds"), 0, 65535 * WakeStep, WakeStep, &n))
        out->wakeIdle = quint16(n);
    if (has("wake_data_seconds") &&
        r.number(f("wake_data_seconds"), p("wake_data_seconds"), 0, 65535 * WakeStep, WakeStep, &n))
        out->wakeData = quint16(n);
    return r.ok();
}

// An array of eight entries, each an object or null.
bool eightOrNull(Reader &r, const QJsonValue &v, const QString &path)
{
    if (v.isArray() && v.toArray().size() == 8)
        return true;
    return r.fail(path, QStringLiteral("8 项的数组（每项为对象或 null）"));
}

// The sections "inputs" and "relays": absent, null, or eight entries, each an object or null.
bool readRecords(Reader &r, const QJsonObject &o, ModuleProfile *p)
{
    for (const char *section : {"inputs", "relays"}) {
        const QJsonValue v = o.value(QLatin1String(section));
        const QString path = QLatin1String(section);
        if (v.isUndefined() || v.isNull())
            continue;
        if (!eightOrNull(r, v, path))
            return false;
        const QJsonArray a = v.toArray();
        for (int i = 0; i < 8; ++i) {
            if (a.at(i).isNull())
                continue;
            if (!a.at(i).isObject())
                return r.fail(at(path, i), QStringLiteral("对象或 null"));
            if (path == QLatin1String("inputs")) {
                Input in;
                if (!readInput(r, a.at(i).toObject(), at(path, i), &in))
                    return false;
                p->inputs[size_t(i)] = in;
            } else {
                Relay out;
                if (!readRelay(r, a.at(i).toObject(), at(path, i), &out))
                    return false;
                p->relays[size_t(i)] = out;
            }
        }
    }
    return true;
}

// "alarm_modes": absent, null, or eight numbers 0..3.
bool readAlarmModes(Reader &r, const QJsonValue &modes, ModuleProfile *p)
{
    if (modes.isUndefined() || modes.isNull())
        return true;
    if (!modes.isArray() || modes.toArray().size() != 8)
        return r.fail(QStringLiteral("alarm_modes"), QStringLiteral("8 个数的数组"));
    std::array<quint8, 8> m{};
    for (int i = 0; i < 8; ++i)
        if (!r.byte(modes.toArray().at(i), at(QStringLiteral("alarm_modes"), i), 0, 3,
                    &m[size_t(i)]))
            return false;
    p->alarmModes = m;
    return true;
}

// "phone_table": absent, null, or up to 20 numbers.
bool readPhoneTable(Reader &r, const QJsonValue &table, ModuleProfile *p)
{
    if (table.isUndefined() || table.isNull())
        return true;
    if (!table.isArray() || table.toArray().size() > 20)
        return r.fail(QStringLiteral("phone_table"), QStringLiteral("0 到 20 个号码的数组"));
    QStringList numbers;
    const QJsonArray a = table.toArray();
    for (int i = 0; i < a.size(); ++i) {
        QString number;
        if (!r.phoneNumber(a.at(i), at(QStringLiteral("phone_table"), i), &number))
            return false;
        numbers << number;
    }
    p->phoneTable = numbers;
    return true;
}

QString valueText(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(v.toDouble(), 'g', 15);
    case QJsonValue::String:
        return v.toString();
    default:
        return QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact))
            .chopped(1)
            .mid(1);
    }
}

void flatten(const QJsonValue &v, const QString &path, QList<Field> *out)
{
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            flatten(it.value(), Reader::join(path, it.key()), out);
    } else if (v.isArray()) {
        const QJsonArray a = v.toArray();
        for (int i = 0; i < a.size(); ++i)
            flatten(a.at(i), at(path, i), out);
    } else if (!v.isNull() && !v.isUndefined()) {
        out->append({path, valueText(v)});
    }
}

const char *const WritableSections[] = {"parameters", "inputs", "relays", "alarm_modes",
                                        "phone_table"};

} // namespace

ModuleProfile FromSettings(const AlarmSettings &s, const QString &name)
{
    ModuleProfile p;
    p.name = name;
    if (s.version)
        p.module.softwareVersion = s.version->text;
    if (s.firmwareModel)
        p.module.firmwareModel = s.firmwareModel->text();
    Parameters &q = p.parameters;
    if (s.workForm)
        q.workForm = s.workForm->passive() ? 0 : 1;
    if (s.transferMode)
        q.transferMode = s.transferMode->format() ? 1 : 0;
    if (s.transparentMode)
        q.transparentMode = s.transparentMode->mode2() ? 2 : 1;
    if (s.addressSettings)
        q.address = Address{s.addressSettings->start, s.addressSettings->groupMaximum,
                            s.addressSettings->length, s.addressSettings->type};
    if (s.passwordMode)
        q.passwordMode = s.passwordMode->value;
    if (s.smsPassword)
        q.password = s.smsPassword->bytes;
    if (s.receiverNumber)
        q.receiverNumber = s.receiverNumber->number;
    if (s.passiveAddress)
        q.passiveAddress = std::array<quint8, 2>{s.passiveAddress->high, s.passiveAddress->low};
    if (s.restartTime)
        q.restartUnits = s.restartTime->units;
    if (s.powerSaving)
        q.powerSaving = s.powerSaving->on();
    if (s.wakeMode)
        q.wakeMode = s.wakeMode->mode1() ? 1 : 2;
    if (s.wakeDelays) {
        q.wakeIdle = s.wakeDelays->idle;
        q.wakeData = s.wakeDelays->data;
    }
    for (size_t i = 0; i < 8; ++i) {
        if (const auto &f = s.inputs[i]) {
            Input in;
            in.trigger = f->trigger.value_or(0);
            in.group = f->group.value_or(0);
            in.repeatSeconds = quint16(f->interval.value_or(0) * 10);
            in.low = textOf(f->lowFlag, f->lowText);
            in.high = textOf(f->highFlag, f->highText);
            in.count = f->count.value_or(0);
            in.relay = f->relay.value_or(0);
            p.inputs[i] = in;
        }
        if (const auto &f = s.relays[i]) {
            Relay r;
            r.mode = f->mode.value_or(0);
            r.reply = f->reply.value_or(0);
            r.replyDelay = f->replyDelay.value_or(0);
            r.highDelay = f->highDelay.value_or(0);
            r.lowDelay = f->lowDelay.value_or(0);
            r.low = textOf(f->lowFlag, f->lowText);
            r.high = textOf(f->highFlag, f->highText);
            r.hold = f->hold.value_or(0);
            p.relays[i] = r;
        }
    }
    if (s.alarmModes)
        p.alarmModes = s.alarmModes->modes;
    if (s.phoneTable)
        p.phoneTable = *s.phoneTable;
    return p;
}

QJsonObject ToJson(const ModuleProfile &p)
{
    QJsonArray inputs, relays;
    for (size_t i = 0; i < 8; ++i) {
        inputs.append(p.inputs[i] ? QJsonValue(inputJson(*p.inputs[i])) : QJsonValue::Null);
        relays.append(p.relays[i] ? QJsonValue(relayJson(*p.relays[i])) : QJsonValue::Null);
    }
    QJsonObject o;
    o[QStringLiteral("format")] = FormatName;
    o[QStringLiteral("version")] = FormatVersion;
    o[QStringLiteral("name")] = p.name;
    o[QStringLiteral("module")] =
        QJsonObject{{QStringLiteral("software_version"), p.module.softwareVersion},
                    {QStringLiteral("firmware_model"), p.module.firmwareModel}};
    o[QStringLiteral("parameters")] = parametersJson(p.parameters);
    o[QStringLiteral("inputs")] = inputs;
    o[QStringLiteral("relays")] = relays;
    if (p.alarmModes) {
        QJsonArray modes;
        for (quint8 m : *p.alarmModes)
            modes.append(m);
        o[QStringLiteral("alarm_modes")] = modes;
    } else {
        o[QStringLiteral("alarm_modes")] = QJsonValue::Null;
    }
    o[QStringLiteral("phone_table")] =
        p.phoneTable ? QJsonValue(QJsonArray::fromStringList(*p.phoneTable)) : QJsonValue();
    return o;
}

QByteArray ToFile(const ModuleProfile &profile)
{
    return QJsonDocument(ToJson(profile)).toJson(QJsonDocument::Indented);
}

bool FromFile(const QByteArray &bytes, ModuleProfile *profile, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error)
            *error = QStringLiteral("第 %1 字节: JSON 格式错误（%2）")
                         .arg(parseError.offset)
                         .arg(parseError.errorString());
        return false;
    }
    if (!doc.isObject()) {
        if (error)
            *error = QStringLiteral("文件应为一个 JSON 对象");
        return false;
    }
    return FromJson(doc.object(), profile, error);
}

bool FromJson(const QJsonObject &o, ModuleProfile *profile, QString *error)
{
    Reader r(error);
    ModuleProfile p;
    if (!r.onlyKeys(o, QString(),
                    {"format", "version", "name", "module", "parameters", "inputs", "relays",
                     "alarm_modes", "phone_table"}))
        return false;
    if (o.value(QLatin1String("format")).toString() != FormatName)
        return r.fail(QStringLiteral("format"), QLatin1Char('"') + FormatName + QLatin1Char('"'));
    if (o.value(QLatin1String("version")) != QJsonValue(FormatVersion))
        return r.fail(QStringLiteral("version"),
                      QStringLiteral("本程序支持的格式版本为 %1").arg(FormatVersion));
    if (!r.shortText(o.value(QLatin1String("name")), QStringLiteral("name"), &p.name))
        return false;
    // What the module reported: not written, but checked like the rest.
    const QJsonValue moduleValue = o.value(QLatin1String("module"));
    const QJsonObject module = moduleValue.toObject();
    if (!moduleValue.isUndefined() && !moduleValue.isNull() && !moduleValue.isObject())
        return r.fail(QStringLiteral("module"), QStringLiteral("对象或 null"));
    if (!r.onlyKeys(module, QStringLiteral("module"), {"software_version", "firmware_model"}) ||
        !r.shortText(module.value(QLatin1String("software_version")),
                     QStringLiteral("module.software_version"), &p.module.softwareVersion) ||
        !r.shortText(module.value(QLatin1String("firmware_model")),
                     QStringLiteral("module.firmware_model"), &p.module.firmwareModel))
        return false;

    const QJsonValue params = o.value(QLatin1String("parameters"));
    if (!params.isUndefined() && !params.isNull()) {
        if (!params.isObject())
            return r.fail(QStringLiteral("parameters"), QStringLiteral("对象"));
        if (!readParameters(r, params.toObject(), &p.parameters))
            return false;
    }
    if (!readRecords(r, o, &p) || !readAlarmModes(r, o.value(QLatin1String("alarm_modes")), &p) ||
        !readPhoneTable(r, o.value(QLatin1String("phone_table")), &p))
        return false;
    if (profile)
        *profile = p;
    return true;
}

QString Checksum(const ModuleProfile &profile)
{
    const QJsonObject all = ToJson(profile);
    QJsonObject writable;
    for (const char *section : WritableSections)
        writable[QLatin1String(section)] = all.value(QLatin1String(section));
    return QString::fromLatin1(
        QCryptographicHash::hash(QJsonDocument(writable).toJson(QJsonDocument::Compact),
                                 QCryptographicHash::Sha256)
            .toHex());
}

QList<Field> Fields(const ModuleProfile &profile)
{
    const QJsonObject all = ToJson(profile);
    QList<Field> fields;
    for (const char *section : WritableSections)
        flatten(all.value(QLatin1String(section)), QLatin1String(section), &fields);
    return fields;
}

QList<Difference> Diff(const ModuleProfile &module, const ModuleProfile &wanted)
{
    QHash<QString, QString> has;
    for (const Field &f : Fields(module))
        has.insert(f.path, f.value);
    QList<Difference> out;
    for (const Field &f : Fields(wanted)) {
        const auto it = has.constFind(f.path);
        if (it == has.constEnd() || *it != f.value)
            out.append(
                {f.path, it == has.constEnd() ? QString() : *it, f.value, it != has.constEnd()});
    }
    // The phone table is wanted whole: numbers the module holds beyond it differ as well.
    if (wanted.phoneTable && module.phoneTable) {
        for (int i = int(wanted.phoneTable->size()); i < module.phoneTable->size(); ++i)
            out.append({at(QStringLiteral("phone_table"), i), module.phoneTable->at(i), QString()});
    }
    return out;
}

bool ReadFile(const QString &path, ModuleProfile *profile, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    // Asked before opening: opening a pipe waits for a writer, a device may never end.
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("文件不存在"));
    if (!info.isFile())
        return fail(QStringLiteral("不是普通文件（目录、设备或管道不能作配置文件）"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes)
        return fail(QStringLiteral("文件太大（配置文件最多 %1 字节）").arg(MaxFileBytes));
    return FromFile(bytes, profile, error);
}

namespace {

// The captions of the alarm window's controls, by the key a field has in a profile.
const QHash<QString, QString> &Captions()
{
    static const QHash<QString, QString> captions = {
        {"work_form", "工作形式"},
        {"transfer_mode", "传输方式"},
        {"transparent_mode", "透明方式"},
        {"address", "模块地址"},
        {"address.start", "地址开始位置"},
        {"address.group_maximum", "组内最大数"},
        {"address.length", "地址长度"},
        {"address.type", "地址类型"},
        {"password_mode", "密码状态"},
        {"password", "短信密码"},
        {"receiver_number", "接收方号码"},
        {"passive_address", "被动模式下模块地址"},
        {"restart_seconds", "没有收到短信重起时间"},
        {"power_saving", "省电"},
        {"wake_mode", "唤醒模式"},
        {"wake_delays", "醒后延时"},
        {"wake_idle_seconds", "醒后空闲延时"},
        {"wake_data_seconds", "醒后数据延时"},
        {"software_version", "版本"},
        {"firmware_model", "模块型号"},
        {"inputs", "参数"},
        {"inputs.trigger", "报警触发"},
        {"inputs.group", "启用号码表群发"},
        {"inputs.repeat_seconds", "报警时间间隔"},
        {"inputs.low_text", "低电平报警内容"},
        {"inputs.high_text", "高电平报警内容"},
        {"inputs.count", "报警次数"},
        {"inputs.relay", "关联输出"},
        {"relays", "参数"},
        {"relays.mode", "输出方式"},
        {"relays.reply", "短信回复"},
        {"relays.reply_delay", "短信回复延时"},
        {"relays.high_delay", "延时恢复高电平"},
        {"relays.low_delay", "延时恢复低电平"},
        {"relays.low_text", "低电平控制短信"},
        {"relays.high_text", "高电平控制短信"},
        {"relays.hold", "输出保持"},
        {"alarm_modes", "报警方式"},
        {"phone_table", "电话号码表"},
        {"english", "英文"},
    };
    return captions;
}

} // namespace

QString FieldCaption(const QString &path)
{
    // section[index].key.key: "parameters.address.start", "inputs[3].low_text.english".
    static const QRegularExpression shape(
        QStringLiteral("^([a-z_]+)(?:\\[(\\d+)\\])?(?:\\.([a-z_]+))?(?:\\.([a-z_]+))?$"));
    const QRegularExpressionMatch m = shape.match(path);
    if (!m.hasMatch())
        return path;
    const QString section = m.captured(1), key = m.captured(3), sub = m.captured(4);
    const int index = m.captured(2).isEmpty() ? -1 : m.captured(2).toInt();
    QStringList parts;
    auto add = [&parts](const QString &key) {
        const auto it = Captions().constFind(key);
        if (it != Captions().constEnd())
            parts << *it;
    };
    if (section == QLatin1String("parameters") || section == QLatin1String("module")) {
        add(key);
        add(key + QLatin1Char('.') + sub);
    } else if (section == QLatin1String("inputs") || section == QLatin1String("relays")) {
        const bool input = section == QLatin1String("inputs");
        QString channel = QStringLiteral("%1%2").arg(input ? "DI" : "Do").arg(index);
        if (key.isEmpty())
            channel += QLatin1Char(' ') + Captions().value(section);
        parts << channel;
        if (!key.isEmpty())
            add(section + QLatin1Char('.') + key);
    } else if (section == QLatin1String("alarm_modes")) {
        if (index >= 0)
            parts << QStringLiteral("DI%1").arg(index);
        add(section);
    } else if (section == QLatin1String("phone_table")) {
        add(section);
        if (index >= 0)
            parts << QStringLiteral("第 %1 号").arg(index + 1);
    }
    if (sub == QLatin1String("english"))
        add(sub);
    if (parts.isEmpty())
        return path;
    return parts.join(QLatin1Char(' ')) + QStringLiteral("（%1）").arg(path);
}

QString StepCaption(const QString &where)
{
    if (where == QLatin1String("connect"))
        return QStringLiteral("连接");
    if (where == QLatin1String("read-all"))
        return QStringLiteral("读取全部设置");
    if (where.startsWith(QLatin1String("read-all step ")))
        return QStringLiteral("读取全部设置（第 %1 步）").arg(where.section(QLatin1Char(' '), 2));
    QString field = where.section(QLatin1Char(' '), 0, 0);
    const QString action = where.section(QLatin1Char(' '), 1);
    if (action != QLatin1String("read") && action != QLatin1String("write"))
        return where;
    // The runner names a parameter it reads by its key alone ("restart_seconds read").
    if (field == QLatin1String("software_version") || field == QLatin1String("firmware_model"))
        field.prepend(QLatin1String("module."));
    else if (!field.contains(QLatin1Char('.')) && !field.contains(QLatin1Char('[')) &&
             field != QLatin1String("alarm_modes") && field != QLatin1String("phone_table"))
        field.prepend(QLatin1String("parameters."));
    return (action == QLatin1String("read") ? QStringLiteral("读取 ") : QStringLiteral("写入 ")) +
           FieldCaption(field);
}

AlarmRecords::DiRecordValues RecordValues(const Input &in)
{
    AlarmRecords::DiRecordValues v;
    v.trigger = in.trigger;
    v.group = in.group;
    v.interval = quint8(in.repeatSeconds / 10);
    v.low = {in.low.text, in.low.english};
    v.high = {in.high.text, in.high.english};
    v.count = in.count;
    v.relay = in.relay;
    return v;
}

AlarmRecords::DoRecordValues RecordValues(const Relay &r)
{
    AlarmRecords::DoRecordValues v;
    v.mode = r.mode;
    v.reply = r.reply;
    v.replyDelay = r.replyDelay;
    v.highDelay = r.highDelay;
    v.lowDelay = r.lowDelay;
    v.low = {r.low.text, r.low.english};
    v.high = {r.high.text, r.high.english};
    v.hold = r.hold;
    return v;
}

} // namespace Profile
