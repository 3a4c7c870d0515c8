#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

#if defined(__SANITIZE_ADDRESS__)
// LeakSanitizer's tracer crashes at the exit of these programs after tests on
// the PipeWire stack that restart the server or remove a source ("Tracer
// caught signal 11"). Their leaks are looked for on the PulseAudio daemon.
extern "C" int __lsan_is_turned_off()
{
    const char* server = std::getenv("ORNAVOX_TEST_SERVER");
    return server && std::string_view(server) == "pipewire";
}
#endif

int main(int argc, char** argv)
{
    // Test discovery runs this program without the tests' environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ornavox"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
