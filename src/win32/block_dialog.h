// "You have marked a block!\nWhat shall be saved?" (template 130).
#pragma once

#include <windows.h>

#include "port/port.h"

namespace lumo::win32 {

// Runs the question modally over `owner`: Block, All, or closed (Esc).
BlockChoice run_block_dialog(HINSTANCE instance, HWND owner);

}  // namespace lumo::win32
