// The Windows Imaging Component, which recognises the format by content (JPEG,
// PNG, and whatever else the system has a codec for) and converts the first
// frame to 32-bit BGRA.
#include <windows.h>
#include <wincodec.h>

#include <string>

#include "control/media/still_picture.h"
#include "core/error.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/error_text.h"

namespace zelk::control {
namespace {

void check(HRESULT result, const char* step) {
    if (FAILED(result)) {
        throw Error("EInvalidGraphic",
                    std::string("picture: ") + step + " failed (" + platform::hresultText(result) + ")");
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
    platform::ComPtr<IWICImagingFactory> factory;
    check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           factory.receiveVoid()),
          "creating the imaging factory");
    platform::ComPtr<IWICStream> stream;
    check(factory->CreateStream(stream.receive()), "creating a stream");
    check(stream->InitializeFromMemory(const_cast<BYTE*>(data.data()), static_cast<DWORD>(data.size())),
          "reading from memory");
    platform::ComPtr<IWICBitmapDecoder> decoder;
    check(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.receive()),
          "recognising the format");
    platform::ComPtr<IWICBitmapFrameDecode> frame;
    check(decoder->GetFrame(0, frame.receive()), "reading the first frame");
    UINT width = 0, height = 0;
    check(frame->GetSize(&width, &height), "reading the size");
    checkPictureSize(width, height, limits_);
    platform::ComPtr<IWICBitmapSource> converted;
    check(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.get(), converted.receive()),
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
