// Writes pictures of the main window for a person to look at: the three
// layouts, the mixer layout while a tone is recorded (both level meters), and
// every skin button in its normal, hover and pressed faces over the
// background it stands on. Usage: ornavox_screenshots <output folder>.
// The window is built over a copy of the program folder, so a Config.ini in
// the real one changes nothing and nothing is written back, and over a sample
// sound card, so the pictures are the same on every machine.

#include "platform/fake/fake_capture_device.h"
#include "platform/fake/fake_hotkey_service.h"
#include "platform/fake/fake_media_player.h"
#include "platform/fake/fake_mixer_device.h"
#include "platform/qt/qt_dispatcher.h"
#include "platform/qt/qt_one_shot_timer.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_user_locale.h"
#include "platform/record_source_id.h"
#include "platform/sound_devices.h"
#include "tests/ui/always_append_dialogs.h"
#include "ui/qt/hotlinkbutton.h"
#include "ui/qt/skin_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

using namespace ornavox;

class PrintedMessages : public MessageSink {
public:
    void show_message(const std::string& text) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        shown = true;
    }
    bool shown = false;
};

// Half a second of a 440 Hz tone, louder on the left (-6 dB) than on the
// right (-10 dB), in the pieces a sound server sends.
void record_tone(FakeCaptureDevice& device)
{
    constexpr size_t kFrames = 441;
    std::vector<int16_t> piece(2 * kFrames);
    for (size_t done = 0; done < 22050; done += kFrames) {
        for (size_t i = 0; i < kFrames; ++i) {
            const double wave = std::sin(2 * std::numbers::pi * 440 * static_cast<double>(done + i) / 44100);
            piece[2 * i] = static_cast<int16_t>(16384 * wave);
            piece[2 * i + 1] = static_cast<int16_t>(10362 * wave);
        }
        device.fill(piece);
        QCoreApplication::processEvents();
    }
}

bool copy_program_folder(const QString& from, const QString& to)
{
    const QDir source(from);
    bool ok = QFile::copy(source.filePath(QString::fromLatin1(kEncoderPluginFileName)),
                          QDir(to).filePath(QString::fromLatin1(kEncoderPluginFileName)));
    QDirIterator files(source.filePath(QStringLiteral("skin")), QDir::Files);
    QDir(to).mkpath(QStringLiteral("skin"));
    while (files.hasNext()) {
        const QString file = files.next();
        ok = QFile::copy(file, QDir(to).filePath(source.relativeFilePath(file))) && ok;
    }
    return ok;
}

bool save(const QImage& image, const QString& folder, const QString& name)
{
    const QString path = QDir(folder).filePath(name);
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void send_mouse(QWidget* button, QEvent::Type type, QPointF at)
{
    QMouseEvent event(type, at, button->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &event);
}

// The window's pixels around the button, so its see-through parts show the
// background; enlarged so the faces can be told apart.
QImage face(SkinWindow& form, Thotlinkbutton* button)
{
    constexpr int kScale = 4;
    const QImage grabbed = form.grab(button->geometry()).toImage();
    return grabbed.scaled(grabbed.size() * kScale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage button_faces(SkinWindow& form)
{
    const QList<Thotlinkbutton*> buttons = form.findChildren<Thotlinkbutton*>(Qt::FindDirectChildrenOnly);
    std::vector<std::array<QImage, 3>> rows;
    int width = 0;
    int height = 0;
    for (Thotlinkbutton* button : buttons) {
        std::array<QImage, 3> faces;
        const QPointF centre = QRectF(button->rect()).center();
        faces[0] = face(form, button);
        QEnterEvent enter(centre, button->mapTo(&form, centre), button->mapToGlobal(centre));
        QCoreApplication::sendEvent(button, &enter);
        faces[1] = face(form, button);
        send_mouse(button, QEvent::MouseButtonPress, centre);
        faces[2] = face(form, button);
        // Released outside, so no click runs (the quit button would close).
        send_mouse(button, QEvent::MouseButtonRelease, QPointF(-50, -50));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, &leave);
        width = std::max(width, 3 * faces[0].width() + 4 * 8);
        height += faces[0].height() + 8;
        rows.push_back(faces);
    }
    QImage sheet(width, height + 8, QImage::Format_RGB32);
    sheet.fill(Qt::darkGray);
    QPainter painter(&sheet);
    int y = 8;
    for (const auto& faces : rows) {
        int x = 8;
        for (const QImage& f : faces) {
            painter.drawImage(x, y, f);
            x += f.width() + 8;
        }
        y += faces[0].height() + 8;
    }
    return sheet;
}

} // namespace

int main(int argc, char** argv)
{
    // Pictures need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    QTemporaryDir program_dir;
    if (!copy_program_folder(QStringLiteral(ORNAVOX_PROGRAM_DIR), program_dir.path())) {
        std::fprintf(stderr, "cannot copy the program folder %s\n", ORNAVOX_PROGRAM_DIR);
        return 1;
    }

    QtDispatcher dispatcher;
    FakeCaptureDevice device(dispatcher);
    FakeMixerDevice mixer_device(dispatcher);
    FakeMediaPlayer player(dispatcher);
    FakeHotkeyService hotkeys;
    // As the sound server's mixer lists them: its sources, what you hear,
    // and a call of each source that is not a monitor.
    mixer_device.add_source("Monitor of Built-in Audio Analog Stereo", MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, 65535);
    mixer_device.add_source("Built-in Audio Analog Stereo", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 40000);
    mixer_device.add_source("USB Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE, 52000);
    mixer_device.add_source(kWhatYouHear, MIXERLINE_COMPONENTTYPE_SRC_ANALOG, 65535);
    const uint32_t call = mixer_device.add_source(call_source_name("Built-in Audio Analog Stereo"),
                                                  MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE, 40000);
    mixer_device.add_source(call_source_name("USB Line In"), MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE, 52000);
    mixer_device.add_playback("Built-in Audio Analog Stereo", 45000, 0);
    mixer_device.add_playback("Firefox: Radio stream", 65535, 0);
    mixer_device.add_playback("Music Player: Side A", 30000, 1);
    PrintedMessages messages;
    AlwaysAppend dialogs;
    QtShell shell;
    SoundDevices sound(device, mixer_device, player);
    QtUserLocale locale("HH:mm:ss");
    QtTimerFactory timers;
    SkinWindow form(SkinFormServices{sound, hotkeys, dispatcher, messages, dialogs, shell,
                                     program_dir.path().toStdString() + "/", locale, timers});
    form.show();
    while (!form.form().started())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();

    bool ok = save(form.grab().toImage(), output, QStringLiteral("layout_compact.png"));
    form.form().hotlinkbutton9Click(ControlId::hotlinkbutton9);
    ok = save(form.grab().toImage(), output, QStringLiteral("layout_mixer.png")) && ok;
    form.form().hotlinkbutton11Click(ControlId::hotlinkbutton11);
    ok = save(form.grab().toImage(), output, QStringLiteral("layout_options.png")) && ok;
    form.form().hotlinkbutton11Click(ControlId::hotlinkbutton11);
    ok = save(button_faces(form), output, QStringLiteral("button_faces.png")) && ok;

    // A call chosen in the panel, and the list it was chosen from.
    form.form().hotlinkbutton9Click(ControlId::hotlinkbutton9);
    auto* sources = form.find<QComboBox>(ControlId::ComboBox1);
    sources->setCurrentIndex(static_cast<int>(call));
    emit sources->activated(static_cast<int>(call));
    QCoreApplication::processEvents();
    ok = save(form.grab().toImage(), output, QStringLiteral("layout_call.png")) && ok;
    sources->showPopup();
    QCoreApplication::processEvents();
    ok = save(sources->view()->window()->grab().toImage(), output, QStringLiteral("call_items.png")) && ok;
    sources->hidePopup();
    form.form().hotlinkbutton9Click(ControlId::hotlinkbutton9);

    form.form().hotlinkbutton3Click(ControlId::hotlinkbutton3);
    form.form().hotlinkbutton9Click(ControlId::hotlinkbutton9);
    record_tone(device);
    ok = save(form.grab().toImage(), output, QStringLiteral("layout_recording.png")) && ok;
    form.form().hotlinkbutton4Click(ControlId::hotlinkbutton4);
    form.form().audiorec1->finish_closing();
    return ok && !messages.shown ? 0 : 1;
}
