// The three system-wide hotkeys, showing the window, and hiding it.
#include "ui/skinform.h"

#include "base/shortcut_text.h"
#include "platform/hotkey_service.h"
#include "platform/message_sink.h"
#include "ui/skinform_view.h"

namespace ornavox {

namespace {

int hotkey_of(ControlId field)
{
    switch (field) {
    case ControlId::HotKey1:
        return kRecordPauseHotkey;
    case ControlId::HotKey2:
        return kStopHotkey;
    default:
        return kShowWindowHotkey;
    }
}

} // namespace

void TskinForm::wire_hotkeys()
{
    services_.hotkeys.set_handler(until_closed([this](int id) { WMHotKey(id); }));
    // A desktop that chose other triggers: the fields show what fires.
    services_.hotkeys.set_grants_handler([this] {
        for (const ControlId field : {ControlId::HotKey1, ControlId::HotKey2, ControlId::HotKey3})
            if (const uint16_t granted = services_.hotkeys.granted_shortcut(hotkey_of(field)))
                view_.set_hotkey(field, granted);
    });
}

// The field's new combination replaces its earlier one: only what the field
// shows fires.
void TskinForm::HotKey3Change(Control Sender)
{
    if (Sender.id != ControlId::HotKey1 && Sender.id != ControlId::HotKey2 && Sender.id != ControlId::HotKey3)
        return;
    const uint16_t shortcut = view_.hotkey(Sender.id);
    services_.hotkeys.register_hotkey(hotkey_of(Sender.id), shortcut);
    program.Settings.write_string("hotkey", control_name(Sender.id), ShortCutToText(shortcut));
}

void TskinForm::WMHotKey(int id)
{
    switch (id) {
    case kShowWindowHotkey:
        view_.set_text(ControlId::Label3, "Got it!");
        view_.show_window();
        break;
    case kStopHotkey:
        hotlinkbutton4Click(ControlId::None);
        view_.show_window();
        break;
    case kRecordPauseHotkey:
        hotlinkbutton3Click(ControlId::None);
        break;
    default:
        break;
    }
}

// Hidden, the window is out of the taskbar and only the show or the stop key
// brings it back. With neither working it would be lost, and a recording
// could be ended only by killing the program: then it stays and says why.
void TskinForm::hotlinkbutton13Click(Control)
{
    if (!services_.hotkeys.active(kShowWindowHotkey) && !services_.hotkeys.active(kStopHotkey)) {
        services_.messages.show_message(
            "The window cannot be hidden: neither the \"Show me\" key nor the \"Stop record\" key works on this "
            "desktop, so nothing could bring the window back. Choose another combination for one of them in the "
            "options panel (the Options button).");
        return;
    }
    view_.hide_window();
}

} // namespace ornavox
