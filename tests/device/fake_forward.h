#pragma once
// A FORWARD library without a file: its entry points are plain functions of
// this test program, exported as a mask chooses, counting each call and
// reading every buffer to the length the call gives (so that a frame
// shorter than its call says shows under AddressSanitizer). Loaded as
// "fake.so"; "self.so" stands for the plug-in itself, any other name for a
// file that is missing.
#include <array>
#include <string>

#include "device/forward/device_forward.h"
#include "dmddevice_table.h"

namespace zelk::test {

struct ForwardRecord {
    std::array<int, kDmdEntryCount> calls{};
    int layout = -1;        // of the last alphanumeric frame
    unsigned checksum = 0;  // of every byte read, so that no read is left out
};
// Plain functions can reach nothing else.
inline ForwardRecord forwardRecord;

namespace fake_forward {

inline void readAll(const void* bytes, size_t count) {
    const auto* data = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; data != nullptr && i < count; ++i) forwardRecord.checksum += data[i];
}
inline size_t dots(uint16_t width, uint16_t height) { return size_t{width} * height; }

// Each call's buffers, read by the sizes the call gives.
inline void take(uint16_t w, uint16_t h, const rgb24* frame) { readAll(frame, 3 * dots(w, h)); }
inline void take(uint16_t w, uint16_t h, const uint8_t* frame) { readAll(frame, dots(w, h)); }
inline void take(uint16_t w, uint16_t h, const uint8_t* frame, uint32_t rawCount, const uint8_t* raw) {
    readAll(frame, dots(w, h));
    readAll(raw, rawCount * dots(w, h) / 8);
}
inline void take(uint16_t w, uint16_t h, const uint8_t* lum, const uint8_t* ident, uint32_t rawCount,
                 const uint8_t* raw) {
    readAll(lum, dots(w, h));
    take(w, h, ident, rawCount, raw);
}
inline void take(uint16_t w, uint16_t h, const float* lum, const uint8_t* ident, uint8_t) {
    readAll(lum, 4 * dots(w, h));
    readAll(ident, dots(w, h));
}
inline void take(layout_t layout, const uint16_t* seg, const uint16_t* seg2) {
    forwardRecord.layout = layout;
    readAll(seg, 256);
    readAll(seg2, 256);
}
inline void take(layout_t layout, const uint16_t* seg, const char* dim, const uint16_t* seg2) {
    take(layout, seg, seg2);
    readAll(dim, 128);
}
inline void take(const rgb24* colors) { readAll(colors, 48); }
inline void take(const char*, uint64_t, const tPMoptions* options) { readAll(options, sizeof(tPMoptions)); }
template <typename... Arguments>
void take(const Arguments&...) {}

#define ZELK_FAKE_ENTRY_(result, name, parameters, arguments) \
    inline result name parameters {                           \
        ++forwardRecord.calls[static_cast<int>(DmdEntry::name)]; \
        take arguments;                                       \
        return result();                                      \
    }
DMDDEVICE_ENTRY_POINTS(ZELK_FAKE_ENTRY_)
#undef ZELK_FAKE_ENTRY_

inline const device::DeviceLibraries::EntryPoint kEntries[] = {
#define ZELK_FAKE_POINTER_(result, name, parameters, arguments) \
    reinterpret_cast<device::DeviceLibraries::EntryPoint>(&name),
    DMDDEVICE_ENTRY_POINTS(ZELK_FAKE_POINTER_)
#undef ZELK_FAKE_POINTER_
};

}  // namespace fake_forward

class FakeForwardLibraries : public device::DeviceLibraries {
public:
    explicit FakeForwardLibraries(unsigned exports) : exports_(exports) {}
    bool exports(DmdEntry entry) const { return (exports_ >> static_cast<int>(entry)) & 1; }

    Loaded loadForGood(const std::string& path) noexcept override {
        Loaded loaded;
        if (path.ends_with("/self.so")) loaded.isThisPlugin = true;
        if (!path.ends_with("/fake.so") || (exports_ & ((1u << kDmdEntryCount) - 1)) == 0) loaded.failure = "missing";
        const unsigned mask = exports_;
        loaded.lookUp = [mask](const char* name) -> EntryPoint {
            for (size_t i = 0; i < kDmdEntryCount; ++i) {
                if (std::string(kDmdEntryNames[i]) == name && (mask >> i) & 1) return fake_forward::kEntries[i];
            }
            return nullptr;
        };
        return loaded;
    }

private:
    unsigned exports_;
};

}  // namespace zelk::test
