#pragma once
// The phone number table as the user edits it before writing it to the module: up to 20
// numbers of 11 characters in table order. The grid of the alarm window mirrors it: grid row i
// (1-based, row 0 being the header) shows entry i with its sequence number i. QtCore only.

#include <QString>
#include <QStringList>

class PhoneTableModel
{
public:
    static constexpr int MaxEntries = 20;
    static constexpr int NumberLength = 11;

    enum class AddResult { Added, WrongLength, Full, Duplicate };

    PhoneTableModel() = default;
    explicit PhoneTableModel(const QStringList &numbers) : m_numbers(numbers) {}

    const QStringList &numbers() const { return m_numbers; }
    int count() const { return int(m_numbers.size()); }

    // Appends a number of exactly 11 characters that the table does not hold yet (compared
    // exactly, case included) while there is room; the table is unchanged otherwise.
    AddResult add(const QString &number);

    // Rows count from 1 as in the grid. Each returns the row that is current afterwards.
    // remove: the entries below move up one row; a row outside 1..count removes nothing.
    int remove(int row);
    // moveUp / moveDown: exchange the entry with its neighbour; the first row cannot move up
    // and the last cannot move down (the current row then stays).
    int moveUp(int row);
    int moveDown(int row);

private:
    QStringList m_numbers;
};
