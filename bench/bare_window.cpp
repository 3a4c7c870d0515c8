// The yardstick for startup_bench: an empty Qt window of the recorder's size,
// shown as soon as the application exists.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(351, 124);
    window.show();
    return app.exec();
}
