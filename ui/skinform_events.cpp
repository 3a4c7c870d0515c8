// The controls' events to their handlers: the front ends report what the
// user did as a value, and only this knows which handler serves which
// control.
#include "ui/skinform.h"

#include "ui/skinform_view.h"

#include <algorithm>

namespace ornavox {

void TskinForm::handle(Control Sender, ControlEvent event)
{
    if (closed_)
        return;
    switch (event) {
    case ControlEvent::Click:
        click(Sender);
        break;
    case ControlEvent::Change:
        change(Sender);
        break;
    case ControlEvent::Focus:
        if (Sender.id == ControlId::ComboBox1)
            ComboBox1Enter(Sender);
        break;
    case ControlEvent::PointerIn:
        hotlinkbutton1mouseenter(Sender);
        break;
    case ControlEvent::PointerOut:
        hotlinkbutton1mouseleave(Sender);
        break;
    case ControlEvent::ThumbHeld:
        if (std::find(held_.begin(), held_.end(), Sender) == held_.end())
            held_.push_back(Sender);
        break;
    case ControlEvent::ThumbReleased:
        std::erase(held_, Sender);
        break;
    }
}

void TskinForm::click(Control Sender)
{
    if (skin_button(Sender.id))
        finish_start();
    switch (Sender.id) {
    case ControlId::hotlinkbutton1:
        hotlinkbutton1Click(Sender);
        break;
    case ControlId::hotlinkbutton2:
        hotlinkbutton2Click(Sender);
        break;
    case ControlId::hotlinkbutton3:
        hotlinkbutton3Click(Sender);
        break;
    case ControlId::hotlinkbutton4:
        hotlinkbutton4Click(Sender);
        break;
    case ControlId::hotlinkbutton6:
        hotlinkbutton6Click(Sender);
        break;
    case ControlId::hotlinkbutton7:
    case ControlId::SpeedButton1:
        SpeedButton1Click(Sender);
        break;
    case ControlId::hotlinkbutton8:
        hotlinkbutton8Click(Sender);
        break;
    case ControlId::hotlinkbutton9:
    case ControlId::abc1:
        hotlinkbutton9Click(Sender);
        break;
    case ControlId::hotlinkbutton10:
        hotlinkbutton10Click(Sender);
        break;
    case ControlId::hotlinkbutton11:
        hotlinkbutton11Click(Sender);
        break;
    case ControlId::hotlinkbutton12:
    case ControlId::help1:
        hotlinkbutton12Click(Sender);
        break;
    case ControlId::hotlinkbutton13:
        hotlinkbutton13Click(Sender);
        break;
    case ControlId::hotlinkbutton14:
        hotlinkbutton14Click(Sender);
        break;
    case ControlId::exit1:
        exit1Click(Sender);
        break;
    case ControlId::SpeedButton3:
        SpeedButton3Click(Sender);
        break;
    // A radio button reports the click that left it checked; the one it
    // cleared has nothing to say.
    case ControlId::RadioButton1:
    case ControlId::RadioButton2:
    case ControlId::RadioButton3:
    case ControlId::RadioButton4:
        if (view_.checked(Sender))
            RadioButton1Click(Sender);
        break;
    case ControlId::MuteBox:
        mutechange(Sender);
        break;
    default: // the information button has no handler
        break;
    }
}

void TskinForm::change(Control Sender)
{
    switch (Sender.id) {
    case ControlId::ComboBox1:
        ComboBox1Change(Sender);
        break;
    case ControlId::ComboBox2:
    case ControlId::ComboBox3:
        ComboBox2Change(Sender);
        break;
    case ControlId::TrackBar1:
        TrackBar1Change(Sender);
        break;
    case ControlId::VolumeBar:
        volumechange(Sender);
        break;
    case ControlId::HotKey1:
    case ControlId::HotKey2:
    case ControlId::HotKey3:
        HotKey3Change(Sender);
        break;
    default:
        break;
    }
}

} // namespace ornavox
