// The record store: allocation with headroom, edits that keep the entry
// index in step, reindex, the line index and row caches, undo and the
// new-entry command.
#include "data/store.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "data/paste.h"
#include "port/ids.h"

namespace lumo {
namespace {

constexpr std::int64_t max_i32 = std::numeric_limits<std::int32_t>::max();

// A text in one piece, read as a SplitText is.
class PlainText {
public:
    PlainText(const char* text, std::int32_t length) : text_(text), length_(length) {}
    std::int32_t length() const { return length_; }
    char at(std::int32_t p) const { return text_[p]; }
    std::int32_t find(char c, std::int32_t from, std::int32_t to) const {
        if (from >= to) return -1;
        const char* hit = find_byte(text_ + from, text_ + to, c);
        return hit ? static_cast<std::int32_t>(hit - text_) : -1;
    }

private:
    const char* text_;
    std::int32_t length_;
};

template <typename Text>
bool terminator_in(const Text& text, std::int32_t p) {
    return p + 3 < text.length() && text.at(p) == '\r' && text.at(p + 1) == '\n' && text.at(p + 2) == '\r' &&
           text.at(p + 3) == '\n';
}

// Calls `on_line(offset)` for each line start of the entry at `start`; what
// it returns is how many bytes from there it knows to be printable, which
// the search for the line's end passes over.
template <typename Text, typename OnLine>
void for_each_line_start(const Text& text, std::int32_t start, OnLine on_line) {
    const std::int32_t length = text.length();
    std::int32_t p = start + on_line(start);
    while (p + 1 < length) {
        const std::int32_t q = text.find('\r', p, length - 1);
        if (q < 0) break;
        if (text.at(q + 1) != '\n') {
            p = q + 1;
            continue;
        }
        if (terminator_in(text, q)) break;
        p = q + 2;
        if (p < length && static_cast<std::uint8_t>(text.at(p)) >= 32) p += on_line(p);
    }
}

template <typename Text>
void line_starts(const Text& text, std::int32_t start, std::vector<std::int32_t>& starts) {
    starts.clear();
    for_each_line_start(text, start, [&starts](std::int32_t line) {
        starts.push_back(line);
        return 0;
    });
}

// The end of the first entry terminator that starts at or after `from` and
// lies wholly inside the text, or -1.
std::int32_t next_terminator_end(const SplitText& text, std::int32_t from) {
    for (std::int32_t p = from; p + 3 < text.length();) {
        const std::int32_t cr = text.find('\r', p, text.length() - 3);
        if (cr < 0) return -1;
        if (terminator_in(text, cr)) return cr + 4;
        p = cr + 1;
    }
    return -1;
}

// The text lengths a list of changes passes through when undone from the
// last to the first: the largest of them, so room can be made first.
template <typename Changes>
std::int64_t longest_while_undoing(std::int32_t length, const Changes& changes) {
    std::int64_t now = length, most = length;
    for (auto c = changes.rbegin(); c != changes.rend(); ++c) {
        now += static_cast<std::int64_t>(c->snapshot_bytes.size()) - c->live_length;
        most = std::max(most, now);
    }
    return most;
}

}  // namespace

std::vector<std::int32_t> scan_line_starts(const char* text, std::int32_t length, std::int32_t start) {
    std::vector<std::int32_t> starts;
    line_starts(PlainText(text, length), start, starts);
    return starts;
}

void scan_line_texts(std::string_view entry, std::vector<std::string_view>& lines) {
    lines.clear();
    for_each_line_start(PlainText(entry.data(), static_cast<std::int32_t>(entry.size())), 0, [&](std::int32_t line) {
        const auto at = static_cast<std::size_t>(line);
        lines.push_back(entry.substr(at, printable_run(entry, at)));
        return static_cast<std::int32_t>(lines.back().size());
    });
}

std::vector<std::int32_t> scan_line_starts(const SplitText& text, std::int32_t start) {
    std::vector<std::int32_t> starts;
    line_starts(text, start, starts);
    return starts;
}

Store::Store(Port& port, ViewState& view, FileState* file)
    : port_(port), view_(view), file_(file), data_view_rows_(100, Row{}), overview_rows_(100, Row{}) {
    std::memcpy(status_text_.data(), initial_status_text.data(), initial_status_text.size());
    title_[0] = ' ';
}

// ---- Reading ----------------------------------------------------------------

std::string_view Store::text_range(std::int32_t from, std::int32_t to) const {
    from = std::clamp(from, 0, text_.length());
    to = std::clamp(to, from, text_.length());
    return text_.range(from, to);
}

std::string_view Store::text_view() const {
    if (!text_) return {};
    return {text_.contiguous(), static_cast<std::size_t>(text_.length())};
}

// ---- Allocation -------------------------------------------------------------

TextBuffer Store::allocate_text(std::int32_t capacity) { return TextBuffer::allocate(capacity, allocation_gate); }

bool Store::resize_text(std::int64_t capacity) {
    if (capacity > max_i32 || capacity < std::int64_t{text_.length()} + text_guard) return false;
    return text_.reallocate(static_cast<std::int32_t>(capacity), allocation_gate);
}

bool Store::resize_index(std::int64_t slots) {
    if (slots > max_i32 || slots < std::int64_t{index_.count()} + 2) return false;
    return index_.reallocate(static_cast<std::int32_t>(slots), allocation_gate);
}

bool Store::reserve(std::int32_t extra_bytes, std::int32_t extra_entries) {
    if (released_) return false;
    const std::int64_t length = text_.length();
    const std::int64_t count = index_.count();
    const bool text_fits = length + extra_bytes + text_guard <= text_.capacity();
    const bool index_fits = count + extra_entries + 2 <= index_.capacity();
    if (text_fits && index_fits) return true;
    if ((!text_fits && !resize_text(length + extra_bytes + text_headroom)) ||
        (!index_fits && !resize_index(count + extra_entries + index_headroom))) {
        show_error(port_, text_not_enough_memory);
        return false;
    }
    return true;
}

bool Store::grow_text(std::int32_t length) {
    length = std::max(length, text_.length());
    return reserve(length - text_.length(), 0);
}

// ---- Rewriting the whole text ---------------------------------------------------

char* Store::rewrite_text() {
    if (!text_) return nullptr;
    text_changed();
    copy_undo_text();
    index_stale_ = true;
    return text_.contiguous();
}

void Store::set_text_length(std::int32_t length) {
    if (!text_) return;
    rewrite_text();
    text_.set_length(std::clamp(length, 0, std::max(0, text_.capacity() - text_guard)));
}

void Store::recode_text(const Recoding& recoding) {
    if (!text_) return;
    text_changed();
    copy_undo_text();
    recode(text_.contiguous(), static_cast<std::size_t>(text_.length()), recoding);
}

void Store::adopt_text(TextBuffer buffer, std::int32_t length) {
    const std::int32_t fit = std::max(0, buffer.capacity() - text_guard);
    length = std::clamp(length, 0, fit);
    std::memset(buffer.data() + length, 0, static_cast<std::size_t>(buffer.capacity() - length));
    SplitText outgoing(std::move(buffer), length);
    outgoing.swap(text_);
    keep_undo_text(outgoing);
    text_changed();
    released_ = false;
    current_entry_ = -1;
    index_stale_ = true;
    if (!index_ || index_.capacity() < 2) {
        if (!index_.allocate_zeroed(index_headroom, {})) throw std::bad_alloc();
    }
}

void Store::adopt_length(std::int32_t length) {
    set_text_length(length);
    if (text_) text_.zero_guard();
    current_entry_ = -1;
}

bool Store::reset_store() {
    text_changed();
    SplitText outgoing;
    outgoing.swap(text_);
    keep_undo_text(outgoing);
    outgoing.reset();
    released_ = false;
    current_entry_ = -1;
    index_stale_ = false;
    index_.reset();
    TextBuffer block = allocate_text(text_headroom);
    if (!block || !index_.allocate_zeroed(index_headroom, allocation_gate)) {
        release_store();
        show_error(port_, text_not_enough_memory);
        return false;
    }
    std::memset(block.data(), 0, static_cast<std::size_t>(block.capacity()));
    text_ = SplitText(std::move(block), 0);
    return true;
}

void Store::release_store() {
    text_changed();
    SplitText outgoing;
    outgoing.swap(text_);
    keep_undo_text(outgoing);
    index_.reset();
    index_stale_ = false;
    current_entry_ = -1;
    line_index_.clear();
    line_count_ = 0;
    released_ = true;
}

void Store::ensure_room() {
    if (released_) return;
    if (index_.count() < index_.capacity() - index_low_water && text_.length() < text_.capacity() - text_low_water)
        return;
    if (!resize_text(std::int64_t{text_.length()} + text_headroom)) {
        show_error(port_, text_not_enough_memory);
        return;
    }
    if (!resize_index(std::int64_t{index_.count()} + index_headroom)) show_error(port_, text_not_enough_memory);
}

// ---- Edits ------------------------------------------------------------------------

bool Store::replace_text(std::int32_t at, std::int32_t removed, std::string_view bytes) {
    if (released_) return false;
    const std::int32_t length = text_.length();
    at = std::clamp(at, 0, length);
    removed = std::clamp(removed, 0, length - at);
    const auto inserted = static_cast<std::int32_t>(bytes.size());
    if (inserted > removed && !reserve(inserted - removed, 0)) return false;
    record_change(at, removed, inserted);
    splice(at, removed, bytes);
    return true;
}

// The change itself: the bytes, then the index around them.
void Store::splice(std::int32_t at, std::int32_t removed, std::string_view bytes) {
    text_changed();
    text_.remove(at, removed);
    text_.insert(at, bytes);
    reindex_around(at, removed, static_cast<std::int32_t>(bytes.size()));
}

// After `removed` bytes at `at` became `inserted` others, the entries before
// the edit stay as they were and the scan for terminators (which resumes
// behind each match) is rerun from the entry holding the edit only until it
// meets an old entry start behind the edit: from there on it finds what it
// found before, shifted by the change in length.
void Store::reindex_around(std::int32_t at, std::int32_t removed, std::int32_t inserted) {
    if (index_stale_ || !index_) return;
    const std::int32_t delta = inserted - removed;
    const std::int32_t count = index_.count();
    const std::int32_t k = index_.entry_at(at);
    // No terminator can start before at - 3 in the entry holding the edit:
    // its bytes there are unchanged and held none before.
    std::int32_t from = std::max(index_.at(k), at - 3);
    std::int32_t j = k + 1;  // the next old entry start that may still match
    std::vector<std::int32_t> found;
    scan_inserted(from, at + inserted, found);
    for (;;) {
        while (j <= count && index_.at(j) < at + removed) ++j;
        const std::int32_t end = next_terminator_end(text_, from);
        if (end < 0) {
            j = count + 1;
            break;
        }
        while (j <= count && index_.at(j) + delta < end) ++j;
        if (j <= count && index_.at(j) + delta == end) break;
        found.push_back(end);
        from = end;
    }
    const std::int32_t old_between = j - 1 - k;
    const std::int64_t new_count = std::int64_t{count} - old_between + static_cast<std::int64_t>(found.size());
    if (new_count + 2 > index_.capacity() &&
        !index_.reallocate(static_cast<std::int32_t>(std::min(new_count + index_headroom, max_i32)), {}))
        throw std::bad_alloc();
    index_.replace_after(k, old_between, found, delta);
}

// A long insertion (an import, a paste of many entries) has the terminators
// inside it found in one pass of the load's scan kernel, from `from` on;
// `from` moves behind the last. Only those ending before `inserted_end` are
// taken: no old entry start can meet them there, so reindex_around goes on
// from the last as if it had found them one by one.
void Store::scan_inserted(std::int32_t& from, std::int32_t inserted_end, std::vector<std::int32_t>& found) const {
    constexpr std::int32_t least = 256;
    constexpr std::int32_t chunk = 8192;
    const std::string_view before = text_.before_gap();
    if (inserted_end - from < least || static_cast<std::size_t>(inserted_end) > before.size()) return;
    // Without a recoding the kernel only reads.
    char* text = const_cast<char*>(before.data());
    const ScanKernel kernel = fastest_scan_kernel();
    std::array<std::int32_t, chunk / 4 + 2> ends;
    std::int32_t next = from;
    for (std::int64_t begin = from; begin < inserted_end; begin += chunk) {
        const auto to = static_cast<std::int32_t>(std::min<std::int64_t>(inserted_end, begin + chunk));
        const std::size_t n =
            scan_text(kernel, text, inserted_end, static_cast<std::int32_t>(begin), to, next, nullptr, ends.data());
        found.insert(found.end(), ends.data(), ends.data() + n);
    }
    if (!found.empty() && found.back() == inserted_end) found.pop_back();
    if (!found.empty()) from = found.back();
}

// ---- Reindex ------------------------------------------------------------------

std::int32_t Store::reindex() {
    if (released_) return 0;
    if (!index_stale_ && index_) return finish_reindex(index_.count());
    return scan_entries(nullptr);
}

std::int32_t Store::recode_and_reindex(const Recoding& recoding) {
    if (released_) return 0;
    rewrite_text();
    return scan_entries(&recoding);
}

// The text in chunks small enough to stay in the cache between the kernel
// and the copy of their entry starts into the index.
std::int32_t Store::scan_entries(const Recoding* recoding) {
    if (released_) return 0;
    constexpr std::int32_t chunk = 8192;
    std::array<std::int32_t, chunk / 4 + 2> ends;
    const ScanKernel kernel = fastest_scan_kernel();
    char* text = text_.contiguous();
    const std::int32_t length = text_.length();
    std::int32_t count = 0;
    std::int32_t next = 0;
    for (std::int64_t begin = 0; begin < length; begin += chunk) {
        const auto from = static_cast<std::int32_t>(begin);
        const auto to = static_cast<std::int32_t>(std::min<std::int64_t>(length, begin + chunk));
        const std::size_t found = scan_text(kernel, text, length, from, to, next, recoding, ends.data());
        append_entry_ends(count, ends.data(), found);
        count += static_cast<std::int32_t>(found);
    }
    return reindex_appended(count);
}

// Writes `found` entry starts behind the first `count`, growing the index
// by half again when it runs short, so a load of many entries costs one scan.
void Store::append_entry_ends(std::int32_t count, const std::int32_t* ends, std::size_t found) {
    index_.settled();
    index_.set_count(count);
    const std::int64_t need = std::int64_t{count} + static_cast<std::int64_t>(found) + 2;
    if (need > index_.capacity()) {
        const std::int64_t wanted =
            std::max<std::int64_t>(need - 2 + index_headroom, std::int64_t{index_.capacity()} * 3 / 2);
        if (!index_.reallocate(static_cast<std::int32_t>(std::min(wanted, max_i32)), {})) throw std::bad_alloc();
    }
    std::memcpy(index_.settled() + count + 1, ends, found * sizeof(std::int32_t));
}

std::int32_t Store::reindex_appended(std::int32_t count) {
    if (released_) return 0;
    if (std::int64_t{count} + 2 > index_.capacity()) return scan_entries(nullptr);
    index_.settled()[0] = 0;
    index_stale_ = true;  // the slots are written; finish sets the rest
    return finish_reindex(count);
}

std::int32_t Store::reindex_known(std::span<const std::int32_t> starts) {
    if (released_) return 0;
    const auto count = static_cast<std::int32_t>(starts.size()) - 1;
    if (count < 0 || std::int64_t{count} + 2 > index_.capacity()) return scan_entries(nullptr);
    std::int32_t* slots = index_.settled();
    if (starts.data() != slots) std::copy(starts.begin(), starts.end(), slots);
    index_stale_ = true;  // the slots are written; finish sets the rest
    return finish_reindex(count);
}

// The part of reindex after the entry starts are written: the last slot,
// the count, status text, title and the modified flag.
std::int32_t Store::finish_reindex(std::int32_t count) {
    if (index_stale_) {
        index_.settled()[count + 1] = text_.length();
        index_.set_count(count);
        index_stale_ = false;
    }
    if (!sort_running) {
        const auto status = format_entries_status(count);
        std::copy(status.begin(), status.end(), status_text_.begin());
        title_[0] = '*';
        if (port_.frame.main_window_exists()) {
            show_title();
            port_.frame.set_status_text(entries_status_text());
        }
    }
    modified = true;
    return count;
}

std::array<char, 16> format_entries_status(std::int32_t count) {
    std::array<char, 16> text{};
    std::memcpy(text.data(), initial_status_text.data(), text.size());
    bool leading = true;
    std::int32_t divisor = 10000000;
    for (std::size_t i = 0; i < 8; ++i, divisor /= 10) {
        const int digit = (count / divisor) % 10;
        leading = leading && digit == 0 && i < 7;
        text[i] = leading ? ' ' : static_cast<char>('0' + digit);
    }
    return text;
}

void Store::set_modified_marker(bool on) {
    title_[0] = on ? '*' : ' ';
    show_title();
}

void Store::show_title() {
    if (!port_.frame.main_window_exists()) return;
    const auto end = std::find(title_.begin(), title_.end(), '\0');
    port_.frame.set_window_title(std::string_view(title_.data(), static_cast<std::size_t>(end - title_.begin())));
}

// ---- Heading prefixes ---------------------------------------------------------------

const CommonPrefixes& Store::heading_prefixes() const {
    if (heading_prefixes_current_) return heading_prefixes_;
    const auto& fold = fold_table(2);
    const std::int32_t count = index_.count();
    std::vector<std::uint8_t> shared(static_cast<std::size_t>(count), 0);
    std::vector<std::uint8_t> first(static_cast<std::size_t>(count), 0);
    auto heading = [this](std::int32_t e) {
        const std::string_view h = text_range(index_.at(e), index_.at(e) + row_bytes - 1);
        return h.substr(0, static_cast<std::size_t>(std::find_if(h.begin(), h.end(), [](char c) {
                                                        return static_cast<std::uint8_t>(c) < 32;
                                                    }) - h.begin()));
    };
    for (std::int32_t e = 0; e < count; ++e)
        first[static_cast<std::size_t>(e)] = fold[static_cast<std::uint8_t>(char_at_or_nul(index_.at(e)))];
    for (std::int32_t e = 1; e < count; ++e) {
        const std::string_view a = heading(e - 1), b = heading(e);
        std::size_t c = 0;
        while (c < a.size() && c < b.size() &&
               fold[static_cast<std::uint8_t>(a[c])] == fold[static_cast<std::uint8_t>(b[c])])
            ++c;
        shared[static_cast<std::size_t>(e)] = static_cast<std::uint8_t>(c);
    }
    heading_prefixes_.assign(std::move(shared), std::move(first));
    heading_prefixes_current_ = true;
    return heading_prefixes_;
}

void Store::set_heading_prefixes(std::vector<std::uint8_t> shared, std::vector<std::uint8_t> first) {
    const auto count = static_cast<std::size_t>(index_.count());
    if (shared.size() != count || first.size() != count) return;
    heading_prefixes_.assign(std::move(shared), std::move(first));
    heading_prefixes_current_ = true;
}

// ---- Lines and rows -------------------------------------------------------------

std::int32_t Store::line_start(std::int32_t line) const {
    if (line < 0 || line >= line_count_) return -1;
    return line_index_[static_cast<std::size_t>(line)];
}

void Store::clear_text_block() {
    view_.text_block.marked = false;
    grey_copy_and_cut_when_unmarked();
}

void Store::grey_copy_and_cut_when_unmarked() {
    if (view_.text_block.marked || view_.entry_range.marked) return;
    port_.frame.enable_command(CMD_COPY, false);
    port_.frame.enable_command(CMD_CUT, false);
}

void Store::build_line_index(std::int32_t entry_start) {
    if (released_ || entry_start < 0 || entry_start > text_.length()) {
        current_entry_ = -1;
        line_count_ = 0;
        line_index_.assign(static_cast<std::size_t>(index_headroom), -1);
        return;
    }
    std::vector<std::int32_t> starts = scan_line_starts(text_, entry_start);
    const std::size_t slots = starts.size() + static_cast<std::size_t>(index_headroom);
    if (allocation_gate && !allocation_gate(slots * sizeof(std::int32_t))) {
        // The previous lines stay; this entry cannot be shown.
        show_error(port_, text_not_enough_memory);
        return;
    }
    line_count_ = static_cast<std::int32_t>(starts.size());
    starts.resize(slots, -1);
    line_index_.swap(starts);
    current_entry_ = entry_start;
}

void Store::fill_row(Row& row, std::int32_t start) const {
    std::size_t n = 0;
    if (!released_ && start >= 0 && start <= text_.length()) {
        const std::int32_t end = std::min<std::int32_t>(text_.length(), start + static_cast<std::int32_t>(row_bytes) - 1);
        text_.copy_out(start, end, row.data());
        const auto limit = static_cast<std::size_t>(end - start);
        while (n < limit && static_cast<std::uint8_t>(row[n]) >= 32) ++n;
    }
    std::memset(row.data() + n, 0, row_bytes - n);
}

void Store::show_entry(std::int32_t rows, std::int32_t entry_start, std::int32_t first_line) {
    if (entry_start != current_entry_ || released_) {
        clear_text_block();
        build_line_index(entry_start);
    }
    rows = std::clamp(rows, 0, max_row_count);
    if (data_view_rows_.size() < static_cast<std::size_t>(rows)) data_view_rows_.resize(static_cast<std::size_t>(rows));
    for (std::int32_t r = 0; r < rows; ++r) {
        const std::int64_t line = r == 0 ? 0 : std::int64_t{first_line} + r;
        const std::int32_t start = line < 0 || line >= line_count_ ? -1 : line_start(static_cast<std::int32_t>(line));
        fill_row(data_view_rows_[static_cast<std::size_t>(r)], start);
    }
}

void Store::fill_overview_rows(std::int32_t rows, std::int32_t first_entry) {
    rows = std::clamp(rows, 0, max_row_count);
    if (overview_rows_.size() < static_cast<std::size_t>(rows)) overview_rows_.resize(static_cast<std::size_t>(rows));
    for (std::int32_t r = 0; r < rows; ++r) {
        const std::int64_t entry = std::int64_t{first_entry} + r;
        const bool exists = !released_ && entry >= 0 && entry < index_.count();
        fill_row(overview_rows_[static_cast<std::size_t>(r)], exists ? index_.at(static_cast<std::int32_t>(entry)) : -1);
    }
}

// ---- Undo ---------------------------------------------------------------------

void Store::take_undo_snapshot() {
    if (released_) return;
    if (has_undo_snapshot()) {
        port_.frame.enable_command(CMD_UNDO, false);
        undo_.kind = UndoKind::absent;
    }
    undo_.changes.clear();
    undo_.text.reset();
    // The record of the changes to come; a copy of the text is made only if
    // the text is rewritten as a whole.
    constexpr std::size_t first_changes = 4;
    if (allocation_gate && !allocation_gate(first_changes * sizeof(UndoChange))) return;
    try {
        undo_.changes.reserve(first_changes);
    } catch (const std::bad_alloc&) {
        return;
    }
    undo_.view = view_;
    undo_.book = book_identity();
    undo_.kind = UndoKind::changes;
    port_.frame.enable_command(CMD_UNDO, true);
}

void Store::discard_undo_snapshot() {
    if (has_undo_snapshot()) port_.frame.enable_command(CMD_UNDO, false);
    undo_ = UndoSnapshot{};
}

// Notes what an edit is about to replace, before it does. A change that
// cannot be noted costs the snapshot, never the edit.
void Store::record_change(std::int32_t at, std::int32_t removed, std::int32_t inserted) {
    if (undo_.kind != UndoKind::changes) return;
    const auto bytes = static_cast<std::size_t>(removed);
    if (allocation_gate && !allocation_gate(bytes + sizeof(UndoChange))) {
        discard_undo_snapshot();
        return;
    }
    try {
        UndoChange change{at, inserted, std::string(static_cast<std::size_t>(removed), '\0')};
        text_.copy_out(at, at + removed, change.snapshot_bytes.data());
        undo_.changes.push_back(std::move(change));
    } catch (const std::bad_alloc&) {
        discard_undo_snapshot();
    }
}

// Undoes the recorded changes on `text`, a text that is no longer live,
// so that it becomes the text the snapshot was taken from. False when the
// room for that cannot be had.
bool Store::rewind_changes(SplitText& text) {
    const std::int64_t most = longest_while_undoing(text.length(), undo_.changes);
    if (most + text_guard > text.capacity() &&
        (most + text_headroom > max_i32 || !text.reallocate(static_cast<std::int32_t>(most + text_headroom), allocation_gate)))
        return false;
    for (auto c = undo_.changes.rbegin(); c != undo_.changes.rend(); ++c) {
        text.remove(c->at, c->live_length);
        text.insert(c->at, c->snapshot_bytes);
    }
    return true;
}

// Undoes the recorded changes on the live text, the index following, and
// keeps what they replaced so that the next swap redoes them. False, with
// the message shown and nothing changed, when memory is short.
bool Store::swap_changes() {
    std::vector<std::string> replaced;
    try {
        replaced.resize(undo_.changes.size());
        for (std::size_t i = 0; i < replaced.size(); ++i)
            replaced[i].resize(static_cast<std::size_t>(undo_.changes[i].live_length));
    } catch (const std::bad_alloc&) {
        show_error(port_, text_not_enough_memory);
        return false;
    }
    const std::int64_t most = longest_while_undoing(text_.length(), undo_.changes);
    if (most > max_i32 - text_headroom || !grow_text(static_cast<std::int32_t>(most))) return false;
    for (std::size_t i = undo_.changes.size(); i-- > 0;) {
        UndoChange& c = undo_.changes[i];
        text_.copy_out(c.at, c.at + c.live_length, replaced[i].data());
        splice(c.at, c.live_length, c.snapshot_bytes);
        c.live_length = static_cast<std::int32_t>(c.snapshot_bytes.size());
        c.snapshot_bytes.swap(replaced[i]);
    }
    std::reverse(undo_.changes.begin(), undo_.changes.end());
    return true;
}

// The live text is about to be replaced as a whole and leaves as `outgoing`:
// a snapshot of changes keeps it, with the changes undone, as its copy.
void Store::keep_undo_text(SplitText& outgoing) {
    if (undo_.kind != UndoKind::changes) return;
    if (!outgoing || !rewind_changes(outgoing)) {
        discard_undo_snapshot();
        return;
    }
    undo_.text.swap(outgoing);
    undo_.changes.clear();
    undo_.kind = UndoKind::copy;
}

// The live text is about to be rewritten in place: a snapshot of changes
// becomes a copy of the text as it was (or is dropped when there is no
// memory for one).
void Store::copy_undo_text() {
    if (undo_.kind != UndoKind::changes) return;
    const std::int64_t capacity = std::int64_t{text_.length()} + text_headroom;
    TextBuffer block;
    if (capacity <= max_i32) block = allocate_text(static_cast<std::int32_t>(capacity));
    if (!block) {
        discard_undo_snapshot();
        return;
    }
    text_.copy_out(0, text_.length(), block.data());
    SplitText copy(std::move(block), text_.length());
    keep_undo_text(copy);
}

void Store::swap_undo_snapshot() {
    if (!has_undo_snapshot() || released_) return;
    BookIdentity live_book = book_identity();
    if (undo_.kind == UndoKind::changes) {
        if (!swap_changes()) return;
    } else {
        text_.swap(undo_.text);
        index_stale_ = true;
        text_changed();
    }
    std::swap(view_, undo_.view);
    const bool data_view_active =
        view_.active_view == ActiveView::data_view || view_.active_view == ActiveView::none_was_data_view;
    port_.frame.bring_to_top(data_view_active ? ViewId::data_view : ViewId::overview);
    reindex();
    // The text that came back is its own book's again, as it stood then.
    adopt_book_identity(undo_.book);
    undo_.book = std::move(live_book);
    current_entry_ = -1;
    port_.frame.repaint(ViewId::overview);
    port_.frame.repaint(ViewId::data_view);
}

BookIdentity Store::book_identity() const {
    BookIdentity book;
    if (file_ != nullptr) {
        book.file_name = file_->file_name;
        book.file_password = file_->file_password;
    }
    book.title = title_;
    book.modified = modified;
    return book;
}

void Store::adopt_book_identity(const BookIdentity& book) {
    if (file_ != nullptr) {
        file_->file_name = book.file_name;
        file_->file_password = book.file_password;
    }
    title_ = book.title;
    modified = book.modified;
    set_modified_marker(modified);
}

// ---- New entry ----------------------------------------------------------------

void Store::insert_empty_entry() {
    if (released_) return;
    take_undo_snapshot();
    if (!reserve(static_cast<std::int32_t>(empty_entry.size()), 1)) return;
    const std::int64_t selected = std::int64_t{view_.top_entry} + view_.cursor_row;
    const std::int32_t at = index_.at(static_cast<std::int32_t>(std::clamp<std::int64_t>(selected, 0, index_.count())));

    view_.text_block.marked = false;
    view_.entry_range.marked = false;
    port_.frame.enable_command(CMD_COPY, false);
    port_.frame.enable_command(CMD_CUT, false);
    view_.selected_entry_start = at;
    view_.caret_line = 0;
    view_.caret_column = 0;
    view_.first_scrolled_line = 0;
    view_.overview_horizontal_offset = 0;
    view_.data_view_horizontal_offset = 0;

    replace_text(at, 0, empty_entry);
    reindex();
    current_entry_ = -1;
    view_.active_view = ActiveView::data_view;
    port_.frame.enable_command(CMD_PASTE, true);
    port_.frame.bring_to_top(ViewId::data_view);
    port_.frame.repaint(ViewId::overview);
    port_.frame.repaint(ViewId::data_view);
}

// ---- Invariants -------------------------------------------------------------------

bool Store::check(std::string* why) const {
    auto fail = [why](const char* what) {
        if (why != nullptr) *why = what;
        return false;
    };
    if (released_) return text_ || index_ ? fail("released store holds blocks") : true;
    if (!text_ || !index_) return fail("live store without text or index");
    const std::int32_t length = text_.length();
    if (length < 0 || std::int64_t{length} + text_guard > text_.capacity()) return fail("text length outside capacity");
    if (text_.gap_position() < 0 || text_.gap_position() > length) return fail("gap outside the text");
    const std::int32_t count = index_.count();
    if (count < 0 || std::int64_t{count} + 2 > index_.capacity()) return fail("entry count outside index capacity");
    if (!index_.step_sound()) return fail("pending step outside the index");
    if (!index_stale_) {
        if (index_.at(0) != 0) return fail("slot 0 is not 0");
        std::int32_t found = 0;
        for (std::int32_t end = next_terminator_end(text_, 0); end >= 0; end = next_terminator_end(text_, end)) {
            ++found;
            if (found > count || index_.at(found) != end) return fail("entry index does not match terminators");
        }
        if (found != count) return fail("entry count does not match terminators");
        if (index_.at(count + 1) != length) return fail("last slot is not the text length");
    }

    if (current_entry_ != -1) {
        if (current_entry_ < 0 || current_entry_ > length) return fail("current entry outside text");
        const std::vector<std::int32_t> starts = scan_line_starts(text_, current_entry_);
        if (line_count_ != static_cast<std::int32_t>(starts.size())) return fail("line count does not match lines");
        if (line_index_.size() != starts.size() + static_cast<std::size_t>(index_headroom))
            return fail("line index has the wrong size");
        if (!std::equal(starts.begin(), starts.end(), line_index_.begin())) return fail("line index does not match lines");
        if (std::any_of(line_index_.begin() + line_count_, line_index_.end(), [](std::int32_t s) { return s != -1; }))
            return fail("unused line slot is not -1");
    }
    auto terminated = [](const Row& row) { return row[row_bytes - 1] == '\0'; };
    if (!std::all_of(data_view_rows_.begin(), data_view_rows_.end(), terminated) ||
        !std::all_of(overview_rows_.begin(), overview_rows_.end(), terminated))
        return fail("row without terminating NUL");
    return check_undo(why);
}

bool Store::check_undo(std::string* why) const {
    auto fail = [why](const char* what) {
        if (why != nullptr) *why = what;
        return false;
    };
    switch (undo_.kind) {
    case UndoKind::absent: return true;
    case UndoKind::copy:
        if (!undo_.text || std::int64_t{undo_.text.length()} + text_guard > undo_.text.capacity())
            return fail("undo copy incomplete");
        return true;
    case UndoKind::changes: {
        // Undone from the last, every change must lie inside the text as it
        // stood when it was made.
        std::int64_t length = text_.length();
        for (auto c = undo_.changes.rbegin(); c != undo_.changes.rend(); ++c) {
            if (c->at < 0 || c->live_length < 0 || std::int64_t{c->at} + c->live_length > length)
                return fail("undo change outside the text");
            length += static_cast<std::int64_t>(c->snapshot_bytes.size()) - c->live_length;
        }
        return true;
    }
    }
    return true;
}

}  // namespace lumo
