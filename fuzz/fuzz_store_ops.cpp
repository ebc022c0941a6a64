// A byte-coded sequence of store operations; the store's invariants are
// checked after every one. Each operation takes its arguments from the
// bytes that follow its code. To add an operation, append a row to `ops`.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

    Harness() {
        store.allocation_gate = [this](std::size_t) { return !refuse_allocations; };
        store.reset_store();
    }
    // An offset inside the text (or at its end).
    std::int32_t offset(Input& in) {
        const std::int32_t n = store.text_length();
        return n == 0 ? 0 : static_cast<std::int32_t>(static_cast<std::uint32_t>(in.int32()) % (n + 1));
    }
};

// Typed text as the editor would insert it: reserve, shift, reindex.
void insert_bytes(Harness& h, Input& in) {
    const std::int32_t at = h.offset(in);
    const std::int32_t n = in.byte() % 16;
    char bytes[16];
    const char alphabet[] = {'\r', '\n', 'a', 'P', ' ', '\x01', '\xe4', '\0'};
    for (std::int32_t i = 0; i < n; ++i) bytes[i] = alphabet[in.byte() % sizeof alphabet];
    if (!h.store.reserve(n, n / 4 + 1)) return;
    char* text = h.store.text();
    std::memmove(text + at + n, text + at, static_cast<std::size_t>(h.store.text_length() - at));
    std::memcpy(text + at, bytes, static_cast<std::size_t>(n));
    h.store.set_text_length(h.store.text_length() + n);
    h.store.reindex();
    h.store.invalidate_current_entry();
}

void delete_bytes(Harness& h, Input& in) {
    const std::int32_t at = h.offset(in);
    const std::int32_t n = std::min<std::int32_t>(in.byte(), h.store.text_length() - at);
    char* text = h.store.text();
    std::memmove(text + at, text + at + n, static_cast<std::size_t>(h.store.text_length() - at - n));
    h.store.set_text_length(h.store.text_length() - n);
    h.store.reindex();
    h.store.invalidate_current_entry();
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
    else if (how % 3 == 1) start = h.store.entry_start(std::abs(in.small()) % (h.store.entry_count() + 2));
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
    {"insert bytes", insert_bytes},
    {"delete bytes", delete_bytes},
    {"reindex", [](Harness& h, Input&) { h.store.reindex(); }},
    {"toggle allocation failure", [](Harness& h, Input&) { h.refuse_allocations = !h.refuse_allocations; }},
    {"grow text", [](Harness& h, Input& in) { h.store.grow_text(h.store.text_length() + in.byte() * 64); }},
    {"reset store", [](Harness& h, Input&) {
         if (!h.store.reset_store()) h.store.reset_store();
     }},
    {"sort", [](Harness& h, Input&) { lumo::sort(h.store); }},
    {"data check", [](Harness& h, Input&) { lumo::data_check(h.store); }},
};

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
        op.run(h, in);
        std::string why;
        if (!h.store.check(&why)) {
            std::fprintf(stderr, "store unsound after %s: %s\n", op.name, why.c_str());
            std::abort();
        }
    }
    return 0;
}
