#include "control/media/posix/picture_codecs_posix.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jerror.h>
#include <jpeglib.h>

#include "core/error.h"

namespace zelk::control {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return.
// It jumps back into the stage that was running; the stages below hold only
// plain C data, so the jump skips no destructor.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf stage;
    char message[JMSG_LENGTH_MAX];
};

void failStage(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->stage, 1);
}

// Warnings stay silent, except data ending early: libjpeg would fill the rest
// with grey, and a cut-off picture is refused instead.
void onMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) failStage(info);
}

bool readHeader(jpeg_decompress_struct* info, JpegErrors* errors, const uint8_t* data,
                unsigned long size) {
    if (setjmp(errors->stage)) return false;
    jpeg_create_decompress(info);
    jpeg_mem_src(info, data, size);
    jpeg_read_header(info, TRUE);
    // libjpeg-turbo converts grey and colour sources straight into this layout.
    info->out_color_space = JCS_EXT_BGRA;
    return true;
}

bool readPixels(jpeg_decompress_struct* info, JpegErrors* errors, uint8_t* pixels,
                uint32_t width, uint32_t height) {
    if (setjmp(errors->stage)) return false;
    jpeg_start_decompress(info);
    if (info->output_width != width || info->output_height != height ||
        info->output_components != 4) {
        std::snprintf(errors->message, sizeof errors->message, "unexpected output size");
        return false;
    }
    const size_t stride = static_cast<size_t>(width) * 4;
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = pixels + static_cast<size_t>(info->output_scanline) * stride;
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    return true;
}

struct JpegDecompressor {
    jpeg_decompress_struct info{};
    JpegErrors errors{};

    JpegDecompressor() {
        info.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = failStage;
        errors.manager.emit_message = onMessage;
    }
    // Also safe when creating failed: destroy skips a struct without memory manager.
    ~JpegDecompressor() { jpeg_destroy_decompress(&info); }

    Error error() const { return Error("EInvalidGraphic", std::string("JPEG: ") + errors.message); }
};

}  // namespace

StillPicture decodeJpeg(std::span<const uint8_t> data, const PictureLimits& limits) {
    JpegDecompressor jpeg;
    if (!readHeader(&jpeg.info, &jpeg.errors, data.data(), static_cast<unsigned long>(data.size()))) {
        throw jpeg.error();
    }
    checkPictureSize(jpeg.info.image_width, jpeg.info.image_height, limits);
    StillPicture picture;
    picture.width = static_cast<int32_t>(jpeg.info.image_width);
    picture.height = static_cast<int32_t>(jpeg.info.image_height);
    picture.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 4);
    if (!readPixels(&jpeg.info, &jpeg.errors, picture.pixels.data(), jpeg.info.image_width,
                    jpeg.info.image_height)) {
        throw jpeg.error();
    }
    return picture;
}

}  // namespace zelk::control
