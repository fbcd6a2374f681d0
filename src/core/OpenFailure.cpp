#include "core/OpenFailure.h"

#include "core/Dialogs.h"

#include <QCoreApplication>

QString OpenFailureText(OpenResult result, const QString &device, const QString &detail)
{
    const QString cause = detail.trimmed();
    switch (result) {
    case OpenResult::Ok:
        return QString();
    case OpenResult::NoSuchPort:
        return QStringLiteral("本机没有这个串口，请选择其它串口重试");
    case OpenResult::InUse:
        return QStringLiteral("串口已经打开，请关闭其它程序重试");
    case OpenResult::NoPermission:
        // Name the device's group when it is known; dialout is the usual one on Linux.
        return QStringLiteral("没有访问该串口的权限。请把当前用户加入设备所属的用户组（%1）"
                              "后重新登录，再重试")
            .arg(cause.isEmpty() ? QStringLiteral("如 dialout") : cause);
    case OpenResult::NotASerialPort:
        return QStringLiteral("串口%1无法打开：它不是串口设备（普通文件、目录或 /dev/null "
                              "之类）。请选择其它串口重试")
            .arg(device);
    case OpenResult::StaleLock:
        return QStringLiteral("串口%1无法打开：一个已经结束的程序留下的锁文件 %2 "
                              "仍然锁着它。请删除该锁文件后重试")
            .arg(device, cause);
    case OpenResult::HeldByWindow:
        return QStringLiteral("串口%1正由本程序的“%2”使用。请先在该窗口退出，或选择其它串口")
            .arg(device, cause);
    case OpenResult::OtherError:
        break;
    }
    return QStringLiteral("串口%1无法打开：%2")
        .arg(device, cause.isEmpty() ? QStringLiteral("未知错误") : cause);
}

void ReportOpenFailure(OpenResult result, const QString &device, const QString &detail)
{
    const QString text = OpenFailureText(result, device, detail);
    if (!text.isEmpty())
        ShowMessage(text, QStringLiteral("端口错误"), MsgIcon::Exclamation, MsgButtons::Ok);
}

bool OpenPortOrReport(SerialLink &link)
{
    QString detail;
    const OpenResult result = link.open(&detail);
    if (result == OpenResult::Ok)
        return true;
    const QString name = QStringLiteral("COM%1").arg(link.portNumber());
    const QString path = link.devicePath(link.portNumber());
    const QString device =
        path.isEmpty() || path == name ? name : QStringLiteral("%1（%2）").arg(name, path);
    ReportOpenFailure(result, device, detail);
    return false;
}

void InstallDeviceLossReport(SerialLink &link)
{
    QObject::connect(
        &link, &SerialLink::deviceLost, &link,
        [](const QString &path) {
            ShowMessage(
                QStringLiteral("串口设备 %1 已断开，端口已关闭。请检查连线后重新连接。").arg(path),
                QStringLiteral("端口错误"), MsgIcon::Exclamation);
        },
        Qt::QueuedConnection);
}

bool OpenChosenPort(SerialLink &link, const QString &portName, const QString &baudText)
{
    if (link.isOpen())
        link.close();
    link.applyChoice(portName, baudText);
    link.setThreshold(1);
    if (!OpenPortOrReport(link))
        return false;
    link.setDtr(false);
    return true;
}
