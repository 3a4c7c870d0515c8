#include "platform/noop/noop_hotkey_service.h"
#ifdef ORNAVOX_HAVE_X11
#include "platform/x11/x11_hotkey_service.h"
#endif
#ifdef ORNAVOX_HAVE_PORTAL
#include "platform/portal/portal_hotkey_service.h"
#endif
#include "app/sound_backend_module.h"
#include "base/settings_places.h"
#include "platform/qt/qt_dispatcher.h"
#include "platform/qt/qt_message_sink.h"
#include "platform/qt/qt_one_shot_timer.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_termination.h"
#include "platform/qt/qt_user_locale.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/skin_preparation.h"
#include "ui/qt/skin_window.h"

#include <QApplication>
#include <QLocale>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

// The desktop portal on every Wayland session, even under XWayland, where
// root-window grabs see keys only while one of our own windows has the focus;
// root-window grabs on X11; else none.
std::unique_ptr<ornavox::HotkeyService> make_hotkey_service()
{
    const bool wayland = qgetenv("XDG_SESSION_TYPE") == "wayland";
#ifdef ORNAVOX_HAVE_PORTAL
    if (wayland)
        return std::make_unique<ornavox::PortalHotkeyService>();
#endif
#ifdef ORNAVOX_HAVE_X11
    if (!wayland && QGuiApplication::platformName() == QLatin1String("xcb"))
        if (auto x11 = ornavox::X11HotkeyService::create())
            return x11;
#endif
    return std::make_unique<ornavox::NoopHotkeyService>();
}

// For the start-up benchmark: when the first frame went to the screen, on the
// monotonic clock that every process shares.
void report_first_paint()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::fprintf(stderr, "first paint %lld\n",
                 static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

} // namespace

int main(int argc, char** argv)
{
    using namespace ornavox;
    // The skin is read on a thread of its own while the application sets
    // itself up, from the folder of the program's own file, known before the
    // application exists where the system says it.
    std::error_code unknown;
    const std::filesystem::path program_file = std::filesystem::read_symlink("/proc/self/exe", unknown);
    std::string program_dir = unknown ? std::string() : program_file.parent_path().string() + "/";
    if (!program_dir.empty())
        start_skin_preparation(QString::fromStdString(program_dir));
    QApplication app(argc, argv);
    if (program_dir.empty())
        program_dir = QCoreApplication::applicationDirPath().toStdString() + "/";
    QApplication::setApplicationName(QStringLiteral("Ornavox"));

    QtDispatcher dispatcher;
    QtMessageSink messages;
    SoundBackendModule sound(program_dir + "pulse_backend.so", dispatcher,
                             [&messages](const std::string& error) { messages.show_message(error); });
    const std::unique_ptr<HotkeyService> hotkeys = make_hotkey_service();
    QtDialogs dialogs;
    QtShell shell;

    QtUserLocale locale(QLocale::system().timeFormat(QLocale::LongFormat).toStdString());
    QtTimerFactory timers;
    SkinWindow skinForm(SkinFormServices{sound, *hotkeys, dispatcher, messages, dialogs, shell, program_dir, locale,
                                         timers, settings_places(program_dir)});
    // Boxes must stand in front of the always-on-top window; those raised
    // while it was being built have no parent.
    messages.set_parent(&skinForm);
    dialogs.set_parent(&skinForm);
    if (qEnvironmentVariableIsSet("ORNAVOX_REPORT_FIRST_PAINT"))
        QObject::connect(&skinForm, &SkinWindow::first_painted, &report_first_paint);
    // A session that ends, or a user's Ctrl+C, closes the window first: a
    // paused recording keeps its last frame, the settings are written.
    const QtTermination termination([&skinForm] { skinForm.close(); });
    skinForm.show();
    return app.exec();
}
