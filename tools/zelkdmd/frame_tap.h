#pragma once
// The DMD as "zelkdmd play" sees it: counts the frames that reach it, writes
// each as a numbered 128x32 PNG when asked, and passes every call on to a
// loaded device library when there is one.
#include <optional>
#include <string>

#include "control/device/dmd_device.h"

namespace zelk::tools {

class FrameTap final : public control::DmdDevice {
public:
    // outFolder: where 0001.png, 0002.png, ... go (none: no files);
    // library: the device to pass calls on to (null: none).
    FrameTap(std::optional<std::string> outFolder, control::DmdDevice* library)
        : outFolder_(std::move(outFolder)), library_(library) {}

    void Open() override;
    void PM_GameSettings(const char* gameName, uint64_t hardwareGeneration, const void* options) override;
    void Render_RGB24(uint16_t width, uint16_t height, const uint8_t* frame) override;
    void Close() override;

    int framesSent() const { return framesSent_; }
    // The first failure to write a frame file or to pass a frame on. The DMD
    // output swallows failures of the device, so they are kept here to be
    // reported at the end.
    const std::string& failure() const { return failure_; }

private:
    std::optional<std::string> outFolder_;
    control::DmdDevice* library_;
    int framesSent_ = 0;
    std::string failure_;
};

// Writes an RGB24 frame as an 8-bit RGB PNG; throws zelk::Error on failure.
void writeFramePng(const std::string& path, uint16_t width, uint16_t height, const uint8_t* rgb);

}  // namespace zelk::tools
