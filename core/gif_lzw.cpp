#include "core/gif_lzw.h"

#include <array>
#include <cstring>
#include <string>

#include "core/error.h"

namespace zelk::gif {
namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;

// The string of every code is its prefix code's string plus one suffix byte;
// its first byte and length are kept so strings can be written back to front
// straight into the output and new entries need no walk of the chain.
struct Table {
    std::array<uint16_t, kTableSize> prefix;
    std::array<uint8_t, kTableSize> suffix;
    std::array<uint8_t, kTableSize> first;
    std::array<uint16_t, kTableSize> length;
};

[[noreturn]] void fail(const std::string& reason) {
    throw Error("EGifError", "GIF image data: " + reason);
}

// Writes the string of `code` to out[0 .. length). `length` may be shorter
// than the string (the frame is full): the string's head is kept.
void writeString(const Table& table, unsigned code, uint8_t* out, size_t length) {
    size_t full = table.length[code];
    while (full > length) {  // skip the tail that does not fit
        code = table.prefix[code];
        --full;
    }
    uint8_t* p = out + full;
    while (p != out) {
        *--p = table.suffix[code];
        code = table.prefix[code];
    }
}

}  // namespace

size_t decodeLzw(std::span<const uint8_t> data, int minCodeSize, std::span<uint8_t> out) {
    if (minCodeSize < 2 || minCodeSize > 8) {
        fail("minimum code size " + std::to_string(minCodeSize) + " is outside 2 to 8");
    }
    static thread_local Table table;
    const unsigned clearCode = 1u << minCodeSize;
    const unsigned endCode = clearCode + 1;
    for (unsigned c = 0; c < clearCode; ++c) {
        table.prefix[c] = 0;
        table.suffix[c] = static_cast<uint8_t>(c);
        table.first[c] = static_cast<uint8_t>(c);
        table.length[c] = 1;
    }

    int codeBits = minCodeSize + 1;
    unsigned nextCode = clearCode + 2;
    int previous = -1;  // no previous code right after a clear
    uint32_t bits = 0;
    int bitCount = 0;
    size_t in = 0;
    size_t written = 0;
    const size_t capacity = out.size();

    while (written < capacity) {
        while (bitCount < codeBits) {
            if (in == data.size()) {
                return written;  // the stream ended without an end code
            }
            bits |= static_cast<uint32_t>(data[in++]) << bitCount;
            bitCount += 8;
        }
        const unsigned code = bits & ((1u << codeBits) - 1);
        bits >>= codeBits;
        bitCount -= codeBits;

        if (code == clearCode) {
            codeBits = minCodeSize + 1;
            nextCode = clearCode + 2;
            previous = -1;
            continue;
        }
        if (code == endCode) {
            break;
        }
        if (previous < 0) {
            if (code > clearCode) {
                fail("code " + std::to_string(code) + " follows a clear code");
            }
            out[written++] = static_cast<uint8_t>(code);
            previous = static_cast<int>(code);
            continue;
        }

        const auto prev = static_cast<unsigned>(previous);
        uint8_t firstByte;
        if (code < nextCode) {
            firstByte = table.first[code];
            const size_t length = std::min<size_t>(table.length[code], capacity - written);
            writeString(table, code, out.data() + written, length);
            written += length;
        } else if (code == nextCode) {
            // The code being defined: the previous string plus its own first byte.
            firstByte = table.first[prev];
            const size_t length = std::min<size_t>(table.length[prev], capacity - written);
            writeString(table, prev, out.data() + written, length);
            written += length;
            if (written < capacity) {
                out[written++] = firstByte;
            }
        } else {
            fail("code " + std::to_string(code) + " is not defined yet (next is " +
                 std::to_string(nextCode) + ")");
        }

        if (nextCode < kTableSize) {
            table.prefix[nextCode] = static_cast<uint16_t>(prev);
            table.suffix[nextCode] = firstByte;
            table.first[nextCode] = table.first[prev];
            table.length[nextCode] = static_cast<uint16_t>(table.length[prev] + 1);
            ++nextCode;
            if (nextCode == (1u << codeBits) && codeBits < kMaxCodeBits) {
                ++codeBits;
            }
        }
        previous = static_cast<int>(code);
    }
    return written;
}

}  // namespace zelk::gif
