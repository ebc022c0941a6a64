// The one path by which the program replaces a file on disk.
#include "port/safe_write.h"

#include <memory>
#include <string>

namespace lumo {

namespace {

// A failed step: the new file goes, the target was never touched.
WriteStep abandon(FileSystem& files, std::unique_ptr<NewFile> file, WriteStep failed) {
    const std::string path = file->path();
    file.reset();  // closed first: an open file cannot be deleted everywhere
    files.remove(path);
    return failed;
}

}  // namespace

WriteStep write_file_safely(FileSystem& files, std::string_view path, const ByteProducer& produce) {
    std::unique_ptr<NewFile> file = files.create_beside(path);
    if (!file) return WriteStep::create;
    NewFile& out = *file;
    bool produced = false;
    try {
        produced = produce([&out](std::string_view piece) { return piece.empty() || out.write(piece); });
    } catch (...) {
        // A producer that ran out of memory: the new file goes all the same.
        abandon(files, std::move(file), WriteStep::write);
        throw;
    }
    if (!produced) return abandon(files, std::move(file), WriteStep::write);
    if (!out.flush()) return abandon(files, std::move(file), WriteStep::flush);
    if (!out.close()) return abandon(files, std::move(file), WriteStep::close);
    if (!files.replace(out.path(), path)) return abandon(files, std::move(file), WriteStep::replace);
    return WriteStep::done;
}

WriteStep write_file_safely(FileSystem& files, std::string_view path, std::string_view bytes) {
    return write_file_safely(files, path, [bytes](const ByteSink& put) { return put(bytes); });
}

}  // namespace lumo
