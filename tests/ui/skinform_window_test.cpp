#include "tests/ui/skinform_fixture.h"

#include "ui/qt/hotlinkbutton.h"

#include <QAccessible>
#include <QAction>
#include <QEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace ornavox::test {
namespace {

class SkinWindowEventsTest : public SkinWindowTest {
protected:
    void SetUp() override
    {
        create();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    static void enter(QWidget* w)
    {
        QEnterEvent e(QPointF(1, 1), w->mapTo(w->window(), QPointF(1, 1)), w->mapToGlobal(QPointF(1, 1)));
        QCoreApplication::sendEvent(w, &e);
    }
    static void leave(QWidget* w)
    {
        QEvent e(QEvent::Leave);
        QCoreApplication::sendEvent(w, &e);
    }
};

TEST_F(SkinWindowEventsTest, HitTestByRectangleFrontmostFirst)
{
    form().hotlinkbutton11Click(ControlId::None); // options: 632 wide, panel in view
    const struct {
        const char* what;
        QPoint point;
        int answer;
        bool moves;
    } cases[] = {
        {"background", {5, 50}, kHtCaption, true},
        {"time code label", {30, 40}, kHtCaption, true},
        {"hint line", {150, 80}, kHtCaption, true},
        {"status label", {222, 50}, kHtCaption, true},
        {"size label", {300, 66}, kHtCaption, true},
        {"play button", {231, 106}, kHtClient, false},
        {"see-through corner of the menu button", {20, 3}, kHtClient, false},
        {"see-through corner of the help ball", {286, 5}, kHtClient, false},
        {"banner", {5, 100}, kHtClient, false},
        {"bare strip between skin and options panel", {351, 60}, kHtCaption, true},
        {"options group box", {400, 5}, kHtCaption, false},
        {"file name box in the options panel", {370, 25}, kHtCaption, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(skin_hit_test(*window, c.point), c.answer);
        EXPECT_EQ(window->press_moves_window(c.point), c.moves);
    }

    window->find<Thotlinkbutton>(ControlId::hotlinkbutton1)->setEnabled(false);
    EXPECT_EQ(skin_hit_test(*window, {231, 106}), kHtCaption) << "a disabled button is not found";
    window->find<Thotlinkbutton>(ControlId::hotlinkbutton1)->hide();
    EXPECT_EQ(skin_hit_test(*window, {231, 106}), kHtCaption) << "nor a hidden one";
}

TEST(SkinHitTest, FrontmostControlDecides)
{
    QWidget window;
    auto* back_button = new Thotlinkbutton(&window);
    back_button->setGeometry(0, 0, 20, 20);
    auto* label_over_button = new QLabel(QStringLiteral("x"), &window);
    label_over_button->setGeometry(0, 0, 20, 20);
    auto* back_label = new QLabel(QStringLiteral("y"), &window);
    back_label->setGeometry(40, 0, 20, 20);
    auto* button_over_label = new Thotlinkbutton(&window);
    button_over_label->setGeometry(40, 0, 20, 20);
    window.show();
    EXPECT_EQ(skin_hit_test(window, {10, 10}), kHtCaption);
    EXPECT_EQ(skin_hit_test(window, {50, 10}), kHtClient);
    EXPECT_EQ(skin_hit_test(window, {30, 10}), kHtCaption) << "bare client area";
    button_over_label->lower();
    EXPECT_EQ(skin_hit_test(window, {50, 10}), kHtCaption);
}

TEST_F(SkinWindowEventsTest, HintLineFollowsThePointer)
{
    form().program.SaveFile = "/music/take.mp3";
    EXPECT_EQ(window->find<QLabel>(ControlId::Label1)->text(), "") << "empty until the first entry or exit";
    QStringList shown;
    auto step = [&](void (*event)(QWidget*), QWidget* w) {
        event(w);
        shown << window->find<QLabel>(ControlId::Label1)->text();
    };
    step(enter, window->find<Thotlinkbutton>(ControlId::hotlinkbutton9));
    step(leave, window->find<Thotlinkbutton>(ControlId::hotlinkbutton9));
    step(enter, window->find<Thotlinkbutton>(ControlId::hotlinkbutton10)); // straight on to the next button
    step(leave, window->find<Thotlinkbutton>(ControlId::hotlinkbutton10));
    step(enter, window->find<Thotlinkbutton>(ControlId::hotlinkbutton11));
    step(leave, window->find<Thotlinkbutton>(ControlId::hotlinkbutton11));
    step(enter, window->find<QLabel>(ControlId::Label3));
    step(leave, window->find<QLabel>(ControlId::Label3));
    step(enter, window->find<QLabel>(ControlId::Label4));
    step(leave, window->find<QLabel>(ControlId::Label4));
    step(enter, window->find<QLabel>(ControlId::Label7));
    step(enter, window->find<Thotlinkbutton>(ControlId::hotlinkbutton6));
    EXPECT_EQ(shown,
              (QStringList{"Show sound mixer", "/music/take.mp3", "Record in music  mode.", "/music/take.mp3",
                           "Config the options", "/music/take.mp3", "Time code showing", "/music/take.mp3",
                           "MP3 compress format", "/music/take.mp3", "MP3 file size/Playback time",
                           "https://ornavox.example/"}));

    window->find<QLabel>(ControlId::Label1)->setText("unchanged");
    enter(window->find<QLabel>(ControlId::Label5));
    enter(window->find<QLabel>(ControlId::Label6));
    enter(window->find<QLabel>(ControlId::background));
    EXPECT_EQ(window->find<QLabel>(ControlId::Label1)->text(), "unchanged") << "controls without an entry handler";
}

TEST_F(SkinWindowEventsTest, ButtonsAndMenuRunTheirHandlers)
{
    QTest::mouseClick(window->find<Thotlinkbutton>(ControlId::hotlinkbutton9), Qt::LeftButton);
    EXPECT_EQ(window->size(), QSize(351, 314));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the user cannot resize it";
    EXPECT_EQ(window->pos(), QPoint(49, 148)) << "the top-left corner stays";
    QTest::mouseClick(window->find<Thotlinkbutton>(ControlId::hotlinkbutton11), Qt::LeftButton);
    EXPECT_EQ(window->size(), QSize(632, 124));
    window->action(ControlId::abc1)->trigger();
    EXPECT_EQ(window->size(), QSize(351, 314)) << "Show Mixer acts like the mixer button";

    QTest::mouseClick(window->find<Thotlinkbutton>(ControlId::hotlinkbutton12), Qt::LeftButton);
    window->action(ControlId::help1)->trigger();
    QTest::mouseClick(window->find<Thotlinkbutton>(ControlId::hotlinkbutton6), Qt::LeftButton);
    QTest::mouseClick(window->find<Thotlinkbutton>(ControlId::hotlinkbutton8), Qt::LeftButton);
    QTest::mouseClick(window->find<Thotlinkbutton>(ControlId::hotlinkbutton5), Qt::LeftButton);
    const std::string help = "file:" + folder.path() + "ornavox.html";
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{help, help, "url:https://ornavox.example/", "url:https://ornavox.example/"}));
    QTest::mouseClick(window->find<Thotlinkbutton>(ControlId::hotlinkbutton13), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible()) << "hidden: the show key brings it back";
    window->show();

    window->action(ControlId::exit1)->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(folder.read_config(), "<missing>") << "closing ran the close sequence";
}

TEST_F(SkinWindowEventsTest, QuitButtonClosesTheWindow)
{
    QTest::mouseClick(window->find<Thotlinkbutton>(ControlId::hotlinkbutton14), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(folder.read_config(), "<missing>");
}

TEST_F(SkinWindowEventsTest, MenuButtonOpensTheMenuBelowItself)
{
    QPoint shown_at;
    QTimer::singleShot(0, window.get(), [&] {
        shown_at = window->PopupMenu1->pos();
        window->PopupMenu1->close();
    });
    QTest::mouseClick(window->find<Thotlinkbutton>(ControlId::hotlinkbutton2), Qt::LeftButton);
    EXPECT_EQ(shown_at, window->mapToGlobal(QPoint(20, 23)));
    EXPECT_FALSE(window->PopupMenu1->isVisible());
    EXPECT_EQ(window->find<Thotlinkbutton>(ControlId::hotlinkbutton2)->buttonstate(), 0)
        << "normal face once the menu is closed";
}

} // namespace
} // namespace ornavox::test

namespace ornavox::test {
namespace {

// Every picture button is a push button to a screen reader, named by its
// hint, and its press action does what a click does.
TEST_F(SkinWindowEventsTest, PictureButtonsAreButtonsToAssistiveTechnology)
{
    create();
    for (Thotlinkbutton* button : window->findChildren<Thotlinkbutton*>()) {
        SCOPED_TRACE(button->objectName().toStdString());
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), QAccessible::Button);
        EXPECT_EQ(accessible->text(QAccessible::Name), button->hint());
        ASSERT_NE(accessible->actionInterface(), nullptr);
        EXPECT_EQ(accessible->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    }
    QAccessible::queryAccessibleInterface(window->find<Thotlinkbutton>(ControlId::hotlinkbutton12))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(shell.opened, std::vector<std::string>{"file:" + folder.path() + "ornavox.html"});
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window->find<QLabel>(ControlId::Label5))->text(QAccessible::Name),
              window->find<QLabel>(ControlId::Label5)->text());
}

} // namespace
} // namespace ornavox::test
