// Any bytes as an address file: read in both modes, with and without a
// password, then saved and read back; the store must stay sound throughout
// and the reread must give the same text. A read in two halves at once
// must give what a read in one go gives.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "data/address_file.h"
#include "support/fake_port.h"

namespace {

namespace fs = std::filesystem;

const fs::path& work_folder() {
    static const fs::path folder = [] {
        fs::path f = fs::temp_directory_path() / ("lumo-fuzz-read-" + std::to_string(getpid()));
        fs::create_directories(f);
        return f;
    }();
    return folder;
}

void require_sound(const lumo::Store& store, const char* after) {
    std::string why;
    if (!store.check(&why)) {
        std::fprintf(stderr, "store unsound after %s: %s\n", after, why.c_str());
        std::abort();
    }
}

struct Session {
    Session() { fake.disk.flush_to_disk = false; }  // thousands of saves: no need for them to reach the disk
    lumo::testing::FakePort fake;
    lumo::ViewState view;
    lumo::Store store{fake.port, view};
    lumo::FileState file;
    lumo::FileHooks hooks{[this] { store.reset_store(); }, {}, {}};
};

void exercise_rows(Session& s) {
    for (std::int32_t e = 0; e <= s.store.entry_count() && e < 8; ++e) {
        s.store.show_entry(4, s.store.entry_start(e), 0);
        require_sound(s.store, "show entry");
    }
    s.store.fill_overview_rows(8, 0);
}

void read_save_reread(const std::string& input, int mode, const std::optional<std::string>& password) {
    Session s;
    s.store.reset_store();
    if (mode == 1) {
        const std::string base = "Base\r\nLine\r\n\r\n";
        lumo::TextBuffer b = s.store.allocate_text(static_cast<std::int32_t>(base.size()) + lumo::text_headroom);
        std::copy(base.begin(), base.end(), b.data());
        s.store.adopt_text(std::move(b), static_cast<std::int32_t>(base.size()));
        s.store.reindex();
    }
    s.fake.passwords.push_back(password);
    lumo::read_address_file(s.store, s.file, input, mode, s.hooks);
    require_sound(s.store, "read");
    exercise_rows(s);
    if (s.store.store_released()) return;

    const std::string saved = (work_folder() / "saved.adr").string();
    if (lumo::write_address_file(s.store, s.file, saved, s.hooks) != lumo::WriteStatus::written) std::abort();
    require_sound(s.store, "write");
    // A plain text that begins with 'P' reads as protected: the format
    // cannot tell the two apart.
    const std::string first(s.store.text_view());
    if (s.file.file_password.empty() && !first.empty() && first[0] == lumo::protection_marker) return;

    Session again;
    again.store.reset_store();
    again.file.file_password = s.file.file_password;
    const lumo::ReadResult r = lumo::read_address_file(again.store, again.file, saved, 0, again.hooks);
    require_sound(again.store, "reread");
    if (r.status != lumo::ReadStatus::read || again.store.text_view() != first) {
        std::fprintf(stderr, "reread differs\n");
        std::abort();
    }
}

// The bytes as a source from `skip` on, handed out in pieces of 7.
lumo::TextSource source_of(const std::string& bytes, std::size_t skip) {
    return [&bytes, at = std::min(skip, bytes.size())](char* to, std::size_t room) mutable {
        const std::size_t n = std::min({room, std::size_t{7}, bytes.size() - at});
        std::copy_n(bytes.data() + at, n, to);
        at += n;
        return std::optional<std::size_t>(n);
    };
}

// Read in one go and in two halves at once, enciphered or not, the bytes
// give the same text and the same entry ends.
void halves_read_alike(const std::string& bytes) {
    struct Loaded {
        std::string text;
        std::vector<std::int32_t> ends;
    };
    auto load = [&bytes](bool in_halves, const char* password) {
        Loaded loaded{std::string(bytes.size() + lumo::text_guard, '\0'), {}};
        lumo::SecondReader second;
        if (in_halves) second = {[&bytes](std::size_t skip) { return std::optional(source_of(bytes, skip)); }, 0};
        const auto sink = [&loaded](std::int32_t, const std::int32_t* ends, std::size_t found) {
            loaded.ends.insert(loaded.ends.end(), ends, ends + found);
        };
        const auto done = lumo::load_text(loaded.text.data(), 0, bytes.size(), password, source_of(bytes, 0), sink, 7,
                                          lumo::fastest_scan_kernel(), second);
        if (!done) std::abort();
        loaded.text.resize(static_cast<std::size_t>(done->length));
        return loaded;
    };
    for (const char* password : {"", "abcd"}) {
        const Loaded one = load(false, password);
        const Loaded two = load(true, password);
        if (one.text != two.text || one.ends != two.ends) {
            std::fprintf(stderr, "a read in halves differs\n");
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = (work_folder() / "input.adr").string();
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    halves_read_alike(std::string(reinterpret_cast<const char*>(data), size));
    for (int mode : {0, 1}) {
        read_save_reread(input, mode, std::nullopt);
        read_save_reread(input, mode, std::string("abcd"));
    }
    return 0;
}
