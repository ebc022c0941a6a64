#include "data/paste.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "data/store.h"
#include "views/view_state.h"

namespace lumo {

namespace {

constexpr char cr = '\r';
constexpr char lf = '\n';

bool crlf_at(std::string_view s, std::size_t i) { return i + 1 < s.size() && s[i] == cr && s[i + 1] == lf; }

// Start of line `line` of the entry that begins at `entry_start`, or -1 when
// the entry has no such line.
std::int32_t line_start_in(const Store& store, std::int32_t entry_start, std::int32_t line) {
    if (store.current_entry() == entry_start) return store.line_start(line);
    const auto starts = store.line_starts_of(entry_start);
    return line >= 0 && line < static_cast<std::int32_t>(starts.size()) ? starts[static_cast<std::size_t>(line)] : -1;
}

}  // namespace

std::size_t printable_run(std::string_view s, std::size_t from, std::size_t most) {
    const std::size_t end = from + std::min(most, s.size() - from);
    std::size_t i = from;
    constexpr std::uint64_t ones = 0x0101010101010101u;
    while (i + 8 <= end) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        // The high bit of each byte below 32; the lowest one marked is exact.
        const std::uint64_t below = (word - ones * 32) & ~word & (ones * 0x80);
        if (below != 0) {
            if constexpr (std::endian::native == std::endian::little)
                return i + static_cast<std::size_t>(std::countr_zero(below)) / 8 - from;
            break;
        }
        i += 8;
    }
    // The last bytes as one word too, overlapping those already seen: short
    // texts are mostly printable to their end.
    if (i < end && i + 8 > end && end - from >= 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + end - 8, 8);
        if (!((word - ones * 32) & ~word & (ones * 0x80))) return end - from;
    }
    while (i < end && static_cast<unsigned char>(s[i]) >= 32) ++i;
    return i - from;
}

const char* find_byte(const char* begin, const char* end, char c) {
    if (begin >= end) return nullptr;
    if (static_cast<unsigned char>(c) < 32) {
        if (*begin != c) begin += printable_run({begin, static_cast<std::size_t>(end - begin)}, 0);
        if (begin == end) return nullptr;
        if (*begin == c) return begin;
    }
    return static_cast<const char*>(std::memchr(begin, c, static_cast<std::size_t>(end - begin)));
}

std::string clean_text(std::string_view raw) {
    std::string out;
    out.reserve(raw.size() + raw.size() / 2 + 1);
    append_clean_text(raw, out);
    return out;
}

void append_clean_text(std::string_view raw, std::string& out) {
    raw = raw.substr(0, raw.find('\0'));
    for (std::size_t i = 0; i < raw.size();) {
        // Text without control bytes passes as it is.
        const std::size_t run = printable_run(raw, i, raw.size());
        out.append(raw.data() + i, run);
        i += run;
        if (i == raw.size()) break;
        if (crlf_at(raw, i) && (i + 2 == raw.size() || crlf_at(raw, i + 2))) {
            out += "\r\n ";
            i += 2;
            continue;
        }
        out.push_back(raw[i] == cr || raw[i] == lf ? raw[i] : ' ');
        ++i;
    }
}

LineBreaking append_breaking_long_lines(std::string_view cleaned, std::int32_t caret_column,
                                        std::int32_t rest_of_line, std::string& out) {
    LineBreaking result;
    std::int32_t column = caret_column;
    for (std::size_t i = 0; i < cleaned.size();) {
        // A run of characters that stays short of the limit goes in whole.
        const auto room = static_cast<std::size_t>(std::max(max_line_length - 1 - rest_of_line - column, 0));
        const std::size_t run = printable_run(cleaned, i, room);
        out.append(cleaned.data() + i, run);
        column += static_cast<std::int32_t>(run);
        i += run;
        if (i == cleaned.size()) break;
        const char c = cleaned[i++];
        if (static_cast<unsigned char>(c) >= 32) {
            ++column;
            if (rest_of_line + column >= max_line_length) {
                out += "\r\n";
                column = 0;  // the byte that moved down is not counted
                ++result.lines_added;
            }
        } else if (c == cr) {
            column = 0;
            ++result.lines_added;
        }
        out.push_back(c);
    }
    result.column = column;
    return result;
}

InsertResult insert_text_at_caret(Store& store, ViewState& view, std::string_view raw) {
    std::string cleaned = clean_text(raw);
    const std::int32_t line_start = line_start_in(store, view.selected_entry_start, view.caret_line);
    InsertResult result = InsertResult::inserted;
    if (line_start >= 0 && !cleaned.empty()) {
        const std::int32_t at = line_start + view.caret_column;
        // A line end right at the start of a line would leave an empty line
        // behind, which ends the entry: it gets the blank placeholder too.
        if (view.caret_column == 0 && crlf_at(cleaned, 0)) cleaned.insert(cleaned.begin(), ' ');
        std::int32_t rest = 0;
        while (at + rest < store.text_length() && store.char_at(at + rest) != cr) ++rest;
        std::string prepared;
        prepared.reserve(cleaned.size() + cleaned.size() / 128 + 4);
        const LineBreaking breaking = append_breaking_long_lines(cleaned, view.caret_column, rest, prepared);
        if (store.replace_text(at, 0, prepared)) {
            view.caret_line += breaking.lines_added;
            view.caret_column = breaking.column;
        } else {
            result = InsertResult::no_memory;
        }
    }
    store.reindex();
    store.sort_pending = true;
    store.invalidate_current_entry();
    store.port().frame.repaint(ViewId::overview);
    store.port().frame.repaint(ViewId::data_view);
    return result;
}

}  // namespace lumo
