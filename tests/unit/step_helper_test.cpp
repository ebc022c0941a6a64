#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "data/two_halves.h"

namespace lumo {
namespace {

// Many steps on one helper: each step's parts both ran when it returns, the
// helper's part on another thread, and a part that throws comes out after
// the other part has ended, with the helper still serving the next steps.
TEST(StepHelper, RunsEveryStepsPartsAndPassesOnWhatTheyThrow) {
    StepHelper helper;
    std::vector<int> here, there;
    std::atomic<int> there_elsewhere{0};
    const std::thread::id me = std::this_thread::get_id();
    for (int step = 0; step < 500; ++step) {
        helper.both([&] { here.push_back(step); },
                    [&] {
                        there.push_back(step);
                        if (std::this_thread::get_id() != me) ++there_elsewhere;
                    });
        ASSERT_EQ(here.size(), static_cast<std::size_t>(step) + 1);
        ASSERT_EQ(there.size(), static_cast<std::size_t>(step) + 1);
    }
    EXPECT_EQ(there_elsewhere.load(), 500);

    bool other_ended = false;
    EXPECT_THROW(helper.both([&] { other_ended = true; }, [] { throw std::runtime_error("there"); }),
                 std::runtime_error);
    EXPECT_TRUE(other_ended);
    other_ended = false;
    EXPECT_THROW(helper.both([] { throw std::logic_error("here"); }, [&] { other_ended = true; }), std::logic_error);
    EXPECT_TRUE(other_ended);

    int after = 0;
    helper.both([&] { ++after; }, [&] { ++after; });
    EXPECT_EQ(after, 2);

    // Waits longer than a spin: each side sleeps and is woken.
    const auto nap = [] { std::this_thread::sleep_for(std::chrono::milliseconds(3)); };
    for (int step = 0; step < 3; ++step) {
        helper.both(nap, [&] { ++after; });
        helper.both([&] { ++after; }, nap);
    }
    EXPECT_EQ(after, 8);
}

}  // namespace
}  // namespace lumo
