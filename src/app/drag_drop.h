// Drag and drop of text: the state the views' drag starts share with the
// data view's drop target, which effect a drop has, where it lands, what it
// inserts (text, or the first file of a shell drop as a quoted link) and how
// a move inside the data view removes the dragged block. The OLE objects in
// the shell only unpack their arguments and call these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "views/data_view.h"

namespace lumo {

class App;

// Where the program's own drag started.
enum class DragSource : std::uint8_t { none, overview, data_view };

// The values are OLE's DROPEFFECT_NONE, _COPY and _MOVE.
enum class DropEffect : std::uint32_t { none = 0, copy = 1, move = 2 };

struct DragKeys {
    bool ctrl = false;
    bool shift = false;
};

struct DragState {
    DragSource source = DragSource::none;
    // A copy of what the program's own drag carries; empty while none runs.
    std::string buffer;
    // Where a drop would insert, and where the caret was last drawn for it.
    TextPosition drop_position;
    std::optional<TextPosition> shown_drop_position;
    // The offered data holds files but no text.
    bool file_drop = false;
    // Set when the drop target inserted the program's own drag into the data
    // view (it took the undo snapshot then).
    bool inserted_by_target = false;

    bool own_drag_running() const { return !buffer.empty(); }
    // A drag start: the text and where it comes from.
    void begin(DragSource from, std::string text);
    // After DoDragDrop, whatever happened.
    void end();
};

// Ctrl copies, Shift moves; otherwise a drag inside the data view moves and
// anything else (the overview, another program) copies. Files are copied.
DropEffect drop_effect(DragKeys keys, DragSource source, bool file_drop);

// The first path of a DROPFILES block (its header: offset of the file list,
// a point, two flags, the second telling wide characters). Wide characters
// are brought to Windows-1252, '?' where it has none. Nothing when the block
// is too short or the offset points outside it; a list that runs to the
// block's end without its terminator ends there.
std::optional<std::string> first_dropped_path(std::string_view block);

// The path between double quotes with control bytes turned into blanks, so
// the data view shows it as a link.
std::string file_link(std::string_view path);

// What one DragOver pass did: the drop position, and the waits that pace
// the scrolling it did (0 when it did not scroll that way).
struct DragOverStep {
    TextPosition position;
    bool position_moved = false;  // the caret must be redrawn there
    int vertical_wait_ms = 0;
    int horizontal_wait_ms = 0;
};

// The drag starts of the two views. begin_* fills the drag state with the
// marked text (false: nothing marked, no drag); end_* takes the outcome of
// the drag loop, removes what a move took away, and empties the drag state.
bool begin_drag_text(App& app);
void end_drag_text(App& app, bool dropped, DropEffect effect);
bool begin_drag_entries(App& app);
void end_drag_entries(App& app, bool dropped, DropEffect effect);

// The drop target's model over the application's state.
class DropTarget {
public:
    explicit DropTarget(App& app) : app_(app) {}

    // DragEnter: the effect for text or files; nothing when the data offers
    // neither (the drop is refused).
    std::optional<DropEffect> enter(bool offers_text, bool offers_files, DragKeys keys);
    // DragOver with the mouse at client (x, y): finds the drop position,
    // scrolls the view's state at the edges. The caret stays where it was.
    DragOverStep over(std::int32_t x, std::int32_t y);
    DropEffect effect(DragKeys keys) const;
    // DragLeave: the drop position is no longer shown.
    void leave();

    // Drop of text at the drop position. Returns the effect the drag source
    // is told: none when the program's own block is dropped onto itself, or
    // marked entries are moved into one of themselves (nothing changes
    // then: the move would delete them with what was dropped into them). A move before the dragged block removes the
    // block first; a move behind it is left to the drag start.
    DropEffect drop_text(std::string_view text, DragKeys keys);
    // A drop that carried text in a form that could not be read: the views
    // are brought up to date, nothing is inserted.
    DropEffect drop_nothing(DragKeys keys);
    // Drop of files: the link to the first one (see file_link) is inserted.
    DropEffect drop_file(std::string_view path);

private:
    bool drop_inside_dragged_block() const;
    bool drop_into_dragged_entries() const;
    bool drop_before_block() const;
    void prepare_insertion();
    void activate_data_view();
    void finish();

    App& app_;
};

}  // namespace lumo
