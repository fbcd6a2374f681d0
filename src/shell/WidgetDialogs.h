#pragma once
// Message boxes and input boxes of the running program, shown with QMessageBox and
// QInputDialog. The program installs them at start-up; tests install their own answers instead.

void InstallWidgetDialogs();
