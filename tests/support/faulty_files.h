// A file system that fails on purpose: wraps another one and makes a chosen
// call of a chosen step fail, so that a test can break a save at every step.
// A failing write is a short write: half of the bytes reach the file first.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "port/port.h"

namespace lumo::testing {

enum class FileStep { create, write, flush, close, replace, remove };
inline constexpr std::size_t file_step_count = 6;

class FaultyFileSystem final : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

    // The `occurrence`-th call of `step` from now on fails (1: the next one).
    void fail(FileStep step, int occurrence = 1) {
        failing_ = step;
        countdown_ = occurrence;
    }
    // How often each step was asked for so far (also the failed calls).
    int calls(FileStep step) const { return calls_[static_cast<std::size_t>(step)]; }

    std::unique_ptr<NewFile> create_beside(std::string_view path) override {
        if (fails(FileStep::create)) return nullptr;
        std::unique_ptr<NewFile> file = inner_.create_beside(path);
        if (!file) return nullptr;
        return std::make_unique<FaultyNewFile>(*this, std::move(file));
    }
    bool replace(std::string_view from, std::string_view to) override {
        return !fails(FileStep::replace) && inner_.replace(from, to);
    }
    bool remove(std::string_view path) override { return !fails(FileStep::remove) && inner_.remove(path); }

private:
    class FaultyNewFile final : public NewFile {
    public:
        FaultyNewFile(FaultyFileSystem& owner, std::unique_ptr<NewFile> inner)
            : owner_(owner), inner_(std::move(inner)) {}
        const std::string& path() const override { return inner_->path(); }
        bool write(std::string_view bytes) override {
            if (owner_.fails(FileStep::write)) {
                inner_->write(bytes.substr(0, bytes.size() / 2));
                return false;
            }
            return inner_->write(bytes);
        }
        bool flush() override { return !owner_.fails(FileStep::flush) && inner_->flush(); }
        bool close() override {
            const bool closed = inner_->close();  // really closed either way, as after a failing close
            return !owner_.fails(FileStep::close) && closed;
        }

    private:
        FaultyFileSystem& owner_;
        std::unique_ptr<NewFile> inner_;
    };

    bool fails(FileStep step) {
        ++calls_[static_cast<std::size_t>(step)];
        if (step != failing_ || countdown_ <= 0) return false;
        return --countdown_ == 0;
    }

    FileSystem& inner_;
    std::array<int, file_step_count> calls_{};
    FileStep failing_ = FileStep::create;
    int countdown_ = 0;
};

}  // namespace lumo::testing
