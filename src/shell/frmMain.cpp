#include "shell/frmMain.h"

#include "shell/LauncherArt.h"
#include "shell/Twips.h"
#include "shell/WindowRegistry.h"
#include "ui_frmMain.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// The launcher that holds a widget (inside the main window's MDI area it is no top-level window).
frmMain *LauncherOf(QWidget *widget)
{
    for (QWidget *w = widget; w; w = w->parentWidget())
        if (auto *launcher = qobject_cast<frmMain *>(w))
            return launcher;
    return nullptr;
}

// Label2 looks like a label and acts as a link: assistive tools see a link with the label's
// caption and a press action that opens the connect dialog, as a click or Enter does.
class Label2Accessible : public QAccessibleWidget
{
public:
    explicit Label2Accessible(QLabel *label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        auto *label = static_cast<QLabel *>(widget());
        if (t == QAccessible::Name)
            return label->accessibleName().isEmpty() ? label->text() : label->accessibleName();
        if (t == QAccessible::Description)
            return label->toolTip();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        // From the event loop: the dialog is modal and the caller expects the call to return.
        if (frmMain *launcher = LauncherOf(widget()))
            QMetaObject::invokeMethod(launcher, &frmMain::onLabel2Click, Qt::QueuedConnection);
    }
};

QAccessibleInterface *Label2AccessibleFactory(const QString &className, QObject *object)
{
    auto *label = qobject_cast<QLabel *>(object);
    if (!label || className != QLatin1String("QLabel") ||
        label->objectName() != QLatin1String("Label2") || !LauncherOf(label))
        return nullptr;
    return new Label2Accessible(label);
}

} // namespace

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
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&Label2AccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    QFont button = ui->CommandVX8->font();
    button.setPointSize(button.pointSize() + 2);
    ui->CommandVX8->setFont(button);
    ui->CommandVX8->setMinimumHeight(34);
    connect(ui->CommandVX8, &QPushButton::clicked, this, &frmMain::showVX8Modal);

    for (QLabel *contact : {ui->Label3, ui->Label4, ui->Label5})
        contact->setStyleSheet(QStringLiteral("color: #2C3E50;"));

    // Load.
    PlaceWindow(this, 0, 0, 11800, 8180);
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
    // The ports belong to the windows that connected them and close with those.
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
