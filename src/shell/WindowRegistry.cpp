#include "shell/WindowRegistry.h"

#include <QHash>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>

namespace {
QHash<QString, QPointer<QWidget>> &table()
{
    static QHash<QString, QPointer<QWidget>> windows;
    return windows;
}
QPointer<QMdiArea> &area()
{
    static QPointer<QMdiArea> mdi;
    return mdi;
}
} // namespace

namespace Windows {

void add(QWidget *window)
{
    const QString name = window->objectName();
    window->setAttribute(Qt::WA_DeleteOnClose, true);
    table().insert(name, window);
    QObject::connect(window, &QObject::destroyed, [name, window]() {
        auto it = table().find(name);
        if (it != table().end() && (it->isNull() || it->data() == window))
            table().erase(it);
    });
}

QWidget *find(const QString &name)
{
    auto it = table().find(name);
    if (it == table().end())
        return nullptr;
    if (it->isNull()) {
        table().erase(it);
        return nullptr;
    }
    return it->data();
}

bool isLoaded(const QString &name)
{
    return find(name) != nullptr;
}

void unload(const QString &name)
{
    QWidget *w = find(name);
    if (!w)
        return;
    table().remove(name);
    // close() runs the window's close handlers and, with WA_DeleteOnClose, deletes it once the
    // current event is done (so a window may unload itself from its own handlers). An MDI child
    // is closed through its sub-window, which closes the window once and takes it along; closing
    // both would run the window's close handlers twice.
    w->setAttribute(Qt::WA_DeleteOnClose, true);
    if (auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget())) {
        sub->setAttribute(Qt::WA_DeleteOnClose, true);
        sub->close();
    } else {
        w->close();
    }
}

void unloadWindow(QWidget *window)
{
    if (!window)
        return;
    if (find(window->objectName()) == window) {
        unload(window->objectName());
        return;
    }
    // Not (or no longer) in the table: close it all the same.
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        sub->close();
    else
        window->close();
}

void unloadAll()
{
    const QStringList names = table().keys();
    for (const QString &name : names)
        if (name != QLatin1String("main"))
            unload(name);
}

void setMdiArea(QMdiArea *mdi)
{
    area() = mdi;
}
QMdiArea *mdiArea()
{
    return area();
}

void showChild(QWidget *window)
{
    if (!window)
        return;
    if (area() && !qobject_cast<QMdiSubWindow *>(window->parentWidget())) {
        QMdiSubWindow *sub = area()->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose, true);
        sub->setWindowTitle(window->windowTitle());
        QObject::connect(window, &QWidget::windowTitleChanged, sub, &QWidget::setWindowTitle);
        sub->show();
    }
    window->show();
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget())) {
        sub->show();
        if (area())
            area()->setActiveSubWindow(sub);
    } else {
        window->raise();
        window->activateWindow();
    }
}

namespace {

// Puts the window's frame over the middle of the main window (or of the screen) and inside the
// screen. Before the first show the frame is the window's own size; after it, the decorations
// count too.
void PlaceCentred(QWidget *window)
{
    QRect host;
    if (QWidget *mainWindow = find(QStringLiteral("main")); mainWindow && mainWindow->isVisible())
        host = mainWindow->frameGeometry();
    else if (QScreen *screen = window->screen())
        host = screen->availableGeometry();
    if (host.isEmpty())
        return;
    // The size it will be shown with: a layout may need more than the form's design size.
    window->resize(window->size().expandedTo(window->minimumSizeHint()));
    QRect frame(QPoint(0, 0), window->frameGeometry().size());
    frame.moveCenter(host.center());
    // Never past the edge of the screen, whatever the main window's place.
    if (QScreen *screen = window->screen()) {
        const QRect visible = screen->availableGeometry();
        frame.moveRight(qMin(frame.right(), visible.right()));
        frame.moveBottom(qMin(frame.bottom(), visible.bottom()));
        frame.moveLeft(qMax(frame.left(), visible.left()));
        frame.moveTop(qMax(frame.top(), visible.top()));
    }
    window->move(frame.topLeft());
}

} // namespace

void centerOverMain(QWidget *window)
{
    if (!window || !window->isWindow() || window->testAttribute(Qt::WA_Moved))
        return;
    PlaceCentred(window);
}

void showModal(QWidget *window)
{
    if (!window)
        return;
    if (!window->isWindow())
        window->setWindowFlag(Qt::Window, true);
    const bool place = !window->testAttribute(Qt::WA_Moved);
    if (place)
        PlaceCentred(window);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    if (place)
        PlaceCentred(window);
    window->raise();
    window->activateWindow();
}

} // namespace Windows

namespace {
QHash<QString, std::function<QWidget *()>> &factories()
{
    static QHash<QString, std::function<QWidget *()>> table;
    return table;
}
} // namespace

namespace Windows {
void registerFactory(const QString &name, std::function<QWidget *()> factory)
{
    factories().insert(name, std::move(factory));
}

QWidget *get(const QString &name)
{
    if (QWidget *w = find(name))
        return w;
    const auto it = factories().constFind(name);
    if (it == factories().constEnd() || !*it)
        return nullptr;
    QWidget *w = (*it)();
    if (!w)
        return nullptr;
    w->setObjectName(name);
    add(w);
    return w;
}
} // namespace Windows
