#include "connect/ui/Form19.h"

#include "core/SerialLink.h"
#include "shell/WindowRegistry.h"
#include "ui_Form19.h"

#include <QCloseEvent>
#include <QKeyEvent>

Form19::Form19(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::Form19>())
{
    ui->setupUi(this);
    setObjectName(QLatin1String(WindowName));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &Form19::onTimer1);
    Timer2.setObjectName(QStringLiteral("Timer2"));
    Timer2.setInterval(200);
    connect(&Timer2, &QTimer::timeout, this, &Form19::onTimer2);
}

Form19::~Form19() = default;

void Form19::begin(SerialLink *link, const QString &message, std::function<void()> done)
{
    m_link = link;
    m_done = std::move(done);
    ui->Label1->setText(message);
    m_ticks = 0;
    ui->ProgressBar1->setValue(0);
    Timer1.start();
    Timer2.start();
}

void Form19::onTimer2()
{
    Timer2.stop();
    if (m_link)
        m_link->close();
}

void Form19::onTimer1()
{
    if (m_ticks < WaitSeconds) {
        ++m_ticks;
        ui->ProgressBar1->setValue(m_ticks);
        return;
    }
    Timer1.stop();
    // The user connects to the restarted module again.
    if (const auto done = std::exchange(m_done, {}))
        done();
    Windows::unloadWindow(this);
}

void Form19::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form19::closeEvent(QCloseEvent *event)
{
    // A close by the user arrives spontaneously; the window's own unload (and the main window
    // closing) does not.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void Form19::showEvent(QShowEvent *event)
{
    Windows::centerOverMain(this);
    QDialog::showEvent(event);
}
