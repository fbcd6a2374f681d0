#include "app/HelpWindows.h"

#include "alarm/DatabaseLocation.h"
#include "core/Dialogs.h"
#include "monitor/TrafficMonitor.h"
#include "shell/MainWindow.h"
#include "shell/WindowRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

constexpr const char *UsageWindowName = "frmUsage";

QString ReadmeText()
{
    QFile file(QStringLiteral(":/corvane/README.md"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// Home-relative paths read more easily ("~/.config/…").
QString Shown(const QString &path)
{
    const QString home = QDir::homePath();
    const QString native = QDir::toNativeSeparators(path);
    if (!home.isEmpty() && path.startsWith(home + QLatin1Char('/')))
        return QDir::toNativeSeparators(QStringLiteral("~") + path.mid(home.size()));
    return native;
}

} // namespace

QString UsageSection(const QString &readme)
{
    const QStringList lines = readme.split(QLatin1Char('\n'));
    QStringList section;
    bool inside = false;
    bool fenced = false;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("```")))
            fenced = !fenced;
        const bool heading = !fenced && line.startsWith(QLatin1String("## "));
        if (heading && inside)
            break;
        if (heading && line.trimmed() == QStringLiteral("## 使用说明"))
            inside = true;
        if (inside)
            section << line;
    }
    while (!section.isEmpty() && section.last().trimmed().isEmpty())
        section.removeLast();
    return section.join(QLatin1Char('\n'));
}

QString AboutText()
{
    const DatabaseLocation database =
        LocateDatabase(QCoreApplication::applicationDirPath(),
                       QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation));
    QStringList lines;
    lines << QStringLiteral("Corvane %1").arg(QCoreApplication::applicationVersion())
          << QStringLiteral("GSM 模块配置与测试工具") << QString()
          << QStringLiteral("Qt 版本：%1（编译时 %2）")
                 .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR))
          << QStringLiteral("许可：源代码尚未声明许可条款") << QString()
          << QStringLiteral("设置文件：%1").arg(Shown(QSettings().fileName()))
          << QStringLiteral("通信日志：%1").arg(Shown(TrafficMonitor::logsFolder()))
          << QStringLiteral("电话号码库：%1%2")
                 .arg(Shown(database.path),
                      database.readOnly ? QStringLiteral("（只读）") : QString());
    return lines.join(QLatin1Char('\n'));
}

void ShowUsage(MainWindow *main)
{
    auto *window = qobject_cast<QTextBrowser *>(Windows::find(QLatin1String(UsageWindowName)));
    if (!window) {
        window = new QTextBrowser(main);
        window->setWindowFlag(Qt::Window, true);
        window->setObjectName(QLatin1String(UsageWindowName));
        Windows::add(window);
        window->setWindowTitle(QStringLiteral("使用说明"));
        window->setOpenExternalLinks(true);
        const QString usage = UsageSection(ReadmeText());
        if (usage.isEmpty())
            window->setPlainText(QStringLiteral("本程序未附带使用说明。"));
        else
            window->setMarkdown(usage);
        window->resize(760, 560);
        Windows::centerOverMain(window);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void ShowAbout()
{
    ShowMessage(AboutText(), QStringLiteral("关于 Corvane"), MsgIcon::Information);
}
