#include "alarm/ui/PhoneArea.h"

#include "alarm/AlarmExchange.h"
#include "alarm/AlarmFrames.h"
#include "alarm/ui/AlarmFeatures.h"
#include "alarm/ui/AlarmPageHost.h"
#include "core/Dialogs.h"
#include "shell/HexTextFilter.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

using namespace AlarmUi;

PhoneArea::PhoneArea(QWidget *page, AlarmPageHost &host)
    : QObject(page), m_exchange(&host.exchange()), m_host(&host)
{
    setObjectName(QStringLiteral("PhoneArea"));
    Grid = Find<QTableWidget>(page, "Grid");
    Text9 = Find<QLineEdit>(page, "Text9");
    Command15 = Find<QPushButton>(page, "Command15");
    Command20 = Find<QPushButton>(page, "Command20");
    Command22 = Find<QPushButton>(page, "Command22");

    const struct {
        const char *name;
        void (PhoneArea::*action)();
    } buttons[] = {{"Command19", &PhoneArea::addNumber},  {"Command15", &PhoneArea::removeNumber},
                   {"Command20", &PhoneArea::moveUp},     {"Command22", &PhoneArea::moveDown},
                   {"Command11", &PhoneArea::writeTable}, {"Command12", &PhoneArea::readTable},
                   {"Command24", &PhoneArea::clearTable}};
    for (const auto &b : buttons) {
        if (auto *button = Find<QPushButton>(page, b.name))
            connect(button, &QPushButton::clicked, this, b.action);
    }

    InstallHexTextFilter(Text9, false);

    // Moving the selection to another row shows that row's number for editing.
    connect(Grid, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previousRow, int) {
                if (row < 0 || row == previousRow)
                    return;
                const QTableWidgetItem *item = Grid->item(row, 1);
                Text9->setText(item ? item->text() : QString());
            });
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(Grid, &QTableWidget::itemSelectionChanged, this, &PhoneArea::updateButtons);
    updateButtons();
}

void PhoneArea::updateButtons()
{
    const bool selected = currentRow() > 0;
    for (QPushButton *b : {Command15, Command20, Command22})
        b->setEnabled(selected);
}

PhoneTableModel PhoneArea::table() const
{
    QStringList numbers;
    for (int r = 0; r < Grid->rowCount(); ++r) {
        const QTableWidgetItem *item = Grid->item(r, 1);
        numbers << (item ? item->text() : QString());
    }
    return PhoneTableModel(numbers);
}

void PhoneArea::showTable(const PhoneTableModel &table)
{
    const int old = Grid->rowCount();
    const int rows = table.count();
    Grid->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        // The fixed column carries no numbers of its own; column 1 holds the sequence number.
        if (r >= old)
            Grid->setVerticalHeaderItem(r, new QTableWidgetItem(QString()));
        for (int c = 0; c < 2; ++c) {
            const QString text = c == 0 ? QString::number(r + 1) : table.numbers().at(r);
            QTableWidgetItem *item = Grid->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                Grid->setItem(r, c, item);
            }
            item->setText(text);
        }
    }
}

int PhoneArea::currentRow() const
{
    // The selected row, not merely the current cell: after a redraw nothing is selected.
    const QList<QTableWidgetItem *> items = Grid->selectedItems();
    const int row = items.isEmpty() ? -1 : items.first()->row();
    return row >= 0 && row < Grid->rowCount() ? row + 1 : 0;
}

void PhoneArea::setCurrentRow(int row)
{
    if (row < 1 || row > Grid->rowCount())
        return;
    // The whole row stays marked.
    Grid->setCurrentCell(row - 1, 0);
    Grid->selectRow(row - 1);
}

void PhoneArea::addNumber()
{
    PhoneTableModel model = table();
    switch (model.add(Text9->text())) {
    case PhoneTableModel::AddResult::WrongLength:
        ShowMessage(QStringLiteral("您输入的电话号码不正确"), QStringLiteral("请重新输入"),
                    MsgIcon::Information);
        return;
    case PhoneTableModel::AddResult::Full:
        ShowMessage(QStringLiteral("号码表已满"), QStringLiteral("提示"), MsgIcon::Information);
        return;
    case PhoneTableModel::AddResult::Duplicate:
        ShowMessage(QStringLiteral("电话号码有重复，请检查电话号码"), QStringLiteral("系统提示"),
                    MsgIcon::Exclamation);
        break;
    case PhoneTableModel::AddResult::Added:
        break;
    }
    // Added or not, the entries are numbered 1 ... n again.
    showTable(model);
}

void PhoneArea::removeNumber()
{
    PhoneTableModel model = table();
    const int row = currentRow();
    if (model.count() == 0 || row < 1)
        return;
    const int next = model.remove(row);
    showTable(model);
    setCurrentRow(next);
}

void PhoneArea::moveUp()
{
    PhoneTableModel model = table();
    const int row = currentRow();
    const int next = model.moveUp(row);
    if (next == row)
        return;
    showTable(model);
    setCurrentRow(next);
}

void PhoneArea::moveDown()
{
    PhoneTableModel model = table();
    const int row = currentRow();
    const int next = model.moveDown(row);
    if (next == row)
        return;
    showTable(model);
    setCurrentRow(next);
}

void PhoneArea::writeTable()
{
    if (!m_host->portOpenOrConnect())
        return;
    const PhoneTableModel model = table();
    if (model.count() == 0) {
        ShowMessage(QStringLiteral("您输入的电话号码表不完整"), QStringLiteral("请重新输入"),
                    MsgIcon::Information);
        return;
    }
    m_exchange->writePhoneTable(model.numbers());
}

void PhoneArea::readTable()
{
    if (!m_host->portOpenOrConnect())
        return;
    m_exchange->readPhoneTable();
    // Empty until the reply fills it.
    showTable(PhoneTableModel());
}

void PhoneArea::clearTable()
{
    if (!m_host->portOpenOrConnect())
        return;
    if (ShowMessage(QStringLiteral("您确定要清空号码表吗？操作无法恢复！"),
                    QStringLiteral("警告！"), MsgIcon::Question,
                    MsgButtons::OkCancel) != MsgResult::Ok)
        return;
    // The grid is emptied when the module confirms.
    m_exchange->clearPhoneTable();
}
