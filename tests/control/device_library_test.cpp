// The POSIX device library: dlopen and dlsym, over the fake libraries.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "control/dmd_device.h"
#include "control/dmd_output.h"
#include "control/source_fixtures.h"
#include "core/error.h"

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

    OpenDmdDevice(*device);
    testing::OwnedSource source(128, 32, PixelFormat::Bgr24);
    source.setBgr(0, 0, 1, 2, 3);
    source.setBgr(127, 31, 4, 5, 6);
    SendFrameToDmd(*device, source.view());
    device->Close();

    EXPECT_EQ(log.text(),
              "Open;PM_GameSettings('',3,zeroed);"
              "Render_RGB24(128,32,first=3.2.1,last=6.5.4);Close;");
}

TEST(DeviceLibrary, RefusesLibrariesItCannotUseWithAClearReason) {
    struct Case {
        std::string path;
        std::string expected;  // part of the message besides the path
    };
    const Case cases[] = {
        {ZELK_FAKE_INCOMPLETE_DEVICE_PATH, "lacks the entry point \"Render_RGB24\""},
        {"/nonexistent/libdmddevice.so", "cannot load"},
        {ZELK_SOURCE_DIR "/CMakeLists.txt", "cannot load"},
    };
    for (const Case& c : cases) {
        try {
            loadDmdDevice(c.path);
            ADD_FAILURE() << c.path << " was accepted";
        } catch (const Error& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(c.path), std::string::npos) << message;
            EXPECT_NE(message.find(c.expected), std::string::npos) << message;
        }
    }
}

}  // namespace
}  // namespace zelk::control
