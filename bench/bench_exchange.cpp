// Contacts in and out against plain baselines measured in the same run:
// importing a vCard file and a CSV file (read, decode, map, append to the
// book) against reading the same bytes with stdio, and exporting every entry as vCard 4.0 and
// as CSV (and writing the file) against writing the book's bytes with stdio.
// The whole Import command, which sorts the book afterwards as Add does, is
// shown beside it. The cards come from the generated books, exported once.
// Prints a ratio table at the end.
#include <benchmark/benchmark.h>

#include "ratio_reporter.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/file_commands.h"
#include "data/store.h"
#include "exchange/exchange.h"
#include "generate.h"
#include "stdio_read.h"
#include "settings/settings.h"
#include "../tests/support/fake_port.h"

namespace {

namespace fs = std::filesystem;

const fs::path& folder() {
    static const fs::path f = [] {
        fs::path p = fs::temp_directory_path() / "lumo-bench-exchange";
        fs::create_directories(p);
        return p;
    }();
    return f;
}

// A program around a store, as the Import and Export commands meet it; no
// main window, so reindex and the boxes report nothing anyone waits for.
struct Book {
    Book() {
        fake.window_exists = false;
        store.reset_store();
    }
    explicit Book(const std::string& text) : Book() {
        lumo::TextBuffer b = store.allocate_text(static_cast<std::int32_t>(text.size()) + lumo::text_headroom);
        std::memcpy(b.data(), text.data(), text.size());
        store.adopt_text(std::move(b), static_cast<std::int32_t>(text.size()));
        store.reindex();
    }
    lumo::testing::FakePort fake;
    lumo::ViewState views;
    lumo::Store store{fake.port, views};
    lumo::FileState file;
    lumo::Settings settings = lumo::default_settings(lumo::LogFont{});
    lumo::FileCommands files{store, file, settings, fake.port};
};

const std::string& book_text(std::int64_t entries) {
    static std::map<std::int64_t, std::string> books;
    auto it = books.find(entries);
    if (it == books.end())
        it = books.emplace(entries, lumo::bench::generate_address_book(static_cast<std::int32_t>(entries))).first;
    return it->second;
}

std::string export_of(std::int64_t entries, lumo::ExportFormat format) {
    Book book(book_text(entries));
    return lumo::export_file(book.store, book.settings, format, lumo::entries_to_export(book.store, book.views));
}

// The book's entries exported as a file of `format`, written once.
const std::string& exported_file(std::int64_t entries, lumo::ExportFormat format) {
    static std::map<std::pair<std::int64_t, lumo::ExportFormat>, std::string> paths;
    auto it = paths.find({entries, format});
    if (it == paths.end()) {
        const std::string name = "contacts" + std::to_string(entries) + "." + std::string(lumo::export_extension(format));
        const std::string path = (folder() / name).string();
        const std::string bytes = export_of(entries, format);
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        it = paths.emplace(std::make_pair(entries, format), path).first;
    }
    return it->second;
}
const std::string& cards_file(std::int64_t entries) { return exported_file(entries, lumo::ExportFormat::vcard4); }
const std::string& csv_file(std::int64_t entries) { return exported_file(entries, lumo::ExportFormat::csv); }

void write_bytes(const std::string& path, std::string_view bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

// ---- Baselines ----------------------------------------------------------------

void stdio_read(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        std::unique_ptr<char[]> bytes;
        lumo::bench::stdio_read_all(path, bytes, true);
    }
}
void BM_StdioReadCards(benchmark::State& state) { stdio_read(state, cards_file(state.range(0))); }
void BM_StdioReadCsv(benchmark::State& state) { stdio_read(state, csv_file(state.range(0))); }

void BM_StdioWriteBook(benchmark::State& state) {
    const std::string& text = book_text(state.range(0));
    const std::string path = (folder() / "baseline.txt").string();
    for (auto _ : state) write_bytes(path, text);
}

// ---- Import and export ------------------------------------------------------------

void import_file(benchmark::State& state, const std::string& path) {
    const std::vector<std::string> paths = {path};
    for (auto _ : state) {
        Book book;
        if (lumo::import_files(book.store, book.settings, book.fake.port, paths).imported == 0)
            state.SkipWithError("nothing imported");
    }
}
void BM_ImportCards(benchmark::State& state) { import_file(state, cards_file(state.range(0))); }
void BM_ImportCsv(benchmark::State& state) { import_file(state, csv_file(state.range(0))); }

void BM_ImportCommand(benchmark::State& state) {
    const std::vector<std::string> paths = {cards_file(state.range(0))};
    for (auto _ : state) {
        Book book;
        if (lumo::import_command(book.files, book.store, book.settings, book.fake.port, paths).imported == 0)
            state.SkipWithError("nothing imported");
    }
}

void export_and_write(benchmark::State& state, lumo::ExportFormat format) {
    Book book(book_text(state.range(0)));
    const std::string path = (folder() / "export.out").string();
    // As the command does it: the pieces go to the file as they are made.
    for (auto _ : state) {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        lumo::export_contacts(book.store, book.settings, format, lumo::entries_to_export(book.store, book.views),
                              [out](std::string_view piece) {
                                  return std::fwrite(piece.data(), 1, piece.size(), out) == piece.size();
                              });
        std::fclose(out);
    }
}
void BM_ExportVcard(benchmark::State& state) { export_and_write(state, lumo::ExportFormat::vcard4); }
void BM_ExportCsv(benchmark::State& state) { export_and_write(state, lumo::ExportFormat::csv); }

void register_benchmarks() {
    register_in_rounds({{"BM_StdioReadCards", BM_StdioReadCards},
                        {"BM_ImportCards", BM_ImportCards},
                        {"BM_ImportCommand", BM_ImportCommand},
                        {"BM_StdioReadCsv", BM_StdioReadCsv},
                        {"BM_ImportCsv", BM_ImportCsv},
                        {"BM_StdioWriteBook", BM_StdioWriteBook},
                        {"BM_ExportVcard", BM_ExportVcard},
                        {"BM_ExportCsv", BM_ExportCsv}},
                       {10000, 100000});
}

void print_ratios(const RatioReporter& reporter) {
    print_ratio_table(reporter, {
        {"import vCards / stdio read of the file", "BM_ImportCards", "BM_StdioReadCards", 10},
        {"import command, sort included / stdio read", "BM_ImportCommand", "BM_StdioReadCards", 0},
        {"import CSV / stdio read of the file", "BM_ImportCsv", "BM_StdioReadCsv", 10},
        {"export as vCard 4.0 / stdio write of the book", "BM_ExportVcard", "BM_StdioWriteBook", 10},
        {"export as CSV / stdio write of the book", "BM_ExportCsv", "BM_StdioWriteBook", 10},
    }, {"10000", "100000"}, {"100000"});
}

}  // namespace

int main(int argc, char** argv) {
    register_benchmarks();
    const int status = run_benchmarks(argc, argv, print_ratios);
    fs::remove_all(folder());
    return status;
}
