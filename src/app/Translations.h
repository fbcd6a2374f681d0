#pragma once
// Qt's own texts (context menus of text boxes and scroll bars, the MDI system menu, standard
// buttons) in Simplified Chinese, like the rest of the program.

// Loads qtbase_zh_CN from Qt's translations folder and installs it on the running application
// (once; later calls do nothing). Returns false when the file cannot be loaded, for example when
// the system's Qt translations are not installed; the texts then stay English.
bool InstallQtTranslations();
