#include "shell/StringTable.h"

QString ResourceString(int id)
{
    switch (id) {
    case 101:
        return QStringLiteral("串口：");
    case 102:
        return QStringLiteral("网络：");
    case 103:
        return QStringLiteral("模块状态：");
    case 104:
        return QStringLiteral("发射区字节数：");
    default:
        return QString();
    }
}
