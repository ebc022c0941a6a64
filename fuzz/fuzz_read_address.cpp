// Any bytes as an address file: read in both modes, with and without a
// password, then saved and read back; the store must stay sound throughout
// and the reread must give the same text.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = (work_folder() / "input.adr").string();
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    for (int mode : {0, 1}) {
        read_save_reread(input, mode, std::nullopt);
        read_save_reread(input, mode, std::string("abcd"));
    }
    return 0;
}
