#include "pinmame_host.h"

#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

#include "plugin_host.h"
#include "platform/win32/handles.h"

namespace zelk::wine {

const PinMameHardware kPinMameHardware[4] = {
    {"SAM", "sman_261", 0x100000000000ull, 0, false},
    {"WPC", "mm_109c", 0x4000ull, 3, false},
    {"GTS3", "tf_180h", 0x20000000000ull, 3, false},
    {"System 11", "pb_l5", 0x100ull, 0, true},
};

namespace {

constexpr uint16_t kWidth = 128, kHeight = 32;
constexpr int kDots = kWidth * kHeight;

bool sixteenShades(const PinMameHardware& hardware) {
    const bool byName = _strnicmp(hardware.rom, "smb", 3) == 0 || _strnicmp(hardware.rom, "cueball", 7) == 0;
    return (hardware.generation & (0x100000000000ull | 0x4000000000000ull | 0x400000000000ull)) != 0 || byName;
}

// What the emulation measured for frame n: luminance (a byte and a float a
// dot), the identification frame and the raw bitplanes.
struct EmulatedFrame {
    std::vector<uint8_t> lum, ident, raw;
    std::vector<float> floatLum;

    EmulatedFrame(int n, bool sixteen, uint32_t rawCount)
        : lum(kDots), ident(kDots), raw(rawCount * kDots / 8), floatLum(kDots) {
        for (int i = 0; i < kDots; ++i) {
            lum[i] = static_cast<uint8_t>((i * 7 + n * 31) % 256);
            floatLum[i] = static_cast<float>((i * 13 + n * 17) % 1000) / 999.f;
            ident[i] = static_cast<uint8_t>((i + n) % (sixteen ? 16 : 4));
        }
        for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>(i * 3 + n);
    }
};

int readConsole(uint8_t* buffer, int size) {
    const char typed[] = "ok";
    const int count = size < 2 ? size : 2;
    std::memcpy(buffer, typed, static_cast<size_t>(count));
    return count;
}

void renderFrame(const DmdDeviceTable& d, PinMameVersion version, const PinMameHardware& hardware, int n) {
    const bool v36 = version == PinMameVersion::v36;
    const EmulatedFrame f(n, sixteenShades(hardware), hardware.rawCount);
    if (v36 && d.Render_Lum_And_Raw != nullptr)
        return d.Render_Lum_And_Raw(kWidth, kHeight, f.lum.data(), f.ident.data(), hardware.rawCount, f.raw.data());
    if (!v36 && d.Render_FloatLum_And_Raw != nullptr)
        return d.Render_FloatLum_And_Raw(kWidth, kHeight, f.floatLum.data(), f.ident.data(), sixteenShades(hardware) ? 4 : 2);
    // The legacy rule.
    const bool sixteen = sixteenShades(hardware);
    std::vector<uint8_t> frame = f.ident;
    if (hardware.generation & 0x20000000000ull) {
        for (int i = 0; i < kDots; ++i) {
            frame[i] = v36 ? static_cast<uint8_t>(f.lum[i] >> (sixteen ? 4 : 6))
                           : static_cast<uint8_t>(f.floatLum[i] * (sixteen ? 15.f : 3.f));
        }
    }
    const auto withRaw = sixteen ? d.Render_16_Shades_with_Raw : d.Render_4_Shades_with_Raw;
    if (hardware.rawCount > 0 && withRaw != nullptr)
        return withRaw(kWidth, kHeight, frame.data(), hardware.rawCount, f.raw.data());
    (sixteen ? d.Render_16_Shades : d.Render_4_Shades)(kWidth, kHeight, frame.data());
}

void renderAlphanumeric(const DmdDeviceTable& d, PinMameVersion version, int n) {
    uint16_t segments[2][128] = {};
    char dim[128] = {};
    for (int i = 0; i < 128; ++i) {
        segments[0][i] = static_cast<uint16_t>(i * 257 + n);
        segments[1][i] = static_cast<uint16_t>(i + n * 3);
        dim[i] = static_cast<char>((i + n) % 3);
    }
    const auto layout = static_cast<layout_t>(1 + n % 20);  // PinMAME's layouts run past 15
    if (version == PinMameVersion::v36 && d.Render_PM_Alphanumeric_Dim_Frame != nullptr)
        return d.Render_PM_Alphanumeric_Dim_Frame(layout, segments[0], dim, segments[1]);
    d.Render_PM_Alphanumeric_Frame(layout, segments[0], segments[1]);
}

}  // namespace

void playPinMameGame(const std::filesystem::path& library, PinMameVersion version, const PinMameHardware& hardware) {
    const platform::LibraryModule module(LoadLibraryW(library.c_str()));
    if (module.get() == nullptr) throw std::runtime_error("cannot load " + library.string());
    const DmdDeviceTable d = bindEntryPoints(module.get(), kPinMameRequiredEntries);
    std::thread emulation([&] {
        d.Open();
        if (d.Console_Input_Ptr != nullptr) d.Console_Input_Ptr(readConsole);
        const rgb24 amber[4] = {{0, 0, 0}, {85, 43, 11}, {170, 85, 21}, {255, 128, 32}};
        if (d.Set_4_Colors_Palette != nullptr) d.Set_4_Colors_Palette(amber[0], amber[1], amber[2], amber[3]);
        const tPMoptions options{{1, 0, 0, 0, 255, 128, 32, 1}};
        d.PM_GameSettings(hardware.rom, hardware.generation, &options);
        for (int n = 0; n < 4; ++n) {
            if (hardware.alphanumeric) {
                renderAlphanumeric(d, version, n);
            } else {
                renderFrame(d, version, hardware, n);
            }
        }
        const std::vector<uint8_t> dark(kDots, 0);
        d.Render_4_Shades(kWidth, kHeight, dark.data());
        d.Close();
    });
    emulation.join();
}

}  // namespace zelk::wine
