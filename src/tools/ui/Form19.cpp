#include "tools/ui/Form19.h"

#include "core/Module1.h"
#include "core/SerialLink.h"
#include "core/ui/WindowRegistry.h"
#include "ui_Form19.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

namespace {

void SetEnabled(QWidget *window, const char *name, bool enabled)
{
    if (auto *control = window->findChild<QWidget *>(QLatin1String(name)))
        control->setEnabled(enabled);
}

// Clears an option button even when it is the checked one of an exclusive set, which Qt
// otherwise refuses.
void Unselect(QWidget *window, const char *name)
{
    auto *option = window->findChild<QAbstractButton *>(QLatin1String(name));
    if (!option || !option->isChecked())
        return;
    QButtonGroup *group = option->group();
    const bool groupExclusive = group && group->exclusive();
    const bool autoExclusive = option->autoExclusive();
    if (groupExclusive)
        group->setExclusive(false);
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(autoExclusive);
    if (groupExclusive)
        group->setExclusive(true);
}

// frmVX8 as for a module that has not been identified: the user connects again.
void ResetIdentityWindow()
{
    QWidget *vx8 = Windows::get(QStringLiteral("frmVX8"));
    if (!vx8)
        return;
    SetEnabled(vx8, "Option1", false);
    SetEnabled(vx8, "Option2", false);
    Unselect(vx8, "Option1");
    Unselect(vx8, "Option2");
    SetEnabled(vx8, "Combo1", true);
    SetEnabled(vx8, "Combo2", true);
    SetEnabled(vx8, "Command1_0", true);
    SetEnabled(vx8, "Command1_1", false);
    SetEnabled(vx8, "Command1_2", true);
}

} // namespace

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

    // Load.
    ui->Label1->setText(PendingRestartMessage);
    Timer1.start();
    Timer2.start();
    m_ticks = 0;
}

Form19::~Form19() = default;

void Form19::onTimer2()
{
    Timer2.stop();
    Link().close();
}

void Form19::onTimer1()
{
    if (m_ticks < WaitSeconds) {
        ++m_ticks;
        ui->ProgressBar1->setValue(m_ticks);
        return;
    }
    Timer1.stop();
    ResetIdentityWindow();
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
