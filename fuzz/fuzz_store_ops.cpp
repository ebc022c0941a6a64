// A byte-coded sequence of store operations; the store's invariants are
// checked after every one, and Undo is checked against a copy of the text
// taken when its snapshot was: a swap must bring exactly that text back.
// Each operation takes its arguments from the bytes that follow its code.
// To add an operation, append a row to `ops`.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "data/address_file.h"
#include "data/sort.h"
#include "data/store.h"
#include "support/fake_port.h"

namespace {

// Reads arguments from the input; past its end every value is 0.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::int32_t int32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
        return static_cast<std::int32_t>(v);
    }
    // Mostly small values, sometimes anything.
    std::int32_t small() {
        const std::uint8_t b = byte();
        return b == 0xFF ? int32() : static_cast<std::int32_t>(b) - 8;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

struct Harness {
    lumo::testing::FakePort fake;
    lumo::ViewState view;
    lumo::Store store{fake.port, view};
    bool refuse_allocations = false;
    // The text an undo swap must bring back, while a snapshot exists.
    std::optional<std::string> undo_text;

    Harness() {
        store.allocation_gate = [this](std::size_t) { return !refuse_allocations; };
        store.reset_store();
    }
    // An offset inside the text (or at its end).
    std::int32_t offset(Input& in) {
        const std::int32_t n = store.text_length();
        return n == 0 ? 0 : static_cast<std::int32_t>(static_cast<std::uint32_t>(in.int32()) % (n + 1));
    }
    // The text, copied without moving the gap.
    std::string text() const {
        std::string out(static_cast<std::size_t>(store.text_length()), '\0');
        store.copy_text(0, store.text_length(), out.data());
        return out;
    }
};

void fail(const char* op, const std::string& why) {
    std::fprintf(stderr, "store unsound after %s: %s\n", op, why.c_str());
    std::abort();
}

// Bytes dense in line ends, so that edits make and break entry terminators.
std::string some_bytes(Input& in, std::int32_t most) {
    const char alphabet[] = {'\r', '\n', 'a', 'P', ' ', '\x01', '\xe4', '\0', '\x84'};
    std::string bytes(static_cast<std::size_t>(in.byte() % (most + 1)), ' ');
    for (char& c : bytes) c = alphabet[in.byte() % sizeof alphabet];
    return bytes;
}

// An edit as the editor, paste, replace and the overview make it.
void replace_bytes(Harness& h, Input& in, bool remove, bool insert) {
    const std::int32_t at = h.offset(in);
    const std::int32_t n = remove ? std::min<std::int32_t>(in.byte(), h.store.text_length() - at) : 0;
    const std::string bytes = insert ? some_bytes(in, 15) : std::string();
    if (!h.store.replace_text(at, n, bytes)) return;
    h.store.reindex();
    h.store.invalidate_current_entry();
}

// A rewrite in place, as the data check and reading do.
void rewrite_in_place(Harness& h, Input& in) {
    char* text = h.store.rewrite_text();
    if (text == nullptr) return;
    const std::string bytes = some_bytes(in, 8);
    const std::int32_t at = h.offset(in);
    const std::int32_t room = h.store.text_capacity() - lumo::text_guard - at;
    std::memcpy(text + at, bytes.data(), std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(room)));
    if (in.byte() % 2) h.store.set_text_length(h.offset(in) + static_cast<std::int32_t>(bytes.size()) / 2);
    h.store.reindex();
    h.store.invalidate_current_entry();
}

// A new buffer for the whole text, as sort and replace all hand over.
void adopt_copy(Harness& h, Input& in) {
    std::string text = h.text();
    if (!text.empty()) text[static_cast<std::size_t>(h.offset(in)) % text.size()] = '\r';
    lumo::TextBuffer buffer = h.store.allocate_text(static_cast<std::int32_t>(text.size()) + lumo::text_headroom);
    if (!buffer) return;
    std::memcpy(buffer.data(), text.data(), text.size());
    h.store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
    h.store.reindex();
}

// A range in one piece moves the gap; it must hold the text's bytes, and
// a range read before it that does not overlap it must still hold them.
void read_ranges(Harness& h, Input& in) {
    const std::string all = h.text();
    const std::int32_t a = h.offset(in), b = h.offset(in);
    const std::int32_t from = std::min(a, b), to = std::max(a, b);
    const std::string_view first = h.store.text_range(from, to);
    const std::int32_t c = h.offset(in), d = h.offset(in);
    const std::int32_t from2 = std::min(c, d), to2 = std::max(c, d);
    const std::string_view second = h.store.text_range(from2, to2);
    if (second != std::string_view(all).substr(static_cast<std::size_t>(from2), static_cast<std::size_t>(to2 - from2)))
        fail("read ranges", "a range does not hold the text");
    if ((to <= from2 || to2 <= from) &&
        first != std::string_view(all).substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)))
        fail("read ranges", "an earlier range changed");
}

void locate(Harness& h, Input& in) {
    const std::int32_t at = h.offset(in);
    const std::int32_t k = h.store.entry_at(at);
    if (h.store.entry_start(k) > at || (k < h.store.entry_count() && h.store.entry_start(k + 1) <= at))
        fail("locate", "entry_at names the wrong entry");
}

void select_entry(Harness& h, Input& in) {
    h.view.top_entry = in.small();
    h.view.cursor_row = in.small();
}

void show_entry(Harness& h, Input& in) {
    const std::int32_t rows = in.small();
    const std::uint8_t how = in.byte();
    std::int32_t start = 0;
    if (how % 3 == 0) start = in.int32();
    else if (how % 3 == 1)
        start = h.store.entry_start(static_cast<std::int32_t>(static_cast<std::uint32_t>(in.small()) %
                                                              static_cast<std::uint32_t>(h.store.entry_count() + 2)));
    else start = h.offset(in);
    h.store.show_entry(rows, start, in.small());
}

using OpFunction = void (*)(Harness&, Input&);
struct Op {
    const char* name;
    OpFunction run;
};

const Op ops[] = {
    {"insert empty entry", [](Harness& h, Input&) { h.store.insert_empty_entry(); }},
    {"take undo snapshot", [](Harness& h, Input&) { h.store.take_undo_snapshot(); }},
    {"swap undo snapshot", [](Harness& h, Input&) { h.store.swap_undo_snapshot(); }},
    {"discard undo snapshot", [](Harness& h, Input&) { h.store.discard_undo_snapshot(); }},
    {"show entry", show_entry},
    {"fill overview rows", [](Harness& h, Input& in) { h.store.fill_overview_rows(in.small(), in.small()); }},
    {"ensure room", [](Harness& h, Input&) { h.store.ensure_room(); }},
    {"select entry", select_entry},
    {"insert bytes", [](Harness& h, Input& in) { replace_bytes(h, in, false, true); }},
    {"delete bytes", [](Harness& h, Input& in) { replace_bytes(h, in, true, false); }},
    {"reindex", [](Harness& h, Input&) { h.store.reindex(); }},
    {"toggle allocation failure", [](Harness& h, Input&) { h.refuse_allocations = !h.refuse_allocations; }},
    {"grow text", [](Harness& h, Input& in) { h.store.grow_text(h.store.text_length() + in.byte() * 64); }},
    {"reset store", [](Harness& h, Input&) {
         if (!h.store.reset_store()) h.store.reset_store();
     }},
    {"sort", [](Harness& h, Input&) { lumo::sort(h.store); }},
    {"data check", [](Harness& h, Input&) { lumo::data_check(h.store); }},
    {"replace bytes", [](Harness& h, Input& in) { replace_bytes(h, in, true, true); }},
    {"rewrite in place", rewrite_in_place},
    {"adopt a copy", adopt_copy},
    {"read ranges", read_ranges},
    {"locate an offset", locate},
    {"to OEM", [](Harness& h, Input&) { lumo::to_oem(h.store); }},
};

// Undo brings back the text of its snapshot, and the one it replaced on
// the next swap; a swap refused for memory changes nothing.
void check_undo(Harness& h, const Op& op, const std::string& before, bool had_snapshot) {
    const bool takes = op.run == ops[1].run || op.run == ops[0].run;
    if (op.run == ops[2].run && had_snapshot && h.undo_text && !h.store.store_released()) {
        const std::string after = h.text();
        if (after == *h.undo_text)
            h.undo_text = before;
        else if (after != before || !h.refuse_allocations)
            fail(op.name, "undo did not bring back the snapshot's text");
    } else if (takes && h.store.has_undo_snapshot()) {
        h.undo_text = before;
    }
    if (!h.store.has_undo_snapshot()) h.undo_text.reset();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Harness h;
    Input in(data, size);
    for (int step = 0; step < 2000 && !in.done(); ++step) {
        const Op& op = ops[in.byte() % (sizeof ops / sizeof ops[0])];
        if (h.store.store_released()) {
            h.refuse_allocations = false;
            h.store.reset_store();
        }
        const std::string before = h.text();
        const bool had_snapshot = h.store.has_undo_snapshot();
        op.run(h, in);
        std::string why;
        if (!h.store.check(&why)) fail(op.name, why);
        check_undo(h, op, before, had_snapshot);
    }
    return 0;
}
