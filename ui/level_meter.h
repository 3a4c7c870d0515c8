#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

namespace ornavox {

// The meter's scale: what lies below its floor shows as nothing.
inline constexpr double kMeterFloorDb = -60.0;
inline constexpr double kMeterFallDbPerSecond = 20.0;
inline constexpr std::chrono::milliseconds kPeakHold{1500};
inline constexpr std::chrono::milliseconds kClipMark{3000};

struct ChannelLevel {
    double level_db = kMeterFloorDb; // falls at kMeterFallDbPerSecond after a rise
    double peak_db = kMeterFloorDb;  // the highest level of the last kPeakHold, then falling
    bool clipped = false;            // a sample at full scale in the last kClipMark

    bool operator==(const ChannelLevel&) const = default;
};

struct MeterReading {
    std::array<ChannelLevel, 2> channels{};

    bool silent() const;
    bool operator==(const MeterReading&) const = default;
};

// The peak level of one sample, in dB of full scale; nullopt for zero.
std::optional<double> sample_db(int32_t sample);
// The peak of a linear value 0 to 1, as a level stream reports it.
std::optional<double> linear_db(float peak);

// A two-channel peak meter: it rises at once to what it is fed, falls at a
// steady rate, holds each channel's peak and marks full-scale samples. Time
// is the caller's, so that a reading between two feeds falls on. Any thread,
// one at a time.
class LevelMeter {
public:
    using Time = std::chrono::steady_clock::time_point;

    // Interleaved 16-bit stereo, as it is recorded.
    void feed(std::span<const int16_t> stereo, Time at);
    // One peak for both channels, linear 0 to 1.
    void feed_peak(float peak, Time at);
    MeterReading reading(Time at) const;
    // True while a reading would still change without a new feed.
    bool moving(Time at) const;
    void clear();

private:
    struct Channel {
        double level_db = kMeterFloorDb;
        Time level_at{};
        double peak_db = kMeterFloorDb;
        Time peak_at{};
        std::optional<Time> clip_at;
    };
    void feed_channel(Channel& channel, std::optional<double> block_db, bool clipped, Time at);
    static ChannelLevel read(const Channel& channel, Time at);

    std::array<Channel, 2> channels_{};
};

} // namespace ornavox
