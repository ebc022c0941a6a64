// The edit engine: changes the text of the selected entry in place, in the
// store's one text buffer, one code at a time (insert a character, Delete,
// Backspace, Enter), keeps every line non-empty with a one-blank placeholder
// and at most 255 characters long, removes blank lines and whole entries,
// deletes a marked text block, and ends every change with a re-index.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "data/store.h"
#include "port/port.h"
#include "views/data_view.h"
#include "views/view_state.h"

namespace lumo {

inline constexpr std::string_view text_line_too_long = "Line would be longer than 255 characters!";
inline constexpr std::string_view text_really_delete_entry = "Really delete this entry?";

// Edit engine codes below 32; codes 32 and above insert that character.
namespace edit_code {
constexpr int delete_key = 1;
constexpr int backspace = 2;
constexpr int enter = 3;
constexpr int end_type_ahead = 4;  // the overview's; nothing here
}  // namespace edit_code

// The result that tells a caller typing several characters to stop.
inline constexpr int edit_refused = -1;

class EditEngine {
public:
    // All references outlive the engine (the application object owns them).
    EditEngine(Store& store, ViewState& view, DataView& data_view, Port& port);

    // `edit engine`(code) on the data view, whatever view is active (the
    // caller routes overview codes to the type-ahead). Returns 0, or
    // edit_refused when the 255-character limit refused the edit. The caller
    // has taken the undo snapshot. When the data view is active the caret is
    // first scrolled into view.
    int edit(int code);

    // `delete text block`: removes the marked block, the caret going to its
    // start; a line left empty gets its placeholder. Unless `keep_caret`, the
    // data view (and, for a block from the heading line, the overview) is
    // repainted. Sets sort pending. Nothing when no block is marked.
    void delete_text_block(bool keep_caret);

    // After a drag of the marked text ended in a move: takes an undo snapshot
    // unless the drop target took one (`snapshot_taken`), deletes the block
    // keeping the caret behind the text where the drop left it (it follows
    // the text that the removal shifts up and left) and repaints. Nothing
    // when the target removed the block.
    void finish_drag_move(bool snapshot_taken);

private:
    // The caret's line as the edit sees it (column clamped to the line).
    struct CaretLine {
        std::int32_t start = -1;  // offset of the line, -1 when there is none
        std::string_view text;
        std::int32_t length = 0;
        std::int32_t column = 0;
        bool is_placeholder = false;
    };
    CaretLine caret_line();

    int insert_char(char c);
    int delete_forward();
    int delete_backward();
    int split_line();
    int remove_blank_line(bool backspace);
    int join_with_next(const CaretLine& line);
    int join_with_previous(const CaretLine& line);
    int refuse_too_long();

    bool insert_bytes(std::int32_t at, std::string_view bytes);
    void remove_bytes(std::int32_t at, std::int32_t count);
    void overwrite_byte(std::int32_t at, char c);
    // `commit edit`: re-index, sort pending for the heading, lines to be
    // rebuilt, the caret moved (if given) and kept in view, repaint.
    void commit_edit(DataViewPaintMode mode, const std::function<void()>& move_caret);
    void renew_if_empty();

    Store& store_;
    ViewState& view_;
    DataView& data_view_;
    Port& port_;
};

}  // namespace lumo
