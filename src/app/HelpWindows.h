#pragma once
// The menu "帮助": the usage window (the README's usage section, built into the program) and the
// about box (version, Qt, licence, and where settings, logs and the phone database are kept).

#include <QString>

class MainWindow;

// The section "## 使用说明" of a Markdown README (the users' short guide), up to the next
// second-level heading; empty when the README has none.
QString UsageSection(const QString &readme);

// The about box's text: program and Qt versions, licence, the settings file, the logs folder and
// the phone-table database.
QString AboutText();

// Opens (or raises) the usage window over the main window.
void ShowUsage(MainWindow *main);
void ShowAbout();
