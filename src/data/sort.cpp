// Sort and data check on the store: rewrite the text buffer in heading order
// or without duplicate neighbours, then bring the views back to a consistent
// place.
#include <algorithm>
#include <cstring>
#include <new>

#include "data/sort.h"
#include "data/store.h"
#include "data/two_halves.h"
#include "port/ids.h"

namespace lumo {
namespace {

constexpr std::string_view text_sorting = "Sortieren...";

// Start of every entry plus the end of the last one.
std::span<const std::int32_t> entry_bounds(const Store& store) {
    return {store.entry_index(), static_cast<std::size_t>(store.entry_count()) + 1};
}

// Keeps reindex away from the status bar and the title while sorting.
class SortRunning {
public:
    explicit SortRunning(Store& store) : store_(store) { store_.sort_running = true; }
    ~SortRunning() { store_.sort_running = false; }
    SortRunning(const SortRunning&) = delete;
    SortRunning& operator=(const SortRunning&) = delete;

private:
    Store& store_;
};

// Where the selected entry ends up. A selection that names no entry (it
// should not happen) is clamped to the nearest row that does.
std::int32_t sorted_cursor_row(std::span<const std::int32_t> order, const ViewState& view) {
    const auto count = static_cast<std::int32_t>(order.size());
    if (count == 0) return 0;
    // Summed wide: positions from a damaged state must not overflow.
    const std::int64_t selected = std::int64_t{view.top_entry} + view.cursor_row;
    if (selected < 0 || selected >= count)
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(selected, 0, count - 1));
    return static_cast<std::int32_t>(std::find(order.begin(), order.end(), selected) - order.begin());
}

// Copies the entries in `order` one after the other into `out`, then the
// text behind the last entry, reading across the store's gap, and writes
// over `order` where each entry now starts, with the end of the last behind
// them: the new entry index. A big book is copied in two halves at once,
// the second from where the first ends.
void gather(const Store& store, std::vector<std::int32_t>& order, char* out) {
    const std::span<const std::int32_t> starts = entry_bounds(store);
    const std::int32_t first = starts.front();
    const auto copy_entries = [&](std::size_t begin, std::size_t end, std::int32_t at) {
        for (std::size_t p = begin; p < end; ++p) {
            const auto e = static_cast<std::size_t>(order[p]);
            store.copy_text(starts[e], starts[e + 1], out + (at - first));
            order[p] = at;
            at += starts[e + 1] - starts[e];
        }
    };
    // The second half goes behind the first: summed before either half
    // writes its starts over `order`.
    std::int32_t second_half_at = first;
    if (order.size() >= parallel_entries)
        for (std::size_t p = 0; p < second_half_begin(order.size()); ++p)
            second_half_at += starts[static_cast<std::size_t>(order[p]) + 1] - starts[static_cast<std::size_t>(order[p])];
    in_two_halves(order.size(), parallel_entries, [&](std::size_t begin, std::size_t end) {
        copy_entries(begin, end, begin == 0 ? first : second_half_at);
    });
    order.push_back(starts.back());
    store.copy_text(starts.back(), store.text_length(), out + (starts.back() - first));
}

// Reindexes from the known starts without leaving a trace of modification:
// sorting alone never marks the data modified.
void reindex_unmodified(Store& store, std::span<const std::int32_t> starts) {
    const bool was_modified = store.modified;
    const char marker = store.window_title_text()[0];
    {
        SortRunning running(store);
        store.reindex_known(starts);
    }
    store.modified = was_modified;
    store.window_title_text()[0] = marker;
}

// The title and the entry count back in place of "Sortieren...".
void end_sorting(Store& store) {
    store.invalidate_current_entry();
    store.show_title();
    if (store.port().frame.main_window_exists())
        store.port().frame.set_status_text(store.entries_status_text());
}

bool in_order(std::span<const std::int32_t> order) {
    for (std::size_t k = 0; k < order.size(); ++k)
        if (order[k] != static_cast<std::int32_t>(k)) return false;
    return true;
}

// Where the sorted text is written: a new buffer that replaces the old, or
// the old one itself, in place, with room for the bytes kept aside.
struct SortTarget {
    TextBuffer buffer;
    std::vector<char> aside;
    explicit operator bool() const { return buffer || !aside.empty(); }
};

// An order that moves entries only a little way (a sorted book whose
// equal headings trade places, as they do at every sort) is written over
// the text itself when the bytes it keeps aside stay within an eighth of
// the text: no new buffer, and no new pages for it. Not when an undo
// snapshot of edited ranges needs the old text: it then becomes that
// snapshot's copy at no cost. Otherwise the text goes to `room` (had before
// the order was worked out), or to a buffer had now.
SortTarget sort_target(Store& store, std::span<const std::int32_t> order, TextBuffer room) {
    SortTarget target;
    if (!store.rewrite_copies_undo_text()) {
        const std::int64_t in_place = room_to_gather_in_place(entry_bounds(store), order);
        if (in_place <= store.text_length() / 8) {
            target.aside.resize(static_cast<std::size_t>(std::max<std::int64_t>(in_place, 1)));
            return target;
        }
    }
    target.buffer = room ? std::move(room) : store.allocate_text(store.text_length() + text_headroom);
    return target;
}

// Writes the entries in `order` to the target, which becomes the text.
void rearrange(Store& store, std::vector<std::int32_t> order, SortTarget target) {
    if (target.buffer) {
        gather(store, order, target.buffer.data());
        store.adopt_text(std::move(target.buffer), store.text_length());
    } else {
        char* text = store.rewrite_text();
        gather_in_place(text, entry_bounds(store), order, target.aside);
        order.push_back(entry_bounds(store).back());
    }
    reindex_unmodified(store, order);
}

void show_sorted_position(Store& store, std::int32_t cursor_row) {
    ViewState& view = store.view();
    Frame& frame = store.port().frame;
    view.top_entry = 0;
    view.overview_horizontal_offset = 0;
    view.cursor_row = cursor_row;
    frame.repaint(ViewId::overview);
    view.selected_entry_start = store.entry_start(cursor_row);
    view.caret_line = 0;
    view.caret_column = 0;
    view.first_scrolled_line = 0;
    view.data_view_horizontal_offset = 0;
    frame.repaint(ViewId::data_view);
}

// Gives a text buffer that the data check left mostly empty the usual
// headroom over its length again. A smaller saving is not worth copying the
// whole text (the buffer only shrinks, so its headroom is there anyway). The
// old block stays when no new one can be had.
void fit_text_buffer(Store& store) {
    const std::int32_t length = store.text_length();
    if (store.text_capacity() / 2 <= length + text_headroom) return;
    TextBuffer fitted = store.allocate_text(length + text_headroom);
    if (!fitted) return;
    store.copy_text(0, length, fitted.data());
    store.adopt_text(std::move(fitted), length);
}

void reset_views(Store& store) {
    ViewState& view = store.view();
    view.reset_positions();
    view.text_block.marked = false;
    view.entry_range.marked = false;
    store.port().frame.enable_command(CMD_COPY, false);
    store.port().frame.enable_command(CMD_CUT, false);
}

}  // namespace

const FoldTable& sort_fold_table() { return fold_table(2); }

void sort(Store& store) {
    store.sort_pending = false;
    if (store.store_released() || store.text_length() < 1) return;
    Port& port = store.port();

    std::vector<std::int32_t> order;
    HeadingNeighbours neighbours;
    SortTarget sorted;
    // A book that is in order already (as most are when opened, or after an
    // edit that kept its entry's place) keeps its text where it is: no
    // second buffer, no copy.
    bool unchanged = false;
    try {
        // The buffer the sorted text will need is had first and lent to the
        // order's working arrays: the pages they touch are then the text's,
        // not new ones as well. Without it they take memory of their own.
        TextBuffer room = store.allocate_text(store.text_length() + text_headroom);
        order = sorted_entry_order({store.text_before_gap(), store.text_after_gap()}, entry_bounds(store),
                                   sort_fold_table(), &neighbours,
                                   {room.data(), static_cast<std::size_t>(room.capacity())});
        unchanged = in_order(order);
        if (!unchanged) sorted = sort_target(store, order, std::move(room));
    } catch (const std::bad_alloc&) {
        order = {};
    }
    if (!unchanged && !sorted) {
        show_error(port, text_not_enough_memory);
        return;
    }
    if (port.frame.main_window_exists()) port.frame.set_status_text(text_sorting);

    const std::int32_t cursor_row = sorted_cursor_row(order, store.view());
    if (!unchanged) rearrange(store, std::move(order), std::move(sorted));
    end_sorting(store);
    store.set_heading_prefixes(std::move(neighbours.shared), std::move(neighbours.first));
    show_sorted_position(store, cursor_row);
}

void data_check(Store& store) {
    if (store.store_released()) return;
    // The new entry starts fall out of the removal and go straight into the
    // entry index, so the text is not scanned again.
    char* text = store.rewrite_text();
    std::int32_t* slots = store.entry_index_for_rewrite();
    const DuplicateRemoval left = remove_duplicate_neighbours(
        reinterpret_cast<std::uint8_t*>(text), store.text_length(), entry_bounds(store), slots);
    store.set_text_length(left.text_length);
    fit_text_buffer(store);
    reset_views(store);
    store.reindex_known({slots, static_cast<std::size_t>(left.entry_count) + 1});
    store.invalidate_current_entry();
    store.port().frame.repaint(ViewId::overview);
    store.port().frame.repaint(ViewId::data_view);
}

}  // namespace lumo
