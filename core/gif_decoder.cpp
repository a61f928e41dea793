// GIF87a/GIF89a decoding. Every size is checked against Limits before the
// memory for it is allocated; reads go through a bounds-checked reader.
//
// Leniency (many GIFs in the wild end early): once at least one frame is
// complete, the data may end anywhere. What follows the last complete frame
// (a missing trailer, a cut-off extension or a frame whose data is cut off)
// is ignored. Corrupt data (an unknown block, an invalid LZW code, a bad
// extension) is refused wherever it appears.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/error.h"
#include "core/gif.h"
#include "core/gif_lzw.h"

namespace zelk::gif {
namespace {

// Thrown by the reader when the data ends; turned into an error or accepted
// according to the leniency rule above.
struct Truncated {};

[[noreturn]] void fail(const std::string& reason) {
    throw Error("EGifError", "GIF: " + reason);
}

class Reader {
public:
    explicit Reader(std::span<const uint8_t> data) : data_(data) {}

    bool atEnd() const { return pos_ == data_.size(); }
    size_t position() const { return pos_; }

    uint8_t u8() {
        need(1);
        return data_[pos_++];
    }
    uint16_t u16() {
        need(2);
        const auto v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::span<const uint8_t> bytes(size_t n) {
        need(n);
        auto s = data_.subspan(pos_, n);
        pos_ += n;
        return s;
    }

private:
    void need(size_t n) const {
        if (data_.size() - pos_ < n) {
            throw Truncated{};
        }
    }

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

struct ControlExtension {
    bool present = false;
    Disposal disposal = Disposal::None;
    int32_t transparentIndex = -1;
    uint16_t delay = 0;
};

class Decoder {
public:
    Decoder(std::span<const uint8_t> data, const Limits& limits) : in_(data), limits_(limits) {}

    Image run() {
        try {
            readHeader();
            readScreen();
        } catch (Truncated&) {
            fail("truncated header");
        }
        try {
            readBlocks();
        } catch (Truncated&) {
            if (image_.frames.empty()) {
                fail("truncated before the end of the first frame");
            }
        }
        if (image_.frames.empty()) {
            fail("no frame");
        }
        return std::move(image_);
    }

private:
    void readHeader() {
        const auto signature = in_.bytes(6);
        if (std::memcmp(signature.data(), "GIF87a", 6) != 0 &&
            std::memcmp(signature.data(), "GIF89a", 6) != 0) {
            fail("not a GIF87a or GIF89a file");
        }
    }

    void readScreen() {
        image_.width = in_.u16();
        image_.height = in_.u16();
        const uint8_t flags = in_.u8();
        image_.backgroundIndex = in_.u8();
        in_.u8();  // pixel aspect ratio: unused
        checkSize("logical screen", image_.width, image_.height);
        if (image_.width == 0 || image_.height == 0) {
            fail("empty logical screen");
        }
        if (flags & 0x80) {
            image_.globalPalette = readPalette(flags);
        }
    }

    void checkSize(const char* what, int32_t width, int32_t height) const {
        if (width > limits_.maxSide || height > limits_.maxSide) {
            fail(std::string(what) + " of " + std::to_string(width) + "x" +
                 std::to_string(height) + " exceeds the limit of " +
                 std::to_string(limits_.maxSide) + " pixels a side");
        }
    }

    std::vector<Color> readPalette(uint8_t flags) {
        const size_t count = size_t{2} << (flags & 0x07);
        const auto raw = in_.bytes(count * 3);
        std::vector<Color> palette(count);
        for (size_t i = 0; i < count; ++i) {
            palette[i] = {raw[i * 3], raw[i * 3 + 1], raw[i * 3 + 2]};
        }
        return palette;
    }

    void readBlocks() {
        for (;;) {
            if (in_.atEnd() && !image_.frames.empty()) {
                return;  // no trailer: accepted after a complete frame
            }
            const size_t at = in_.position();
            const uint8_t introducer = in_.u8();
            switch (introducer) {
            case 0x3B:
                return;  // trailer; anything after it is ignored
            case 0x21:
                readExtension();
                break;
            case 0x2C:
                readFrame();
                break;
            default:
                fail("unknown block 0x" + hex(introducer) + " at offset " + std::to_string(at));
            }
        }
    }

    static std::string hex(uint8_t v) {
        const char* digits = "0123456789ABCDEF";
        return {digits[v >> 4], digits[v & 15]};
    }

    void readExtension() {
        const uint8_t label = in_.u8();
        switch (label) {
        case 0xF9:
            readControlExtension();
            break;
        case 0xFF:
            readApplicationExtension();
            break;
        case 0x01:
            // Plain text is a graphic block of its own: it takes the pending
            // control extension with it. We do not render text.
            control_ = {};
            skipSubBlocks();
            break;
        default:  // comments and unknown extensions
            skipSubBlocks();
        }
    }

    void readControlExtension() {
        const uint8_t size = in_.u8();
        if (size < 4) {
            fail("graphic control extension of " + std::to_string(size) + " bytes");
        }
        const auto body = in_.bytes(size);
        skipSubBlocks();
        control_.present = true;
        const int method = (body[0] >> 2) & 0x07;
        // Methods 4 to 7 are undefined; they are treated like "none".
        control_.disposal = method <= 3 ? static_cast<Disposal>(method) : Disposal::None;
        control_.delay = static_cast<uint16_t>(body[1] | (body[2] << 8));
        control_.transparentIndex = (body[0] & 0x01) ? body[3] : -1;
    }

    void readApplicationExtension() {
        const uint8_t size = in_.u8();
        const auto id = in_.bytes(size);
        const bool looping =
            size == 11 && (std::memcmp(id.data(), "NETSCAPE2.0", 11) == 0 ||
                           std::memcmp(id.data(), "ANIMEXTS1.0", 11) == 0);
        for (uint8_t length = in_.u8(); length != 0; length = in_.u8()) {
            const auto block = in_.bytes(length);
            // Sub-block 1 holds the loop count; the first one found counts.
            if (looping && length >= 3 && block[0] == 1 && !image_.loopCount) {
                image_.loopCount = static_cast<uint16_t>(block[1] | (block[2] << 8));
            }
        }
    }

    void skipSubBlocks() {
        for (uint8_t length = in_.u8(); length != 0; length = in_.u8()) {
            in_.bytes(length);
        }
    }

    void readFrame() {
        if (image_.frames.size() >= limits_.maxFrames) {
            fail("more than " + std::to_string(limits_.maxFrames) + " frames");
        }
        Frame frame;
        frame.left = in_.u16();
        frame.top = in_.u16();
        frame.width = in_.u16();
        frame.height = in_.u16();
        const uint8_t flags = in_.u8();
        checkSize("frame", frame.width, frame.height);
        const auto pixels = static_cast<uint64_t>(frame.width) * static_cast<uint64_t>(frame.height);
        if (pixels > limits_.maxPixelsTotal - pixelsSoFar_) {
            fail("frames exceed " + std::to_string(limits_.maxPixelsTotal) + " pixels in all");
        }
        frame.interlaced = (flags & 0x40) != 0;
        frame.palette = (flags & 0x80) ? readPalette(flags) : image_.globalPalette;
        frame.transparentIndex = control_.transparentIndex;
        frame.disposal = control_.disposal;
        frame.delayCentiseconds = control_.delay;

        const int minCodeSize = in_.u8();
        readImageData();
        frame.indices.assign(static_cast<size_t>(pixels), 0);
        // Pixels the data does not cover keep index 0; extra pixels are ignored.
        if (frame.interlaced) {
            scratch_.assign(static_cast<size_t>(pixels), 0);
            decodeLzw(data_, minCodeSize, scratch_);
            deinterlace(scratch_, frame);
        } else {
            decodeLzw(data_, minCodeSize, frame.indices);
        }
        pixelsSoFar_ += pixels;
        control_ = {};
        image_.frames.push_back(std::move(frame));
    }

    // Joins the data sub-blocks so the LZW decoder reads one contiguous span.
    void readImageData() {
        data_.clear();
        for (uint8_t length = in_.u8(); length != 0; length = in_.u8()) {
            const auto block = in_.bytes(length);
            data_.insert(data_.end(), block.begin(), block.end());
        }
    }

    // Interlaced rows come in four passes: every 8th row from 0, every 8th
    // from 4, every 4th from 2, every 2nd from 1.
    static void deinterlace(const std::vector<uint8_t>& rows, Frame& frame) {
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        const auto width = static_cast<size_t>(frame.width);
        if (frame.indices.empty()) {
            return;  // a frame of no pixels: nothing to move
        }
        size_t source = 0;
        for (int pass = 0; pass < 4; ++pass) {
            for (int y = kStart[pass]; y < frame.height; y += kStep[pass]) {
                std::memcpy(frame.indices.data() + static_cast<size_t>(y) * width,
                            rows.data() + source * width, width);
                ++source;
            }
        }
    }

    Reader in_;
    const Limits& limits_;
    Image image_;
    ControlExtension control_;
    uint64_t pixelsSoFar_ = 0;
    std::vector<uint8_t> data_;
    std::vector<uint8_t> scratch_;
};

}  // namespace

Image decode(std::span<const uint8_t> data, const Limits& limits) {
    return Decoder(data, limits).run();
}

}  // namespace zelk::gif
