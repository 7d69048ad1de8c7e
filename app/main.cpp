// Start-up of the windows.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("KAMEOLA"));
    window.setFixedSize(513, 464);
    window.show();
    return app.exec();
}
