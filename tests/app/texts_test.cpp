#include "base/list_name.h"
#include "base/shortcut_text.h"
#include "recording/time_text.h"

#include <gtest/gtest.h>

namespace ornavox {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

// The patterns are those of en_US, de_DE, fi_FI and ko_KR.
TEST(ElapsedText, FollowsTheLocalesSeparatorAndHoursButIsNoTimeOfDay)
{
    EXPECT_EQ(format_elapsed(2 * kSecond, "h:mm:ss AP"), "0:00:02");
    EXPECT_EQ(format_elapsed(2 * kSecond, "HH:mm:ss"), "00:00:02");
    EXPECT_EQ(format_elapsed(3723 * kSecond, "H.mm.ss"), "1.02.03");
    EXPECT_EQ(format_elapsed(13.5 * 3600 * kSecond, "AP h:mm:ss"), "13:30:00");
    EXPECT_EQ(format_elapsed(3723 * kSecond, "HH'h'mm ap t"), "01h02");
    EXPECT_EQ(format_elapsed(-1, "H:mm:ss"), "0:00:00");
}

TEST(ElapsedText, HoursGoOnPastADayAndDigitsFollowTheUsersScript)
{
    EXPECT_EQ(format_elapsed(25 * 3600 * kSecond, "h:mm:ss AP"), "25:00:00");
    EXPECT_EQ(format_elapsed(250 * 3600 * kSecond, "HH:mm:ss"), "250:00:00");
    // Arabic-Indic digits: 0 is U+0660.
    EXPECT_EQ(format_elapsed(12 * kSecond, "h:mm:ss", "\xD9\xA0"), "\xD9\xA0:\xD9\xA0\xD9\xA0:\xD9\xA1\xD9\xA2");
}

// Endpoint and session names are cut as the server's are: at 64 characters,
// never inside one ("é" is two bytes, "日" three).
TEST(ListName, KeepsSixtyFourCharactersAndCutsNoneInTwo)
{
    const std::string accented = std::string(63, 'a') + "\xC3\xA9\xC3\xA9";
    EXPECT_EQ(list_name(accented), std::string(63, 'a') + "\xC3\xA9");
    std::string wide;
    for (int i = 0; i < 70; ++i)
        wide += "\xE6\x97\xA5";
    EXPECT_EQ(list_name(wide).size(), 64u * 3);
    EXPECT_EQ(list_name("Speakers"), "Speakers");
}

TEST(ShortcutText, WritesModifiersInOrderThenTheKeyName)
{
    EXPECT_EQ(ShortCutToText(0x6078), "Shift+Ctrl+F9");
    EXPECT_EQ(ShortCutToText(0x607A), "Shift+Ctrl+F11");
    EXPECT_EQ(ShortCutToText(kShortcutAlt | kShortcutCtrl | 'S'), "Ctrl+Alt+S");
    EXPECT_EQ(ShortCutToText(kShortcutCtrl | 0x63), "Ctrl+3"); // keypad digit
    EXPECT_EQ(ShortCutToText(kShortcutCtrl | 0x21), "Ctrl+PgUp");
    EXPECT_EQ(ShortCutToText(kShortcutCtrl | 0xBC), "Ctrl+,");
    EXPECT_EQ(ShortCutToText(kShortcutCtrl | 0x07), "");
}

TEST(ShortcutText, ReadsPrefixesInAnyOrderAndCase)
{
    EXPECT_EQ(TextToShortCut("ctrl+shift+f5"), kShortcutShift | kShortcutCtrl | 0x74);
    EXPECT_EQ(TextToShortCut("^Alt+x"), kShortcutCtrl | kShortcutAlt | 'X');
    EXPECT_EQ(TextToShortCut("Shift+Ctrl+S"), kShortcutShift | kShortcutCtrl | 'S');
    EXPECT_EQ(TextToShortCut("Ctrl+3"), kShortcutCtrl | '3'); // the main-row digit wins
    EXPECT_EQ(TextToShortCut("Ctrl+Shift"), kShortcutCtrl | 0x10);
    EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), 0);
    EXPECT_EQ(TextToShortCut(""), 0);
}

TEST(ShortcutText, EveryNamedKeyRoundTrips)
{
    for (int key = 8; key <= 255; ++key) {
        const auto shortcut = static_cast<TShortCut>(kShortcutShift | kShortcutCtrl | key);
        const std::string text = ShortCutToText(shortcut);
        if (text.empty())
            continue;
        const TShortCut back = TextToShortCut(text);
        EXPECT_EQ(ShortCutToText(back), text) << key;
    }
}

} // namespace
} // namespace ornavox
