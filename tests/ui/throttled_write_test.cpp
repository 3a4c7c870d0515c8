// Slider writes passed on at most once per interval, on a timer the test runs.
#include "ui/throttled_write.h"

#include "platform/fake/fake_one_shot_timer.h"

#include <gtest/gtest.h>

#include <vector>

namespace ornavox {
namespace {

using namespace std::chrono_literals;

class ThrottledWriteTest : public ::testing::Test {
protected:
    ThrottledWriteTest()
    {
        auto owned = std::make_unique<FakeOneShotTimer>();
        timer = owned.get();
        throttle =
            std::make_unique<ThrottledWrite>([this](int value) { written.push_back(value); }, 50ms, std::move(owned));
    }

    FakeOneShotTimer* timer = nullptr;
    std::vector<int> written;
    std::unique_ptr<ThrottledWrite> throttle;
};

TEST_F(ThrottledWriteTest, TheFirstValueGoesOutAtOnceAndTheLastWhenTheIntervalIsOver)
{
    for (int value = 1; value <= 5; ++value)
        throttle->set(value);
    EXPECT_EQ(written, std::vector<int>{1});
    EXPECT_EQ(timer->delay(), 50ms);

    timer->fire();
    EXPECT_EQ(written, (std::vector<int>{1, 5})) << "what came meanwhile, only the last";
    EXPECT_TRUE(timer->running()) << "a value that went out starts another interval";

    timer->fire();
    EXPECT_EQ(written, (std::vector<int>{1, 5})) << "nothing came: nothing goes out";
    EXPECT_FALSE(timer->running());

    throttle->set(9);
    EXPECT_EQ(written, (std::vector<int>{1, 5, 9})) << "after a quiet interval a value goes out at once";
}

} // namespace
} // namespace ornavox
