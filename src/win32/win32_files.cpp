#include "win32/win32_files.h"

#include <algorithm>
#include <string>

namespace lumo::win32 {

namespace {

// A file opened for writing only, shared with nobody until it is closed.
class Win32NewFile final : public NewFile {
public:
    Win32NewFile(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    ~Win32NewFile() override { close(); }
    Win32NewFile(const Win32NewFile&) = delete;
    Win32NewFile& operator=(const Win32NewFile&) = delete;

    const std::string& path() const override { return path_; }

    bool write(std::string_view bytes) override {
        // WriteFile takes a DWORD count: large texts go in pieces.
        constexpr std::size_t most = 1u << 30;
        while (!bytes.empty()) {
            const auto n = static_cast<DWORD>(std::min(bytes.size(), most));
            DWORD written = 0;
            if (handle_ == INVALID_HANDLE_VALUE || !WriteFile(handle_, bytes.data(), n, &written, nullptr) ||
                written != n)
                return false;
            bytes.remove_prefix(n);
        }
        return true;
    }
    bool flush() override { return handle_ != INVALID_HANDLE_VALUE && FlushFileBuffers(handle_) != FALSE; }
    bool close() override {
        if (handle_ == INVALID_HANDLE_VALUE) return false;
        const bool closed = CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
    std::string path_;
};

// The folder part of a path ("." for a bare name), as GetTempFileNameA wants it.
std::string folder_of(std::string_view path) {
    const std::size_t cut = path.find_last_of("\\/");
    if (cut == std::string_view::npos) return path.size() >= 2 && path[1] == ':' ? std::string(path.substr(0, 2)) : ".";
    return std::string(path.substr(0, cut + 1));
}

}  // namespace

std::unique_ptr<NewFile> Win32FileSystem::create_beside(std::string_view path) {
    char name[MAX_PATH] = {};
    // Creates the file under a fresh name, so no other file is ever touched.
    if (GetTempFileNameA(folder_of(path).c_str(), "lum", 0, name) == 0) return nullptr;
    HANDLE handle =
        CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DeleteFileA(name);
        return nullptr;
    }
    return std::make_unique<Win32NewFile>(handle, name);
}

bool Win32FileSystem::replace(std::string_view from, std::string_view to) {
    const std::string source(from);
    const std::string target(to);
    // A program that only glances at the file (a virus scanner, a backup or
    // a viewer) blocks the move while it has the file open: try again for a
    // moment before calling the save failed. A lasting lock still fails.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
        if (!held || attempt == 10) return false;
        Sleep(50);
    }
}

bool Win32FileSystem::remove(std::string_view path) { return DeleteFileA(std::string(path).c_str()) != FALSE; }

}  // namespace lumo::win32
