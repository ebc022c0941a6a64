// The port's file steps on Win32: a new file made with GetTempFileNameA in
// the target's folder, written with WriteFile, flushed with
// FlushFileBuffers, and moved over the target with MoveFileExA.
#pragma once

#include <windows.h>

#include "port/port.h"

namespace lumo::win32 {

class Win32FileSystem final : public FileSystem {
public:
    std::unique_ptr<NewFile> create_beside(std::string_view path) override;
    bool replace(std::string_view from, std::string_view to) override;
    bool remove(std::string_view path) override;
};

}  // namespace lumo::win32
