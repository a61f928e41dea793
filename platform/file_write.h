#pragma once
// Writing a piece of bytes to a file in one call: opened, written, closed.
// Paths are UTF-8; the bytes are written as given.
#include <string>

namespace zelk::platform {

enum class WriteMode {
    createOrTruncate,  // a fresh file
    createNew,         // a fresh file that must not exist yet: an existing one is left as it is
    appendExisting,    // appends; a missing file is a failure, never re-created
    appendOrCreate,    // appends, creating the file when it is missing
};

// Throws zelk::Error naming the file: "EFCreateError" when a fresh file
// cannot be created (for createNew also when it exists), "EFOpenError" when an existing one cannot be opened,
// "EWriteError" when writing or closing fails.
void writeToFile(const std::string& path, const std::string& bytes, WriteMode mode);

}  // namespace zelk::platform
