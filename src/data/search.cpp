// Search and replace: the byte-level scan and replacement writing, and the
// commands that run them on the store and move the views to the hit.
#include "data/search.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "data/sort.h"
#include "data/store.h"
#include "port/ids.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumo {
namespace {

std::uint8_t byte_at(const char* text, std::int32_t p) { return static_cast<std::uint8_t>(text[p]); }

#if defined(__SSE2__)
// The first position in [from, to) holding byte a or b, or -1.
std::int32_t find_either(const char* text, std::int32_t from, std::int32_t to, std::uint8_t a, std::uint8_t b) {
    const __m128i want_a = _mm_set1_epi8(static_cast<char>(a));
    const __m128i want_b = _mm_set1_epi8(static_cast<char>(b));
    std::int32_t p = from;
    for (; p + 16 <= to; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + p));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, want_a), _mm_cmpeq_epi8(block, want_b)));
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    }
    for (; p < to; ++p)
        if (byte_at(text, p) == a || byte_at(text, p) == b) return p;
    return -1;
}
#else
std::int32_t find_either(const char* text, std::int32_t from, std::int32_t to, std::uint8_t a, std::uint8_t b) {
    for (std::int32_t p = from; p < to; ++p)
        if (byte_at(text, p) == a || byte_at(text, p) == b) return p;
    return -1;
}
#endif

}  // namespace

// ---- Needle -------------------------------------------------------------------

Needle::Needle(std::string_view text, bool ignore_case) : fold_(fold_table(ignore_case ? 1 : 0).data()) {
    folded_.reserve(text.size());
    can_match_ = !text.empty();
    for (const char c : text) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b < 32) can_match_ = false;
        folded_.push_back(static_cast<char>(fold_[b]));
    }
    if (!can_match_) return;
    const auto first = static_cast<std::uint8_t>(folded_[0]);
    for (int c = 0; c < 256; ++c) {
        if (fold_[c] != first) continue;
        if (first_count_ < 2) first_[first_count_] = static_cast<std::uint8_t>(c);
        ++first_count_;
    }
}

bool Needle::matches_at(const char* text, std::int32_t length, std::int32_t p) const {
    if (!can_match_ || p < 0 || std::int64_t{p} + size() > length) return false;
    for (std::int32_t i = 0; i < size(); ++i) {
        const std::uint8_t t = byte_at(text, p + i);
        if (t < 32 || fold_[t] != static_cast<std::uint8_t>(folded_[static_cast<std::size_t>(i)])) return false;
    }
    return true;
}

std::int32_t Needle::next_candidate(const char* text, std::int32_t from, std::int32_t to) const {
    if (from >= to) return -1;
    if (first_count_ == 1) {
        const void* at = std::memchr(text + from, first_[0], static_cast<std::size_t>(to - from));
        return at == nullptr ? -1 : static_cast<std::int32_t>(static_cast<const char*>(at) - text);
    }
    if (first_count_ == 2) return find_either(text, from, to, first_[0], first_[1]);
    const auto first = static_cast<std::uint8_t>(folded_[0]);
    for (std::int32_t p = from; p < to; ++p)
        if (fold_[byte_at(text, p)] == first) return p;
    return -1;
}

std::int32_t Needle::find_forward(const char* text, std::int32_t length, std::int32_t from, std::int32_t to) const {
    if (!can_match_) return -1;
    to = static_cast<std::int32_t>(std::min<std::int64_t>(to, std::int64_t{length} - size() + 1));
    from = std::max(from, 0);
    while (from < to) {
        const std::int32_t p = next_candidate(text, from, to);
        if (p < 0) return -1;
        if (matches_at(text, length, p)) return p;
        from = p + 1;
    }
    return -1;
}

std::int32_t Needle::find_backward(const char* text, std::int32_t length, std::int32_t from, std::int32_t to) const {
    if (!can_match_) return -1;
    from = static_cast<std::int32_t>(std::min<std::int64_t>(from, std::int64_t{length} - size()));
    const auto first = static_cast<std::uint8_t>(folded_[0]);
    for (std::int32_t p = from; p >= std::max(to, 0); --p)
        if (fold_[byte_at(text, p)] == first && matches_at(text, length, p)) return p;
    return -1;
}

std::int32_t scan(const Needle& needle, const char* text, std::int32_t length, std::int32_t lo, std::int32_t hi,
                  std::int32_t start, SearchDirection direction) {
    if (hi <= lo) return -1;
    start = std::clamp(start, lo, hi);
    switch (direction) {
    case SearchDirection::forward:
        return needle.find_forward(text, length, start, hi);
    case SearchDirection::forward_wrap: {
        const std::int32_t hit = needle.find_forward(text, length, start, hi);
        return hit >= 0 ? hit : needle.find_forward(text, length, lo, start);
    }
    case SearchDirection::backward:
        return start == lo ? -1 : needle.find_backward(text, length, start - 1, lo);
    case SearchDirection::backward_wrap: {
        // One step back (from the first byte round to the last), then down
        // to the first byte and round from the last byte to just above.
        const std::int32_t first = start == lo ? hi - 1 : start - 1;
        const std::int32_t hit = needle.find_backward(text, length, first, lo);
        return hit >= 0 ? hit : needle.find_backward(text, length, hi - 1, first + 1);
    }
    }
    return -1;
}

LineColumn locate(const char* text, std::int32_t entry_start, std::int32_t offset) {
    LineColumn at;
    for (std::int32_t p = entry_start; p < offset; ++p) {
        const std::uint8_t b = byte_at(text, p);
        if (b == '\r') {
            ++at.line;
            at.column = 0;
        } else if (b >= 32) {
            ++at.column;
        }
    }
    return at;
}

std::int32_t rest_of_line(const char* text, std::int32_t length, std::int32_t from) {
    std::int32_t rest = 0;
    for (std::int32_t p = from; p < length && rest < line_limit && text[p] != '\r'; ++p)
        if (byte_at(text, p) >= 32) ++rest;
    return rest;
}

bool empties_line(const char* text, std::int32_t length, std::int32_t column, std::int32_t hit_end) {
    return column == 0 && (hit_end >= length || text[hit_end] == '\r');
}

Insertion write_replacement(std::string_view replacement, std::int32_t column, std::int32_t rest, bool emptied,
                            char* out) {
    Insertion done;
    const std::int32_t behind = emptied ? 1 : rest;
    std::int32_t n = 0;
    for (const char c : replacement) {
        if (static_cast<std::uint8_t>(c) < 32) continue;
        // Break in front of a character that would fill the line to 255,
        // but never at a line's start: that would leave an empty line,
        // which ends the entry.
        if (column > 0 && behind + column + 1 >= line_limit) {
            out[n++] = '\r';
            out[n++] = '\n';
            column = 0;
            ++done.breaks;
        }
        out[n++] = c;
        ++column;
    }
    if (emptied) out[n++] = ' ';
    done.size = n;
    done.caret_column = column;
    return done;
}

std::vector<std::int32_t> collect_hits_forward(const Needle& needle, const char* text, std::int32_t length,
                                               std::int32_t from, std::int32_t to) {
    std::vector<std::int32_t> hits;
    for (std::int32_t p = from;;) {
        const std::int32_t hit = needle.find_forward(text, length, p, to);
        if (hit < 0) break;
        hits.push_back(hit);
        p = hit + needle.size();
    }
    return hits;
}

std::int64_t rebuilt_size_bound(std::int32_t length, std::size_t hit_count, std::int32_t needle_size,
                                std::int32_t replacement_size) {
    const std::int64_t growth = std::max(0, max_insertion_size(replacement_size) - needle_size);
    return std::int64_t{length} + static_cast<std::int64_t>(hit_count) * growth;
}

namespace {

// The column at `to` given the column at `from`: the characters since the
// last CR in [from, to), or `column` plus all of them when there is none.
std::int32_t column_after(const char* text, std::int32_t from, std::int32_t to, std::int32_t column) {
    std::int32_t line_start = to;
    while (line_start > from && text[line_start - 1] != '\r') --line_start;
    if (line_start > from) column = 0;  // stopped on a CR
    for (std::int32_t p = line_start; p < to; ++p)
        if (byte_at(text, p) >= 32) ++column;
    return column;
}

}  // namespace

std::int32_t write_replacements(const char* in, std::int32_t length, std::span<const std::int32_t> hits,
                                std::int32_t needle_size, std::string_view replacement, char* out) {
    std::int32_t written = 0;
    std::int32_t copied = 0;  // input consumed so far
    std::int32_t column = 0;  // column at the end of the output
    for (const std::int32_t hit : hits) {
        const auto chunk = static_cast<std::size_t>(hit - copied);
        std::memcpy(out + written, in + copied, chunk);
        written += hit - copied;
        column = column_after(in, copied, hit, column);
        const std::int32_t hit_end = hit + needle_size;
        const bool emptied = empties_line(in, length, column, hit_end);
        const Insertion done =
            write_replacement(replacement, column, rest_of_line(in, length, hit_end), emptied, out + written);
        written += done.size;
        column = done.caret_column + (emptied ? 1 : 0);
        copied = hit_end;
    }
    std::memcpy(out + written, in + copied, static_cast<std::size_t>(length - copied));
    return written + (length - copied);
}

std::int32_t replace_backward(std::string& entry, const Needle& needle, std::string_view replacement) {
    std::int32_t count = 0;
    std::string piece(static_cast<std::size_t>(max_insertion_size(static_cast<std::int32_t>(replacement.size()))), '\0');
    auto length = static_cast<std::int32_t>(entry.size());
    for (std::int32_t next = length - 1; next >= 0;) {
        const std::int32_t hit = needle.find_backward(entry.data(), length, next, 0);
        if (hit < 0) break;
        const std::int32_t hit_end = hit + needle.size();
        const std::int32_t column = locate(entry.data(), 0, hit).column;
        const bool emptied = empties_line(entry.data(), length, column, hit_end);
        const Insertion done = write_replacement(replacement, column, rest_of_line(entry.data(), length, hit_end),
                                                 emptied, piece.data());
        entry.replace(static_cast<std::size_t>(hit), static_cast<std::size_t>(needle.size()), piece.data(),
                      static_cast<std::size_t>(done.size));
        length = static_cast<std::int32_t>(entry.size());
        ++count;
        next = hit - 1;
    }
    return count;
}

// ---- Search on the store ------------------------------------------------------------

Search::Search(Store& store) : store_(store) {}

void Search::set_search_text(std::string_view text, std::size_t limit) {
    search_settings.text = std::string(text.substr(0, std::min(limit, text.size())));
}

void Search::set_status(std::string_view text) {
    if (store_.port().frame.main_window_exists()) store_.port().frame.set_status_text(text);
}

void Search::restore_status() { set_status(store_.entries_status_text()); }

void Search::tell(std::string_view text) {
    store_.port().prompts.beep();
    show_notice(store_.port(), text);
}

std::int32_t Search::clamped_selected_entry() const {
    return std::clamp(store_.view().selected_entry(), 0, std::max(0, store_.entry_count() - 1));
}

std::int32_t Search::end_of_entries() const { return store_.entry_start(store_.entry_count()); }

namespace {

// Offset of line `line` of the entry [start, end): behind the line-th CR LF,
// or the start of its last line when it has fewer.
std::int32_t line_offset(const char* text, std::int32_t start, std::int32_t end, std::int32_t line) {
    std::int32_t p = start;
    for (std::int32_t k = 0; k < line; ++k) {
        const void* cr = std::memchr(text + p, '\r', static_cast<std::size_t>(std::max(0, end - p)));
        if (cr == nullptr) break;
        std::int32_t next = static_cast<std::int32_t>(static_cast<const char*>(cr) - text) + 1;
        if (next < end && text[next] == '\n') ++next;
        if (next >= end || byte_at(text, next) < 32) break;  // the terminator: no such line
        p = next;
    }
    return p;
}

}  // namespace

std::int32_t Search::caret_offset(std::int32_t entry) const {
    const char* text = store_.text_view().data();
    const std::int32_t end = store_.entry_start(entry + 1);
    std::int32_t p = line_offset(text, store_.entry_start(entry), end, store_.view().caret_line);
    for (std::int32_t c = 0; c < store_.view().caret_column && p < end && byte_at(text, p) >= 32; ++c) ++p;
    return p;
}

Search::Hit Search::hit_at(std::int32_t offset, std::int32_t entry) const {
    if (entry < 0) {
        const std::int32_t* index = store_.entry_index();
        const std::int32_t* after = std::upper_bound(index, index + store_.entry_count() + 1, offset);
        entry = std::clamp(static_cast<std::int32_t>(after - index) - 1, 0, store_.entry_count() - 1);
    }
    return {offset, entry, locate(store_.text_view().data(), store_.entry_start(entry), offset)};
}

void Search::select_hit_entry(const Hit& hit) {
    ViewState& view = store_.view();
    view.top_entry = 0;
    view.cursor_row = hit.entry;
    view.entry_range.marked = false;
    view.text_block.marked = false;
    view.text_block.anchor_line = -1;
    view.text_block.anchor_column = -1;
    store_.port().frame.enable_command(CMD_COPY, false);
    store_.port().frame.enable_command(CMD_CUT, false);
    view.selected_entry_start = store_.entry_start(hit.entry);
}

void Search::mark_hit(const Hit& hit, std::int32_t size, SearchDirection direction) {
    ViewState& view = store_.view();
    view.caret_line = hit.at.line;
    view.caret_column = hit.at.column + (is_forward(direction) ? size : 0);
    scroll_caret_into_view();
    // Show the entry now: a later paint of a different entry would drop the block.
    store_.show_entry(metrics_->visible_rows() + 1, view.selected_entry_start, view.first_scrolled_line);
    TextBlock& block = view.text_block;
    block.marked = true;
    block.start_line = block.end_line = hit.at.line;
    block.start_column = hit.at.column;
    block.end_column = hit.at.column + size;
    store_.port().frame.enable_command(CMD_COPY, true);
    store_.port().frame.enable_command(CMD_CUT, true);
}

void Search::scroll_caret_into_view() {
    ViewState& view = store_.view();
    const std::int32_t rows = metrics_->visible_rows();
    const std::int32_t line = view.caret_line;
    std::int32_t& first = view.first_scrolled_line;
    if (rows > 0) {  // no rows: the window is not there yet
        if (line - first > rows - 3)
            first = line - rows + 3;
        else if (line <= first)
            first = line - 1;
        first = std::max(first, 0);
    }

    const char* text = store_.text_view().data();
    const std::int32_t entry = clamped_selected_entry();
    const std::int32_t end = store_.entry_start(entry + 1);
    const std::int32_t start = line_offset(text, store_.entry_start(entry), end, line);
    std::int32_t n = 0;
    while (n < view.caret_column && start + n < end && byte_at(text, start + n) >= 32) ++n;
    const std::int32_t x = metrics_->text_width({text + start, static_cast<std::size_t>(n)}, line == 0);
    const std::int32_t width = metrics_->client_width();
    std::int32_t& offset = view.data_view_horizontal_offset;
    if (x < offset || x - offset > width) offset = std::max(0, x - width / 8);
}

void Search::make_data_view_active() {
    ViewState& view = store_.view();
    if (view.active_view == ActiveView::overview)
        view.active_view = ActiveView::data_view;
    else if (view.active_view == ActiveView::none_was_overview)
        view.active_view = ActiveView::none_was_data_view;
    else
        return;
    Frame& frame = store_.port().frame;
    frame.enable_command(CMD_PASTE, true);
    frame.bring_to_top(ViewId::data_view);
    frame.repaint(ViewId::overview);
    frame.repaint(ViewId::data_view);
}

void Search::make_overview_active() {
    ViewState& view = store_.view();
    view.active_view = view.active_view == ActiveView::none_was_data_view ? ActiveView::none_was_overview
                                                                         : ActiveView::overview;
    Frame& frame = store_.port().frame;
    frame.enable_command(CMD_PASTE, false);
    frame.bring_to_top(ViewId::overview);
    frame.repaint(ViewId::overview);
    frame.repaint(ViewId::data_view);
}

void Search::search() {
    const SearchSettings& settings = search_settings;
    if (settings.text.empty()) {
        tell(text_no_search_text);
        return;
    }
    set_status(text_searching);
    const Needle needle(settings.text, settings.ignore_case);
    std::int32_t found = -1;
    if (!store_.store_released() && store_.entry_count() > 0) {
        const std::int32_t start = caret_offset(clamped_selected_entry());
        found = scan(needle, store_.text_view().data(), store_.text_length(), 0, end_of_entries(), start,
                     settings.direction);
    }
    if (found < 0) {
        tell(text_nothing_found);
    } else {
        const Hit hit = hit_at(found, -1);
        make_data_view_active();
        select_hit_entry(hit);
        store_.port().frame.repaint(ViewId::overview);
        store_.port().frame.repaint(ViewId::data_view);
        mark_hit(hit, needle.size(), settings.direction);
    }
    restore_status();
}

void Search::repeat_search() {
    if (search_settings.text.empty() && open_search_dialog) {
        open_search_dialog();
        return;
    }
    search();
}

void Search::search_request(std::string_view text) {
    set_search_text(text, calendar_search_text_limit);
    repeat_search();
}

// ---- Replace on the store ------------------------------------------------------------

bool Search::splice(std::int32_t from, std::int32_t to, std::string_view bytes) {
    const std::int32_t length = store_.text_length();
    const std::int64_t new_length = std::int64_t{length} - (to - from) + static_cast<std::int64_t>(bytes.size());
    if (new_length > std::numeric_limits<std::int32_t>::max() - text_headroom) {
        show_error(store_.port(), text_not_enough_memory);
        return false;
    }
    return store_.replace_text(from, to - from, bytes);
}

bool Search::replace_once(ReplaceScope scope, const Needle& needle) {
    const ReplaceSettings& settings = replace_settings;
    const std::int32_t entry = clamped_selected_entry();
    const bool whole = scope == ReplaceScope::whole_data;
    const std::int32_t lo = whole ? 0 : store_.entry_start(entry);
    const std::int32_t hi = whole ? end_of_entries() : store_.entry_start(entry + 1);
    const std::int32_t found =
        scan(needle, store_.text_view().data(), store_.text_length(), lo, hi, caret_offset(entry), settings.direction);
    if (found < 0) return false;

    const Hit hit = hit_at(found, whole ? -1 : entry);
    select_hit_entry(hit);
    const char* text = store_.text_view().data();
    const std::int32_t hit_end = found + needle.size();
    const bool emptied = empties_line(text, store_.text_length(), hit.at.column, hit_end);
    std::string piece(static_cast<std::size_t>(max_insertion_size(static_cast<std::int32_t>(settings.replacement.size()))), '\0');
    const Insertion done = write_replacement(settings.replacement, hit.at.column,
                                             rest_of_line(text, store_.text_length(), hit_end), emptied, piece.data());
    piece.resize(static_cast<std::size_t>(done.size));
    if (!splice(found, hit_end, piece)) return true;  // told; nothing changed

    store_.reindex();
    store_.sort_pending = true;
    store_.invalidate_current_entry();
    ViewState& view = store_.view();
    const bool forward = is_forward(settings.direction);
    view.caret_line = hit.at.line + (forward ? done.breaks : 0);
    view.caret_column = forward ? done.caret_column : hit.at.column;
    scroll_caret_into_view();
    Frame& frame = store_.port().frame;
    frame.repaint(ViewId::overview);
    frame.repaint(ViewId::data_view);
    // A changed heading edited from the overview goes to its place at once.
    if (view.active_view == ActiveView::overview && view.first_scrolled_line == 0 && view.caret_line == 0) {
        const std::int32_t column = view.caret_column;
        sort(store_);
        view.caret_line = 0;
        view.caret_column = column;
        frame.repaint(ViewId::overview);
        frame.repaint(ViewId::data_view);
    }
    return true;
}

std::int32_t Search::replace_all_in_data(const Needle& needle) {
    const std::string_view replacement = replace_settings.replacement;
    const std::int32_t length = store_.text_length();
    const std::vector<std::int32_t> hits =
        collect_hits_forward(needle, store_.text_view().data(), length, 0, end_of_entries());
    if (hits.empty()) return 0;
    const std::int64_t bound =
        rebuilt_size_bound(length, hits.size(), needle.size(), static_cast<std::int32_t>(replacement.size()));
    TextBuffer rebuilt;
    if (bound <= std::numeric_limits<std::int32_t>::max() - text_headroom)
        rebuilt = store_.allocate_text(static_cast<std::int32_t>(bound) + text_headroom);
    if (!rebuilt) {
        show_error(store_.port(), text_not_enough_memory);
        return -1;
    }
    const std::int32_t new_length =
        write_replacements(store_.text_view().data(), length, hits, needle.size(), replacement, rebuilt.data());
    store_.adopt_text(std::move(rebuilt), new_length);
    return static_cast<std::int32_t>(hits.size());
}

std::int32_t Search::replace_all_in_entry(const Needle& needle) {
    const std::string_view replacement = replace_settings.replacement;
    const std::int32_t entry = clamped_selected_entry();
    const std::int32_t start = store_.entry_start(entry);
    const std::int32_t end = store_.entry_start(entry + 1);
    // Every byte of the entry as it stands is visited once, whatever the
    // replacement contains: forward directions in one pass from its start,
    // backward ones in one pass from its end.
    const char* text = store_.text_view().data();
    std::string rebuilt;
    std::int32_t count = 0;
    if (is_forward(replace_settings.direction)) {
        const std::vector<std::int32_t> hits = collect_hits_forward(needle, text, end, start, end);
        if (hits.empty()) return 0;
        std::vector<std::int32_t> relative(hits.size());
        std::transform(hits.begin(), hits.end(), relative.begin(), [&](std::int32_t h) { return h - start; });
        rebuilt.resize(static_cast<std::size_t>(rebuilt_size_bound(end - start, hits.size(), needle.size(),
                                                                   static_cast<std::int32_t>(replacement.size()))));
        rebuilt.resize(static_cast<std::size_t>(
            write_replacements(text + start, end - start, relative, needle.size(), replacement, rebuilt.data())));
        count = static_cast<std::int32_t>(hits.size());
    } else {
        rebuilt.assign(text + start, static_cast<std::size_t>(end - start));
        count = replace_backward(rebuilt, needle, replacement);
        if (count == 0) return 0;
    }
    return splice(start, end, rebuilt) ? count : -1;
}

void Search::finish_replace_all(std::int32_t count) {
    ViewState& view = store_.view();
    view.top_entry = 0;
    view.cursor_row = 0;
    view.selected_entry_start = 0;
    view.entry_range.marked = false;
    view.text_block.marked = false;
    view.text_block.anchor_line = -1;
    view.text_block.anchor_column = -1;
    store_.port().frame.enable_command(CMD_COPY, false);
    store_.port().frame.enable_command(CMD_CUT, false);
    store_.reindex();
    store_.sort_pending = true;
    store_.invalidate_current_entry();
    sort(store_);
    store_.port().frame.repaint(ViewId::overview);
    store_.port().frame.repaint(ViewId::data_view);
    char message[64];
    std::snprintf(message, sizeof message, "%i entries were replaced!", static_cast<int>(count));
    tell(message);
}

void Search::replace(ReplaceScope scope) {
    ReplaceSettings& settings = replace_settings;
    if (settings.text.empty()) {
        tell(text_no_search_text);
        return;
    }
    if (store_.store_released()) return;
    store_.take_undo_snapshot();
    set_status(settings.replace_all ? text_replacing_all : text_replacing);
    const Needle needle(settings.text, settings.ignore_case);
    bool found = false;
    if (store_.entry_count() > 0) {
        if (!settings.replace_all) {
            found = replace_once(scope, needle);
        } else {
            const std::int32_t count = scope == ReplaceScope::whole_data ? replace_all_in_data(needle)
                                                                         : replace_all_in_entry(needle);
            found = count != 0;
            if (count > 0) finish_replace_all(count);
        }
    }
    restore_status();
    if (found) return;
    if (scope == ReplaceScope::whole_data) {
        tell(text_nothing_found);
        return;
    }
    store_.port().prompts.beep();
    if (!ask_yes_no(store_.port(), text_search_whole_data, box::question | box::topmost)) return;
    settings.replace_all = false;
    make_overview_active();
    replace(ReplaceScope::whole_data);
}

void Search::repeat_replace(ReplaceScope scope) {
    if (replace_settings.text.empty() && open_replace_dialog) {
        open_replace_dialog();
        return;
    }
    replace(scope);
}

}  // namespace lumo
