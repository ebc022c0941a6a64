// The main window's keyboard: what WM_KEYDOWN, WM_CHAR and WM_MOUSEWHEEL do
// in either view, the edit engine as both views share it, and the switching
// of the active view (Tab, Enter, Esc, Rotate). The shell's window procedures
// call these with the message's key code, character or wheel delta; the
// modifier keys are read through the port when a key is handled.
#pragma once

#include <cstdint>
#include <string_view>

namespace lumo {

class App;

// The virtual-key codes the core acts on, with their Win32 values.
namespace vk {
constexpr int lbutton = 0x01;
constexpr int back = 0x08;
constexpr int tab = 0x09;
constexpr int enter = 0x0D;
constexpr int shift = 0x10;
constexpr int control = 0x11;
constexpr int escape = 0x1B;
constexpr int prior = 0x21;  // Page Up
constexpr int next = 0x22;   // Page Down
constexpr int end = 0x23;
constexpr int home = 0x24;
constexpr int left = 0x25;
constexpr int up = 0x26;
constexpr int right = 0x27;
constexpr int down = 0x28;
constexpr int insert = 0x2D;
constexpr int del = 0x2E;
}  // namespace vk

inline constexpr std::string_view text_really_delete_entries = "Really delete these entries?";

// `edit engine`(code) for whichever view is active: while the overview is,
// characters, Delete, Backspace and code 4 work on its type-ahead (Delete
// and Backspace with nothing typed remove the selected entry; the caller has
// asked); otherwise the data view's engine edits. Returns 0, or -1 when the
// 255-character limit refused the edit. A store left without text becomes a
// new empty one.
int edit_engine(App& app, int code);

// WM_KEYDOWN with the virtual-key code. Ignored while the modal flag is set.
void on_key_down(App& app, int key);
// WM_CHAR with the character code (0 to 255). Codes below 32 are ignored.
void on_char(App& app, int code);
// WM_MOUSEWHEEL with the signed wheel delta (positive: away from the user).
void on_mouse_wheel(App& app, int delta);

// Switching views.
void switch_to_data_view(App& app);
void switch_to_overview(App& app);
// Rotate (40011): to the other view; nothing when neither is active.
void rotate_views(App& app);

}  // namespace lumo
