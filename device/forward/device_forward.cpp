#include "device/forward/device_forward.h"

namespace zelk::device {

std::string DeviceForward::attach(DeviceLibraries* libraries, const std::string& path) {
    if (!path_.empty()) return "Forwarding to " + path_;
    if (path.empty()) return {};
    if (libraries == nullptr) return "ERROR forwarding, forwarding off: " + path + ": not available here";
    DeviceLibraries::Loaded loaded = libraries->loadForGood(path);
    if (loaded.isThisPlugin) return "ERROR forwarding, forwarding off: " + path + " is this plug-in itself";
    if (!loaded.failure.empty()) return "ERROR forwarding, forwarding off: " + path + ": " + loaded.failure;
    driver_.bind(loaded.lookUp);
    path_ = path;
    return "Forwarding to " + path_;
}

int DeviceForward::Console_Input_Ptr(DmdConsoleRead read) const {
    return driver_.Console_Input_Ptr != nullptr ? driver_.Console_Input_Ptr(read) : 0;
}

void DeviceForward::Render_4_Shades_with_Raw(uint16_t width, uint16_t height, const uint8_t* frame,
                                             uint32_t rawCount, const uint8_t* raw) const {
    if (driver_.Render_4_Shades_with_Raw != nullptr) return driver_.Render_4_Shades_with_Raw(width, height, frame, rawCount, raw);
    call(&DmdDeviceTable::Render_4_Shades, width, height, frame);
}

void DeviceForward::Render_16_Shades_with_Raw(uint16_t width, uint16_t height, const uint8_t* frame,
                                              uint32_t rawCount, const uint8_t* raw) const {
    if (driver_.Render_16_Shades_with_Raw != nullptr) return driver_.Render_16_Shades_with_Raw(width, height, frame, rawCount, raw);
    call(&DmdDeviceTable::Render_16_Shades, width, height, frame);
}

void DeviceForward::shaded(uint16_t width, uint16_t height, const uint8_t* frame, bool sixteen, uint32_t rawCount,
                           const uint8_t* raw) const {
    if (rawCount > 0) {
        const auto withRaw = sixteen ? driver_.Render_16_Shades_with_Raw : driver_.Render_4_Shades_with_Raw;
        if (withRaw != nullptr) return withRaw(width, height, frame, rawCount, raw);
    }
    const auto plain = sixteen ? driver_.Render_16_Shades : driver_.Render_4_Shades;
    if (plain != nullptr) plain(width, height, frame);
}

void DeviceForward::Render_Lum_And_Raw(uint16_t width, uint16_t height, const uint8_t* lum, const uint8_t* ident,
                                       uint32_t rawCount, const uint8_t* raw, const uint8_t* frame,
                                       bool sixteen) const {
    if (driver_.Render_Lum_And_Raw != nullptr) return driver_.Render_Lum_And_Raw(width, height, lum, ident, rawCount, raw);
    shaded(width, height, frame, sixteen, rawCount, raw);
}

// PinMAME 3.7 hands the luminance call no raw bitplanes, so a driver without
// it gets the plain shaded call.
void DeviceForward::Render_FloatLum_And_Raw(uint16_t width, uint16_t height, const float* lum, const uint8_t* ident,
                                            uint8_t identBits, const uint8_t* frame, bool sixteen) const {
    if (driver_.Render_FloatLum_And_Raw != nullptr)
        return driver_.Render_FloatLum_And_Raw(width, height, lum, ident, identBits);
    shaded(width, height, frame, sixteen, 0, nullptr);
}

void DeviceForward::Render_PM_Alphanumeric_Dim_Frame(layout_t layout, const uint16_t* segData, const char* dim,
                                                     const uint16_t* segData2) const {
    if (driver_.Render_PM_Alphanumeric_Dim_Frame != nullptr)
        return driver_.Render_PM_Alphanumeric_Dim_Frame(layout, segData, dim, segData2);
    call(&DmdDeviceTable::Render_PM_Alphanumeric_Frame, layout, segData, segData2);
}

}  // namespace zelk::device
