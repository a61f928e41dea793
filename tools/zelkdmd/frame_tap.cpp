#include "tools/zelkdmd/frame_tap.h"

#include <png.h>

#include <cstdio>
#include <exception>

#include "core/error.h"

namespace zelk::tools {

void writeFramePng(const std::string& path, uint16_t width, uint16_t height, const uint8_t* rgb) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgb, 0, nullptr)) {
        throw Error("EFCreateError", "cannot write " + path + ": " + image.message);
    }
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
