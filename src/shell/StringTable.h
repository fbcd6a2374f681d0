#pragma once
// The program's string table: 101 "串口：", 102 "网络：", 103 "模块状态：", 104 "发射区字节数：".

#include <QString>

// The text of a string resource; empty for an id the table does not hold.
QString ResourceString(int id);
