#pragma once
// The alarm window as the alarm tests set it up: loaded on a fresh memory line, its timers
// stopped, the features attached and every message box recorded. Header-only because it uses
// widgets, and the support library is also linked by widget-free tests.
//
//   class tst_X : public QObject, private AlarmWindowKit
//   ...
//   void initTestCase() { StubConnectWindow(); }
//   void init() { openArea(); }
//   void cleanup() { closeArea(); }

#include "alarm/ui/AlarmFeatures.h"
#include "alarm/ui/frmZ41COM.h"
#include "core/ui/WindowRegistry.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialog>
#include <QRadioButton>
#include <QString>
#include <QtGlobal>

// The connect window becomes a plain named dialog, so a test can see it open without the real
// one.
inline void StubConnectWindow()
{
    Windows::registerFactory(QStringLiteral("frmZ40MOD"), [] {
        auto *dialog = new QDialog;
        dialog->setObjectName(QStringLiteral("frmZ40MOD"));
        return dialog;
    });
}

class AlarmWindowKit
{
protected:
    frmZ41COM *window = nullptr;
    MemorySerialBackend *backend = nullptr;
    MessageRecorder *messages = nullptr;

    // The named control of the window; a missing one ends the test run.
    template <class T> T *c(const QString &name)
    {
        T *w = window->findChild<T *>(name);
        if (!w)
            qFatal("control %s missing", qPrintable(name));
        return w;
    }
    void press(const QString &name) { c<QAbstractButton>(name)->click(); }
    void select(const QString &option) { c<QRadioButton>(option)->setChecked(true); }
    // Clears every button of the exclusive group of option (none chosen).
    void clearGroup(const QString &option)
    {
        QButtonGroup *group = c<QRadioButton>(option)->group();
        group->setExclusive(false);
        for (QAbstractButton *b : group->buttons())
            b->setChecked(false);
        group->setExclusive(true);
    }

    // A new window on the line at hand: loaded, timers 5 and 6 stopped, the features attached
    // attachments times, and a recorder for the message boxes.
    void openWindow(int attachments = 1)
    {
        window = new frmZ41COM;
        window->load();
        window->Timer5.stop();
        window->Timer6.stop();
        for (int i = 0; i < attachments; ++i)
            AttachAlarmFeatures(window);
        messages = new MessageRecorder;
    }
    void closeWindow()
    {
        delete messages;
        delete window;
        messages = nullptr;
        window = nullptr;
    }

    // An area test: shared state reset, an open memory line, the window on it, and nothing
    // written yet.
    void openArea(int attachments = 1)
    {
        backend = ResetWorld(true);
        openWindow(attachments);
        backend->takeWritten();
    }
    // Also closes the connect window an area may have opened.
    void closeArea()
    {
        closeWindow();
        Windows::unload(QStringLiteral("frmZ40MOD"));
    }
};
