// What the two contact-file targets check of any input: the entries an
// import makes keep the store's shape (whole entries, no control bytes, no
// line past 255 characters), the store stays sound with them appended, and
// exporting them in every format and importing that again gives the same
// entries (when no line had to be broken, which no round trip can undo).
// Reading the file in two halves at once gives what reading it alone gives.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/store.h"
#include "exchange/exchange.h"
#include "settings/settings.h"
#include "support/fake_port.h"

namespace exchange_oracle {

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// Checks that `entries` is `count` whole entries; true when every line is
// short enough never to have been broken.
inline bool check_shape(std::string_view entries, std::int32_t count) {
    std::size_t pos = 0;
    std::size_t longest = 0;
    std::int32_t found = 0;
    while (pos < entries.size()) {
        for (bool heading = true;; heading = false) {
            const std::size_t end = entries.find("\r\n", pos);
            if (end == std::string_view::npos) fail("text behind the last entry");
            const std::string_view line = entries.substr(pos, end - pos);
            pos = end + 2;
            if (line.empty()) {
                if (heading) fail("empty heading");
                break;
            }
            for (char c : line)
                if (static_cast<unsigned char>(c) < 32) fail("control byte in an entry");
            longest = std::max(longest, line.size());
        }
        ++found;
    }
    if (found != count) fail("entries and contacts differ in number");
    if (longest > 255) fail("line longer than 255 characters");
    return longest < 200;
}

inline void check(std::string_view bytes, lumo::ContactFormat format, const lumo::Settings& settings) {
    lumo::ContactMapping mapping(settings);
    std::string entries;
    lumo::ImportCounts counts;
    lumo::append_contact_entries(bytes, format, mapping, entries, counts);
    if (counts.replaced > counts.imported || counts.unreadable < 0) fail("counts out of range");
    const bool short_lines = check_shape(entries, counts.imported);
    // Read in two halves at once: the same entries and counts.
    std::string halves;
    lumo::ImportCounts halves_counts;
    lumo::append_contact_entries(bytes, format, mapping, halves, halves_counts, 0);
    if (halves != entries || halves_counts.imported != counts.imported ||
        halves_counts.unreadable != counts.unreadable || halves_counts.replaced != counts.replaced)
        fail("reading in two halves differs from reading alone");

    lumo::testing::FakePort fake;
    lumo::ViewState views;
    lumo::Store store{fake.port, views};
    store.reset_store();
    if (!lumo::append_entries(store, entries)) fail("append failed");
    std::string why;
    if (!store.check(&why)) fail(why.c_str());
    if (store.entry_count() != counts.imported || store.text_view() != entries) fail("store differs from the entries");

    for (lumo::ExportFormat out : {lumo::ExportFormat::vcard4, lumo::ExportFormat::vcard3, lumo::ExportFormat::csv}) {
        const std::string file = lumo::export_file(store, settings, out, lumo::entries_to_export(store, views));
        std::string again;
        lumo::ImportCounts counts_again;
        lumo::append_contact_entries(file, out == lumo::ExportFormat::csv ? lumo::ContactFormat::csv : lumo::ContactFormat::vcard,
                                     mapping, again, counts_again);
        check_shape(again, counts_again.imported);
        if (short_lines && again != entries) {
            std::fprintf(stderr, "imported:\n%s\nexported:\n%s\nimported again:\n%s\n", entries.c_str(), file.c_str(),
                         again.c_str());
            fail("the round trip changed the entries");
        }
    }
}

// The default settings and a second set with other postal lines, separators and labels.
inline void check_all(std::string_view bytes, lumo::ContactFormat format) {
    lumo::Settings settings = lumo::default_settings(lumo::LogFont{});
    check(bytes, format, settings);
    settings.address_line_order = {'1', '3', '2', '4', 0};
    settings.name_separators = {';', ',', 0, 0, 0};
    settings.text_pre_definitions[2] = {'M', 'a', 'i', 'l', ' '};
    check(bytes, format, settings);
}

}  // namespace exchange_oracle
