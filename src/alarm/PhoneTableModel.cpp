#include "alarm/PhoneTableModel.h"

PhoneTableModel::AddResult PhoneTableModel::add(const QString &number)
{
    if (number.size() != NumberLength)
        return AddResult::WrongLength;
    if (count() >= MaxEntries)
        return AddResult::Full;
    if (m_numbers.contains(number, Qt::CaseSensitive))
        return AddResult::Duplicate;
    m_numbers.append(number);
    return AddResult::Added;
}

int PhoneTableModel::remove(int row)
{
    if (row < 1 || row > count())
        return row;
    m_numbers.removeAt(row - 1);
    return qMin(row, count());
}

int PhoneTableModel::moveUp(int row)
{
    if (row < 2 || row > count())
        return row;
    m_numbers.swapItemsAt(row - 1, row - 2);
    return row - 1;
}

int PhoneTableModel::moveDown(int row)
{
    if (row < 1 || row >= count())
        return row;
    m_numbers.swapItemsAt(row - 1, row);
    return row + 1;
}
