// The Windows device library: LoadLibraryW and GetProcAddress, over the fake
// libraries that lie beside this program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "control/dmd_device.h"
#include "control/dmd_output.h"
#include "control/source_fixtures.h"
#include "core/error.h"

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

    OpenDmdDevice(*device);
    testing::OwnedSource source(128, 32, PixelFormat::Bgr24);
    source.setBgr(0, 0, 1, 2, 3);
    source.setBgr(127, 31, 4, 5, 6);
    SendFrameToDmd(*device, source.view());
    device->Close();
    EXPECT_STREQ(log(),
                 "Open;PM_GameSettings('',3,zeroed);"
                 "Render_RGB24(128,32,first=3.2.1,last=6.5.4);Close;");
}

TEST(DeviceLibrary, RefusesLibrariesItCannotUseNamingFileAndEntryPoint) {
    const struct {
        std::string path;
        std::string expected;  // part of the message besides the path
    } cases[] = {
        {besideThisProgram(ZELK_FAKE_INCOMPLETE_DEVICE_FILE_NAME), "lacks the entry point \"Render_RGB24\""},
        {besideThisProgram("missing_dmddevice.dll"), "cannot load"},
        {"\xff\xfe.dll", "cannot load"},  // not UTF-8
    };
    for (const auto& c : cases) {
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
