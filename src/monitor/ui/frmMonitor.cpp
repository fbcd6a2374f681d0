#include "monitor/ui/frmMonitor.h"

#include "core/Dialogs.h"
#include "monitor/TrafficMonitor.h"
#include "ui_frmMonitor.h"

#include <QBrush>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QSaveFile>
#include <QScrollBar>
#include <QShortcut>
#include <QSortFilterProxyModel>

// Direction, kind and search text; rows that went wrong are drawn in red, requests in blue.
class TrafficFilter : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    QString direction, kind, search;

    void refresh() { invalidateFilter(); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::ForegroundRole)
            return QSortFilterProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const auto *model = static_cast<const TrafficModel *>(sourceModel());
        const TrafficRow &r = model->row(source.row());
        if (r.junk || r.check == TrafficRow::Check::Wrong)
            return QBrush(QColor(0xB0, 0x00, 0x00));
        return r.sent ? QVariant(QBrush(QColor(0x00, 0x40, 0xA0))) : QVariant();
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &) const override
    {
        const auto *model = static_cast<const TrafficModel *>(sourceModel());
        const TrafficRow &r = model->row(sourceRow);
        if (!direction.isEmpty() && r.direction() != direction)
            return false;
        if (!kind.isEmpty() && r.kind != kind)
            return false;
        if (search.isEmpty())
            return true;
        return r.kind.contains(search, Qt::CaseInsensitive) ||
               r.fields.contains(search, Qt::CaseInsensitive) ||
               r.hex().contains(search, Qt::CaseInsensitive) || r.checkText().contains(search);
    }
};

frmMonitor::frmMonitor(TrafficMonitor &monitor, QWidget *parent)
    : QWidget(parent), m_ui(new Ui::frmMonitor), m_monitor(&monitor),
      m_filter(new TrafficFilter(this))
{
    setObjectName(QLatin1String(WindowName));
    m_ui->setupUi(this);
    m_filter->setSourceModel(&m_monitor->model());
    QTableView *table = m_ui->Table;
    table->setModel(m_filter);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    table->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {70, 90, 50, 40, 170, 220, 120};
    for (int c = 0; c < 7; ++c)
        table->setColumnWidth(c, widths[c]);

    for (const QString &kind : m_monitor->model().kinds())
        m_ui->ComboKind->addItem(kind);
    connect(&m_monitor->model(), &TrafficModel::kindAdded, this,
            [this](const QString &kind) { m_ui->ComboKind->addItem(kind); });
    connect(m_ui->ComboDirection, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_filter->direction = index == 0 ? QString() : m_ui->ComboDirection->currentText();
        m_filter->refresh();
        updateCount();
    });
    connect(m_ui->ComboKind, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_filter->kind = index <= 0 ? QString() : m_ui->ComboKind->currentText();
        m_filter->refresh();
        updateCount();
    });
    connect(m_ui->TextSearch, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_filter->search = text.trimmed();
        m_filter->refresh();
        updateCount();
    });
    connect(m_ui->CheckPause, &QCheckBox::toggled, this, [this](bool on) {
        m_monitor->model().setPaused(on);
        updateCount();
    });
    m_ui->CheckAutoLog->setChecked(m_monitor->autoLog());
    m_ui->CheckAutoLog->setToolTip(TrafficMonitor::logsFolder());
    connect(m_ui->CheckAutoLog, &QCheckBox::toggled, m_monitor, &TrafficMonitor::setAutoLog);
    connect(m_ui->CommandClear, &QPushButton::clicked, this, [this] {
        m_monitor->model().clear();
        updateCount();
    });
    connect(m_ui->CommandCopy, &QPushButton::clicked, this, &frmMonitor::copySelection);
    connect(m_ui->CommandSave, &QPushButton::clicked, this, &frmMonitor::saveAs);
    auto *copy = new QShortcut(QKeySequence::Copy, table);
    copy->setContext(Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &frmMonitor::copySelection);

    // The newest row stays in view unless the user has scrolled up to read.
    QScrollBar *bar = table->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { m_follow = value >= bar->maximum(); });
    connect(m_filter, &QAbstractItemModel::rowsInserted, this, [this, table] {
        if (m_follow)
            table->scrollToBottom();
        updateCount();
    });
    connect(m_filter, &QAbstractItemModel::rowsRemoved, this, &frmMonitor::updateCount);
    updateCount();
}

frmMonitor::~frmMonitor()
{
    m_monitor->setWatching(false);
}

QSortFilterProxyModel *frmMonitor::shownRows() const
{
    return m_filter;
}

void frmMonitor::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_monitor->setWatching(true);
}

void frmMonitor::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_monitor->setWatching(false);
}

void frmMonitor::updateCount()
{
    const TrafficModel &model = m_monitor->model();
    QString text =
        QStringLiteral("显示 %1 行，共 %2 行").arg(m_filter->rowCount()).arg(model.rowCount());
    if (model.pendingCount() > 0)
        text += QStringLiteral("，暂停中另有 %1 行").arg(model.pendingCount());
    m_ui->LabelCount->setText(text);
}

QString frmMonitor::selectedText() const
{
    QModelIndexList rows = m_ui->Table->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QString text;
    for (const QModelIndex &index : rows)
        text +=
            QString::fromUtf8(m_monitor->model().row(m_filter->mapToSource(index).row()).logLine());
    return text;
}

void frmMonitor::copySelection()
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

bool frmMonitor::saveTo(const QString &path, QString *error)
{
    const bool csv = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    // A byte-order mark lets spreadsheet programs read the Chinese columns as UTF-8.
    file.write(csv ? QByteArray("\xEF\xBB\xBF") + TrafficRow::csvHeader().toUtf8()
                   : TrafficRow::logHeader());
    const TrafficModel &model = m_monitor->model();
    for (int i = 0; i < m_filter->rowCount(); ++i) {
        const TrafficRow &r = model.row(m_filter->mapToSource(m_filter->index(i, 0)).row());
        file.write(csv ? r.csvLine().toUtf8() : r.logLine());
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

void frmMonitor::saveAs()
{
    const QString csv = QStringLiteral("CSV 文件 (*.csv)");
    QString chosen;
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("保存通信记录"), QStringLiteral("corvane-traffic.txt"),
        QStringLiteral("文本文件 (*.txt);;") + csv, &chosen);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += chosen == csv ? QStringLiteral(".csv") : QStringLiteral(".txt");
    QString error;
    if (!saveTo(path, &error))
        ShowMessage(QStringLiteral("无法保存 %1：%2").arg(path, error), QStringLiteral("通信监视"),
                    MsgIcon::Exclamation);
}
