#include "device/device_forward.h"

namespace zelk::device {

const char* const kDeviceEntryPointNames[11] = {
    "Open",           "Close",           "SetGameName",      "Render_RGB24",
    "PM_GameSettings", "Set_4_Colors_Palette", "Set_16_Colors_Palette", "Render_4_Shades",
    "Render_16_Shades", "Render_PM_Alphanumeric_Frame", "Console_Data"};

std::string DeviceForward::attach(DeviceLibraries* libraries, const std::string& path) {
    if (!path_.empty()) return "Forwarding to " + path_;
    if (path.empty()) return {};
    if (libraries == nullptr) return "ERROR forwarding, forwarding off: " + path + ": not available here";
    DeviceLibraries::Loaded loaded = libraries->loadForGood(path);
    if (loaded.isThisPlugin) return "ERROR forwarding, forwarding off: " + path + " is this plug-in itself";
    if (!loaded.failure.empty()) return "ERROR forwarding, forwarding off: " + path + ": " + loaded.failure;
    const auto bind = [&]<typename Fn>(Fn& target, const char* name) {
        // The library's export has this type; the look-up only hid it.
        target = reinterpret_cast<Fn>(loaded.lookUp(name));
    };
    bind(open_, "Open");
    bind(close_, "Close");
    bind(setGameName_, "SetGameName");
    bind(renderRgb24_, "Render_RGB24");
    bind(gameSettings_, "PM_GameSettings");
    bind(palette4_, "Set_4_Colors_Palette");
    bind(palette16_, "Set_16_Colors_Palette");
    bind(shades4_, "Render_4_Shades");
    bind(shades16_, "Render_16_Shades");
    bind(alphanumeric_, "Render_PM_Alphanumeric_Frame");
    bind(consoleData_, "Console_Data");
    path_ = path;
    return "Forwarding to " + path_;
}

void DeviceForward::Open() const {
    pass(open_);
}
void DeviceForward::Close() const {
    pass(close_);
}
void DeviceForward::SetGameName(const char* name, int length) const {
    pass(setGameName_, name, length);
}
void DeviceForward::Render_RGB24(uint16_t width, uint16_t height, const rgb24* frame) const {
    pass(renderRgb24_, width, height, frame);
}
void DeviceForward::PM_GameSettings(const char* gameName, uint64_t hardwareGeneration,
                                    const tPMoptions* options) const {
    pass(gameSettings_, gameName, hardwareGeneration, options);
}
void DeviceForward::Set_4_Colors_Palette(rgb24 color0, rgb24 color33, rgb24 color66, rgb24 color100) const {
    pass(palette4_, color0, color33, color66, color100);
}
void DeviceForward::Set_16_Colors_Palette(const rgb24* colors) const {
    pass(palette16_, colors);
}
void DeviceForward::Render_4_Shades(uint16_t width, uint16_t height, const uint8_t* frame) const {
    pass(shades4_, width, height, frame);
}
void DeviceForward::Render_16_Shades(uint16_t width, uint16_t height, const uint8_t* frame) const {
    pass(shades16_, width, height, frame);
}
void DeviceForward::Render_PM_Alphanumeric_Frame(layout_t layout, const uint16_t* segData,
                                                 const uint16_t* segData2) const {
    pass(alphanumeric_, layout, segData, segData2);
}
void DeviceForward::Console_Data(uint8_t data) const {
    pass(consoleData_, data);
}

}  // namespace zelk::device
