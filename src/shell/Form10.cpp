#include "shell/Form10.h"

#include "core/Dialogs.h"
#include "shell/WindowRegistry.h"
#include "ui_Form10.h"

Form10::Form10(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::Form10>())
{
    ui->setupUi(this);
    setObjectName(QLatin1String(WindowName));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    QFont font = ui->Label1->font();
    font.setBold(true);
    ui->Label1->setFont(font);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, &Form10::onTimer1);

    // Load: a new progress string and tick count, and the timer runs from now on.
    m_progress.clear();
    m_ticks = 0;
    Timer1.start();
}

Form10::~Form10() = default;

void Form10::onTimer1()
{
    m_progress += QLatin1Char('>');
    ui->Label1->setText(m_progress);
    // The label keeps its 30 marks until the next tick starts again from one.
    if (m_progress.size() >= 30)
        m_progress.clear();
    ++m_ticks;
    if (m_ticks == TimeoutTicks) {
        Timer1.stop();
        ShowMessage(QStringLiteral("连接超时，可能是网络忙。请少后再试"),
                    QStringLiteral("网络出错！"), MsgIcon::Information, MsgButtons::Ok);
        Windows::unloadWindow(this);
    }
}

void Form10::showEvent(QShowEvent *event)
{
    Windows::centerOverMain(this);
    QWidget::showEvent(event);
}
