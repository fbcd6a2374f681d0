#pragma once
// An AlarmView that records every call as one line of text ("setText Label3=被动方式") and keeps
// the values it was given, so tests can compare whole call sequences and read single controls.

#include "alarm/AlarmView.h"

#include <QHash>
#include <QStringList>

class FakeAlarmView : public AlarmView
{
public:
    void setText(const QString &control, const QString &text) override;
    QString text(const QString &control) const override;
    void appendText(const QString &control, const QString &text) override;
    void setComboIndex(const QString &control, int index) override;
    int comboIndex(const QString &control) const override;
    void setChecked(const QString &control, bool checked) override;
    bool isChecked(const QString &control) const override;
    void setVisible(const QString &control, bool visible) override;
    void setEnabled(const QString &control, bool enabled) override;
    void setGridRows(int rows) override;
    void setGridCell(int row, int column, const QString &text) override;
    void restartReplyTimer(int milliseconds) override;
    void setModuleStatus(const QString &text) override;

    QStringList calls;
    QHash<QString, QString> texts;
    QHash<QString, int> indexes;
    QHash<QString, bool> checks;
    QHash<QString, bool> visible;
    QHash<QString, bool> enabled;
    int gridRows = 1;
    QHash<QPair<int, int>, QString> cells;
    int timerRestarts = 0;
    QString moduleStatus;
};
