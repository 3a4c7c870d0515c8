// The picture button's face rules, without a toolkit.
#include "ui/button_face.h"

#include <gtest/gtest.h>

#include <climits>

namespace ornavox {
namespace {

TEST(ButtonFace, TheFaceIsTheImageOfTheStateInTheBlockOfTheImageId)
{
    ButtonFace face;
    face.set_imageid(2);
    EXPECT_EQ(face.image(12), 8);
    face.set_buttonstate(3);
    EXPECT_EQ(face.image(12), 11);
    EXPECT_EQ(face.image(11), std::nullopt) << "a block the list does not hold whole";
    face.set_imageid(-1);
    EXPECT_EQ(face.image(12), std::nullopt);
    face.set_imageid(INT_MAX);
    face.set_buttonstate(INT_MAX);
    EXPECT_EQ(face.image(INT_MAX), std::nullopt) << "no overflow";
}

TEST(ButtonFace, ThePointerChangesTheFaceOncePerCrossing)
{
    ButtonFace face;
    EXPECT_TRUE(face.pointer_entered());
    EXPECT_EQ(face.buttonstate(), 1);
    EXPECT_FALSE(face.pointer_entered()) << "a second report of the same entry";
    EXPECT_TRUE(face.pointer_left());
    EXPECT_EQ(face.buttonstate(), 0);
    EXPECT_FALSE(face.pointer_left());
}

TEST(ButtonFace, AReleaseClicksOnlyAfterAPressOfThisButtonAndOverIt)
{
    ButtonFace face;
    EXPECT_FALSE(face.released(true)) << "pressed elsewhere";

    face.pressed();
    EXPECT_EQ(face.buttonstate(), 2);
    EXPECT_FALSE(face.pointer_entered()) << "the press put the pointer over it";
    EXPECT_TRUE(face.released(true));
    EXPECT_EQ(face.buttonstate(), 2) << "pressed while the click's handler runs";
    face.release_done();
    EXPECT_EQ(face.buttonstate(), 0);

    face.pressed();
    EXPECT_FALSE(face.released(false)) << "let go beside it";
    face.release_done();
    EXPECT_FALSE(face.released(true)) << "one press, one release";
}

} // namespace
} // namespace ornavox
