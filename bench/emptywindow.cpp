// The reference for the start-up benchmark: an empty Qt 6 main window, nothing else.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("EmptyQtMainWindow"));
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
