#include "monitor/TrafficModel.h"

TrafficModel::TrafficModel(int bound, QObject *parent)
    : QAbstractTableModel(parent), m_bound(qMax(bound, 1))
{
}

int TrafficModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TrafficModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const titles[] = {"毫秒", "时间", "串口", "方向",
                                         "内容", "字段", "校验", "字节"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}

QVariant TrafficModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const TrafficRow &r = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case ElapsedColumn:
            return QString::number(r.elapsedMs);
        case TimeColumn:
            return r.wall.toString(QStringLiteral("hh:mm:ss.zzz"));
        case PortColumn:
            return r.port;
        case DirectionColumn:
            return r.direction();
        case KindColumn:
            return r.kind;
        case FieldsColumn:
            return r.fields;
        case CheckColumn:
            return r.checkText();
        case BytesColumn:
            return r.hex();
        default:
            return {};
        }
    case DirectionRole:
        return r.direction();
    case KindRole:
        return r.kind;
    case JunkRole:
        return r.junk;
    case CheckRole:
        return int(r.check);
    default:
        return {};
    }
}

void TrafficModel::add(TrafficRow row)
{
    if (!m_kinds.contains(row.kind)) {
        m_kinds.insert(row.kind);
        Q_EMIT kindAdded(row.kind);
    }
    m_pending.push_back(std::move(row));
    // Waiting rows are bounded too: the oldest go first.
    if (m_pending.size() > size_t(m_bound)) {
        const size_t extra = m_pending.size() - size_t(m_bound);
        m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(extra));
        m_dropped += qint64(extra);
    }
}

void TrafficModel::takePending()
{
    if (m_paused || m_pending.empty())
        return;
    const size_t incoming = m_pending.size();
    const size_t keep = size_t(m_bound);
    // Rows already shown that make room for the new ones.
    const size_t total = m_rows.size() + incoming;
    const size_t remove = total > keep ? qMin(total - keep, m_rows.size()) : 0;
    if (remove > 0) {
        beginRemoveRows(QModelIndex(), 0, int(remove) - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + std::ptrdiff_t(remove));
        endRemoveRows();
        m_dropped += qint64(remove);
    }
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + int(incoming) - 1);
    for (TrafficRow &r : m_pending)
        m_rows.push_back(std::move(r));
    m_pending.clear();
    endInsertRows();
}

void TrafficModel::setPaused(bool paused)
{
    m_paused = paused;
    if (!paused)
        takePending();
}

void TrafficModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_pending.clear();
    m_dropped = 0;
    endResetModel();
}

QStringList TrafficModel::kinds() const
{
    QStringList list(m_kinds.begin(), m_kinds.end());
    list.sort();
    return list;
}
