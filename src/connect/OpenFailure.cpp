#include "connect/OpenFailure.h"

#include "core/Dialogs.h"

void ReportOpenFailure(OpenResult result, const QString &detail)
{
    QString text;
    switch (result) {
    case OpenResult::NoSuchPort:
        text = QStringLiteral("本机没有这个串口，请选择其它串口重试");
        break;
    case OpenResult::InUse:
        text = QStringLiteral("串口已经打开，请关闭其它程序重试");
        break;
    case OpenResult::NoPermission: {
        // Name the device's group when it is known; dialout is the usual one on Linux.
        const QString group =
            detail.trimmed().isEmpty() ? QStringLiteral("如 dialout") : detail.trimmed();
        text = QStringLiteral("没有访问该串口的权限。请把当前用户加入设备所属的用户组（%1）"
                              "后重新登录，再重试")
                   .arg(group);
        break;
    }
    case OpenResult::Ok:
    case OpenResult::OtherError:
        return;
    }
    ShowMessage(text, QStringLiteral("端口错误"), MsgIcon::Exclamation, MsgButtons::Ok);
}
