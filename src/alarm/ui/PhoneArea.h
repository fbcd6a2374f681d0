#pragma once
// The phone number table area of the alarm window (Frame9 "号码表设置"): the grid Grid and the
// number box Text9 with the local editing buttons (add, remove, move up, move down) and the
// module operations (write, read, clear). The grid mirrors a PhoneTableModel: grid row i shows
// entry i (column 1 the sequence number, column 2 the number); row 0 is the header.

#include "alarm/PhoneTableModel.h"

#include <QObject>

class AlarmExchange;
class AlarmPageHost;
class QWidget;
class QLineEdit;
class QPushButton;
class QTableWidget;

class PhoneArea : public QObject
{
    Q_OBJECT
public:
    PhoneArea(QWidget *page, AlarmPageHost &host);

    void addNumber();    // Command19 "增加号码"
    void removeNumber(); // Command15 "移除号码"
    void moveUp();       // Command20 "上升"
    void moveDown();     // Command22 "下降"
    void writeTable();   // Command11 "写入号码表"
    void readTable();    // Command12 "读取号码表"
    void clearTable();   // Command24 "清空号码表"

    // The table as the grid shows it, and the grid redrawn from a table.
    PhoneTableModel table() const;
    void showTable(const PhoneTableModel &table);
    // The row buttons (remove, up, down) are usable while a row is selected.
    void updateButtons();
    // Grid row of the selection (1-based), 0 when no entry is selected.
    int currentRow() const;
    void setCurrentRow(int row);

private:
    AlarmExchange *m_exchange;
    AlarmPageHost *m_host;
    QTableWidget *Grid;
    QLineEdit *Text9;
    QPushButton *Command15, *Command20, *Command22;
};
