// The port's file steps on the machine the tests run on: POSIX natively
// (mkstemp, write, fsync, close, rename), the shell's own under Windows.
#pragma once

#include "port/port.h"

#if defined(_WIN32)
#include "win32/win32_files.h"

namespace lumo::testing {
using NativeFileSystem = win32::Win32FileSystem;
}  // namespace lumo::testing

#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace lumo::testing {

class PosixNewFile final : public NewFile {
public:
    PosixNewFile(int fd, std::string path, bool to_disk) : fd_(fd), path_(std::move(path)), to_disk_(to_disk) {}
    ~PosixNewFile() override { close(); }
    PosixNewFile(const PosixNewFile&) = delete;
    PosixNewFile& operator=(const PosixNewFile&) = delete;

    const std::string& path() const override { return path_; }
    bool write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t n = fd_ < 0 ? -1 : ::write(fd_, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }
    bool flush() override { return fd_ >= 0 && (!to_disk_ || ::fsync(fd_) == 0); }
    bool close() override {
        if (fd_ < 0) return false;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

private:
    int fd_;
    std::string path_;
    bool to_disk_;
};

class PosixFileSystem final : public FileSystem {
public:
    // A fuzz target that saves thousands of times may leave the flush to the
    // disk out (the step itself still runs and can be made to fail).
    bool flush_to_disk = true;

    std::unique_ptr<NewFile> create_beside(std::string_view path) override {
        const std::size_t cut = path.find_last_of('/');
        std::string pattern = cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut + 1));
        pattern += ".lumo-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = ::mkstemp(name.data());
        if (fd < 0) return nullptr;
        return std::make_unique<PosixNewFile>(fd, name.data(), flush_to_disk);
    }
    bool replace(std::string_view from, std::string_view to) override {
        return std::rename(std::string(from).c_str(), std::string(to).c_str()) == 0;
    }
    bool remove(std::string_view path) override { return ::unlink(std::string(path).c_str()) == 0; }
};

using NativeFileSystem = PosixFileSystem;

}  // namespace lumo::testing
#endif
