// The Windows device library: LoadLibraryW and GetProcAddress, over the fake
// libraries that lie beside this program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "control/device/device_library_checks.h"

namespace zelk::control {
namespace {

// The build folder's path is plain ASCII, so the ANSI call serves.
std::string besideThisProgram(const char* name) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

TEST(DeviceLibrary, DrivesALoadedLibraryThroughItsFourEntryPoints) {
    const std::unique_ptr<DmdDevice> device = loadDmdDevice(besideThisProgram(ZELK_FAKE_DEVICE_FILE_NAME));
    // The fake's own record of the calls, from the module loaded above.
    const HMODULE fake = GetModuleHandleA(ZELK_FAKE_DEVICE_FILE_NAME);
    ASSERT_NE(fake, nullptr);
    const auto log = reinterpret_cast<const char* (*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(fake, "FakeDmd_Log")));
    ASSERT_NE(log, nullptr);

    testing::driveFourEntryPoints(*device);
    EXPECT_STREQ(log(), testing::kFourEntryPointsLog);
}

TEST(DeviceLibrary, RefusesLibrariesItCannotUseNamingFileAndEntryPoint) {
    testing::expectRefused({
        {besideThisProgram(ZELK_FAKE_INCOMPLETE_DEVICE_FILE_NAME), "lacks the entry point \"Render_RGB24\""},
        {besideThisProgram("missing_dmddevice.dll"), "cannot load"},
        {"\xff\xfe.dll", "cannot load"},  // not UTF-8
    });
}

}  // namespace
}  // namespace zelk::control
