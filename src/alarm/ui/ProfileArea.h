#pragma once
// Profiles in the alarm window: "保存配置…" writes the profile of the module (enabled once the
// read-all has finished; the inputs, relays, alarm modes and phone table are read first), and
// "写入配置…" loads a profile, shows what would change (field, module value, profile value),
// writes only on confirmation, reads back and shows whether every field now matches. The work
// is a ProfileRunner's over the window's exchange; while it runs the window's buttons wait and
// its areas neither show every record read nor announce every write.

#include "profile/ProfileRunner.h"

#include <QObject>
#include <functional>

class AlarmPageHost;
class QTabWidget;
class QPushButton;

class ProfileArea : public QObject
{
    Q_OBJECT
public:
    // The two buttons go beside the tabs of the window.
    ProfileArea(QTabWidget *tabs, AlarmPageHost &host);

    // The file to save to (save true) or to load; empty when cancelled. Tests replace it.
    using FileChooser = std::function<QString(bool save)>;
    // Shows the rows (field, module value, profile value); with ask, true when the user
    // confirms the write. Tests replace it.
    using TableViewer =
        std::function<bool(const QString &title, const QList<Profile::Difference> &rows, bool ask)>;
    static void setFileChooser(FileChooser chooser);
    static void setTableViewer(TableViewer viewer);

    QPushButton *saveButton() const { return m_save; }
    QPushButton *writeButton() const { return m_write; }
    ProfileRunner &runner() { return *m_runner; }

private:
    enum class Phase { None, Saving, Comparing, Writing };
    void save();
    void load();
    void finished(const ProfileRunner::Outcome &outcome);
    void setBusy(bool busy);

    AlarmPageHost *m_host;
    ProfileRunner *m_runner;
    QPushButton *m_save;
    QPushButton *m_write;
    Phase m_phase = Phase::None;
    Profile::ModuleProfile m_wanted;
    bool m_readDone = false;
    bool m_busy = false;
};
