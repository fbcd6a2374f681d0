#pragma once
// The rows of the traffic monitor for a list view: a bounded history (the oldest rows go when
// the bound is reached; the log file keeps everything). Rows are taken in batches, so that a
// line that floods costs one view update per batch, not one per frame. While paused the list
// does not move: new rows wait (within the same bound) and come in when it goes on.

#include "monitor/TrafficRow.h"

#include <QAbstractTableModel>
#include <QSet>
#include <deque>
#include <vector>

class TrafficModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        ElapsedColumn,
        TimeColumn,
        PortColumn,
        DirectionColumn,
        KindColumn,
        FieldsColumn,
        CheckColumn,
        BytesColumn,
        ColumnCount
    };
    // Roles for filters: the direction ("发送"/"接收") and the kind of a row.
    enum Role { DirectionRole = Qt::UserRole + 1, KindRole, JunkRole, CheckRole };
    static constexpr int DefaultBound = 100000;

    explicit TrafficModel(int bound = DefaultBound, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Rows wait here until takePending() (the monitor calls it on a timer).
    void add(TrafficRow row);
    void takePending();
    void setPaused(bool paused);
    bool paused() const { return m_paused; }
    void clear();

    const TrafficRow &row(int i) const { return m_rows[size_t(i)]; }
    int bound() const { return m_bound; }
    int pendingCount() const { return int(m_pending.size()); }
    // Rows that went because of the bound since the last clear (shown and pending).
    qint64 droppedRows() const { return m_dropped; }
    // Every kind seen, for the kind filter.
    QStringList kinds() const;

Q_SIGNALS:
    void kindAdded(const QString &kind);

private:
    int m_bound;
    std::deque<TrafficRow> m_rows;
    std::vector<TrafficRow> m_pending;
    bool m_paused = false;
    qint64 m_dropped = 0;
    QSet<QString> m_kinds;
};
