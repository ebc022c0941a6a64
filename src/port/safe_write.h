// Writing a file so that what was there is only ever replaced by a complete
// new copy. The bytes go to a new file beside the target; every write is
// checked, the file is flushed to the disk and closed, and only then put in
// the target's place in one step. A failure at any step removes the new file
// and leaves the target exactly as it was. The book, its ".DUP" backup,
// saved blocks and the configuration are all written this way; so is
// anything else the program writes for the user.
#pragma once

#include <functional>
#include <string_view>

#include "port/port.h"

namespace lumo {

// Takes the next piece of the file's bytes; false once it could not be
// written (the producer should stop then).
using ByteSink = std::function<bool(std::string_view piece)>;
// Hands all of a file's bytes, in order, to `put`, in pieces of any size;
// returns false when it stopped early (a refused piece or a failure of its
// own). It may run at most once per write.
using ByteProducer = std::function<bool(const ByteSink& put)>;

// Where a safe write stopped: `done`, or the step that failed.
enum class WriteStep { done, create, write, flush, close, replace };

// Writes what `produce` hands over to `path` as described above. Shows
// nothing: the caller words the failure for its user. A producer that
// throws leaves no new file behind; the exception passes on.
WriteStep write_file_safely(FileSystem& files, std::string_view path, const ByteProducer& produce);
// The same for bytes that are already in one piece.
WriteStep write_file_safely(FileSystem& files, std::string_view path, std::string_view bytes);

}  // namespace lumo
