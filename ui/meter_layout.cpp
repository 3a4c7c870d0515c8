#include "ui/meter_layout.h"

#include <algorithm>
#include <cmath>

namespace ornavox {

namespace {

uint32_t zone_colour(double db)
{
    if (db > kMeterRedDb)
        return kMeterRed;
    if (db > kMeterYellowDb)
        return kMeterYellow;
    return kMeterGreen;
}

// Pixels from the bar's left end up to `db`.
int extent(double db, int bar_width)
{
    const double share = (std::clamp(db, kMeterFloorDb, 0.0) - kMeterFloorDb) / -kMeterFloorDb;
    return static_cast<int>(std::lround(share * bar_width));
}

} // namespace

const MeterBox& meter_box(MeterPlace place)
{
    return place == MeterPlace::Skin ? kSkinMeter : kPanelMeter;
}

std::vector<MeterRect> meter_picture(const MeterReading& reading, int width, int height)
{
    std::vector<MeterRect> picture{{0, 0, width, height, kMeterBackground}};
    // One pixel of frame around, one between the channels.
    const int bar_height = std::max(1, (height - 3) / 2);
    const int bar_width = std::max(1, width - 3 - kClipMarkWidth);
    const int yellow_from = extent(kMeterYellowDb, bar_width);
    const int red_from = extent(kMeterRedDb, bar_width);
    for (size_t c = 0; c < reading.channels.size(); ++c) {
        const ChannelLevel& channel = reading.channels[c];
        const int top = 1 + static_cast<int>(c) * (bar_height + 1);
        picture.push_back({1, top, bar_width, bar_height, kMeterUnlit});
        const int lit = extent(channel.level_db, bar_width);
        const int zones[] = {0, yellow_from, red_from, bar_width};
        const uint32_t colours[] = {kMeterGreen, kMeterYellow, kMeterRed};
        for (int z = 0; z < 3; ++z) {
            const int from = zones[z];
            const int to = std::min(lit, zones[z + 1]);
            if (to > from)
                picture.push_back({1 + from, top, to - from, bar_height, colours[z]});
        }
        const int peak = extent(channel.peak_db, bar_width);
        if (channel.peak_db > kMeterFloorDb && peak > 0)
            picture.push_back({peak, top, 1, bar_height, zone_colour(channel.peak_db)});
        picture.push_back(
            {width - 1 - kClipMarkWidth, top, kClipMarkWidth, bar_height, channel.clipped ? kMeterRed : kMeterUnlit});
    }
    return picture;
}

std::string no_sound_warning(const std::string& source)
{
    return "No sound is coming from " + source;
}

} // namespace ornavox
