#include "alarm/ui/TestArea.h"

#include "alarm/AlarmExchange.h"
#include "alarm/ui/AlarmFeatures.h"
#include "alarm/ui/AlarmPageHost.h"
#include "core/ByteRoutines.h"
#include "core/Dialogs.h"
#include "shell/HexTextFilter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

using namespace AlarmUi;
using AlarmFrames::SmsSendMode;

namespace {
// The log keeps this many lines; older ones scroll away.
constexpr int LogLines = 20000;
// A message still coming in keeps its display back until the line has been quiet this long.
constexpr int MessageQuietMs = 200;
} // namespace

TestArea::TestArea(QWidget *page, AlarmPageHost &host, QTimer *messageTimer)
    : QObject(page), m_host(&host), m_exchange(&host.exchange()), m_messageTimer(messageTimer)
{
    setObjectName(QStringLiteral("TestArea"));
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "Command21_" + QByteArray::number(i);
        m_buttons[i] = Find<QPushButton>(page, name.constData());
        connect(m_buttons[i], &QPushButton::clicked, this,
                [this, i] { click(SmsTest::Button(i)); });
    }
    m_log = Find<QPlainTextEdit>(page, "Text21_0");
    m_send = Find<QPlainTextEdit>(page, "Text21_1");
    m_source = Find<QPlainTextEdit>(page, "Text21_2");
    m_sender = Find<QLineEdit>(page, "Text21_3");
    m_receiver = Find<QLineEdit>(page, "Text21_4");
    m_address = Find<QLineEdit>(page, "Text22");
    m_log->setMaximumBlockCount(LogLines);
    m_send->installEventFilter(this);
    connect(m_send, &QPlainTextEdit::textChanged, this, &TestArea::sendTextChanged);
    connect(m_messageTimer, &QTimer::timeout, this, &TestArea::messageQuiet);
    connect(m_exchange, &AlarmExchange::testRequestEnded, this, &TestArea::requestEnded);
}

SmsTest::Form TestArea::form() const
{
    SmsTest::Form f;
    f.passive = m_exchange->parser().workForm() == 0;
    f.format = m_exchange->parser().transferMode() != 0;
    f.mode = m_host->smsMode();
    return f;
}

void TestArea::click(SmsTest::Button button)
{
    if (button == SmsTest::Reset || m_exchange->testRequestPending())
        return;
    const SmsTest::Request request = SmsTest::BuildRequest(
        button, form(), m_address->text(), m_send->toPlainText(), m_receiver->text());
    if (!request.refusal.isEmpty()) {
        ShowMessage(request.refusal, QStringLiteral("系统提示"));
        return;
    }
    if (!m_host->portOpenOrConnect())
        return;
    // A message still arriving goes on to its end and is shown.
    setButtonsEnabled(false);
    m_exchange->startTestRequest(SmsTest::CommandOf(button), request.frame);
}

void TestArea::requestEnded(const QByteArray &frame, bool written)
{
    if (written)
        appendLog(SmsTest::SentLine(frame));
    else if (!frame.isEmpty())
        appendLog(QStringLiteral("未发射  串口已关闭\n"));
    setButtonsEnabled(true);
}

void TestArea::showReply(const AlarmReplyValue &reply)
{
    namespace R = AlarmReply;
    if (const auto *r = std::get_if<R::TestLine>(&reply)) {
        appendLog(QStringLiteral("接收  ") + r->fields + QLatin1Char('\n'));
        m_host->setModuleStatus(r->status);
        // A failure must not pass unseen in the status bar alone.
        for (const char *failure : {"发送失败", "没有上网", "格式错误"}) {
            if (r->status == QString::fromUtf8(failure))
                ShowMessage(
                    QStringLiteral("模块报告：%1。这条指令没有成功，请检查后重试").arg(r->status),
                    QStringLiteral("系统提示"), MsgIcon::Exclamation);
        }
    } else if (const auto *r = std::get_if<R::TestStatus>(&reply)) {
        m_host->setModuleStatus(r->status);
    } else if (const auto *r = std::get_if<R::TestData>(&reply)) {
        if (r->ended)
            finishMessage(r->fields, true);
        else
            m_messageTimer->start(MessageQuietMs);
    }
}

void TestArea::messageQuiet()
{
    finishMessage(m_exchange->parser().takeMessage(), false);
}

void TestArea::finishMessage(const QString &text, bool capped)
{
    m_messageTimer->stop();
    if (text.isEmpty())
        return;
    const SmsTest::Form f = form();
    const SmsTest::Reception r = SmsTest::FinishReception(text, f);
    appendLog(r.log);
    if (capped)
        appendLog(
            QStringLiteral("接收数据已达%1字节，本条接收结束\n").arg(AlarmReplyParser::MessageCap));
    if (f.format)
        m_sender->setText(r.sender);
    m_source->setPlainText(r.content);
}

void TestArea::sendTextChanged()
{
    const SmsTest::Form f = form();
    if (f.mode == SmsSendMode::Hex && !m_filtering) {
        // Pasted or dropped text keeps hexadecimal digit pairs only.
        const QString text = m_send->toPlainText();
        const QString filtered = FilterHexText(text, true);
        if (filtered != text) {
            m_filtering = true;
            m_send->setPlainText(filtered);
            m_send->moveCursor(QTextCursor::End);
            m_filtering = false;
        }
    }
    m_host->setStatusText(
        3, QStringLiteral("发射区字节数：") +
               QString::number(SmsTest::ContentLength(f.mode, m_send->toPlainText())));
}

bool TestArea::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_send || event->type() != QEvent::KeyPress || form().mode != SmsSendMode::Hex)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (IsEditingKey(key))
        return false;
    const char16_t unit = key->text().at(0).unicode();
    qint16 code = unit < 127 ? qint16(unit) : qint16(0);
    FilterHexKey(code);
    if (code != 0)
        m_send->insertPlainText(QString(QChar(char16_t(code))));
    if (m_send->toPlainText().size() % 3 == 2) {
        m_send->moveCursor(QTextCursor::End);
        m_send->insertPlainText(QStringLiteral(":"));
    }
    return true;
}

void TestArea::appendLog(const QString &text)
{
    QTextCursor cursor(m_log->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    m_log->verticalScrollBar()->setValue(m_log->verticalScrollBar()->maximum());
}

void TestArea::setButtonsEnabled(bool on)
{
    for (QPushButton *b : m_buttons)
        b->setEnabled(on);
}
