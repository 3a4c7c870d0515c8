// The skinned window's own commands: the hint line, the menu, the panels,
// help, the web address, and quitting.
#include "ui/skinform.h"

#include "platform/shell.h"
#include "ui/skinform_view.h"

namespace ornavox {

void TskinForm::hotlinkbutton1mouseenter(Control Sender)
{
    hint_shown_ = true;
    view_.set_text(ControlId::Label1, hint_of(Sender));
}

void TskinForm::hotlinkbutton1mouseleave(Control)
{
    hint_shown_ = false;
    view_.set_text(ControlId::Label1, resting_hint());
}

void TskinForm::hotlinkbutton2Click(Control Sender)
{
    view_.popup_menu(Sender.id == ControlId::None ? ControlId::hotlinkbutton2 : Sender.id);
}

// The mixer panel lies below the skin, the options panel to its right: the
// window shows one of them at a time.
void TskinForm::hotlinkbutton9Click(Control)
{
    set_layout(layout_ == Layout::Mixer ? Layout::Compact : Layout::Mixer);
}

void TskinForm::hotlinkbutton11Click(Control)
{
    set_layout(layout_ == Layout::Options ? Layout::Compact : Layout::Options);
}

void TskinForm::hotlinkbutton12Click(Control)
{
    services_.shell.open_file(program.ProgramDir + kHelpFileName);
}

// Hiding waits for the global hotkeys, the only way to bring the window back.
void TskinForm::hotlinkbutton14Click(Control)
{
    close();
}

void TskinForm::exit1Click(Control)
{
    close();
}

// Always the desktop's default browser: there is no fixed browser to prefer here.
void TskinForm::hotlinkbutton6Click(Control)
{
    services_.shell.open_url(kVendorWebAddress);
}

void TskinForm::hotlinkbutton8Click(Control)
{
    services_.shell.open_url(kVendorWebAddress);
}

} // namespace ornavox
