#pragma once

#include "platform/fake/fake_one_shot_timer.h"
#include "platform/fake/fake_user_locale.h"
#include "tests/ui/fake_skin_view.h"
#include "tests/ui/fake_window_services.h"
#include "tests/ui/program_folder.h"
#include "ui/skinform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace ornavox::test {

// The window's logic over the fakes, a fake view and its own program folder.
class WindowModelTest : public ::testing::Test, protected FakeWindowServices {
protected:
    // The window as start-up leaves it, with the steps that wait for the
    // first paint run.
    void create(MessageSink* sink = nullptr)
    {
        create_unstarted(sink);
        form->finish_start();
    }
    // The window as its first frame shows it.
    void create_unstarted(MessageSink* sink = nullptr)
    {
        form.reset();
        view = FakeSkinView();
        form = std::make_unique<TskinForm>(SkinFormServices{sound, hotkeys, dispatcher, sink ? *sink : messages,
                                                            dialogs, shell, folder.path(), locale, timers, places},
                                           view);
    }

    SettingsPlaces places; // the program folder's own, unless a test says otherwise

    // What the user does, reported as a front end reports it.
    void select_radio(ControlId radio)
    {
        if (view.checked(radio))
            return;
        view.set_checked(radio, true);
        form->handle(radio, ControlEvent::Click);
    }
    void type_source(const std::string& text)
    {
        view.boxes[ControlId::ComboBox1].text = text;
        form->handle(ControlId::ComboBox1, ControlEvent::Change);
    }
    void click_row(int row)
    {
        const Control box{ControlId::MuteBox, row};
        view.ticks[{box.id, box.row}] = !view.checked(box);
        form->handle(box, ControlEvent::Click);
    }
    void drag_bar(Control bar, int position)
    {
        if (view.position(bar) == position)
            return;
        view.positions[{bar.id, bar.row}] = position;
        form->handle(bar, ControlEvent::Change);
    }

    FakeUserLocale locale;
    FakeTimers timers;
    ProgramFolder folder;
    FakeSkinView view;
    std::unique_ptr<TskinForm> form;
};

} // namespace ornavox::test
