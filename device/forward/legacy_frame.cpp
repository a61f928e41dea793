#include "device/forward/legacy_frame.h"

#include <cmath>
#include <cstring>

namespace zelk::device {
namespace {

constexpr uint64_t kGts3 = 0x20000000000ull;
constexpr uint64_t kSam = 0x100000000000ull;
constexpr uint64_t kSpa = 0x4000000000000ull;
constexpr uint64_t kAlvgDmd2 = 0x400000000000ull;

bool startsWithAnyCase(const char* name, std::string_view prefix) {
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char c = name[i];
        if (c == 0) return false;
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != prefix[i]) return false;
    }
    return true;
}

// A host's float outside 0.0-1.0 (or NaN) would make the conversion to a byte
// undefined; within the range the product is the host's own.
uint8_t quantised(float lum, float top) {
    if (!(lum > 0.f)) return 0;
    if (lum > 1.f) lum = 1.f;
    return static_cast<uint8_t>(lum * top);
}

}  // namespace

GameKind GameKind::of(const char* name, uint64_t generation) {
    GameKind kind;
    kind.generation = generation;
    kind.sixteenShadesByName =
        name != nullptr && (startsWithAnyCase(name, "smb") || startsWithAnyCase(name, "cueball"));
    return kind;
}

bool GameKind::gts3() const { return (generation & kGts3) != 0; }

bool GameKind::sixteenShades() const {
    return (generation & (kSam | kSpa | kAlvgDmd2)) != 0 || sixteenShadesByName;
}

uint8_t* LegacyFrame::buffer(uint16_t width, uint16_t height) {
    const size_t dots = size_t{width} * height;
    if (frame_.size() < dots) frame_.resize(dots);
    return frame_.data();
}

const uint8_t* LegacyFrame::fromLum(uint16_t width, uint16_t height, const uint8_t* lum, const uint8_t* ident,
                                    const GameKind& game, int maxSide) {
    if (!game.gts3()) return ident;
    if (lum == nullptr || width > maxSide || height > maxSide) return nullptr;
    uint8_t* frame = buffer(width, height);
    const int shift = game.sixteenShades() ? 4 : 6;
    const size_t dots = size_t{width} * height;
    for (size_t i = 0; i < dots; ++i) frame[i] = static_cast<uint8_t>(lum[i] >> shift);
    return frame;
}

const uint8_t* LegacyFrame::fromFloatLum(uint16_t width, uint16_t height, const float* lum, const uint8_t* ident,
                                         uint8_t identBits, const GameKind& game, int maxSide) {
    if (!game.gts3()) return ident;
    if (lum == nullptr || width > maxSide || height > maxSide) return nullptr;
    uint8_t* frame = buffer(width, height);
    const float top = sixteenShadesOfIdentBits(identBits) ? 15.f : 3.f;
    const size_t dots = size_t{width} * height;
    for (size_t i = 0; i < dots; ++i) frame[i] = quantised(lum[i], top);
    return frame;
}

}  // namespace zelk::device
