#include "ui/skin_layout.h"

#include <array>

namespace ornavox {

namespace {

constexpr uint32_t kLime = 0x00ff00;
constexpr uint32_t kWhite = 0xffffff;
constexpr uint32_t kBlue = 0x0000ff;

using C = ControlId;
using F = SkinFont;

// The hint line (Label1) and the size line (Label7) keep their width.
constexpr SkinLabel kLabel3{C::Label3,           18,    32,   132, 52, "Ready", "Time code showing",
                            F::ArialBlack37Bold, kLime, true, true};
constexpr SkinLabel kLabel1{C::Label1, 20, 75, 317, 13, "", "", F::MsSansSerif, kWhite, false, false};
constexpr SkinLabel kLabel4{C::Label4,      220,    32,   113, 13, "MP3 44100 hz 128kbps", "MP3 compress format",
                            F::MsSansSerif, kWhite, true, true};
constexpr SkinLabel kLabel5{C::Label5, 220, 48, 20, 16, "Idle", "Application status", F::Arial13, kBlue, true, false};
constexpr SkinLabel kLabel7{C::Label7,      220,    64,    121, 13, "Filesize:0", "MP3 file size/Playback time",
                            F::MsSansSerif, kWhite, false, true};
constexpr SkinLabel kLabel6{C::Label6, 22, 32, 53, 13, "Record on:", "", F::MsSansSerif, kWhite, true, false};

constexpr SkinButton kButtons[] = {
    {C::hotlinkbutton1, 1, 219, 94, 24, 24, kPlayFace.hint, 1, kPlayFace.imageid},
    {C::hotlinkbutton3, 3, 193, 94, 24, 24, kRecordFace.hint, 1, kRecordFace.imageid},
    {C::hotlinkbutton5, 5, 271, 94, 24, 24, "Infomartion of the software.", 1, 4},
    {C::hotlinkbutton6, 6, 297, 94, 24, 24, "https://ornavox.example/", 1, 5},
    {C::hotlinkbutton7, 7, 323, 94, 24, 24, "Saveto mp3 file?", 1, 6},
    {C::hotlinkbutton8, 8, 0, 95, 186, 27, "Visiter our web for more", 2, 0},
    {C::hotlinkbutton2, 2, 20, 3, 64, 20, "Pull down menu", 3, 0},
    {C::hotlinkbutton9, 9, 86, 3, 64, 20, "Show sound mixer", 3, 1},
    {C::hotlinkbutton10, 10, 152, 3, 64, 20, kMusicFace.hint, 3, kMusicFace.imageid},
    {C::hotlinkbutton11, 11, 218, 3, 64, 20, "Config the options", 3, 4},
    {C::hotlinkbutton12, 12, 286, 5, 18, 18, "Need help?", 4, 0},
    {C::hotlinkbutton13, 13, 306, 5, 18, 18, "Hide me!", 4, 1},
    {C::hotlinkbutton14, 14, 326, 5, 18, 18, "Quit the application.", 4, 2},
    {C::hotlinkbutton4, 4, 244, 93, 24, 24, "Stop record/playback", 1, 3},
};

const SkinButton& button(int number)
{
    for (const SkinButton& b : kButtons)
        if (b.number == number)
            return b;
    return kButtons[0];
}

const std::array<SkinControl, 20> kSkinArea = {{
    {&kLabel3, nullptr},    {nullptr, &button(1)},  {&kLabel1, nullptr},    {nullptr, &button(3)},
    {nullptr, &button(5)},  {nullptr, &button(6)},  {nullptr, &button(7)},  {nullptr, &button(8)},
    {nullptr, &button(2)},  {nullptr, &button(9)},  {nullptr, &button(10)}, {nullptr, &button(11)},
    {nullptr, &button(12)}, {nullptr, &button(13)}, {nullptr, &button(14)}, {&kLabel4, nullptr},
    {&kLabel5, nullptr},    {&kLabel7, nullptr},    {nullptr, &button(4)},  {&kLabel6, nullptr},
}};

} // namespace

FontFace font_face(SkinFont font)
{
    switch (font) {
    case SkinFont::ArialBlack37Bold:
        return {"Arial Black", 37, true};
    case SkinFont::Arial13:
        return {"Arial", 13, false};
    case SkinFont::MsSansSerif:
        break;
    }
    return {"MS Sans Serif", 11, false};
}

std::span<const SkinControl> skin_area()
{
    return kSkinArea;
}

const SkinButton* skin_button(ControlId id)
{
    for (const SkinButton& b : kButtons)
        if (b.id == id)
            return &b;
    return nullptr;
}

const SkinLabel* skin_label(ControlId id)
{
    for (const SkinControl& c : kSkinArea)
        if (c.label && c.label->id == id)
            return c.label;
    return nullptr;
}

} // namespace ornavox
