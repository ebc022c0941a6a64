// Work over many items split in two halves, the second on a helper thread:
// for the steps of sorting a big book whose halves are independent (folding
// the headings, copying the entries into place). Two cores halve them.
#pragma once

#include <cstddef>
#include <exception>
#include <thread>

namespace lumo {

// Below this many entries a second thread costs more than it saves.
inline constexpr std::size_t parallel_entries = std::size_t{1} << 16;

// Where the second half of `count` items begins: callers that join the
// halves' results afterwards meet them there.
constexpr std::size_t second_half_begin(std::size_t count) { return count / 2; }

// Calls work(begin, end) for the first half here and the second on a
// helper thread, and returns when both are done. Below `least` items, or
// when no thread can be started, it calls work(0, count) here alone. An
// exception from either half comes out here once both have ended.
template <typename Work>
void in_two_halves(std::size_t count, std::size_t least, Work&& work) {
    if (count < least) {
        work(std::size_t{0}, count);
        return;
    }
    const std::size_t half = second_half_begin(count);
    std::exception_ptr helper_failed;
    std::thread helper;
    try {
        helper = std::thread([&] {
            try {
                work(half, count);
            } catch (...) {
                helper_failed = std::current_exception();
            }
        });
    } catch (...) {
        // No thread (none left, or no memory for one): the work is the same alone.
        work(std::size_t{0}, count);
        return;
    }
    std::exception_ptr here_failed;
    try {
        work(std::size_t{0}, half);
    } catch (...) {
        here_failed = std::current_exception();
    }
    helper.join();
    if (here_failed) std::rethrow_exception(here_failed);
    if (helper_failed) std::rethrow_exception(helper_failed);
}

}  // namespace lumo
