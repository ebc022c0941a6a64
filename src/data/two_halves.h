// Work split in two, the second part on a helper thread: for the steps of
// sorting a big book whose halves are independent (folding the headings,
// copying the entries into place) and for reading a big book or contacts
// file. Two cores halve them.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

namespace lumo {

// Below this many entries a second thread costs more than it saves.
inline constexpr std::size_t parallel_entries = std::size_t{1} << 16;

// Where the second half of `count` items begins: callers that join the
// halves' results afterwards meet them there.
constexpr std::size_t second_half_begin(std::size_t count) { return count / 2; }

// Calls part(), giving back what it threw (nothing when it returned).
template <typename Part>
std::exception_ptr caught(Part&& part) noexcept {
    try {
        part();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

// Passes on what the part done here threw, else what the helper's threw.
inline void rethrow_either(const std::exception_ptr& here, const std::exception_ptr& helper) {
    if (here) std::rethrow_exception(here);
    if (helper) std::rethrow_exception(helper);
}

// Waits by spinning until ready() holds or about `limit` has passed; true
// when it held. A step's two parts end close together, and a thread put to
// sleep costs a system call to wake and more to get going again (much more
// on a virtual machine) than a short spin. On a single core the other
// thread cannot run meanwhile: no spin there.
template <typename Ready>
bool spin_until(Ready&& ready, std::chrono::microseconds limit = std::chrono::microseconds(50)) {
    static const bool other_cores = std::thread::hardware_concurrency() > 1;
    if (!other_cores) return ready();
    using Clock = std::chrono::steady_clock;
    const Clock::time_point give_up = Clock::now() + limit;
    for (;;) {
        for (int k = 0; k < 64; ++k) {
            if (ready()) return true;
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        }
        if (Clock::now() >= give_up) return ready();
    }
}

// A helper thread kept for a run of many small steps, each done in two
// parts at once, where starting a thread per step would cost more than the
// step. When no thread can be had, the parts run here one after the other.
// Each side spins briefly for the other before it sleeps.
class StepHelper {
public:
    StepHelper() {
        try {
            thread_ = std::thread([this] { serve(); });
        } catch (...) {
        }
    }
    ~StepHelper() {
        if (!thread_.joinable()) return;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    StepHelper(const StepHelper&) = delete;
    StepHelper& operator=(const StepHelper&) = delete;

    // Whether a thread of its own takes the second parts.
    bool serving() const { return thread_.joinable(); }

    // Calls first() here and second() on the helper, and returns when both
    // are done. An exception from either comes out here once both have ended.
    template <typename First, typename Second>
    void both(First&& first, Second&& second) {
        if (!thread_.joinable()) {
            first();
            second();
            return;
        }
        using Part = std::remove_reference_t<Second>;
        post([](void* part) { (*static_cast<Part*>(part))(); },
             const_cast<void*>(static_cast<const void*>(std::addressof(second))));
        const std::exception_ptr here_failed = caught(first);
        rethrow_either(here_failed, wait_until_done());
    }

private:
    void post(void (*run)(void*), void* part) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            run_ = run;
            part_ = part;
            failed_ = nullptr;
            done_ = false;
            posted_ = true;
        }
        wake_.notify_all();
    }

    std::exception_ptr wait_until_done() {
        const auto done = [this] { return done_.load(); };
        if (!spin_until(done)) {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, done);
        }
        return failed_;
    }

    void serve() {
        for (;;) {
            spin_until([this] { return posted_.load() || stopping_.load(); });
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || posted_; });
            if (!posted_) return;
            void (*const run)(void*) = run_;
            void* const part = part_;
            posted_ = false;
            lock.unlock();
            const std::exception_ptr failed = caught([run, part] { run(part); });
            lock.lock();
            failed_ = failed;
            done_ = true;
            lock.unlock();
            wake_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    void (*run_)(void*) = nullptr;
    void* part_ = nullptr;
    std::exception_ptr failed_;
    // Also read without the lock, while spinning.
    std::atomic<bool> posted_{false};
    std::atomic<bool> done_{true};
    std::atomic<bool> stopping_{false};
    std::thread thread_;  // last: it starts once everything it uses is there
};

// The helper thread that at_once lends its second parts to, kept from the
// first step to the end of the program: starting a thread for every step
// costs more than many a step (about 4 ms a thread under Wine). One step at
// a time has it; a step that finds it taken (a step inside a step, or one on
// another thread) starts a thread of its own.
class KeptHelper {
public:
    static KeptHelper& instance() {
        static KeptHelper kept;
        return kept;
    }
    // The helper while it is free and serving, lent until the returned
    // lease ends; nothing otherwise.
    class Lease {
    public:
        explicit Lease(KeptHelper& kept) : kept_(kept), held_(!kept.taken_.exchange(true)) {}
        ~Lease() {
            if (held_) kept_.taken_ = false;
        }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        StepHelper* helper() const { return held_ && kept_.helper_.serving() ? &kept_.helper_ : nullptr; }

    private:
        KeptHelper& kept_;
        bool held_;
    };

private:
    KeptHelper() = default;
    std::atomic<bool> taken_{false};
    StepHelper helper_;
};

// Calls first() here and second() on a helper thread at once, and returns
// when both are done: true. When no thread can be had (none left, or no
// memory for one) it calls first() alone and returns false: the caller does
// the second part itself. An exception from either comes out here once
// both have ended.
template <typename First, typename Second>
bool at_once(First&& first, Second&& second) {
    {
        const KeptHelper::Lease lease(KeptHelper::instance());
        if (StepHelper* kept = lease.helper()) {
            kept->both(first, second);
            return true;
        }
    }
    std::exception_ptr helper_failed;
    std::thread helper;
    try {
        helper = std::thread([&] { helper_failed = caught(second); });
    } catch (...) {
        first();
        return false;
    }
    const std::exception_ptr here_failed = caught(first);
    helper.join();
    rethrow_either(here_failed, helper_failed);
    return true;
}

// Calls first() and second(), at once when a helper thread can be had,
// else one after the other here.
template <typename First, typename Second>
void both(First&& first, Second&& second) {
    if (!at_once(first, second)) second();
}

// Calls work(begin, end) for the first half here and the second on a
// helper thread, and returns when both are done. Below `least` items it
// calls work(0, count) alone; when no thread can be started, the halves one
// after the other here. An exception from either half comes out here once
// both have ended.
template <typename Work>
void in_two_halves(std::size_t count, std::size_t least, Work&& work) {
    if (count < least) {
        work(std::size_t{0}, count);
        return;
    }
    const std::size_t half = second_half_begin(count);
    both([&] { work(std::size_t{0}, half); }, [&] { work(half, count); });
}

}  // namespace lumo
