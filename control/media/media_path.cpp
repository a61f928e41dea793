#include "control/media/media_path.h"

namespace zelk::control {
namespace {

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool occursIn(std::string_view extension, std::string_view list) {
    return !extension.empty() && list.find(lowerAscii(extension)) != std::string_view::npos;
}

}  // namespace

std::string folderOf(std::string_view path, std::string_view delimiters) {
    const size_t last = path.find_last_of(delimiters);
    return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

std::string extensionOf(std::string_view path, std::string_view delimiters) {
    const size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos) return {};
    const size_t last = path.find_last_of(delimiters);
    if (last != std::string_view::npos && last > dot) return {};
    return std::string(path.substr(dot));
}

bool isGifExtension(std::string_view extension) {
    return occursIn(extension, ".gif");
}

bool isStillPictureExtension(std::string_view extension) {
    return occursIn(extension, ".jpg,.jpeg,.png,.gif");
}

}  // namespace zelk::control
