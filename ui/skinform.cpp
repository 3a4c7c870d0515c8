#include "ui/skinform.h"

#include "platform/one_shot_timer.h"
#include "ui/notify_window.h"
#include "ui/skinform_view.h"
#include "ui/throttled_write.h"

#include <chrono>

namespace ornavox {

namespace {

// Where no paint comes (a window that starts hidden, a platform without a
// screen), start-up does not wait for one longer than this.
constexpr std::chrono::milliseconds kStartWithoutPaint{250};

} // namespace

// The first frame needs only the skin: everything else waits until it is on
// the screen, so that neither the sound server nor the panels hold it back.
TskinForm::TskinForm(SkinFormServices services, SkinFormView& view)
    : services_(std::move(services)), view_(view), start_without_paint_(services_.timers.make_timer()),
      meter_frame_(services_.timers.make_timer())
{
    for (const SkinControl& c : skin_area())
        if (c.button)
            faces_[c.button->id] = {c.button->imageid, c.button->hint};
    FormCreate(ControlId::skinForm);
    start_without_paint_->start(kStartWithoutPaint, [this] { finish_start(); });
}

// The recording's last buffers may come while it is destroyed, after the
// meters they would feed.
TskinForm::~TskinForm()
{
    if (audiorec1)
        audiorec1->ondata = nullptr;
}

// The close sequence must run once even when a second close arrives while
// the first one waits for the recording to finish. The window goes first: the
// user is done with it, and the recording's end may wait for the server.
void TskinForm::close()
{
    if (closed_)
        return;
    closed_ = true;
    view_.hide_window();
    FormClose(ControlId::skinForm);
    view_.close_window();
}

std::string TskinForm::hint_of(Control control) const
{
    if (const auto face = faces_.find(control.id); face != faces_.end())
        return face->second.hint;
    if (const SkinLabel* label = skin_label(control.id))
        return label->hint;
    return {};
}

void TskinForm::set_button(ControlId button, Face face)
{
    faces_[button] = face;
    view_.set_button(button, face.imageid, face.hint);
}

void TskinForm::set_layout(Layout layout)
{
    layout_ = layout;
    view_.set_layout(layout);
    meters_changed();
}

// Selecting a radio button from code is a click when the selection changes.
void TskinForm::check_radio(ControlId radio)
{
    if (view_.checked(radio))
        return;
    view_.set_checked(radio, true);
    RadioButton1Click(radio);
}

// Moving a track bar from code raises its change when the position changes.
void TskinForm::move_bar(Control bar, int position)
{
    if (view_.position(bar) == position)
        return;
    view_.set_position(bar, position);
    if (bar.id == ControlId::TrackBar1)
        TrackBar1Change(bar);
    else
        volumechange(bar);
}

// Ticking a check box from code is a click when the tick changes.
void TskinForm::tick_box(Control box, bool ticked)
{
    if (view_.checked(box) == ticked)
        return;
    view_.set_checked(box, ticked);
    mutechange(box);
}

} // namespace ornavox
