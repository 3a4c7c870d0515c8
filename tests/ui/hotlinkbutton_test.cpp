#include "ui/qt/hotlinkbutton.h"

#include "ui/qt/imagelist.h"
#include "ui/qt/skin_files.h"

#include <QDir>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace ornavox {
namespace {

constexpr int kSize = 24;
const QRgb kHostColour = qRgb(40, 90, 160);

// Image i of the test list is one flat colour, except its top-left pixel,
// which the mask leaves transparent.
QRgb face_colour(int image)
{
    return qRgb(30 + 20 * image, 200 - 15 * image, 60 + 10 * image);
}

void fill_list(TImageList& list, int blocks)
{
    for (int i = 0; i < blocks * 4; ++i) {
        QImage image(kSize, kSize, QImage::Format_RGB32);
        image.fill(face_colour(i));
        QImage mask(kSize, kSize, QImage::Format_Mono);
        mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        mask.fill(0);
        mask.setPixel(0, 0, 1);
        mask.setPixel(0, kSize - 1, 1);
        list.add(image, mask);
    }
}

// Which image of the test list the button's picture shows; -1 for none.
int face_of(const Thotlinkbutton& button)
{
    const QRgb c = button.picture().pixel(kSize / 2, kSize / 2);
    for (int i = 0; i < 16; ++i)
        if (c == face_colour(i))
            return i;
    return -1;
}

// Closes itself as soon as it is shown and remembers where that was.
class SelfClosingMenu : public QMenu {
public:
    using QMenu::QMenu;
    int shown = 0;
    QPoint shown_at;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMenu::showEvent(event);
        ++shown;
        shown_at = pos();
        QTimer::singleShot(0, this, &QMenu::close);
    }
};

class HotlinkbuttonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.setAutoFillBackground(true);
        QPalette palette = host.palette();
        palette.setColor(QPalette::Window, QColor(kHostColour));
        host.setPalette(palette);
        host.setGeometry(100, 100, 200, 100);
        button = new Thotlinkbutton(&host);
        button->setGeometry(50, 30, kSize, kSize);
        QImage white(kSize, kSize, QImage::Format_RGB32);
        white.fill(Qt::white);
        button->setPicture(white);
        fill_list(list, 2);
        button->onclick = [this](QObject*) { clicks_faces.push_back(face_of(*button)); };
        button->onmouseenter = [this](QObject* sender) {
            EXPECT_EQ(sender, button);
            ++entries;
        };
        button->onmouseleave = [this](QObject* sender) {
            EXPECT_EQ(sender, button);
            ++exits;
        };
        button->setButtonimage(&list);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        // The toolkit drops a move to where the pointer already is; the corner
        // is visited by no test, so this move always brings the pointer onto
        // this test's window.
        move_to({1, 1});
        move_to(outside);
    }

    // Events go through the window, as the platform delivers them, so that the
    // toolkit routes them to the button, grabs the pointer while a button is
    // held, reports crossings and detects double-clicks. A move while a button
    // is held is a drag.
    QWindow* window() { return host.windowHandle(); }
    void move_to(QPoint p) { QTest::mouseMove(window(), p); }
    void press(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(window(), b, {}, p); }
    void release(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseRelease(window(), b, {}, p); }
    void click(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseClick(window(), b, {}, p); }

    QImage on_screen() { return host.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QWidget host;
    Thotlinkbutton* button = nullptr;
    TImageList list{kSize, kSize};
    std::vector<int> clicks_faces;
    int entries = 0;
    int exits = 0;
    const QPoint inside{60, 40};
    const QPoint outside{150, 80};
};

TEST_F(HotlinkbuttonTest, ShowsNormalFaceOfItsBlockWhenTheListIsSet)
{
    EXPECT_EQ(face_of(*button), 0);
    EXPECT_EQ(button->buttonstate(), 0);
}

TEST_F(HotlinkbuttonTest, EnterPressReleaseInsideClicksOnceWithThePressedFaceShown)
{
    move_to(inside);
    EXPECT_EQ(face_of(*button), 1);
    EXPECT_EQ(entries, 1);
    press(inside);
    EXPECT_EQ(face_of(*button), 2);
    release(inside);
    EXPECT_EQ(face_of(*button), 0) << "after a release the normal face shows, not the hover face";
    EXPECT_EQ(clicks_faces, std::vector<int>{2});
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(exits, 0);
}

TEST_F(HotlinkbuttonTest, HeldButtonReportsEachCrossingOnceAndClicksWhenReleasedInside)
{
    move_to(inside);
    press(inside);
    move_to(outside);
    EXPECT_EQ(face_of(*button), 0);
    EXPECT_EQ(exits, 1);
    move_to({70, 50});
    EXPECT_EQ(face_of(*button), 1);
    EXPECT_EQ(entries, 2);
    release({70, 50});
    EXPECT_EQ(face_of(*button), 0);
    EXPECT_EQ(clicks_faces.size(), 1u);
    move_to(outside);
    EXPECT_EQ(exits, 2);
    EXPECT_EQ(entries, 2);
}

TEST_F(HotlinkbuttonTest, ReleaseOutsideDoesNotClickAndDoesNotReportTheExitTwice)
{
    move_to(inside);
    press(inside);
    move_to(outside);
    release(outside);
    EXPECT_TRUE(clicks_faces.empty());
    EXPECT_EQ(face_of(*button), 0);
    EXPECT_EQ(exits, 1);
    move_to(inside);
    EXPECT_EQ(entries, 2);
    EXPECT_EQ(face_of(*button), 1);
}

TEST_F(HotlinkbuttonTest, DoubleClickIsOneClickAndItsSecondPressShowsNoPressedFace)
{
    move_to(inside);
    std::vector<std::pair<QEvent::Type, int>> seen;
    struct Recorder : QObject {
        std::vector<std::pair<QEvent::Type, int>>* log;
        Thotlinkbutton* button;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonRelease
                || e->type() == QEvent::MouseButtonDblClick)
                log->emplace_back(e->type(), face_of(*button));
            return false;
        }
    } recorder;
    recorder.log = &seen;
    recorder.button = button;
    button->installEventFilter(&recorder);
    QTest::mouseDClick(window(), Qt::LeftButton, {}, inside);
    button->removeEventFilter(&recorder);

    EXPECT_EQ(clicks_faces, std::vector<int>{2});
    ASSERT_GE(seen.size(), 4u);
    // Each entry holds the face shown when the event arrived: after the first
    // release the face stays normal up to the end.
    for (std::size_t i = 2; i < seen.size(); ++i)
        EXPECT_EQ(seen[i].second, 0) << "event " << i << " of type " << seen[i].first;
    EXPECT_EQ(face_of(*button), 0);
}

TEST_F(HotlinkbuttonTest, RightClickShowsNoPressedFaceAndOpensTheMenuAtThePointer)
{
    SelfClosingMenu menu;
    menu.addAction(QStringLiteral("Show Mixer"));
    button->setPopupMenu(&menu);
    move_to(inside);
    press(inside, Qt::RightButton);
    // exec blocks: the menu has been shown and closed when the press returns.
    EXPECT_EQ(menu.shown, 1);
    EXPECT_EQ(menu.shown_at, host.mapToGlobal(inside));
    EXPECT_NE(face_of(*button), 2);
    release(inside, Qt::RightButton);
    EXPECT_TRUE(clicks_faces.empty());
    EXPECT_NE(face_of(*button), 2);
}

TEST_F(HotlinkbuttonTest, RightClickWithoutMenuDoesNothing)
{
    move_to(inside);
    click(inside, Qt::RightButton);
    EXPECT_TRUE(clicks_faces.empty());
    EXPECT_EQ(face_of(*button), 1);
}

TEST_F(HotlinkbuttonTest, WritingImageidWhileHoveredDrawsTheNewBlocksHoverFace)
{
    move_to(inside);
    button->setImageid(1);
    EXPECT_EQ(face_of(*button), 5);
}

TEST_F(HotlinkbuttonTest, ClickHandlerWritingImageidSeesNewPressedFaceThenNormal)
{
    button->onclick = [this](QObject*) {
        button->setImageid(1);
        clicks_faces.push_back(face_of(*button));
    };
    move_to(inside);
    click(inside);
    EXPECT_EQ(clicks_faces, std::vector<int>{6});
    EXPECT_EQ(face_of(*button), 4);
}

TEST_F(HotlinkbuttonTest, WithoutAListTheLastFaceStaysAndEventsStillRun)
{
    move_to(inside);
    button->setButtonimage(nullptr);
    EXPECT_EQ(face_of(*button), 1);
    click(inside);
    move_to(outside);
    EXPECT_EQ(face_of(*button), 1);
    EXPECT_EQ(clicks_faces.size(), 1u);
    EXPECT_EQ(exits, 1);
}

TEST_F(HotlinkbuttonTest, WritingButtonstateChangesNothingUntilTheNextRedraw)
{
    const QImage before = on_screen();
    button->setButtonstate(2);
    EXPECT_EQ(face_of(*button), 0);
    EXPECT_EQ(on_screen(), before) << "a repaint shows the face drawn last, not the state";
    button->setImageid(0);
    EXPECT_EQ(face_of(*button), 2);
}

TEST_F(HotlinkbuttonTest, BlockOrFaceOutsideTheListDrawsNothingButEventsRun)
{
    // Two whole blocks and the first half of a third.
    TImageList partial{kSize, kSize};
    fill_list(partial, 3);
    TImageList list_of_ten{kSize, kSize};
    for (int i = 0; i < 10; ++i)
        list_of_ten.add(partial.image(i), partial.mask(i));
    button->setButtonimage(&list_of_ten);
    move_to(inside);
    button->setImageid(2);
    EXPECT_EQ(face_of(*button), 1);
    move_to(outside);
    EXPECT_EQ(face_of(*button), 1);
    EXPECT_EQ(exits, 1);
    button->setImageid(-1);
    EXPECT_EQ(face_of(*button), 1);
    button->setImageid(std::numeric_limits<int>::max());
    button->setButtonstate(std::numeric_limits<int>::max());
    button->setImageid(std::numeric_limits<int>::max());
    EXPECT_EQ(face_of(*button), 1);
    button->setButtonstate(0);
    button->setImageid(0);
    EXPECT_EQ(face_of(*button), 0);
}

TEST_F(HotlinkbuttonTest, DrawingLeavesMaskedPixelsAndPaintingSkipsTheTransparentColour)
{
    QImage picture(kSize, kSize, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixel(0, 0, qRgb(1, 2, 3));
    button->setPicture(picture);
    move_to(inside);
    EXPECT_EQ(button->picture().pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(button->picture().pixel(0, kSize - 1), qRgb(255, 255, 255));

    const QImage screen = on_screen();
    EXPECT_EQ(screen.pixel(50, 30 + kSize - 1), kHostColour) << "white bottom-left pixel is see-through";
    EXPECT_EQ(screen.pixel(50, 30), qRgb(1, 2, 3));
    EXPECT_EQ(screen.pixel(60, 40), face_colour(1));

    button->setTransparent(false);
    EXPECT_EQ(on_screen().pixel(50, 30 + kSize - 1), qRgb(255, 255, 255));
}

TEST_F(HotlinkbuttonTest, ButtonWithoutPictureGetsOneOfItsOwnSize)
{
    Thotlinkbutton bare(&host);
    bare.setGeometry(100, 30, 30, 20);
    bare.setButtonimage(&list);
    EXPECT_EQ(bare.picture().size(), QSize(30, 20));
    EXPECT_EQ(bare.picture().pixel(15, 10), face_colour(0));
    EXPECT_EQ(bare.picture().pixel(27, 10), qRgb(255, 255, 255));
}

// Saves the real skin's buttons in every face over the real background, for a
// person to look at.
TEST(HotlinkbuttonScreenshots, SavesEachFaceOfTheSkinButtons)
{
    const QString root = QStringLiteral(ORNAVOX_SOURCE_DIR);
    const QDir out(QStringLiteral(ORNAVOX_SCREENSHOT_DIR));
    ASSERT_TRUE(out.mkpath(QStringLiteral(".")));
    QString error;
    const QImage background = skin::load_background(root, error);
    ASSERT_FALSE(background.isNull()) << error.toStdString();

    struct Shot {
        int number;
        int list;
        int block;
        QRect place;
    };
    const std::vector<Shot> shots{
        {3, 1, 2, {193, 94, 24, 24}}, {6, 1, 5, {297, 94, 24, 24}}, {8, 2, 0, {0, 95, 186, 27}},
        {2, 3, 0, {20, 3, 64, 20}},   {10, 3, 2, {152, 3, 64, 20}}, {14, 4, 2, {326, 5, 18, 18}},
    };
    const std::vector<QSize> sizes{{24, 24}, {186, 29}, {64, 20}, {18, 18}};
    const char* face_names[] = {"normal", "hover", "pressed"};
    for (const Shot& shot : shots) {
        TImageList skin_list(sizes[shot.list - 1].width(), sizes[shot.list - 1].height());
        ASSERT_TRUE(skin::load_image_list(skin_list, root, shot.list, error)) << error.toStdString();
        QWidget window;
        window.setFixedSize(background.size());
        QPalette palette;
        palette.setBrush(QPalette::Window, QPixmap::fromImage(background));
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        Thotlinkbutton face(&window);
        face.setGeometry(shot.place);
        face.setPicture(skin::load_button_picture(root, shot.number));
        face.setImageid(shot.block);
        face.setButtonimage(&skin_list);
        for (int state = 0; state < 3; ++state) {
            face.setButtonstate(state);
            face.setImageid(shot.block);
            const QRect area = shot.place.adjusted(-4, -4, 4, 4).intersected(window.rect());
            const QImage image = window.grab(area).toImage().scaled(area.size() * 4);
            const QString name = QStringLiteral("hotlinkbutton%1_%2.png").arg(shot.number).arg(face_names[state]);
            EXPECT_TRUE(image.save(out.filePath(name))) << name.toStdString();
        }
    }
}

} // namespace
} // namespace ornavox
