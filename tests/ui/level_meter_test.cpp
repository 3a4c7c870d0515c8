#include "ui/level_meter.h"
#include "ui/meter_layout.h"
#include "ui/sound_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace ornavox::test {
namespace {

using namespace std::chrono_literals;
using Time = LevelMeter::Time;

constexpr uint32_t kRate = 44100;

// Interleaved stereo frames, each channel from its own function of the frame.
template <class Left, class Right>
std::vector<int16_t> stereo(size_t frames, Left left, Right right)
{
    std::vector<int16_t> samples(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        samples[2 * i] = static_cast<int16_t>(left(i));
        samples[2 * i + 1] = static_cast<int16_t>(right(i));
    }
    return samples;
}

auto sine(double db, double hz = 1000)
{
    const double amplitude = 32768.0 * std::pow(10.0, db / 20.0);
    return [=](size_t i) { return std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * i / kRate)); };
}
auto square(size_t period = 100)
{
    return [=](size_t i) { return (i / (period / 2)) % 2 ? -32768 : 32767; };
}
auto silence()
{
    return [](size_t) { return 0; };
}

// Noise at `db` in syllables of 200 ms with 150 ms between them, where it
// falls to a tenth: speech that is quiet, not missing.
auto quiet_speech(double db)
{
    auto noise = std::make_shared<std::mt19937>(7);
    const double amplitude = 32768.0 * std::pow(10.0, db / 20.0);
    return [=](size_t i) {
        const bool syllable = (i % (kRate * 350 / 1000)) < kRate * 200 / 1000;
        std::uniform_real_distribution<double> spread(-1.0, 1.0);
        return std::lround(spread(*noise) * amplitude * (syllable ? 1.0 : 0.1));
    };
}

Time at(std::chrono::milliseconds ms)
{
    return Time{} + ms;
}

TEST(LevelMeterModel, ASineReadsItsPeakOnItsChannelAndTheSilentOneReadsNothing)
{
    LevelMeter meter;
    meter.feed(stereo(2048, sine(-6), silence()), at(0ms));
    const MeterReading reading = meter.reading(at(0ms));
    EXPECT_NEAR(reading.channels[0].level_db, -6.0, 0.3);
    EXPECT_NEAR(reading.channels[0].peak_db, -6.0, 0.3);
    EXPECT_FALSE(reading.channels[0].clipped);
    EXPECT_EQ(reading.channels[1], ChannelLevel{});

    meter.feed_peak(0.25f, at(0ms));
    EXPECT_NEAR(meter.reading(at(0ms)).channels[1].level_db, -12.04, 0.01);
}

// It rises at once, falls 20 dB a second, and each peak stays 1.5 s before it
// falls too; a quieter block does not pull it down faster.
TEST(LevelMeterModel, TheLevelFallsAtItsRateAndThePeakHoldsFirst)
{
    LevelMeter meter;
    meter.feed(stereo(2048, sine(-6), sine(-6)), at(0ms));
    meter.feed(stereo(2048, sine(-40), sine(-40)), at(500ms));
    EXPECT_NEAR(meter.reading(at(500ms)).channels[0].level_db, -16.0, 0.3);
    EXPECT_NEAR(meter.reading(at(1000ms)).channels[0].level_db, -26.0, 0.3);
    EXPECT_NEAR(meter.reading(at(1400ms)).channels[0].peak_db, -6.0, 0.3);
    EXPECT_NEAR(meter.reading(at(2000ms)).channels[0].peak_db, -16.0, 0.3);
    EXPECT_TRUE(meter.moving(at(3000ms)));
    EXPECT_TRUE(meter.reading(at(5000ms)).silent());
    EXPECT_FALSE(meter.moving(at(5000ms)));

    meter.feed(stereo(2048, sine(-20), sine(-20)), at(6000ms));
    EXPECT_NEAR(meter.reading(at(6000ms)).channels[1].level_db, -20.0, 0.3);
}

TEST(LevelMeterModel, AFullScaleSquareMarksAClipOnItsChannelForThreeSeconds)
{
    LevelMeter meter;
    meter.feed(stereo(2048, silence(), square()), at(0ms));
    meter.feed(stereo(2048, silence(), sine(-20)), at(100ms));
    EXPECT_FALSE(meter.reading(at(100ms)).channels[0].clipped);
    EXPECT_TRUE(meter.reading(at(2900ms)).channels[1].clipped);
    EXPECT_FALSE(meter.reading(at(3000ms)).channels[1].clipped);

    meter.feed_peak(1.0f, at(4000ms));
    EXPECT_TRUE(meter.reading(at(4000ms)).channels[0].clipped);
    meter.clear();
    EXPECT_TRUE(meter.reading(at(4000ms)).silent());
}

// Green to -12 dB, yellow to -3, red above, the peak as one line of its zone,
// the clip mark at the right end; nothing lit at the floor.
TEST(LevelMeterPicture, ZonesPeakAndClipMarkArePaintedWhereTheScaleSaysSo)
{
    const int width = kSkinMeter.width;
    const int height = kSkinMeter.height;
    auto colours_in = [](const std::vector<MeterRect>& picture, int top) {
        std::vector<uint32_t> colours;
        for (const MeterRect& r : picture)
            if (r.top == top && r.colour != kMeterUnlit)
                colours.push_back(r.colour);
        return colours;
    };

    MeterReading reading;
    reading.channels[0] = {-6.0, -1.0, false};
    reading.channels[1] = {kMeterFloorDb, kMeterFloorDb, true};
    const std::vector<MeterRect> picture = meter_picture(reading, width, height);
    ASSERT_FALSE(picture.empty());
    EXPECT_EQ(picture.front(), (MeterRect{0, 0, width, height, kMeterBackground}));
    EXPECT_EQ(colours_in(picture, 1), (std::vector<uint32_t>{kMeterGreen, kMeterYellow, kMeterRed}));
    const int second_top = 1 + (height - 3) / 2 + 1;
    EXPECT_EQ(colours_in(picture, second_top), (std::vector<uint32_t>{kMeterRed}));
    for (const MeterRect& r : picture) {
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.left + r.width, width);
        EXPECT_LE(r.top + r.height, height);
    }
    const auto clip_mark = std::find_if(picture.begin(), picture.end(), [&](const MeterRect& r) {
        return r.top == second_top && r.colour == kMeterRed;
    });
    EXPECT_EQ(clip_mark->left + clip_mark->width, width - 1);

    EXPECT_TRUE(colours_in(meter_picture(MeterReading{}, width, height), 1).empty());
}

class SoundWatchTest : public ::testing::Test {
protected:
    template <class Left, class Right>
    void feed_seconds(double seconds, Left left, Right right)
    {
        const auto frames = static_cast<size_t>(seconds * kRate);
        // In buffers the size the recording hands over.
        for (size_t done = 0; done < frames; done += 2304) {
            const size_t n = std::min<size_t>(2304, frames - done);
            watch.feed(stereo(
                           n, [&](size_t i) { return left(done + i); }, [&](size_t i) { return right(done + i); }),
                       kRate);
        }
    }
    SoundWatch watch;
};

TEST_F(SoundWatchTest, TenSecondsOfZerosAreSilenceAndQuietSpeechIsNot)
{
    feed_seconds(9.9, silence(), silence());
    EXPECT_FALSE(watch.silent());
    feed_seconds(0.2, silence(), silence());
    EXPECT_TRUE(watch.silent());
    feed_seconds(0.05, sine(-60), silence());
    EXPECT_FALSE(watch.silent());

    watch.clear();
    feed_seconds(20, quiet_speech(-40), quiet_speech(-40));
    EXPECT_FALSE(watch.silent());
    EXPECT_FALSE(watch.clipping());
}

// Clips in two seconds of any ten warn, for five seconds after the second;
// one clipped second, or two eleven seconds apart, do not.
TEST_F(SoundWatchTest, ClipsInTwoSecondsOfTenWarnForFiveSeconds)
{
    feed_seconds(0.5, square(), sine(-20));
    feed_seconds(10.5, sine(-20), sine(-20));
    EXPECT_FALSE(watch.clipping());
    feed_seconds(0.5, sine(-20), square());
    EXPECT_FALSE(watch.clipping());

    feed_seconds(8, sine(-20), sine(-20));
    feed_seconds(0.1, square(), square());
    EXPECT_TRUE(watch.clipping());
    feed_seconds(4.8, sine(-20), sine(-20));
    EXPECT_TRUE(watch.clipping());
    feed_seconds(0.3, sine(-20), sine(-20));
    EXPECT_FALSE(watch.clipping());
    EXPECT_FALSE(watch.silent());
}

} // namespace
} // namespace ornavox::test
