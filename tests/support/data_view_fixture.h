// A store, the data view and the edit engine over the fake port, with a
// canvas that records what each paint pass draws.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "data/store.h"
#include "support/fake_port.h"
#include "views/data_view.h"
#include "views/edit_engine.h"

namespace lumo::testing {

class RecordingCanvas final : public DataViewCanvas {
public:
    std::vector<DataViewPaint> paints;
    std::vector<Underline> underlines;
    std::vector<ViewCursor> cursors;
    void draw(const DataViewPaint& paint) override { paints.push_back(paint); }
    void draw_underline(const Underline& line) override { underlines.push_back(line); }
    void set_cursor(ViewCursor cursor) override { cursors.push_back(cursor); }
};

class DataViewFixture : public ::testing::Test {
protected:
    FakePort fake;
    ViewState view;
    Store store{fake.port, view};
    DataViewState state;
    DataView data_view{store, view, state, fake.port};
    EditEngine engine{store, view, data_view, fake.port};
    RecordingCanvas canvas;

    // Fixed width 8, lines 16 high, a caption of 20: V = 200 / 16 = 12.
    void SetUp() override {
        ASSERT_TRUE(store.reset_store());
        state.geometry = {400, 200, 16, 254 * 8, 20};
        data_view.set_canvas(&canvas);
        view.active_view = ActiveView::data_view;
    }

    // Replaces the text as a load does and shows the entry at `entry`.
    void load(std::string_view text, std::int32_t entry = 0) {
        TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(text.size()) + text_headroom);
        ASSERT_TRUE(buffer);
        std::memcpy(buffer.data(), text.data(), text.size());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        store.reindex();
        store.modified = false;
        view.selected_entry_start = store.entry_start(entry);
        data_view.paint(DataViewPaintMode::full);
        canvas.paints.clear();
        fake.calls.clear();
        expect_sound();
    }
    void expect_sound() {
        std::string why;
        EXPECT_TRUE(store.check(&why)) << why;
    }
    std::string text() const { return std::string(store.text_view()); }
    void caret(std::int32_t line, std::int32_t column) {
        view.caret_line = line;
        view.caret_column = column;
    }
    TextPosition caret() const { return {view.caret_line, view.caret_column}; }
    // Runs one edit engine code and checks the store afterwards.
    int key(int code) {
        const int result = engine.edit(code);
        expect_sound();
        return result;
    }
    int type(std::string_view characters) {
        for (char c : characters)
            if (key(static_cast<unsigned char>(c)) != 0) return edit_refused;
        return 0;
    }
    void mark(TextPosition a, TextPosition b) {
        data_view.mark_block(a, b);
        view.text_block.anchor_line = a.line;
        view.text_block.anchor_column = a.column;
    }
};

}  // namespace lumo::testing
