#pragma once
// The communication test page of the alarm window: "读取短信", "发送状态", "发送短信" and "复位",
// the log of what went over the line, the send box with its byte count, and the display of a
// received message. Requests go through the exchange (DTR off, 2 s, the frame, DTR on); the
// four buttons stay disabled meanwhile so that two requests cannot interleave.

#include "alarm/AlarmReplies.h"
#include "alarm/SmsTest.h"

#include <QObject>

class AlarmExchange;
class AlarmPageHost;
class QWidget;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

class TestArea : public QObject
{
    Q_OBJECT
public:
    TestArea(QWidget *page, AlarmPageHost &host, QTimer *messageTimer);

    // The module's work form and transmission mode as last reported, and the chosen send mode.
    SmsTest::Form form() const;

    void click(SmsTest::Button button);
    // TestLine, TestStatus and TestData replies of the text machines.
    void showReply(const AlarmReplyValue &reply);
    // The message timer has run out: the message has ended.
    void messageQuiet();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void requestEnded(const QByteArray &frame, bool written);
    void finishMessage(const QString &text, bool capped);
    void sendTextChanged();
    void appendLog(const QString &text);
    void setButtonsEnabled(bool on);

    AlarmPageHost *m_host;
    AlarmExchange *m_exchange;
    QTimer *m_messageTimer;
    QPushButton *m_buttons[4];
    QPlainTextEdit *m_log, *m_send, *m_source;
    QLineEdit *m_sender, *m_receiver, *m_address;
    bool m_filtering = false;
};
