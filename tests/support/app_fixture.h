// A fresh application over the recording fake port, with view geometries
// and helpers to load a text and press keys, for tests of the main window's
// keys and commands.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include "app/app.h"
#include "app/keyboard.h"
#include "support/fake_port.h"

namespace lumo::testing {

class NoCalendar final : public calendar::Transport {
public:
    bool find_calendar() override { return true; }
    void post(const calendar::WireMessage&) override {}
    void bring_calendar_to_front() override {}
};

class AppTest : public ::testing::Test {
protected:
    FakePort fake;
    NoCalendar calendar;
    App app{fake.port, calendar};

    void SetUp() override {
        ASSERT_TRUE(app.store.reset_store());
        app.overview_state.geometry = {200, 150, 10, 2032, 20};  // 10 rows
        app.data_view_state.geometry = {400, 200, 16, 254 * 8, 20};
    }
    void load(std::string_view text) {
        TextBuffer buffer = app.store.allocate_text(static_cast<std::int32_t>(text.size()) + text_headroom);
        ASSERT_TRUE(buffer);
        std::memcpy(buffer.data(), text.data(), text.size());
        app.store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        app.store.reindex();
        app.store.modified = false;
        app.views.selected_entry_start = 0;
    }
    void press(int key, std::initializer_list<int> modifiers = {}) {
        fake.held_keys = modifiers;
        on_key_down(app, key);
        fake.held_keys.clear();
    }
    void type(std::string_view s) {
        for (char c : s) on_char(app, static_cast<unsigned char>(c));
    }
    std::string text() const { return std::string(app.store.text_view()); }
    ActiveView active() const { return app.views.active_view; }
};

}  // namespace lumo::testing
