#include "device/preview/preview_settings.h"

#include <algorithm>
#include <optional>

#include "core/ini_file.h"
#include "device/preview/preview_raster.h"
#include "device/entry/settings_keys.h"

namespace zelk::device {
namespace {

constexpr const char* kSection = kSettingsSection;
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
        look.x = coordinate(read(kPreviewXKey.name));
        look.y = coordinate(read(kPreviewYKey.name));
        const int32_t scale = profileIntegerOr(read(kPreviewScaleKey.name), kPreviewScaleKey.defaultNumber);
        look.scale = scale >= kMinPreviewScale && scale <= kMaxPreviewScale ? scale : kPreviewScaleKey.defaultNumber;
        look.dots = profileIntegerOr(read(kPreviewDotsKey.name), kPreviewDotsKey.defaultNumber) == 1;
        look.topmost = profileIntegerOr(read(kPreviewTopmostKey.name), kPreviewTopmostKey.defaultNumber) == 1;
        look.savePosition = profileIntegerOr(read(kPreviewSaveKey.name), kPreviewSaveKey.defaultNumber) == 1;
    } catch (...) {
        look = PreviewLook{};  // an unreadable settings file gives the defaults
    }
    return look;
}

void savePreviewPosition(Settings& settings, const std::string& file, int32_t x, int32_t y) {
    settings.writeProfileString(file, kSection, kPreviewXKey.name, std::to_string(x));
    settings.writeProfileString(file, kSection, kPreviewYKey.name, std::to_string(y));
}

}  // namespace zelk::device
