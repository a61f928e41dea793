#pragma once
// Builds GIF files in code, so every fixture of the GIF tests is described
// beside its expectations. Two LZW encoders: a plain one that sends every
// pixel as its own code (a clear code every few codes keeps the codes at the
// minimum width) and a real compressing one (table up to 4096 entries, then a
// clear code, or, on request, a full table kept as it is).
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/gif.h"

namespace zelk::test {

enum class Lzw { Plain, Compressed, CompressedNoClear };

class BitWriter {
public:
    void put(unsigned code, int bits) {
        acc_ |= static_cast<uint64_t>(code) << count_;
        count_ += bits;
        while (count_ >= 8) {
            bytes_.push_back(static_cast<uint8_t>(acc_));
            acc_ >>= 8;
            count_ -= 8;
        }
    }
    std::vector<uint8_t> finish() {
        if (count_ > 0) {
            bytes_.push_back(static_cast<uint8_t>(acc_));
        }
        acc_ = 0;
        count_ = 0;
        return std::move(bytes_);
    }

private:
    std::vector<uint8_t> bytes_;
    uint64_t acc_ = 0;
    int count_ = 0;
};

inline std::vector<uint8_t> encodePlain(const std::vector<uint8_t>& pixels, int minCodeSize) {
    const unsigned clear = 1u << minCodeSize;
    const int bits = minCodeSize + 1;
    // After 2^m - 2 codes the decoder's table would make codes one bit wider.
    const size_t chunk = clear - 2;
    BitWriter out;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i % chunk == 0) {
            out.put(clear, bits);
        }
        out.put(pixels[i], bits);
    }
    if (pixels.empty()) {
        out.put(clear, bits);
    }
    out.put(clear + 1, bits);
    return out.finish();
}

inline std::vector<uint8_t> encodeCompressed(const std::vector<uint8_t>& pixels, int minCodeSize,
                                             bool clearWhenFull) {
    const unsigned clear = 1u << minCodeSize;
    BitWriter out;
    int bits = minCodeSize + 1;
    unsigned next = clear + 2;
    std::map<uint32_t, unsigned> table;
    out.put(clear, bits);
    if (pixels.empty()) {
        out.put(clear + 1, bits);
        return out.finish();
    }
    unsigned prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const uint32_t key = (prefix << 8) | pixels[i];
        const auto found = table.find(key);
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        out.put(prefix, bits);
        if (next >= (1u << bits) && bits < 12) {
            ++bits;
        }
        if (next < 4096) {
            table[key] = next++;
        } else if (clearWhenFull) {
            out.put(clear, bits);
            table.clear();
            bits = minCodeSize + 1;
            next = clear + 2;
        }
        prefix = pixels[i];
    }
    out.put(prefix, bits);
    if (next >= (1u << bits) && bits < 12) {
        ++bits;
    }
    out.put(clear + 1, bits);
    return out.finish();
}

inline int minCodeSizeFor(size_t paletteSize) {
    int size = 2;
    while ((size_t{1} << size) < paletteSize) {
        ++size;
    }
    return size;
}

// Reorders top-down rows into the four passes of an interlaced frame.
inline std::vector<uint8_t> interlace(const std::vector<uint8_t>& pixels, int width, int height) {
    std::vector<uint8_t> out;
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = start[pass]; y < height; y += step[pass]) {
            out.insert(out.end(), pixels.begin() + y * width, pixels.begin() + (y + 1) * width);
        }
    }
    return out;
}

struct FrameSpec {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> indices = {};         // top-down rows
    std::vector<gif::Color> localPalette = {};  // empty: none
    bool interlaced = false;
    Lzw lzw = Lzw::Plain;
};

class GifBuilder {
public:
    GifBuilder(int width, int height, std::vector<gif::Color> global = {}, uint8_t background = 0,
               const char* version = "GIF89a") {
        raw(std::string(version));
        u16(width);
        u16(height);
        const bool hasGlobal = !global.empty();
        bytes_.push_back(static_cast<uint8_t>(hasGlobal ? 0x80 | tableBits(global.size()) : 0));
        bytes_.push_back(background);
        bytes_.push_back(0);
        if (hasGlobal) {
            palette(global);
        }
        globalSize_ = global.size();
    }

    GifBuilder& loop(uint16_t count, const char* application = "NETSCAPE2.0") {
        bytes_.insert(bytes_.end(), {0x21, 0xFF, 11});
        raw(std::string(application, 11));
        bytes_.insert(bytes_.end(), {3, 1});
        u16(count);
        bytes_.push_back(0);
        return *this;
    }

    GifBuilder& comment(const std::string& text) {
        bytes_.insert(bytes_.end(), {0x21, 0xFE});
        subBlocks(std::vector<uint8_t>(text.begin(), text.end()));
        return *this;
    }

    GifBuilder& control(int disposal, int transparent = -1, uint16_t delay = 0) {
        bytes_.insert(bytes_.end(), {0x21, 0xF9, 4});
        bytes_.push_back(static_cast<uint8_t>((disposal << 2) | (transparent >= 0 ? 1 : 0)));
        u16(delay);
        bytes_.push_back(static_cast<uint8_t>(transparent >= 0 ? transparent : 0));
        bytes_.push_back(0);
        return *this;
    }

    GifBuilder& frame(const FrameSpec& f) {
        const size_t colours = f.localPalette.empty() ? globalSize_ : f.localPalette.size();
        const int minCodeSize = minCodeSizeFor(colours);
        const auto rows = f.interlaced ? interlace(f.indices, f.width, f.height) : f.indices;
        std::vector<uint8_t> data;
        switch (f.lzw) {
        case Lzw::Plain:
            data = encodePlain(rows, minCodeSize);
            break;
        case Lzw::Compressed:
            data = encodeCompressed(rows, minCodeSize, true);
            break;
        case Lzw::CompressedNoClear:
            data = encodeCompressed(rows, minCodeSize, false);
            break;
        }
        return frameData(f, minCodeSize, data);
    }

    // A frame with the given LZW bytes (for broken data).
    GifBuilder& frameData(const FrameSpec& f, int minCodeSize, const std::vector<uint8_t>& data) {
        bytes_.push_back(0x2C);
        u16(f.left);
        u16(f.top);
        u16(f.width);
        u16(f.height);
        uint8_t flags = f.interlaced ? 0x40 : 0;
        if (!f.localPalette.empty()) {
            flags = static_cast<uint8_t>(flags | 0x80 | tableBits(f.localPalette.size()));
        }
        bytes_.push_back(flags);
        if (!f.localPalette.empty()) {
            palette(f.localPalette);
        }
        bytes_.push_back(static_cast<uint8_t>(minCodeSize));
        subBlocks(data);
        return *this;
    }

    GifBuilder& raw(const std::string& text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    GifBuilder& raw(std::initializer_list<uint8_t> data) {
        bytes_.insert(bytes_.end(), data);
        return *this;
    }
    GifBuilder& trailer() {
        bytes_.push_back(0x3B);
        return *this;
    }

    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    static uint8_t tableBits(size_t entries) {
        uint8_t bits = 0;
        while ((size_t{2} << bits) < entries) {
            ++bits;
        }
        return bits;
    }
    void u16(int v) {
        bytes_.push_back(static_cast<uint8_t>(v));
        bytes_.push_back(static_cast<uint8_t>(v >> 8));
    }
    // Tables are padded with black to their power-of-two size.
    void palette(const std::vector<gif::Color>& colours) {
        const size_t entries = size_t{2} << tableBits(colours.size());
        for (size_t i = 0; i < entries; ++i) {
            const gif::Color c = i < colours.size() ? colours[i] : gif::Color{};
            bytes_.insert(bytes_.end(), {c.red, c.green, c.blue});
        }
    }
    void subBlocks(const std::vector<uint8_t>& data) {
        for (size_t at = 0; at < data.size(); at += 255) {
            const size_t n = std::min<size_t>(255, data.size() - at);
            bytes_.push_back(static_cast<uint8_t>(n));
            bytes_.insert(bytes_.end(), data.begin() + static_cast<long>(at),
                          data.begin() + static_cast<long>(at + n));
        }
        bytes_.push_back(0);
    }

    std::vector<uint8_t> bytes_;
    size_t globalSize_ = 0;
};

}  // namespace zelk::test
