#include "support/FakeAlarmView.h"

void FakeAlarmView::setText(const QString &control, const QString &text)
{
    calls << QStringLiteral("setText %1=%2").arg(control, text);
    texts[control] = text;
}

QString FakeAlarmView::text(const QString &control) const
{
    return texts.value(control);
}

void FakeAlarmView::appendText(const QString &control, const QString &text)
{
    calls << QStringLiteral("appendText %1=%2").arg(control, text);
    texts[control] += text;
}

void FakeAlarmView::setComboIndex(const QString &control, int index)
{
    calls << QStringLiteral("setComboIndex %1=%2").arg(control).arg(index);
    indexes[control] = index;
}

int FakeAlarmView::comboIndex(const QString &control) const
{
    return indexes.value(control, -1);
}

void FakeAlarmView::setChecked(const QString &control, bool checked)
{
    calls << QStringLiteral("setChecked %1=%2").arg(control).arg(checked ? 1 : 0);
    checks[control] = checked;
}

bool FakeAlarmView::isChecked(const QString &control) const
{
    return checks.value(control);
}

void FakeAlarmView::setVisible(const QString &control, bool shown)
{
    calls << QStringLiteral("setVisible %1=%2").arg(control).arg(shown ? 1 : 0);
    visible[control] = shown;
}

void FakeAlarmView::setEnabled(const QString &control, bool on)
{
    calls << QStringLiteral("setEnabled %1=%2").arg(control).arg(on ? 1 : 0);
    enabled[control] = on;
}

void FakeAlarmView::setGridRows(int rows)
{
    calls << QStringLiteral("setGridRows %1").arg(rows);
    gridRows = rows;
    for (auto it = cells.begin(); it != cells.end();) {
        if (it.key().first >= rows)
            it = cells.erase(it);
        else
            ++it;
    }
}

void FakeAlarmView::setGridCell(int row, int column, const QString &text)
{
    calls << QStringLiteral("setGridCell %1,%2=%3").arg(row).arg(column).arg(text);
    cells[qMakePair(row, column)] = text;
}

void FakeAlarmView::restartReplyTimer(int milliseconds)
{
    calls << QStringLiteral("restartReplyTimer %1").arg(milliseconds);
    ++timerRestarts;
}

void FakeAlarmView::setModuleStatus(const QString &text)
{
    calls << QStringLiteral("setModuleStatus %1").arg(text);
    moduleStatus = text;
}
