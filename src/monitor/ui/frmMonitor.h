#pragma once
// The window "通信监视": every frame on the line with its time, direction, bytes and meaning,
// filtered by direction, kind and a search text; pause, clear, copy and save as text or CSV; the
// automatic log of every connection. It shows the rows of the TrafficMonitor (every link) and takes
// rows only while it is visible, so opening or closing it never disturbs an exchange.

#include <QWidget>
#include <memory>

namespace Ui {
class frmMonitor;
}
class TrafficMonitor;
class TrafficFilter;
class QSortFilterProxyModel;

class frmMonitor : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "frmMonitor";

    explicit frmMonitor(TrafficMonitor &monitor, QWidget *parent = nullptr);
    ~frmMonitor() override;

    TrafficMonitor *monitor() const { return m_monitor; }
    QSortFilterProxyModel *shownRows() const;
    // The selected rows as log lines ("复制").
    QString selectedText() const;
    // The rows shown (after the filters): CSV when path ends in ".csv", else log lines.
    bool saveTo(const QString &path, QString *error);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void copySelection();
    void saveAs();
    void updateCount();

    std::unique_ptr<Ui::frmMonitor> m_ui;
    TrafficMonitor *m_monitor;
    TrafficFilter *m_filter;
    bool m_follow = true; // keep the newest row in view
};
