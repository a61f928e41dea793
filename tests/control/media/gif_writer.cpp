#include "gif_writer.h"

#include <string_view>

namespace zelk::test {
namespace {

void put16(std::vector<uint8_t>& out, int value) {
    out.push_back(static_cast<uint8_t>(value & 0xff));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xff));
}

// Smallest n with 2^(n+1) >= count: the table-size field of a colour table.
int tableBits(size_t count) {
    int bits = 0;
    while ((size_t{2} << bits) < count) ++bits;
    return bits;
}

void putPalette(std::vector<uint8_t>& out, const std::vector<Rgb>& palette) {
    const size_t size = size_t{2} << tableBits(palette.size());
    for (size_t i = 0; i < size; ++i) {
        const Rgb colour = i < palette.size() ? palette[i] : Rgb{};
        out.insert(out.end(), {colour.red, colour.green, colour.blue});
    }
}

class BitWriter {
public:
    void put(uint32_t code, int width) {
        for (int i = 0; i < width; ++i) {
            if (bitCount_ % 8 == 0) bytes_.push_back(0);
            if ((code >> i) & 1u) bytes_.back() |= static_cast<uint8_t>(1u << (bitCount_ % 8));
            ++bitCount_;
        }
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    size_t bitCount_ = 0;
};

void putImageData(std::vector<uint8_t>& out, const std::vector<uint8_t>& indices, int paletteBits) {
    const int minCodeSize = paletteBits + 1 < 2 ? 2 : paletteBits + 1;
    const uint32_t clear = 1u << minCodeSize;
    const int width = minCodeSize + 1;
    const size_t literalsPerClear = clear - 2;
    BitWriter bits;
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i % literalsPerClear == 0) bits.put(clear, width);
        bits.put(indices[i], width);
    }
    bits.put(clear + 1, width);
    out.push_back(static_cast<uint8_t>(minCodeSize));
    const std::vector<uint8_t>& data = bits.bytes();
    for (size_t at = 0; at < data.size(); at += 255) {
        const size_t n = data.size() - at < 255 ? data.size() - at : 255;
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + n));
    }
    out.push_back(0);
}

void putFrame(std::vector<uint8_t>& out, const GifFrameDescription& frame, int globalBits) {
    const bool transparent = frame.transparentIndex >= 0;
    out.insert(out.end(), {0x21, 0xf9, 0x04});
    out.push_back(static_cast<uint8_t>((frame.disposal << 2) | (transparent ? 1 : 0)));
    put16(out, 10);
    out.push_back(static_cast<uint8_t>(transparent ? frame.transparentIndex : 0));
    out.push_back(0);

    out.push_back(0x2c);
    put16(out, frame.left);
    put16(out, frame.top);
    put16(out, frame.width);
    put16(out, frame.height);
    int bits = globalBits;
    if (frame.localPalette.empty()) {
        out.push_back(0);
    } else {
        bits = tableBits(frame.localPalette.size());
        out.push_back(static_cast<uint8_t>(0x80 | bits));
        putPalette(out, frame.localPalette);
    }
    putImageData(out, frame.indices, bits);
}

}  // namespace

std::vector<uint8_t> writeGif(const GifDescription& gif) {
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    put16(out, gif.width);
    put16(out, gif.height);
    const int globalBits = tableBits(gif.globalPalette.size());
    out.push_back(static_cast<uint8_t>(0x80 | 0x70 | globalBits));
    out.push_back(gif.backgroundIndex);
    out.push_back(0);
    putPalette(out, gif.globalPalette);
    if (gif.loopCount) {
        out.insert(out.end(), {0x21, 0xff, 0x0b});
        for (char c : std::string_view("NETSCAPE2.0")) out.push_back(static_cast<uint8_t>(c));
        out.insert(out.end(), {0x03, 0x01});
        put16(out, *gif.loopCount);
        out.push_back(0);
    }
    for (const GifFrameDescription& frame : gif.frames) putFrame(out, frame, globalBits);
    out.push_back(0x3b);
    return out;
}

GifDescription solidFramesGif(int width, int height, const std::vector<Rgb>& colours,
                       std::optional<uint16_t> loopCount) {
    GifDescription gif;
    gif.width = width;
    gif.height = height;
    gif.globalPalette = colours;
    gif.loopCount = loopCount;
    for (size_t i = 0; i < colours.size(); ++i) {
        GifFrameDescription frame;
        frame.width = width;
        frame.height = height;
        frame.indices.assign(static_cast<size_t>(width) * static_cast<size_t>(height),
                             static_cast<uint8_t>(i));
        gif.frames.push_back(frame);
    }
    return gif;
}

}  // namespace zelk::test
