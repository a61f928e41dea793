#pragma once
// Whole-file reads and line writes with plain POSIX calls; every failure is a
// zelk::Error naming the file and the system's reason.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zelk::device {

std::vector<uint8_t> readWholeFile(const std::string& path, size_t maxBytes);
// Opens path with flags (and mode 0644 when it creates it), writes text, closes.
void appendToFile(const std::string& path, const std::string& text, int flags);

}  // namespace zelk::device
