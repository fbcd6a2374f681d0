#pragma once
// The alarm window as the alarm tests set it up: loaded on a link of its own over a fresh memory
// line, its opening timers stopped and every message box recorded. Header-only because it uses
// widgets, and the support library is also linked by widget-free tests.
//
//   class tst_X : public QObject, private AlarmWindowKit
//   ...
//   void initTestCase() { StubConnectWindow(); }
//   void init() { openArea(); }
//   void cleanup() { closeArea(); }

#include "alarm/ui/AlarmFeatures.h"
#include "alarm/ui/frmZ41COM.h"
#include "core/SerialLink.h"
#include "shell/WindowRegistry.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QString>
#include <QTableWidget>
#include <QtGlobal>

// The connect window becomes a plain named dialog, so a test can see it open without the real
// one (the window asks for it as the program's wiring shows it). No database is opened either.
inline void StubConnectWindow()
{
    Windows::registerFactory(QStringLiteral("frmZ40MOD"), [] {
        auto *dialog = new QDialog;
        dialog->setObjectName(QStringLiteral("frmZ40MOD"));
        return dialog;
    });
    frmZ41COM::setDatabasePath(QStringLiteral("/nonexistent/gprs.mdb"));
}

class AlarmWindowKit
{
protected:
    frmZ41COM *window = nullptr;
    MemorySerialBackend *backend = nullptr;
    MessageRecorder *messages = nullptr;
    QString moduleLine; // the last text for panel 2 of the status bar

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

    // Sets controls from "Name=value" entries: a line or text box takes the text, a combo box
    // the list entry "#n" (#-1 none) or else the text, a check or option box "1"/"0", the grid
    // "#n" selects row n (0-based). "Name!" clicks the control, "-Name" clears the option group
    // of Name, "Link=closed" closes the port, "answer=No" answers the next message box No.
    void apply(const QStringList &entries)
    {
        for (const QString &entry : entries) {
            const bool setting = entry.contains(QLatin1Char('='));
            if (!setting && entry.endsWith(QLatin1Char('!'))) {
                press(entry.chopped(1));
                continue;
            }
            if (!setting && entry.startsWith(QLatin1Char('-'))) {
                clearGroup(entry.mid(1));
                continue;
            }
            const QString name = entry.section(QLatin1Char('='), 0, 0);
            const QString value = entry.section(QLatin1Char('='), 1);
            if (name == QLatin1String("Link")) {
                window->exchange().link().close();
                continue;
            }
            if (name == QLatin1String("answer")) {
                messages->answers << MsgResult::No;
                continue;
            }
            QWidget *w = c<QWidget>(name);
            if (auto *edit = qobject_cast<QLineEdit *>(w))
                edit->setText(value);
            else if (auto *area = qobject_cast<QPlainTextEdit *>(w))
                AlarmUi::SetBoxText(area, value);
            else if (auto *box = qobject_cast<QComboBox *>(w); box && value.startsWith('#'))
                box->setCurrentIndex(value.mid(1).toInt());
            else if (auto *box = qobject_cast<QComboBox *>(w))
                box->setEditText(value);
            else if (auto *button = qobject_cast<QAbstractButton *>(w))
                button->setChecked(value == QLatin1String("1"));
            else if (auto *grid = qobject_cast<QTableWidget *>(w))
                grid->selectRow(value.mid(1).toInt());
        }
    }
    // What a control shows: the text of a label or box, the list index of a combo box (its text
    // for "Name/text"), "1"/"0" for a check or option box, the numbers of a grid joined by ",".
    QString shown(const QString &name)
    {
        if (name.endsWith(QLatin1String("/text")))
            return c<QComboBox>(name.chopped(5))->currentText();
        QWidget *w = c<QWidget>(name);
        if (auto *label = qobject_cast<QLabel *>(w))
            return label->text();
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            return edit->text();
        if (auto *area = qobject_cast<QPlainTextEdit *>(w))
            return area->toPlainText();
        if (auto *box = qobject_cast<QComboBox *>(w))
            return QString::number(box->currentIndex());
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            return QLatin1String(button->isChecked() ? "1" : "0");
        QStringList numbers;
        if (auto *grid = qobject_cast<QTableWidget *>(w))
            for (int r = 0; r < grid->rowCount(); ++r)
                numbers << (grid->item(r, 1) ? grid->item(r, 1)->text() : QString());
        return numbers.join(QLatin1Char(','));
    }
    // Bytes from the module, delivered to whichever parser the line has.
    void inject(const QByteArray &bytes)
    {
        backend->inject(bytes);
        QCoreApplication::processEvents();
    }

    // A new window on a new open memory line: loaded, timers 5 and 6 stopped, and a recorder for
    // the message boxes. A closed port makes it ask for the connect dialog.
    void openWindow(const ModuleIdentity &identity = ModuleIdentity())
    {
        auto *link = new SerialLink;
        backend = new MemorySerialBackend;
        link->setBackend(backend);
        link->open();
        window = new frmZ41COM(link, identity);
        moduleLine.clear();
        QObject::connect(window, &frmZ41COM::statusTextChanged, window,
                         [this](int panel, const QString &text) {
                             if (panel == 2)
                                 moduleLine = text;
                         });
        QObject::connect(window, &frmZ41COM::connectWanted, window,
                         [] { Windows::showModal(Windows::get(QStringLiteral("frmZ40MOD"))); });
        window->load();
        window->Timer5.stop();
        window->Timer6.stop();
        messages = new MessageRecorder;
    }
    void closeWindow()
    {
        delete messages;
        delete window;
        messages = nullptr;
        window = nullptr;
    }

    // An area test: the window on an open memory line, and nothing written yet.
    void openArea(const ModuleIdentity &identity = ModuleIdentity())
    {
        openWindow(identity);
        backend->takeWritten();
    }
    // Also closes the connect window an area may have opened.
    void closeArea()
    {
        closeWindow();
        Windows::unload(QStringLiteral("frmZ40MOD"));
    }
};
