// End-to-end timing of lumo.exe as a user meets it: start-up until the
// calendar's greeting arrives (read and sort included) on a generated book in
// random order and on the same book as lumo saves it (sorted), one typed
// character in the data view, Tab back to the overview after a heading edit
// (the sort of an otherwise sorted book), and the process's peak memory.
// The program plays the calendar as the end-to-end tests do. It is a
// measurement, not a test: nothing here decides whether ./test.sh passes.
//
// Usage: lumo_timing [ENTRIES...]   (default 10 10000 100000 1000000)
// Each size runs five times; the table shows the medians (peak memory: the
// largest run).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/address_file.h"
#include "data/sort.h"
#include "data/store.h"
#include "e2e/harness.h"
#include "support/fake_port.h"
#include "generate.h"
#include "settings/configuration.h"

namespace {

using lumo::e2e::FakeCalendar;
using lumo::e2e::Lumo;

double now_ms() {
    static const double ticks_per_ms = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / ticks_per_ms;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

// Pumps this thread's messages (the greeting arrives as posted messages)
// until `received` holds, waking at once when a message comes.
bool wait_for_greeting(FakeCalendar& calendar, DWORD ms) {
    const double until = now_ms() + ms;
    const std::string greeting = "HALLO, HIER IST LUMO!";
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        for (const std::string& text : calendar.received())
            if (text == greeting) return true;
        if (now_ms() > until) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// The book as a file holds it: the German letters in the file's code; as
// lumo saves it, sorted.
std::string book_file(std::int32_t entries, bool saved) {
    std::string bytes = lumo::bench::generate_address_book(entries);
    if (saved) {
        lumo::testing::FakePort fake;
        fake.window_exists = false;
        lumo::ViewState view;
        lumo::Store store{fake.port, view};
        lumo::TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(bytes.size()) + lumo::text_headroom);
        std::copy(bytes.begin(), bytes.end(), buffer.data());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(bytes.size()));
        store.reindex();
        lumo::sort(store);
        bytes = std::string(store.text_view());
    }
    lumo::to_oem(bytes.data(), bytes.size());
    return bytes;
}

struct Figures {
    double start_ms = 0;
    double start_saved_ms = 0;
    double typed_ms = 0;
    double tab_back_ms = 0;
    double peak_mb = 0;
};

class Session {
public:
    explicit Session(Lumo& lumo) : lumo_(lumo), main_(lumo.main_window()) {}

    // A message handled synchronously by lumo's window procedure, then every
    // paint it left pending, as the user sees the result.
    double timed(UINT message, WPARAM w) const {
        const double t = now_ms();
        send(message, w);
        return now_ms() - t;
    }
    void send(UINT message, WPARAM w) const {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(main_, message, w, 0, SMTO_NORMAL, 60000, &result);
        UpdateWindow(main_);
        for (int id : {1, 2})
            if (HWND view = lumo_.view(id)) UpdateWindow(view);
    }
    void key(int vk) const { send(WM_KEYDOWN, static_cast<WPARAM>(vk)); }

private:
    Lumo& lumo_;
    HWND main_;
};

double peak_memory_mb(const Lumo& lumo) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(lumo.process_handle(), &counters, sizeof counters)) return 0;
    const SIZE_T peak = std::max(counters.PeakWorkingSetSize, counters.PeakPagefileUsage);
    return static_cast<double>(peak) / (1024.0 * 1024.0);
}

// Starts lumo on `bytes` as its last book; the time to the greeting.
double start_on(Lumo& lumo, FakeCalendar& calendar, const std::string& bytes) {
    lumo::Settings settings = lumo::default_settings(lumo::LogFont{});
    lumo.write_file("book.adr", bytes);
    lumo::set_text(settings.file_name, lumo.folder() + "book.adr");
    const auto config = lumo::configuration_bytes(settings);
    lumo.write_file(std::string(lumo::configuration_file_name), std::string(config.begin(), config.end()));
    const double t = now_ms();
    if (!lumo.start() || !wait_for_greeting(calendar, 120000)) return -1;
    return now_ms() - t;
}

// Start-up on the book as saved, then on the book in random order, which
// is typed in and sorted.
bool measure(const std::string& saved, const std::string& bytes, Figures& out) {
    {
        FakeCalendar calendar;
        Lumo lumo;
        out.start_saved_ms = start_on(lumo, calendar, saved);
        if (out.start_saved_ms < 0) return false;
        lumo.quit_discarding_changes();
    }
    FakeCalendar calendar;
    Lumo lumo;
    out.start_ms = start_on(lumo, calendar, bytes);
    if (out.start_ms < 0) return false;
    if (!lumo.wait_for_main_window() || !lumo.wait_until([&] { return lumo.view(2) != nullptr; })) return false;
    const Session session(lumo);

    // Into the data view, the caret on the first entry's second line.
    session.key(VK_TAB);
    session.key(VK_DOWN);
    std::vector<double> typed;
    for (int k = 0; k < 21; ++k) {
        typed.push_back(session.timed(WM_CHAR, 'x'));
        session.key(VK_BACK);
    }
    out.typed_ms = median(typed);

    // A heading edit moves the entry away and back again; each Tab sorts.
    std::vector<double> tab_back;
    for (int k = 0; k < 6; ++k) {
        session.key(VK_UP);
        if (k % 2 == 0)
            session.send(WM_CHAR, '~');
        else
            session.key(VK_DELETE);
        tab_back.push_back(session.timed(WM_KEYDOWN, VK_TAB));
        session.key(VK_TAB);
    }
    out.tab_back_ms = median(tab_back);
    out.peak_mb = peak_memory_mb(lumo);
    lumo.quit_discarding_changes();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::int32_t> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {10, 10000, 100000, 1000000};
    std::printf("%10s %10s %12s %12s %14s %10s %12s\n", "entries", "file MB", "start ms", "start, saved",
                "typed char ms", "Tab ms", "peak MB");
    for (const std::int32_t n : sizes) {
        const std::string bytes = book_file(n, false);
        const std::string saved = book_file(n, true);
        std::vector<double> start, start_saved, typed, tab;
        double peak = 0;
        for (int run = 0; run < 5; ++run) {
            Figures f;
            if (!measure(saved, bytes, f)) {
                std::printf("%10d run %d failed\n", n, run);
                continue;
            }
            start.push_back(f.start_ms);
            start_saved.push_back(f.start_saved_ms);
            typed.push_back(f.typed_ms);
            tab.push_back(f.tab_back_ms);
            peak = std::max(peak, f.peak_mb);
        }
        std::printf("%10d %10.1f %12.1f %12.1f %14.2f %10.1f %12.1f\n", n, static_cast<double>(bytes.size()) / 1e6,
                    median(start), median(start_saved), median(typed), median(tab), peak);
        std::fflush(stdout);
    }
    return 0;
}
