#pragma once
// Every window exists at most once and is reached by its name. Using a window that is not open
// creates it hidden with its design-time values; unloading (closing) deletes it, so the next use
// starts fresh.
//
//   auto *w = Windows::get<frmVX8>();   // creates it hidden when needed
//   Windows::find("frmVX8");            // nullptr when not loaded
//   Windows::unload("frmVX8");

#include <QPointer>
#include <QString>
#include <QWidget>

class QMdiArea;

namespace Windows {

// Registers a freshly created window under its objectName (set by the window's constructor).
void add(QWidget *window);
QWidget *find(const QString &name);
bool isLoaded(const QString &name);
// Closes and deletes the window (its close handlers run); nothing when not loaded.
void unload(const QString &name);
// The same for a window at hand (a window unloading itself); also closes a window that is not in
// the table.
void unloadWindow(QWidget *window);
// Deletes every window but the main window (tests, and the main window when it closes).
void unloadAll();

template <class T> T *get()
{
    if (QWidget *w = find(QLatin1String(T::WindowName)))
        return static_cast<T *>(w);
    auto *w = new T;
    w->setObjectName(QLatin1String(T::WindowName));
    add(w);
    return w;
}

template <class T> T *findTyped()
{
    return static_cast<T *>(find(QLatin1String(T::WindowName)));
}

// The MDI area of the main window, where child windows (launcher, module windows, tools) live.
void setMdiArea(QMdiArea *area);
QMdiArea *mdiArea();
// Shows a window as an MDI child when an area exists, else as a top-level window.
void showChild(QWidget *window);
// Shows a window as a modal top-level window without blocking the caller: the rest of the
// program takes no input until it is closed.
void showModal(QWidget *window);
// Places a top-level window over the middle of the main window the first time it is shown (a
// window that was moved already keeps its place).
void centerOverMain(QWidget *window);

} // namespace Windows

#include <functional>
namespace Windows {
// Name-based creation for windows whose class the caller does not know (the launcher opening
// the connect dialog, the timers touching frmVX8). The application registers every window's
// factory at start-up; an empty function removes the name's factory again.
void registerFactory(const QString &name, std::function<QWidget *()> factory);
// Like get<T>() by name; nullptr when no factory is registered under that name.
QWidget *get(const QString &name);
// Convenience for controls of a window addressed by name: nullptr when either is missing.
template <class C> C *control(const QString &window, const QString &name)
{
    QWidget *w = find(window);
    return w ? w->findChild<C *>(name) : nullptr;
}
} // namespace Windows
