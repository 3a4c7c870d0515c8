// The skinned window's own commands: panels, menu, help, the web address,
// hiding and quitting, and the hint line, over a fake view.
#include "tests/ui/window_model_fixture.h"

namespace ornavox::test {
namespace {

class WindowCommandsTest : public WindowModelTest {
protected:
    void SetUp() override { create(); }
};

TEST_F(WindowCommandsTest, PanelsToggleBySize)
{
    const struct {
        Layout from;
        ControlId button;
        Layout to;
    } cases[] = {
        {Layout::Compact, ControlId::hotlinkbutton9, Layout::Mixer},
        {Layout::Mixer, ControlId::hotlinkbutton9, Layout::Compact},
        {Layout::Options, ControlId::hotlinkbutton9, Layout::Mixer},
        {Layout::Compact, ControlId::hotlinkbutton11, Layout::Options},
        {Layout::Mixer, ControlId::hotlinkbutton11, Layout::Options},
        {Layout::Options, ControlId::hotlinkbutton11, Layout::Compact},
    };
    // Reaches each starting layout by the buttons themselves.
    const auto reach = [this](Layout layout) {
        while (form->layout() != layout)
            form->handle(layout == Layout::Options ? ControlId::hotlinkbutton11 : ControlId::hotlinkbutton9,
                         ControlEvent::Click);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(control_name(c.button));
        reach(c.from);
        form->handle(c.button, ControlEvent::Click);
        EXPECT_EQ(form->layout(), c.to);
        EXPECT_EQ(view.layout, c.to);
    }
}

// Each skin button reaches its handler; the information button has none.
TEST_F(WindowCommandsTest, EveryButtonReachesItsHandler)
{
    const std::string help = "file:" + folder.path() + "ornavox.html";
    form->handle(ControlId::hotlinkbutton12, ControlEvent::Click);
    form->hotlinkbutton12Click(ControlId::help1);
    form->handle(ControlId::hotlinkbutton6, ControlEvent::Click);
    form->handle(ControlId::hotlinkbutton8, ControlEvent::Click);
    form->handle(ControlId::hotlinkbutton5, ControlEvent::Click);
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{help, help, "url:https://ornavox.example/", "url:https://ornavox.example/"}));

    form->handle(ControlId::hotlinkbutton2, ControlEvent::Click);
    form->hotlinkbutton2Click(ControlId::None);
    EXPECT_EQ(view.menus, (std::vector<ControlId>{ControlId::hotlinkbutton2, ControlId::hotlinkbutton2}))
        << "under the menu button, also when called from code";

    dialogs.save_results = {std::nullopt};
    form->handle(ControlId::hotlinkbutton7, ControlEvent::Click);
    EXPECT_EQ(dialogs.save_requests.size(), 1u) << "the save button opens the save dialog";

    form->handle(ControlId::hotlinkbutton10, ControlEvent::Click);
    EXPECT_EQ(view.imageid(ControlId::hotlinkbutton10), 3);

    dialogs.answers = {Dialogs::Answer::Yes};
    form->handle(ControlId::hotlinkbutton3, ControlEvent::Click);
    EXPECT_EQ(form->taskstate, TaskState::Recording);
    form->handle(ControlId::hotlinkbutton4, ControlEvent::Click);
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    dispatcher.run_pending();
    form->handle(ControlId::hotlinkbutton1, ControlEvent::Click);
    EXPECT_EQ(form->taskstate, TaskState::Playing);
    form->handle(ControlId::hotlinkbutton4, ControlEvent::Click);

    form->handle(ControlId::hotlinkbutton13, ControlEvent::Click);
    EXPECT_FALSE(view.visible) << "hidden: the show key brings it back";

    form->handle(ControlId::hotlinkbutton14, ControlEvent::Click);
    EXPECT_TRUE(view.closed);
    EXPECT_NE(folder.read_config(), "<missing>") << "closing ran the close sequence";
    const size_t calls = view.calls.size();
    form->handle(ControlId::hotlinkbutton9, ControlEvent::Click);
    EXPECT_EQ(view.calls.size(), calls) << "closed: no click reaches a handler";
}

// A click before the first paint's start-up ran finds the window started.
TEST_F(WindowCommandsTest, AClickBeforeStartUpWentOnFindsItStarted)
{
    create_unstarted();
    form->handle(ControlId::hotlinkbutton9, ControlEvent::Click);
    EXPECT_TRUE(form->started());
    EXPECT_TRUE(view.panels_built);
    EXPECT_EQ(view.layout, Layout::Mixer);
}

TEST_F(WindowCommandsTest, WithoutAPaintStartUpGoesOnAfterAQuarterSecond)
{
    create_unstarted();
    timers.fire(std::chrono::milliseconds(249));
    EXPECT_FALSE(form->started());
    timers.fire(std::chrono::milliseconds(250));
    EXPECT_TRUE(form->started());
}

TEST_F(WindowCommandsTest, TheHintLineShowsTheCurrentHintAndThenTheFile)
{
    const std::string file = folder.path() + "take.mp3";
    form->program.SaveFile = file;
    std::vector<std::string> shown;
    const auto over = [&](ControlId control) {
        form->hotlinkbutton1mouseenter(control);
        shown.push_back(view.text(ControlId::Label1));
        form->hotlinkbutton1mouseleave(control);
        shown.push_back(view.text(ControlId::Label1));
    };
    over(ControlId::hotlinkbutton3);
    over(ControlId::Label7);
    dialogs.answers = {Dialogs::Answer::Yes};
    form->hotlinkbutton3Click(ControlId::hotlinkbutton3);
    over(ControlId::hotlinkbutton3);
    EXPECT_EQ(shown,
              (std::vector<std::string>{"Record  what playback", file, "MP3 file size/Playback time", file,
                                        "Record pause", file}));
    form->hotlinkbutton4Click(ControlId::None);
}

} // namespace
} // namespace ornavox::test
