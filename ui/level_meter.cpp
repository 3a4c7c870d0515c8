#include "ui/level_meter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ornavox {

namespace {

constexpr double kFullScale = 32768.0;
// A 16-bit full-scale sample as a float peak.
constexpr float kLinearFullScale = 32767.0f / 32768.0f;

double fallen(double db, std::chrono::steady_clock::duration since)
{
    const double seconds = std::chrono::duration<double>(since).count();
    return std::max(kMeterFloorDb, db - kMeterFallDbPerSecond * std::max(0.0, seconds));
}

} // namespace

bool MeterReading::silent() const
{
    return std::all_of(channels.begin(), channels.end(), [](const ChannelLevel& c) {
        return c.level_db <= kMeterFloorDb && c.peak_db <= kMeterFloorDb && !c.clipped;
    });
}

std::optional<double> sample_db(int32_t sample)
{
    if (sample == 0)
        return std::nullopt;
    return 20.0 * std::log10(std::abs(sample) / kFullScale);
}

std::optional<double> linear_db(float peak)
{
    if (!(peak > 0.0f))
        return std::nullopt;
    return 20.0 * std::log10(std::min(1.0, static_cast<double>(peak)));
}

void LevelMeter::feed(std::span<const int16_t> stereo, Time at)
{
    std::array<int32_t, 2> highest{};
    for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
        highest[0] = std::max(highest[0], std::abs(static_cast<int32_t>(stereo[i])));
        highest[1] = std::max(highest[1], std::abs(static_cast<int32_t>(stereo[i + 1])));
    }
    // Either end of the scale: +32767 and -32768 are both as loud as 16 bits go.
    for (size_t c = 0; c < 2; ++c)
        feed_channel(channels_[c], sample_db(highest[c]), highest[c] >= 32767, at);
}

void LevelMeter::feed_peak(float peak, Time at)
{
    for (Channel& channel : channels_)
        feed_channel(channel, linear_db(peak), peak >= kLinearFullScale, at);
}

void LevelMeter::feed_channel(Channel& channel, std::optional<double> block_db, bool clipped, Time at)
{
    const ChannelLevel now = read(channel, at);
    const double block = std::max(kMeterFloorDb, block_db.value_or(kMeterFloorDb));
    if (block >= now.level_db) {
        channel.level_db = block;
        channel.level_at = at;
    }
    if (block >= now.peak_db) {
        channel.peak_db = block;
        channel.peak_at = at;
    }
    if (clipped)
        channel.clip_at = at;
}

ChannelLevel LevelMeter::read(const Channel& channel, Time at)
{
    ChannelLevel level;
    level.level_db = fallen(channel.level_db, at - channel.level_at);
    level.peak_db = fallen(channel.peak_db, at - channel.peak_at - kPeakHold);
    level.clipped = channel.clip_at && at - *channel.clip_at < kClipMark;
    return level;
}

MeterReading LevelMeter::reading(Time at) const
{
    return {{read(channels_[0], at), read(channels_[1], at)}};
}

bool LevelMeter::moving(Time at) const
{
    return !reading(at).silent();
}

void LevelMeter::clear()
{
    channels_ = {};
}

} // namespace ornavox
