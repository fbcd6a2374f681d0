// The second reference for the start-up benchmark: an otherwise empty Qt 6 main window with the
// menu bar and status bar texts of Corvane's main window (four Chinese menus, one of them hidden,
// and three sunken status panels). It costs what any such window costs: the fonts for the
// Chinese text and the platform menu bar's look-up on the session bus.
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("MenuQtMainWindow"));

    QMenuBar *bar = window.menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("文件(&F)"));
    for (const char *text : {"清空接收区", "清空发射区", "清空源码区"})
        file->addAction(QString::fromUtf8(text));
    QMenu *sms = bar->addMenu(QStringLiteral("短信发送方式"));
    for (const char *text : {"汉字", "英文", "十六进制"})
        sms->addAction(QString::fromUtf8(text))->setCheckable(true);
    sms->menuAction()->setVisible(false);
    QMenu *tool = bar->addMenu(QStringLiteral("工具(&T)"));
    for (const char *text : {"计算地址", "计算地址K", "Unicode码转换"})
        tool->addAction(QString::fromUtf8(text));
    tool->addAction(QStringLiteral("通信监视"))->setShortcut(QKeySequence(Qt::Key_F12));
    bar->addMenu(QStringLiteral("窗口"));

    const int stretch[3] = {3, 3, 2};
    const char *texts[3] = {"串口：未使用", "模块状态：未使用", "发射区字节数：0"};
    for (int i = 0; i < 3; ++i) {
        auto *panel = new QLabel(QString::fromUtf8(texts[i]), window.statusBar());
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setContentsMargins(4, 0, 4, 0);
        window.statusBar()->addWidget(panel, stretch[i]);
    }

    window.resize(813, 627); // Corvane's main window: 12200 x 9400 twips
    window.show();
    return QApplication::exec();
}
