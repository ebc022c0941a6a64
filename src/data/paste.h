// Text that arrives from outside (the clipboard, a drop) is cleaned so it can
// never break the store's structure, then inserted at the data view's caret
// with long lines broken at 255 characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/line_limit.h"

namespace lumo {

class Store;
struct ViewState;


// How many bytes from `from` on (at most `most`) are 32 or above: the run
// of text before the next control byte.
std::size_t printable_run(std::string_view text, std::size_t from, std::size_t most = SIZE_MAX);

// The first `c` in [begin, end), or null. A control byte (a line end) is
// sought past the printable run in front of it first, without a library
// call: lines are short, and most often it is the byte the run stops at.
const char* find_byte(const char* begin, const char* end, char c);

// Empty lines become a line holding one blank (also a final line end, which
// opens a new blank line); control bytes other than CR and LF become blanks.
// The input ends at its first NUL. The result never holds CR LF CR LF and
// never ends with CR LF.
std::string clean_text(std::string_view raw);
// The same, appended to `out`.
void append_clean_text(std::string_view raw, std::string& out);

// Appends cleaned text to `out` with a CR LF put in front of every byte
// that would take a line to 255 characters, counting `caret_column`
// characters in front of the first line and `rest_of_line` behind every
// line; the byte moved down is not counted in its new line. So text that
// starts a line holds at most 254 characters on it, each line after a
// break at most 255. Returns the lines the text ends below its first and
// the column behind its last byte.
struct LineBreaking {
    std::int32_t lines_added = 0;
    std::int32_t column = 0;
};
LineBreaking append_breaking_long_lines(std::string_view cleaned, std::int32_t caret_column,
                                        std::int32_t rest_of_line, std::string& out);

enum class InsertResult { inserted, no_memory };

// Inserts `raw`, cleaned, into the entry shown in the data view at the caret
// (`caret line`, `caret column` of `view`), breaking lines so no line grows
// past 255 characters, and moves the caret behind the inserted text. Then, as
// after every paste: reindex, `sort pending`, the current entry rebuilt on
// the next paint, both views repainted. On a failed growth the user is told
// "Not enough memory free!" and the text stays as it was.
InsertResult insert_text_at_caret(Store& store, ViewState& view, std::string_view raw);

}  // namespace lumo
