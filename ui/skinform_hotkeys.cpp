// The three system-wide hotkeys, showing the window, and hiding it.
#include "ui/skinform.h"

#include "app/shortcut_text.h"
#include "platform/hotkey_service.h"
#include "platform/message_sink.h"
#include "ui/hotkey_edit.h"

#include <QLabel>

namespace ornavox {

void TskinForm::wire_hotkeys()
{
    services_.hotkeys.set_handler(until_closed([this](int id) { WMHotKey(id); }));
    // A desktop that chose other triggers: the fields show what fires.
    services_.hotkeys.set_grants_handler([this] {
        const std::pair<THotKey*, int> fields[] = {
            {HotKey1, kRecordPauseHotkey}, {HotKey2, kStopHotkey}, {HotKey3, kShowWindowHotkey}};
        for (const auto& [field, id] : fields)
            if (const uint16_t granted = services_.hotkeys.granted_shortcut(id))
                field->setHotKey(granted);
    });
    for (THotKey* field : {HotKey1, HotKey2, HotKey3})
        field->onchange = until_closed([this](QObject* sender) { HotKey3Change(control_of(sender)); });
}

void TskinForm::register_hotkey(THotKey& field, int id)
{
    services_.hotkeys.register_hotkey(id, field.hotKey());
}

void TskinForm::unregister_show_hotkey()
{
    services_.hotkeys.unregister_hotkey(kShowWindowHotkey);
}

// The field's new combination replaces its earlier one: only what the field
// shows fires.
void TskinForm::HotKey3Change(Control Sender)
{
    auto* field = qobject_cast<THotKey*>(widget_of(Sender));
    if (!field)
        return;
    const int id = Sender.id == ControlId::HotKey1 ? kRecordPauseHotkey
        : Sender.id == ControlId::HotKey2          ? kStopHotkey
                                                   : kShowWindowHotkey;
    services_.hotkeys.register_hotkey(id, field->hotKey());
    program.Settings.write_string("hotkey", control_name(Sender.id), ShortCutToText(field->hotKey()));
}

void TskinForm::WMHotKey(int id)
{
    switch (id) {
    case kShowWindowHotkey:
        Label3->setText(QStringLiteral("Got it!"));
        show_window();
        break;
    case kStopHotkey:
        hotlinkbutton4Click(ControlId::None);
        show_window();
        break;
    case kRecordPauseHotkey:
        hotlinkbutton3Click(ControlId::None);
        break;
    default:
        break;
    }
}

void TskinForm::show_window()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
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
    hide();
}

} // namespace ornavox
