// The exported entry points of the DMD device interface, made from its one
// description (DMDDEVICE_ENTRY_POINTS), each handed to the plug-in's single
// driver. Nothing thrown inside ever reaches the host.
#define ZELK_BUILDING_DMDDEVICE
#include "dmddevice.h"

#include <atomic>
#include <type_traits>

#include "device/entry/dmd_driver.h"
#include "device/entry/platform.h"

namespace zelk::device {
namespace {

// Set as the driver goes (the library unloads or the process ends). A call
// that still comes, say from another library's exit code closing its device
// after this library was told to detach, finds no driver and does nothing.
// A plain atomic: it outlives every destructor.
constinit std::atomic<bool> gDriverGone{false};

struct PluginDriver {
    DmdDriver driver{hostPlatform()};
    ~PluginDriver() { gDriverGone.store(true); }
};

}  // namespace

DmdDriver& pluginDriver() {
    // A function-local static: created at the first call, destroyed when the
    // library is unloaded (after which it writes nothing).
    static PluginDriver plugin;
    return plugin.driver;
}

}  // namespace zelk::device

namespace {

using zelk::device::DmdDriver;

// What an entry point returns when the driver could not be made: Open and
// Close always report success, the console hook's result is ignored.
template <typename Result>
Result failed() {
    if constexpr (std::is_same_v<Result, bool>) {
        return true;
    } else if constexpr (!std::is_void_v<Result>) {
        return Result{};
    }
}

// The driver's methods catch everything; only the driver's creation at the
// first call could throw here.
template <typename Result, typename Call>
Result callDriver(const Call& call) noexcept {
    if (zelk::device::gDriverGone.load(std::memory_order_relaxed)) return failed<Result>();
    try {
        return call(zelk::device::pluginDriver());
    } catch (...) {
        return failed<Result>();
    }
}

}  // namespace

extern "C" {

#define ZELK_EXPORT_(result, name, parameters, arguments)                                 \
    DMDDEV_API result DMDDEV_CALL name parameters {                                      \
        return callDriver<result>([&](DmdDriver& driver) { return driver.name arguments; }); \
    }
DMDDEVICE_ENTRY_POINTS(ZELK_EXPORT_)
#undef ZELK_EXPORT_

}  // extern "C"
