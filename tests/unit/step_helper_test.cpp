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

// Steps on the kept helper from two threads at once, each with a step
// inside both of its parts: every part runs exactly once, whichever thread
// finds the helper taken starts one of its own, and a throw still comes out.
TEST(StepHelper, StepsFromManyPlacesShareTheKeptHelperOrStartTheirOwn) {
    std::atomic<int> parts{0};
    const auto step = [&] {
        for (int k = 0; k < 200; ++k) {
            const auto inner = [&] { both([&] { ++parts; }, [&] { ++parts; }); };
            both(inner, inner);
        }
    };
    std::thread other(step);
    step();
    other.join();
    EXPECT_EQ(parts.load(), 2 * 200 * 4);
    EXPECT_THROW(both([] {}, [] { throw std::runtime_error("there"); }), std::runtime_error);
}

}  // namespace
}  // namespace lumo
