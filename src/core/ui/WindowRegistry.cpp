#include "core/ui/WindowRegistry.h"

#include <QHash>
#include <QMdiArea>
#include <QMdiSubWindow>

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

bool isLoaded(const QString &name) { return find(name) != nullptr; }

void unload(const QString &name)
{
    QWidget *w = find(name);
    if (!w)
        return;
    table().remove(name);
    // close() runs the window's close handlers and, with WA_DeleteOnClose, deletes it once the
    // current event is done (so a window may unload itself from its own handlers). An MDI child
    // takes its sub-window along.
    auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
    w->setAttribute(Qt::WA_DeleteOnClose, true);
    w->close();
    if (sub) {
        sub->setAttribute(Qt::WA_DeleteOnClose, true);
        sub->close();
    }
}

void unloadAll()
{
    const QStringList names = table().keys();
    for (const QString &name : names)
        if (name != QLatin1String("main"))
            unload(name);
}

void setMdiArea(QMdiArea *mdi) { area() = mdi; }
QMdiArea *mdiArea() { return area(); }

void showChild(QWidget *window)
{
    if (area() && !qobject_cast<QMdiSubWindow *>(window->parentWidget())) {
        QMdiSubWindow *sub = area()->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose, true);
        sub->setWindowTitle(window->windowTitle());
        QObject::connect(window, &QWidget::windowTitleChanged, sub, &QWidget::setWindowTitle);
        sub->show();
    }
    window->show();
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
    if (it == factories().constEnd())
        return nullptr;
    QWidget *w = (*it)();
    w->setObjectName(name);
    add(w);
    return w;
}
} // namespace Windows
