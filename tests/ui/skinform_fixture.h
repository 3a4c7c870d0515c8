#pragma once

#include "platform/qt/qt_one_shot_timer.h"
#include "platform/qt/qt_user_locale.h"
#include "tests/ui/fake_window_services.h"
#include "tests/ui/program_folder.h"
#include "ui/qt/skin_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace ornavox::test {

// One Qt window over the fakes and its own program folder with the skin.
class SkinWindowTest : public ::testing::Test, protected FakeWindowServices {
protected:
    // The window as start-up leaves it, with the steps that wait for the
    // first paint run.
    void create()
    {
        create_unstarted();
        window->form().finish_start();
    }
    // The window as its first frame shows it.
    void create_unstarted()
    {
        window.reset();
        window = std::make_unique<SkinWindow>(
            SkinFormServices{sound, hotkeys, dispatcher, messages, dialogs, shell, folder.path(), locale, timers});
    }

    TskinForm& form() { return window->form(); }

    QtUserLocale locale{"HH:mm:ss"};
    QtTimerFactory timers;
    ProgramFolder folder{ProgramFolder::Skin::With};
    std::unique_ptr<SkinWindow> window;
};

} // namespace ornavox::test
