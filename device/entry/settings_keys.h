#pragma once
// The keys of the plug-in's settings file and their defaults, written down
// once: the plug-in reads them (dmd_driver.cpp, preview_settings.cpp) and
// zelkdmd doctor tells a misspelt key from a known one with this list.
#include <cstdint>

namespace zelk::device {

inline constexpr const char* kSettingsFileName = "dmddevicezelk.ini";
inline constexpr const char* kSettingsSection = "SETTINGS";

enum class SettingKind {
    onOff,       // on when the value reads as 1
    number,      // an integer, the default when it does not read as one
    coordinate,  // an integer or nothing (no default)
    scale,       // an integer within the preview's scales, else the default
    text,        // a file name
};

struct SettingKey {
    const char* name;
    SettingKind kind;
    int32_t defaultNumber;  // for onOff, number and scale
};

inline constexpr SettingKey kShowDmdKey{"SHOWDMD", SettingKind::onOff, 0};
inline constexpr SettingKey kMatchResetKey{"MATCHRESET", SettingKind::number, 30};
inline constexpr SettingKey kRecordKey{"RECORD", SettingKind::onOff, 0};
inline constexpr SettingKey kShadedHostKey{"SHADEDHOST", SettingKind::onOff, 0};
inline constexpr SettingKey kForwardKey{"FORWARD", SettingKind::text, 0};
inline constexpr SettingKey kPreviewXKey{"PREVIEWX", SettingKind::coordinate, 0};
inline constexpr SettingKey kPreviewYKey{"PREVIEWY", SettingKind::coordinate, 0};
inline constexpr SettingKey kPreviewScaleKey{"PREVIEWSCALE", SettingKind::scale, 1};
inline constexpr SettingKey kPreviewDotsKey{"PREVIEWDOTS", SettingKind::onOff, 0};
inline constexpr SettingKey kPreviewTopmostKey{"PREVIEWTOPMOST", SettingKind::onOff, 0};
inline constexpr SettingKey kPreviewSaveKey{"PREVIEWSAVE", SettingKind::onOff, 0};

inline constexpr SettingKey kSettingKeys[] = {kShowDmdKey,     kMatchResetKey,   kRecordKey,         kShadedHostKey,
                                              kForwardKey,     kPreviewXKey,     kPreviewYKey,       kPreviewScaleKey,
                                              kPreviewDotsKey, kPreviewTopmostKey, kPreviewSaveKey};

}  // namespace zelk::device
