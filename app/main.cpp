#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_session.h"
#include "platform/qt/qt_dispatcher.h"
#include "platform/qt/qt_message_sink.h"
#include "platform/qt/qt_shell.h"
#include "ui/qt_dialogs.h"
#include "ui/skinform.h"

#include <QApplication>
#include <QLocale>

namespace {

using namespace ornavox;

// Boxes must stand in front of the always-on-top window, so they are made
// with it as their parent once it exists; messages raised while it is being
// built have none.
class WindowMessages : public MessageSink {
public:
    QWidget* window = nullptr;
    void show_message(const std::string& text) override { QtMessageSink(window).show_message(text); }
};

class WindowDialogs : public Dialogs {
public:
    QWidget* window = nullptr;
    Answer ask_yes_no(const std::string& caption, const std::string& text) override
    {
        return QtDialogs(window).ask_yes_no(caption, text);
    }
    std::optional<std::string> get_save_file_name(const SaveFileOptions& options) override
    {
        return QtDialogs(window).get_save_file_name(options);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ornavox"));
    // The application's help file as the program has always named it; nothing
    // here opens it (the help button opens the page beside the program).
    app.setProperty("helpFile", QStringLiteral("D:\\ornavox\\skin\\ornavox.chm"));

    PulseSession session;
    QtDispatcher dispatcher;
    PulseCaptureDevice device(session, dispatcher);
    WindowMessages messages;
    WindowDialogs dialogs;
    QtShell shell;

    TskinForm skinForm(SkinFormServices{device, dispatcher, messages, dialogs, shell,
                                        QCoreApplication::applicationDirPath().toStdString() + "/",
                                        QLocale::system().timeFormat(QLocale::LongFormat).toStdString()});
    messages.window = &skinForm;
    dialogs.window = &skinForm;
    skinForm.show();
    return app.exec();
}
