#include "core/ui/frmMain.h"

#include "core/SerialLink.h"
#include "core/ui/LauncherArt.h"
#include "core/ui/Twips.h"
#include "core/ui/WindowRegistry.h"
#include "ui_frmMain.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

frmMain::frmMain(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::frmMain>())
{
    ui->setupUi(this);
    setObjectName(QLatin1String(WindowName));

    ui->Image1->setPixmap(LauncherModulePicture(260));

    QFont link = ui->Label2->font();
    link.setPointSize(link.pointSize() + 12);
    link.setBold(true);
    ui->Label2->setFont(link);
    ui->Label2->setStyleSheet(
        QStringLiteral("QLabel#Label2 { color: #1F4E7E; }"
                       "QLabel#Label2:hover { color: #C0392B; }"
                       "QLabel#Label2:focus { text-decoration: underline; }"));
    ui->Label2->setAccessibleDescription(ui->Label2->toolTip());
    ui->Label2->installEventFilter(this);

    QFont button = ui->CommandVX8->font();
    button.setPointSize(button.pointSize() + 2);
    ui->CommandVX8->setFont(button);
    ui->CommandVX8->setMinimumHeight(34);
    connect(ui->CommandVX8, &QPushButton::clicked, this, &frmMain::showVX8Modal);

    for (QLabel *contact : {ui->Label3, ui->Label4, ui->Label5})
        contact->setStyleSheet(QStringLiteral("color: #2C3E50;"));

    // Load.
    PlaceWindow(this, 0, 0, 11800, 8180);
    Link().setDtr(true);
}

frmMain::~frmMain() = default;

void frmMain::onLabel2Click()
{
    Windows::showModal(Windows::get(QStringLiteral("frmZ40MOD")));
}

void frmMain::showUnicodeConverterModal()
{
    Windows::showModal(Windows::get(QStringLiteral("Form18")));
}

void frmMain::showVX8Modal()
{
    Windows::showModal(Windows::get(QStringLiteral("frmVX8")));
}

void frmMain::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintLauncherBackground(painter, rect());
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (Link().isOpen())
        Link().close();
    event->accept();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Label2) {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton &&
                ui->Label2->rect().contains(mouse->position().toPoint())) {
                onLabel2Click();
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            // Keyboard users reach the label with Tab and open it like a button.
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                onLabel2Click();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
