// The yardstick for startup_bench: an empty Qt window of the recorder's size,
// shown as soon as the application exists. Like the recorder, it reports its
// first frame under ORNAVOX_REPORT_FIRST_PAINT.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

class BareWindow : public QWidget {
protected:
    void paintEvent(QPaintEvent* e) override
    {
        if (!painted_ && qEnvironmentVariableIsSet("ORNAVOX_REPORT_FIRST_PAINT")) {
            painted_ = true;
            QTimer::singleShot(0, [] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::fprintf(stderr, "first paint %lld\n",
                             static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            });
        }
        QWidget::paintEvent(e);
    }

private:
    bool painted_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    BareWindow window;
    window.resize(351, 124);
    window.show();
    return app.exec();
}
