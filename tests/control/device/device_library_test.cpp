// The POSIX device library: dlopen and dlsym, over the fake libraries.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "control/device/device_library_checks.h"

namespace zelk::control {
namespace {

// The fake library's own record of the calls it received, read through a
// second handle on the same (already loaded) library.
class FakeLibraryLog {
public:
    FakeLibraryLog() : handle_(dlopen(ZELK_FAKE_DEVICE_PATH, RTLD_NOW | RTLD_LOCAL)) {
        if (handle_ == nullptr) return;
        log_ = reinterpret_cast<const char* (*)()>(dlsym(handle_, "FakeDmd_Log"));
        reset_ = reinterpret_cast<void (*)()>(dlsym(handle_, "FakeDmd_Reset"));
    }
    ~FakeLibraryLog() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    bool ok() const { return log_ != nullptr && reset_ != nullptr; }
    std::string text() const { return log_(); }
    void reset() const { reset_(); }

private:
    void* handle_;
    const char* (*log_)() = nullptr;
    void (*reset_)() = nullptr;
};

TEST(DeviceLibrary, DrivesALoadedLibraryThroughItsFourEntryPoints) {
    const std::unique_ptr<DmdDevice> device = loadDmdDevice(ZELK_FAKE_DEVICE_PATH);
    FakeLibraryLog log;
    ASSERT_TRUE(log.ok());
    log.reset();

    testing::driveFourEntryPoints(*device);
    EXPECT_EQ(log.text(), testing::kFourEntryPointsLog);
}

TEST(DeviceLibrary, RefusesLibrariesItCannotUseWithAClearReason) {
    testing::expectRefused({
        {ZELK_FAKE_INCOMPLETE_DEVICE_PATH, "lacks the entry point \"Render_RGB24\""},
        {"/nonexistent/libdmddevice.so", "cannot load"},
        {ZELK_SOURCE_DIR "/CMakeLists.txt", "cannot load"},
    });
}

}  // namespace
}  // namespace zelk::control
