#include "tools/zelkdmd/frame_tap.h"

#include <cstdio>
#include <exception>

#include "core/error.h"
#include "core/png_writer.h"
#include "platform/file_write.h"

namespace zelk::tools {

void writeFramePng(const std::string& path, uint16_t width, uint16_t height, const uint8_t* rgb) {
    platform::writeToFile(path, encodePngRgb(width, height, rgb), platform::WriteMode::createOrTruncate);
}

void FrameTap::Open() {
    if (library_) library_->Open();
}

void FrameTap::PM_GameSettings(const char* gameName, uint64_t hardwareGeneration, const void* options) {
    if (library_) library_->PM_GameSettings(gameName, hardwareGeneration, options);
}

void FrameTap::Render_RGB24(uint16_t width, uint16_t height, const uint8_t* frame) {
    ++framesSent_;
    try {
        if (outFolder_) {
            char name[32];
            std::snprintf(name, sizeof name, "%04d.png", framesSent_);
            writeFramePng(*outFolder_ + "/" + name, width, height, frame);
        }
        if (library_) library_->Render_RGB24(width, height, frame);
    } catch (const std::exception& failure) {
        if (failure_.empty()) failure_ = failure.what();
        throw;
    }
}

void FrameTap::Close() {
    if (library_) library_->Close();
}

}  // namespace zelk::tools
