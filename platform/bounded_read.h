#pragma once
// The one whole-file read, on every system. Only regular files are read: the
// file is opened without blocking (O_NONBLOCK on POSIX; on Windows the kind of
// the open handle is checked), so a pipe or device under the file's name is
// refused at once instead of holding the caller's thread, and a folder is
// refused too. The size comes from the open file and is checked against the
// caller's limit before anything is allocated. Paths are UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zelk::platform {

// Throws zelk::Error naming the file and the reason:
//  "EFOpenError": cannot open, not a regular file, or larger than maxBytes
//                 ("Cannot open file "<path>". It has N bytes, more than the M accepted.");
//  "EReadError":  the read itself failed.
// A file that shrinks while being read gives the bytes that were there.
std::vector<uint8_t> readWholeFile(const std::string& path, size_t maxBytes);

}  // namespace zelk::platform
