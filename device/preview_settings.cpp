#include "device/preview_settings.h"

#include <algorithm>
#include <optional>

#include "core/ini_file.h"
#include "device/preview_raster.h"

namespace zelk::device {
namespace {

constexpr const char* kSection = "SETTINGS";
constexpr int32_t kMaxCoordinate = 32767;

std::optional<int32_t> coordinate(const std::optional<std::string>& value) {
    if (!value) return std::nullopt;
    std::optional<int32_t> number = parseProfileInteger(*value);
    if (!number) return std::nullopt;
    return std::clamp(*number, -kMaxCoordinate, kMaxCoordinate);
}

}  // namespace

PreviewLook readPreviewLook(Settings& settings, const std::string& file) {
    PreviewLook look;
    try {
        auto read = [&](const char* key) { return settings.readProfileString(file, kSection, key); };
        look.x = coordinate(read("PREVIEWX"));
        look.y = coordinate(read("PREVIEWY"));
        const int32_t scale = profileIntegerOr(read("PREVIEWSCALE"), 1);
        look.scale = scale >= kMinPreviewScale && scale <= kMaxPreviewScale ? scale : 1;
        look.dots = profileIntegerOr(read("PREVIEWDOTS"), 0) == 1;
        look.topmost = profileIntegerOr(read("PREVIEWTOPMOST"), 0) == 1;
        look.savePosition = profileIntegerOr(read("PREVIEWSAVE"), 0) == 1;
    } catch (...) {
        look = PreviewLook{};  // an unreadable settings file gives the defaults
    }
    return look;
}

void savePreviewPosition(Settings& settings, const std::string& file, int32_t x, int32_t y) {
    settings.writeProfileString(file, kSection, "PREVIEWX", std::to_string(x));
    settings.writeProfileString(file, kSection, "PREVIEWY", std::to_string(y));
}

}  // namespace zelk::device
