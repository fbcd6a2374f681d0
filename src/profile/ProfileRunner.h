#pragma once
// Reads a whole module into a profile, writes a profile into a module and proves it by reading
// back, over one AlarmExchange. No widget: the alarm window and the batch mode drive the same
// object, each with its own exchange.
//
// Pacing follows the module: the read-all sends its next read as soon as a reply moves it on
// (and again every 500 ms while none does); every other request waits for its answer up to
// AnswerMs and is sent at most Tries times. A module that stops answering, a refused write
// ("SETFAIL:", "CLRFAIL:") or a lost device ends the run with its own result.

#include "alarm/AlarmExchange.h"
#include "profile/ModuleProfile.h"

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

class ProfileRunner : public QObject
{
    Q_OBJECT
public:
    static constexpr int AnswerMs = 1000;
    static constexpr int Tries = 3;
    static constexpr int ReadAllStallMs = 3000; // no read-all step for this long: no answer

    // Checksum: the module answered a read, but every answer came with a wrong checksum.
    enum class Result { Verified, Differs, NoAnswer, Refused, DeviceLost, Checksum };
    struct Outcome {
        Result result = Result::Verified;
        QString stoppedAt; // the request the run stopped at ("inputs[3] write"); empty when done
        QList<Profile::Difference> differences;
    };

    explicit ProfileRunner(AlarmExchange &exchange, QObject *parent = nullptr);

    // Reads everything a profile holds; finished() reports Verified once all is read.
    void read();
    // Reads, then compares with wanted: Verified or Differs.
    void verify(const Profile::ModuleProfile &wanted);
    // Reads, writes the fields of wanted that differ, reads back and compares.
    void write(const Profile::ModuleProfile &wanted);
    // Writes the fields of wanted that differ from what was read last, reads back and compares
    // (the window has shown the differences and the user has confirmed).
    void writeAfterRead(const Profile::ModuleProfile &wanted);
    void stop();
    bool isRunning() const { return m_running; }

    // What the module has reported so far, as a profile.
    Profile::ModuleProfile moduleProfile(const QString &name = QString()) const;

    // Answer of a request to a reply: not its answer, its answer, a refusal, or its answer with a
    // wrong checksum (the request is sent again).
    enum class Answer { NotThis, Ok, Refused, Corrupt };
    struct Request {
        QString where;
        std::function<void()> send;
        std::function<Answer(const AlarmReplyValue &)> answer;
    };
    // The requests that write wanted into a module that holds module (only what differs).
    QList<Request> writeRequests(const Profile::ModuleProfile &module,
                                 const Profile::ModuleProfile &wanted);

Q_SIGNALS:
    void progress(const QString &where);
    void finished(const ProfileRunner::Outcome &outcome);

private:
    void startRead(std::function<void()> then);
    void readAllDone();
    void runQueue();
    void sendCurrent();
    void onReply(const AlarmReplyValue &reply);
    void onAnswerTimeout();
    void compare(const Profile::ModuleProfile &wanted);
    void finish(Result result, QString where = QString(),
                QList<Profile::Difference> differences = {});
    QList<Request> featureReads();

    AlarmExchange &m_exchange;
    QTimer m_answer;
    QTimer m_stall;
    bool m_running = false;
    bool m_inReadAll = false;
    qint16 m_lastStep = -1;
    std::deque<Request> m_queue;
    int m_tries = 0;
    bool m_corrupt = false; // the current request was answered with a wrong checksum
    std::function<void()> m_then;
};

Q_DECLARE_METATYPE(ProfileRunner::Outcome)
