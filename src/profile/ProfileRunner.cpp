#include "profile/ProfileRunner.h"

#include "alarm/AlarmFrames.h"
#include "core/SerialLink.h"

#include <QSet>

namespace R = AlarmReply;
using Answer = ProfileRunner::Answer;

namespace {

template <class T> Answer is(const AlarmReplyValue &reply)
{
    return std::holds_alternative<T>(reply) ? Answer::Ok : Answer::NotThis;
}

// The verdict of a text answer to the given request.
Answer textVerdict(const AlarmReplyValue &reply, R::TextAnswer::Request request)
{
    const auto *t = std::get_if<R::TextAnswer>(&reply);
    if (!t || t->request != request || t->verdict == R::TextAnswer::Verdict::None)
        return Answer::NotThis;
    return t->verdict == R::TextAnswer::Verdict::Ok ? Answer::Ok : Answer::Refused;
}

Answer recordAnswer(bool thisRecord, bool checksumOk)
{
    if (!thisRecord)
        return Answer::NotThis;
    return checksumOk ? Answer::Ok : Answer::Corrupt;
}

QString hexText(const quint8 *bytes, int n)
{
    QString text;
    for (int i = 0; i < n; ++i)
        text += QStringLiteral("%1:").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper();
    return text;
}

} // namespace

ProfileRunner::ProfileRunner(AlarmExchange &exchange, QObject *parent)
    : QObject(parent), m_exchange(exchange)
{
    qRegisterMetaType<ProfileRunner::Outcome>();
    m_answer.setSingleShot(true);
    m_answer.setInterval(AnswerMs);
    m_stall.setSingleShot(true);
    m_stall.setInterval(ReadAllStallMs);
    connect(&m_answer, &QTimer::timeout, this, &ProfileRunner::onAnswerTimeout);
    connect(&m_stall, &QTimer::timeout, this, [this] {
        finish(Result::NoAnswer, QStringLiteral("read-all step %1").arg(m_exchange.readAllStep()));
    });
    connect(&m_exchange, &AlarmExchange::replied, this, &ProfileRunner::onReply);
    connect(&m_exchange, &AlarmExchange::sequenceFinished, this, [this](AlarmExchange::Sequence s) {
        if (s == AlarmExchange::Sequence::ReadAll && m_inReadAll)
            readAllDone();
    });
    connect(&m_exchange.link(), &SerialLink::deviceLost, this, [this] {
        if (!m_running)
            return;
        QString where = m_inReadAll ? QStringLiteral("read-all") : QString();
        if (!m_queue.empty())
            where = m_queue.front().where;
        finish(Result::DeviceLost, where);
    });
}

Profile::ModuleProfile ProfileRunner::moduleProfile(const QString &name) const
{
    return Profile::FromSettings(m_exchange.settings(), name);
}

void ProfileRunner::read()
{
    startRead([this] { finish(Result::Verified); });
}

void ProfileRunner::verify(const Profile::ModuleProfile &wanted)
{
    startRead([this, wanted] { compare(wanted); });
}

void ProfileRunner::write(const Profile::ModuleProfile &wanted)
{
    startRead([this, wanted] { writeAfterRead(wanted); });
}

void ProfileRunner::writeAfterRead(const Profile::ModuleProfile &wanted)
{
    m_running = true;
    const QList<Request> writes = writeRequests(moduleProfile(), wanted);
    m_queue.assign(writes.begin(), writes.end());
    // Once everything is written, all of it is read again and compared: only that proves it.
    m_then = [this, wanted] { startRead([this, wanted] { compare(wanted); }); };
    runQueue();
}

void ProfileRunner::stop()
{
    m_running = false;
    m_inReadAll = false;
    m_queue.clear();
    m_answer.stop();
    m_stall.stop();
    m_exchange.stopAll();
}

void ProfileRunner::startRead(std::function<void()> then)
{
    m_running = true;
    m_then = std::move(then);
    m_queue.clear();
    m_exchange.clearSettings();
    m_exchange.parser().reset();
    m_inReadAll = true;
    m_lastStep = -1;
    Q_EMIT progress(QStringLiteral("read-all"));
    m_stall.start();
    m_exchange.startReadAll();
}

void ProfileRunner::readAllDone()
{
    m_inReadAll = false;
    m_stall.stop();
    const QList<Request> reads = featureReads();
    m_queue.assign(reads.begin(), reads.end());
    runQueue();
}

QList<ProfileRunner::Request> ProfileRunner::featureReads()
{
    QList<Request> reads;
    const AlarmSettings &s = m_exchange.settings();
    // Parameters the read-all skips for this module's modes are read one by one, so that a
    // profile always holds all of them.
    auto param = [&](bool have, qint16 step, const char *name,
                     std::function<Answer(const AlarmReplyValue &)> answer) {
        if (!have)
            reads.append({QStringLiteral("%1 read").arg(QLatin1String(name)),
                          [this, step] { m_exchange.send(AlarmExchange::readFrame(step)); },
                          std::move(answer)});
    };
    param(bool(s.firmwareModel), AlarmExchange::ReadFirmwareModel, "firmware_model",
          is<R::FirmwareModel>);
    param(bool(s.version), AlarmExchange::ReadVersion, "software_version", is<R::Version>);
    param(bool(s.restartTime), AlarmExchange::ReadRestartTime, "restart_seconds",
          is<R::RestartTime>);
    param(bool(s.passwordMode), AlarmExchange::ReadPasswordMode, "password_mode",
          is<R::PasswordMode>);
    param(bool(s.smsPassword), AlarmExchange::ReadSmsPassword, "password", is<R::SmsPassword>);
    param(bool(s.workForm), AlarmExchange::ReadWorkForm, "work_form", is<R::WorkForm>);
    param(bool(s.passiveAddress), AlarmExchange::ReadPassiveAddress, "passive_address",
          is<R::PassiveAddress>);
    param(bool(s.transferMode), AlarmExchange::ReadTransferMode, "transfer_mode",
          is<R::TransferMode>);
    param(bool(s.transparentMode), AlarmExchange::ReadTransparentMode, "transparent_mode",
          is<R::TransparentMode>);
    param(bool(s.receiverNumber), AlarmExchange::ReadReceiverNumber, "receiver_number",
          is<R::ReceiverNumber>);
    param(bool(s.addressSettings), AlarmExchange::ReadAddressSettings, "address",
          is<R::AddressSettings>);
    param(bool(s.powerSaving), AlarmExchange::ReadPowerSaving, "power_saving", is<R::PowerSaving>);
    param(bool(s.wakeDelays), AlarmExchange::ReadWakeDelays, "wake_delays", is<R::WakeDelays>);
    param(bool(s.wakeMode), AlarmExchange::ReadWakeMode, "wake_mode", is<R::WakeMode>);

    for (int ch = 0; ch < 8; ++ch) {
        reads.append({QStringLiteral("inputs[%1] read").arg(ch),
                      [this, ch] { m_exchange.readInputRecord(ch); },
                      [ch](const AlarmReplyValue &r) {
                          const auto *rec = std::get_if<R::InputRecord>(&r);
                          // A record with a wrong checksum is asked for again.
                          return recordAnswer(rec && rec->channel == ch, rec && rec->checksumOk);
                      }});
    }
    for (int ch = 0; ch < 8; ++ch) {
        reads.append({QStringLiteral("relays[%1] read").arg(ch),
                      [this, ch] { m_exchange.readRelayRecord(ch); },
                      [ch](const AlarmReplyValue &r) {
                          const auto *rec = std::get_if<R::RelayRecord>(&r);
                          return recordAnswer(rec && rec->channel == ch, rec && rec->checksumOk);
                      }});
    }
    reads.append({QStringLiteral("alarm_modes read"), [this] { m_exchange.readAlarmModes(); },
                  is<R::AlarmModes>});
    reads.append({QStringLiteral("phone_table read"), [this] { m_exchange.readPhoneTable(); },
                  [](const AlarmReplyValue &r) {
                      const auto *t = std::get_if<R::PhoneTable>(&r);
                      return recordAnswer(t, t && (t->empty() || t->checksumOk));
                  }});
    return reads;
}

namespace {

using Requests = QList<ProfileRunner::Request>;
using AnswerTest = std::function<Answer(const AlarmReplyValue &)>;

// What differs between module and wanted, by the unit one request writes:
// "parameters.address", "inputs[3]", "alarm_modes", ...
QSet<QString> differingKeys(const Profile::ModuleProfile &module,
                            const Profile::ModuleProfile &wanted)
{
    QSet<QString> differs;
    for (const Profile::Difference &d : Profile::Diff(module, wanted)) {
        QString key = d.path;
        if (key.startsWith(QLatin1String("parameters."))) {
            key = key.section(QLatin1Char('.'), 0, 1);
        } else {
            key = key.section(QLatin1Char('.'), 0, 0);
            if (key.startsWith(QLatin1String("alarm_modes")) ||
                key.startsWith(QLatin1String("phone_table")))
                key = key.section(QLatin1Char('['), 0, 0);
        }
        differs.insert(key);
    }
    // A phone table that is longer in the module differs too, though no wanted field does.
    if (wanted.phoneTable && module.phoneTable != wanted.phoneTable)
        differs.insert(QStringLiteral("phone_table"));
    return differs;
}

// A parameter frame of wanted and the key that says whether it is written.
struct ParameterWrite {
    QString key;
    QByteArray frame;
    AnswerTest answer;
};

// The frames of the parameters wanted holds, the work mode first: it decides which other
// parameters the module uses.
QList<ParameterWrite> parameterWrites(const Profile::Parameters &p,
                                      const Profile::Parameters &module)
{
    QList<ParameterWrite> out;
    auto add = [&out](const char *key, const QByteArray &frame, AnswerTest answer) {
        out.append({QStringLiteral("parameters.") + QLatin1String(key), frame, std::move(answer)});
    };
    if (p.workForm)
        add("work_form", AlarmFrames::WorkForm(*p.workForm), is<R::WorkForm>);
    if (p.transferMode)
        add("transfer_mode", AlarmFrames::TransferMode(*p.transferMode), is<R::TransferMode>);
    if (p.transparentMode)
        add("transparent_mode", AlarmFrames::TransparentMode(*p.transparentMode == 1 ? 1 : 0),
            is<R::TransparentMode>);
    if (p.address)
        add("address",
            AlarmFrames::AddressSettings(p.address->start, p.address->groupMaximum,
                                         p.address->length, p.address->type),
            is<R::AddressSettings>);
    if (p.passiveAddress)
        add("passive_address",
            AlarmFrames::PassiveAddress((*p.passiveAddress)[0], (*p.passiveAddress)[1]),
            is<R::PassiveAddress>);
    if (p.passwordMode)
        add("password_mode", AlarmFrames::PasswordMode(*p.passwordMode), is<R::PasswordMode>);
    if (p.password)
        add("password", AlarmFrames::SmsPassword(hexText(p.password->data(), 4)),
            is<R::SmsPassword>);
    if (p.receiverNumber)
        add("receiver_number", AlarmFrames::ReceiverNumber(*p.receiverNumber),
            is<R::ReceiverNumber>);
    if (p.restartUnits)
        add("restart_seconds", AlarmFrames::RestartTime(*p.restartUnits), is<R::RestartTime>);
    if (p.powerSaving)
        add("power_saving", AlarmFrames::PowerSaving(*p.powerSaving), is<R::PowerSaving>);
    if (p.wakeMode)
        add("wake_mode", AlarmFrames::WakeMode(*p.wakeMode == 1 ? 0 : 1), is<R::WakeMode>);
    if (p.wakeIdle || p.wakeData) {
        // One frame carries both delays: the one the profile leaves out stays as the module has it.
        const quint16 idle = p.wakeIdle.value_or(module.wakeIdle.value_or(0));
        const quint16 data = p.wakeData.value_or(module.wakeData.value_or(0));
        add("wake_data_seconds", AlarmFrames::WakeDelays(idle, data), is<R::WakeDelays>);
    }
    return out;
}

// The input and relay records of wanted that differ, each as one record write.
Requests recordWrites(AlarmExchange &exchange, const Profile::ModuleProfile &wanted,
                      const QSet<QString> &differs)
{
    Requests out;
    const auto recordWrite = [](const AlarmReplyValue &r) {
        return textVerdict(r, R::TextAnswer::Request::RecordWrite);
    };
    for (int ch = 0; ch < 8; ++ch) {
        const auto &in = wanted.inputs[size_t(ch)];
        QByteArray record;
        const QString key = QStringLiteral("inputs[%1]").arg(ch);
        if (!in || !differs.contains(key) ||
            AlarmRecords::EncodeDiRecord(Profile::RecordValues(*in), &record) !=
                AlarmRecords::EncodeResult::Ok)
            continue;
        out.append({key + QStringLiteral(" write"),
                    [&exchange, ch, record] { exchange.writeInputRecord(ch, record); },
                    recordWrite});
    }
    for (int ch = 0; ch < 8; ++ch) {
        const auto &rel = wanted.relays[size_t(ch)];
        QByteArray record;
        const QString key = QStringLiteral("relays[%1]").arg(ch);
        if (!rel || !differs.contains(key) ||
            AlarmRecords::EncodeDoRecord(Profile::RecordValues(*rel), &record) !=
                AlarmRecords::EncodeResult::Ok)
            continue;
        out.append({key + QStringLiteral(" write"),
                    [&exchange, ch, record] { exchange.writeRelayRecord(ch, record); },
                    recordWrite});
    }
    return out;
}

// The alarm modes and the phone table of wanted, when they differ.
Requests tableWrites(AlarmExchange &exchange, const Profile::ModuleProfile &wanted,
                     const QSet<QString> &differs)
{
    Requests out;
    if (wanted.alarmModes && differs.contains(QStringLiteral("alarm_modes"))) {
        const std::array<quint8, 8> modes = *wanted.alarmModes;
        out.append({QStringLiteral("alarm_modes write"),
                    [&exchange, modes] { exchange.writeAlarmModes(modes); }, is<R::AlarmModes>});
    }
    if (wanted.phoneTable && differs.contains(QStringLiteral("phone_table"))) {
        const QStringList numbers = *wanted.phoneTable;
        if (numbers.isEmpty())
            out.append({QStringLiteral("phone_table write"),
                        [&exchange] { exchange.clearPhoneTable(); },
                        [](const AlarmReplyValue &r) {
                            return textVerdict(r, R::TextAnswer::Request::PhoneTableClear);
                        }});
        else
            out.append({QStringLiteral("phone_table write"),
                        [&exchange, numbers] { exchange.writePhoneTable(numbers); },
                        [](const AlarmReplyValue &r) {
                            return textVerdict(r, R::TextAnswer::Request::PhoneTableWrite);
                        }});
    }
    return out;
}

} // namespace

QList<ProfileRunner::Request> ProfileRunner::writeRequests(const Profile::ModuleProfile &module,
                                                           const Profile::ModuleProfile &wanted)
{
    QSet<QString> differs = differingKeys(module, wanted);
    // One frame carries both wake-up delays: a different idle delay writes it too.
    if (differs.contains(QStringLiteral("parameters.wake_idle_seconds")))
        differs.insert(QStringLiteral("parameters.wake_data_seconds"));
    QList<Request> out;
    for (const ParameterWrite &w : parameterWrites(wanted.parameters, module.parameters)) {
        if (differs.contains(w.key)) {
            const QByteArray frame = w.frame;
            out.append({w.key + QStringLiteral(" write"), [this, frame] { m_exchange.send(frame); },
                        w.answer});
        }
    }
    out += recordWrites(m_exchange, wanted, differs);
    out += tableWrites(m_exchange, wanted, differs);
    return out;
}

void ProfileRunner::runQueue()
{
    if (!m_running)
        return;
    if (m_queue.empty()) {
        m_answer.stop();
        auto then = std::move(m_then);
        m_then = nullptr;
        if (then)
            then();
        return;
    }
    m_tries = 0;
    m_corrupt = false;
    sendCurrent();
}

void ProfileRunner::sendCurrent()
{
    ++m_tries;
    if (m_tries == 1)
        Q_EMIT progress(m_queue.front().where);
    m_answer.start();
    m_queue.front().send();
}

void ProfileRunner::onReply(const AlarmReplyValue &reply)
{
    if (!m_running)
        return;
    if (m_inReadAll) {
        // Paced by the module: the next read goes out as soon as this one is answered.
        const qint16 step = m_exchange.readAllStep();
        if (step != m_lastStep && m_exchange.readAllRunning()) {
            m_lastStep = step;
            m_stall.start();
            m_exchange.readAllTick();
        }
        return;
    }
    if (m_queue.empty())
        return;
    const Answer answer = m_queue.front().answer(reply);
    m_corrupt = m_corrupt || answer == Answer::Corrupt;
    if (answer == Answer::NotThis || answer == Answer::Corrupt)
        return;
    m_answer.stop();
    if (answer == Answer::Refused) {
        finish(Result::Refused, m_queue.front().where);
        return;
    }
    m_queue.pop_front();
    // The next request leaves from the event loop, after the parser has finished this reply.
    QTimer::singleShot(0, this, &ProfileRunner::runQueue);
}

void ProfileRunner::onAnswerTimeout()
{
    if (!m_running || m_queue.empty())
        return;
    if (m_tries < Tries) {
        sendCurrent();
        return;
    }
    finish(m_corrupt ? Result::Checksum : Result::NoAnswer, m_queue.front().where);
}

void ProfileRunner::compare(const Profile::ModuleProfile &wanted)
{
    const QList<Profile::Difference> differences = Profile::Diff(moduleProfile(), wanted);
    if (differences.isEmpty())
        finish(Result::Verified);
    else
        finish(Result::Differs, QString(), differences);
}

void ProfileRunner::finish(Result result, QString where, QList<Profile::Difference> differences)
{
    // By value: where is often the text of the request that stop() is about to drop.
    stop();
    m_then = nullptr;
    Q_EMIT finished(Outcome{result, std::move(where), std::move(differences)});
}
