// Import and Export of contacts on the store.
#include "exchange/exchange.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "data/address_file.h"
#include "data/file_commands.h"
#include "data/store.h"
#include "data/two_halves.h"
#include "exchange/csv.h"
#include "exchange/text_code.h"
#include "exchange/vcard.h"
#include "port/port.h"
#include "port/safe_write.h"
#include "settings/settings.h"
#include "views/view_state.h"

namespace lumo {

namespace {

bool contains_nocase(std::string_view hay, std::string_view needle) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; };
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != hay.end();
}

bool ends_with_nocase(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && contains_nocase(s.substr(s.size() - end.size()), end);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// A file's bytes, in memory that is not cleared first: a big file is read
// in one pass, not written over with zeros before.
class FileBytes {
public:
    std::string_view view() const { return {bytes_.get(), size_}; }
    // Makes room for `more` bytes behind those held (growing by half at least).
    char* room_for(std::size_t more) {
        if (size_ + more > capacity_) {
            const std::size_t capacity = std::max(size_ + more, capacity_ + capacity_ / 2);
            std::unique_ptr<char[]> bigger(new char[capacity]);
            if (size_ > 0) std::memcpy(bigger.get(), bytes_.get(), size_);
            bytes_ = std::move(bigger);
            capacity_ = capacity;
        }
        return bytes_.get() + size_;
    }
    void added(std::size_t n) { size_ += n; }

private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// The whole file, or nothing when it cannot be opened or read.
std::optional<FileBytes> read_whole_file(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> in(std::fopen(path.c_str(), "rb"));
    if (!in) return std::nullopt;
    FileBytes bytes;
    // The size as the file claims it, to read in one piece; whatever else
    // comes is read on.
    std::size_t chunk = 65536;
    if (std::fseek(in.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(in.get());
        if (size > 0) chunk = static_cast<std::size_t>(size) + 1;
        std::rewind(in.get());
    }
    for (;;) {
        const std::size_t got = std::fread(bytes.room_for(chunk), 1, chunk, in.get());
        bytes.added(got);
        if (got < chunk) break;
        chunk = 65536;
    }
    if (std::ferror(in.get())) return std::nullopt;
    return bytes;
}

}  // namespace

ExportFormat export_format_of_filter(int index) {
    switch (index) {
    case 2: return ExportFormat::vcard3;
    case 3: return ExportFormat::csv;
    default: return ExportFormat::vcard4;
    }
}

std::string_view export_extension(ExportFormat format) { return format == ExportFormat::csv ? "csv" : "vcf"; }

ContactFormat contact_format(std::string_view file_name, std::string_view bytes) {
    std::string storage;
    const std::string_view text = text_without_byte_order_mark(bytes.substr(0, 4096), storage);
    if (contains_nocase(text, "BEGIN:VCARD")) return ContactFormat::vcard;
    if (ends_with_nocase(file_name, ".vcf") || ends_with_nocase(file_name, ".vcard")) return ContactFormat::vcard;
    return ContactFormat::csv;
}

namespace {

// Turns the contacts a reader hands on into entries, and counts them.
class EntryMaker {
public:
    EntryMaker(ContactMapping& mapping, std::string& entries)
        : sink_([this, &mapping, &entries](Contact& contact) {
              if (!mapping.append_entry(contact, entries)) ++empty_;
              else if (contact.replaced) ++replaced_;
          }) {}
    EntryMaker(const EntryMaker&) = delete;
    EntryMaker& operator=(const EntryMaker&) = delete;

    const ContactSink& sink() const { return sink_; }
    // Adds what the reader counted, and what became of its contacts, to `counts`.
    void add_to(const ReadCounts& read, ImportCounts& counts) const {
        counts.imported += read.read - empty_;
        counts.unreadable += read.unreadable + empty_;
        counts.replaced += replaced_;
    }

private:
    std::int32_t empty_ = 0;     // contacts of which no entry is left
    std::int32_t replaced_ = 0;  // entries with replaced characters
    ContactSink sink_;
};

}  // namespace

void append_contact_entries(std::string_view bytes, ContactFormat format, ContactMapping& mapping,
                            std::string& entries, ImportCounts& counts, std::size_t two_threads_from) {
    const bool vcard = format == ContactFormat::vcard;
    EntryMaker first(mapping, entries);
    if (bytes.size() < two_threads_from) {
        first.add_to(vcard ? read_vcards(bytes, first.sink()) : read_csv(bytes, first.sink()), counts);
        return;
    }
    ContactMapping second_mapping = mapping;
    std::string second_entries;
    second_entries.reserve(bytes.size() / 2);
    EntryMaker second(second_mapping, second_entries);
    const ReadInHalves read = vcard ? read_vcards_in_halves(bytes, first.sink(), second.sink())
                                    : read_csv_in_halves(bytes, first.sink(), second.sink());
    first.add_to(read.first, counts);
    if (!read.second_counts) return;
    second.add_to(read.second, counts);
    entries += second_entries;
}

bool append_entries(Store& store, std::string_view entries) {
    if (entries.empty()) return true;
    const std::int64_t length = std::int64_t{store.text_length()} + static_cast<std::int64_t>(entries.size());
    if (length > std::numeric_limits<std::int32_t>::max() - 2 * text_headroom) {
        show_error(store.port(), text_not_enough_memory);
        return false;
    }
    // Behind the last entry: text that belongs to no entry stays behind.
    if (!store.replace_text(store.entry_start(store.entry_count()), 0, entries)) return false;
    store.reindex();
    store.invalidate_current_entry();
    return true;
}

std::string import_notice(const ImportCounts& counts) {
    std::string text = std::to_string(counts.imported);
    text += " contacts imported.";
    if (counts.unreadable > 0) {
        text += '\n';
        text += std::to_string(counts.unreadable);
        text += " could not be read.";
    }
    if (counts.replaced > 0) {
        text += '\n';
        text += std::to_string(counts.replaced);
        text += " contained characters that were replaced.";
    }
    return text;
}

ImportCounts import_files(Store& store, const Settings& settings, Port& port, std::span<const std::string> paths) {
    ImportCounts counts;
    if (store.store_released()) return counts;
    store.take_undo_snapshot();
    std::string entries;
    try {
        ContactMapping mapping(settings);
        for (const std::string& path : paths) {
            const std::optional<FileBytes> file = read_whole_file(path);
            if (!file) {
                show_error(port, text_cannot_open, caption_load);
                continue;
            }
            const std::string_view bytes = file->view();
            // The entries take about as many bytes as the file: room once.
            entries.reserve(entries.size() + bytes.size());
            append_contact_entries(bytes, contact_format(path, bytes), mapping, entries, counts);
        }
    } catch (const std::bad_alloc&) {
        // Too much for memory: nothing is imported.
        entries.clear();
        entries.shrink_to_fit();
        show_error(port, text_not_enough_memory);
        return {};
    }
    if (!append_entries(store, entries)) {
        counts.imported = 0;
        counts.replaced = 0;
    }
    return counts;
}

ImportCounts import_command(FileCommands& files, Store& store, const Settings& settings, Port& port,
                            std::span<const std::string> paths) {
    if (store.store_released()) return {};
    const ImportCounts counts = import_files(store, settings, port, paths);
    if (counts.imported > 0) {
        files.show_added_entries();
        files.ask_for_data_check();
    }
    show_notice(port, import_notice(counts));
    return counts;
}

EntrySpan entries_to_export(const Store& store, const ViewState& views) {
    const EntryRange& range = views.entry_range;
    const std::int32_t last_entry = store.entry_count() - 1;
    if (!range.marked) return {0, last_entry};
    return {std::clamp(std::min(range.first, range.last), 0, std::max(last_entry, 0)),
            std::clamp(std::max(range.first, range.last), -1, last_entry)};
}

namespace {

// Turns entries into cards or rows; one for each thread, as each keeps its
// working memory.
class ContactWriter {
public:
    ContactWriter(const Settings& settings, ExportFormat format)
        : csv_(format == ExportFormat::csv),
          mapping_(settings),
          cards_(format == ExportFormat::vcard3 ? VcardVersion::v3 : VcardVersion::v4),
          rows_(mapping_) {}
    ContactWriter(const ContactWriter&) = delete;
    ContactWriter& operator=(const ContactWriter&) = delete;

    // Appends the contacts of entries `first` to `end` (not included) of `text`.
    void append(std::string_view text, const Store& store, std::int32_t first, std::int32_t end, std::string& out) {
        for (std::int32_t k = first; k < end; ++k) {
            const auto start = static_cast<std::size_t>(store.entry_start(k));
            const auto stop = static_cast<std::size_t>(store.entry_start(k + 1));
            mapping_.read_entry(text.substr(start, stop - start), contact_);
            if (contact_.empty()) continue;
            if (csv_) rows_.append(contact_, out);
            else cards_.append(contact_, out);
        }
    }

private:
    bool csv_;
    ContactMapping mapping_;
    VcardWriter cards_;
    CsvWriter rows_;
    Contact contact_;
};

}  // namespace

bool export_contacts(const Store& store, const Settings& settings, ExportFormat format, EntrySpan span,
                     const ByteSink& put) {
    if (store.store_released()) return put({});
    // Handed on a round of a thousand entries at a time: a big book never
    // needs its whole export in memory, and pieces this small are made in
    // memory used before, still in the cache. Each round is cut into
    // pieces that this thread and the helper thread take in turn as they
    // come free, so neither waits for the other however their shares run;
    // this thread first hands on the round before, so that writing
    // overlaps making. The pieces keep their place in the file.
    constexpr std::int32_t piece_entries = 64, round_pieces = 16;
    // A cache line each: the two threads write pieces side by side.
    struct alignas(64) Piece {
        std::string text;
    };
    std::vector<Piece> making(round_pieces), ready(round_pieces);
    std::string whole;  // the pieces of a round, handed on
    std::size_t ready_pieces = 0;
    if (format == ExportFormat::csv) {
        append_csv_header(ready[0].text);
        ready_pieces = 1;
    }
    ContactWriter here(settings, format), helper(settings, format);
    const std::string_view text = store.text_view();
    const std::int32_t begin = std::max(span.first, 0);
    const std::int32_t end = std::min(span.last, store.entry_count() - 1) + 1;
    std::atomic<std::int32_t> next_piece{0};
    bool written = true;
    for (std::int32_t first = begin; first < end || ready_pieces > 0;) {
        const std::int32_t entries = std::min(end - first, piece_entries * round_pieces);
        const std::int32_t pieces = (entries + piece_entries - 1) / piece_entries;
        next_piece = 0;
        const auto make_pieces = [&](ContactWriter& writer) {
            for (std::int32_t k; (k = next_piece.fetch_add(1)) < pieces;) {
                std::string& out = making[static_cast<std::size_t>(k)].text;
                out.clear();
                const std::int32_t from = first + k * piece_entries;
                writer.append(text, store, from, std::min(end, from + piece_entries), out);
            }
        };
        const auto hand_on_and_make = [&] {
            // In one piece: a file takes a few big writes much faster than many small ones.
            whole.clear();
            for (std::size_t k = 0; k < ready_pieces; ++k) whole += ready[k].text;
            written = written && (whole.empty() || put(whole));
            if (written) make_pieces(here);
        };
        both(hand_on_and_make, [&] { make_pieces(helper); });
        if (!written) return false;
        making.swap(ready);
        ready_pieces = static_cast<std::size_t>(pieces);
        first += entries;
    }
    return put({});
}

std::string export_file(const Store& store, const Settings& settings, ExportFormat format, EntrySpan span) {
    std::string bytes;
    export_contacts(store, settings, format, span, [&bytes](std::string_view piece) {
        bytes += piece;
        return true;
    });
    return bytes;
}

}  // namespace lumo
