// The Windows Imaging Component, which recognises the format by content (JPEG,
// PNG, and whatever else the system has a codec for) and converts the first
// frame to 32-bit BGRA.
#include <windows.h>
#include <wincodec.h>

#include <cstdio>
#include <string>

#include "control/still_picture.h"
#include "core/error.h"

namespace zelk::control {
namespace {

// Releases a COM interface when it goes out of scope.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (pointer_) pointer_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** out() { return &pointer_; }
    T* operator->() const { return pointer_; }
    T* get() const { return pointer_; }

private:
    T* pointer_ = nullptr;
};

void check(HRESULT result, const char* step) {
    if (FAILED(result)) {
        char code[16];
        std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(result));
        throw Error("EInvalidGraphic", std::string("picture: ") + step + " failed (0x" + code + ")");
    }
}

class WicStillPictureDecoder final : public StillPictureDecoder {
public:
    explicit WicStillPictureDecoder(const PictureLimits& limits) : limits_(limits) {}
    StillPicture decode(std::span<const uint8_t> data) override;

private:
    PictureLimits limits_;
};

StillPicture WicStillPictureDecoder::decode(std::span<const uint8_t> data) {
    if (data.empty() || data.size() > MAXDWORD) throw Error("EInvalidGraphic", "picture: no data");
    ComRef<IWICImagingFactory> factory;
    check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(factory.out())),
          "creating the imaging factory");
    ComRef<IWICStream> stream;
    check(factory->CreateStream(stream.out()), "creating a stream");
    check(stream->InitializeFromMemory(const_cast<BYTE*>(data.data()), static_cast<DWORD>(data.size())),
          "reading from memory");
    ComRef<IWICBitmapDecoder> decoder;
    check(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.out()),
          "recognising the format");
    ComRef<IWICBitmapFrameDecode> frame;
    check(decoder->GetFrame(0, frame.out()), "reading the first frame");
    UINT width = 0, height = 0;
    check(frame->GetSize(&width, &height), "reading the size");
    checkPictureSize(width, height, limits_);
    ComRef<IWICBitmapSource> converted;
    check(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.get(), converted.out()),
          "converting to 32-bit pixels");

    StillPicture picture;
    picture.width = static_cast<int32_t>(width);
    picture.height = static_cast<int32_t>(height);
    const UINT stride = width * 4;
    picture.pixels.resize(static_cast<size_t>(stride) * height);
    check(converted->CopyPixels(nullptr, stride, static_cast<UINT>(picture.pixels.size()), picture.pixels.data()),
          "decoding the pixels");
    return picture;
}

}  // namespace

std::unique_ptr<StillPictureDecoder> makeStillPictureDecoder(const PictureLimits& limits) {
    return std::make_unique<WicStillPictureDecoder>(limits);
}

}  // namespace zelk::control
