#pragma once
// The tool carries paths as UTF-8 (the platform layer's rule). std::filesystem
// takes a narrow string in the system's code page on Windows, so every path
// made from our text, and every path turned back into text, goes through here.
#include <filesystem>
#include <string>

namespace zelk::tools {

inline std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

inline std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace zelk::tools
