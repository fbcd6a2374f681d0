#pragma once
// What the alarm-module reply parser and the alarm window's sequencers may do to the window
// frmZ41COM. Controls are addressed by their object names ("Label3", "Combo2", "Text21_0" for
// element 0 of the control array Text21). The window implements it with its real controls;
// tests use a fake that records every call.

#include <QString>

class AlarmView
{
public:
    virtual ~AlarmView() = default;

    // Caption of a label, text of a text box, or the shown text of a combo box.
    virtual void setText(const QString &control, const QString &text) = 0;
    virtual QString text(const QString &control) const = 0;
    // Appends at the end of a multi-line text box (the receive area Text21_0).
    virtual void appendText(const QString &control, const QString &text) = 0;
    // Selected entry of a combo box; -1 leaves it empty.
    virtual void setComboIndex(const QString &control, int index) = 0;
    virtual int comboIndex(const QString &control) const = 0;
    // Option buttons (selecting one clears its group) and check boxes.
    virtual void setChecked(const QString &control, bool checked) = 0;
    virtual bool isChecked(const QString &control) const = 0;
    virtual void setVisible(const QString &control, bool visible) = 0;
    virtual void setEnabled(const QString &control, bool enabled) = 0;

    // The phone-number grid: row 0 is the header row; column 0 the fixed column.
    virtual void setGridRows(int rows) = 0;
    virtual void setGridCell(int row, int column, const QString &text) = 0;

    // Restarts the communication test's end-of-message timer rTimer with the given interval.
    virtual void restartReplyTimer(int milliseconds) = 0;
    // Status-bar panel 2 of the main window: "模块状态：" followed by text.
    virtual void setModuleStatus(const QString &text) = 0;
};
