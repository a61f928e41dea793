#pragma once
// A DMD device library's entry points as one table of typed pointers, made
// from DMDDEVICE_ENTRY_POINTS and bound by name: the plug-in's forwarder, the
// control program and the test hosts all bind a library through it.
#include <cstddef>

#include "dmddevice.h"

namespace zelk {

// The entry points in the interface's order.
enum class DmdEntry : int {
#define ZELK_DMD_ENUM_(result, name, parameters, arguments) name,
    DMDDEVICE_ENTRY_POINTS(ZELK_DMD_ENUM_)
#undef ZELK_DMD_ENUM_
};

inline constexpr const char* kDmdEntryNames[] = {
#define ZELK_DMD_NAME_(result, name, parameters, arguments) #name,
    DMDDEVICE_ENTRY_POINTS(ZELK_DMD_NAME_)
#undef ZELK_DMD_NAME_
};
inline constexpr size_t kDmdEntryCount = sizeof kDmdEntryNames / sizeof kDmdEntryNames[0];

inline constexpr const char* dmdEntryName(DmdEntry entry) { return kDmdEntryNames[static_cast<int>(entry)]; }

// The six a PinMAME host cannot do without: it refuses a library that lacks one.
inline constexpr DmdEntry kPinMameRequiredEntries[] = {DmdEntry::Open,
                                                       DmdEntry::Close,
                                                       DmdEntry::PM_GameSettings,
                                                       DmdEntry::Render_4_Shades,
                                                       DmdEntry::Render_16_Shades,
                                                       DmdEntry::Render_PM_Alphanumeric_Frame};

struct DmdDeviceTable {
#define ZELK_DMD_MEMBER_(result, name, parameters, arguments) decltype(&::name) name = nullptr;
    DMDDEVICE_ENTRY_POINTS(ZELK_DMD_MEMBER_)
#undef ZELK_DMD_MEMBER_

    // Binds every entry point through lookUp(name), which gives any function
    // pointer type, null for a name the library lacks.
    template <typename LookUp>
    void bind(const LookUp& lookUp) {
        // The library's export has the entry point's type; the look-up only
        // hid it. void (*)() stands for any function type.
#define ZELK_DMD_BIND_(result, name, parameters, arguments) \
    name = reinterpret_cast<decltype(&::name)>(reinterpret_cast<void (*)()>(lookUp(#name)));
        DMDDEVICE_ENTRY_POINTS(ZELK_DMD_BIND_)
#undef ZELK_DMD_BIND_
    }

    bool has(DmdEntry entry) const {
        switch (entry) {
#define ZELK_DMD_HAS_(result, name, parameters, arguments) \
    case DmdEntry::name:                                   \
        return name != nullptr;
            DMDDEVICE_ENTRY_POINTS(ZELK_DMD_HAS_)
#undef ZELK_DMD_HAS_
        }
        return false;
    }

    bool hasAny() const {
        for (size_t i = 0; i < kDmdEntryCount; ++i) {
            if (has(static_cast<DmdEntry>(i))) return true;
        }
        return false;
    }
};

}  // namespace zelk
