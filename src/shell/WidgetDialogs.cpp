#include "shell/WidgetDialogs.h"

#include "core/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QWidget *DialogParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QMessageBox::Icon ToIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

MsgResult ShowWidgetMessage(const MessageRequest &request)
{
    QMessageBox box(ToIcon(request.icon), request.title, request.text, QMessageBox::NoButton,
                    DialogParent());
    switch (request.buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    // Chinese captions for the standard buttons, as the rest of the interface.
    if (QAbstractButton *b = box.button(QMessageBox::Ok))
        b->setText(QStringLiteral("确定"));
    if (QAbstractButton *b = box.button(QMessageBox::Cancel))
        b->setText(QStringLiteral("取消"));
    if (QAbstractButton *b = box.button(QMessageBox::Yes))
        b->setText(QStringLiteral("是(&Y)"));
    if (QAbstractButton *b = box.button(QMessageBox::No))
        b->setText(QStringLiteral("否(&N)"));

    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    case QMessageBox::Ok:
        return MsgResult::Ok;
    default:
        // Closed with Escape or the title bar: the answer that does nothing.
        return request.buttons == MsgButtons::YesNo ? MsgResult::No
               : request.buttons == MsgButtons::Ok  ? MsgResult::Ok
                                                    : MsgResult::Cancel;
    }
}

bool AskWidgetInput(const InputRequest &request, QString *answer)
{
    QInputDialog dialog(DialogParent());
    dialog.setWindowTitle(request.title);
    dialog.setLabelText(request.prompt);
    dialog.setTextValue(request.defaultText);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (answer)
        *answer = dialog.textValue();
    return true;
}

} // namespace

void InstallWidgetDialogs()
{
    SetMessageHandler(ShowWidgetMessage);
    SetInputHandler(AskWidgetInput);
}
