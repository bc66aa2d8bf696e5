#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("MIRAVO Link Tool"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("MIRAVO Link Tool"));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
