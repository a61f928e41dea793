// A driver behind the plug-in (FORWARD) gets what the host would have sent
// it: PinMAME 3.6 and 3.7 hosts play each kind of hardware, once with the
// driver loaded directly and once through the plug-in, and the driver's
// records of the two runs are compared, call by call and byte by byte.
#include "pinmame_host.h"
#include "plugin_host.h"
#include "test_support.h"

namespace zelk::wine {
namespace {

using Lines = std::vector<std::string>;

// A raw-bitplane call as the plain one (name and first three arguments).
std::string withoutRaw(const std::string& line) {
    const size_t name = line.find("_with_Raw ");
    if (name == std::string::npos) return line;
    size_t end = name + 10;
    for (int field = 0; field < 3; ++field) end = line.find(' ', end + 1);
    return line.substr(0, name) + line.substr(name + 9, end - name - 9);
}

class ChainTest : public WineTest {
protected:
    void compareChains(PinMameVersion version) {
        const wchar_t* drivers[] = {L"recording_dmddevice.dll", L"recording_dmddevice_raw.dll",
                                    L"recording_dmddevice_all.dll"};
        int run = 0;
        for (const wchar_t* driver : drivers) {
            for (const PinMameHardware& hardware : kPinMameHardware) {
                SCOPED_TRACE(utf8(driver) + " " + hardware.kind);
                const fs::path direct = folder_ / (L"direct" + std::to_wstring(run));
                const fs::path chained = folder_ / (L"chained" + std::to_wstring(run++));
                fs::create_directories(direct);
                fs::copy_file(testProgramFolder() / driver, direct / driver);
                playPinMameGame(direct / driver, version, hardware);
                makePluginFolder(chained, "[SETTINGS]\r\nSHADEDHOST=1\r\nFORWARD=" + utf8(driver) + "\r\n",
                                 shadedHostLibraryName);
                fs::copy_file(testProgramFolder() / driver, chained / driver);
                playPinMameGame(chained / shadedHostLibraryName, version, hardware);

                Lines expected = fileLines(direct / L"dmddevice_record.txt");
                ASSERT_GT(expected.size(), 6u);
                // PinMAME 3.7 hands its luminance call no raw bitplanes: a
                // driver that takes them but not that call gets the plain
                // shaded call through the plug-in.
                if (version == PinMameVersion::v37 && driver == drivers[1]) {
                    for (std::string& line : expected) line = withoutRaw(line);
                }
                const Lines got = fileLines(chained / L"dmddevice_record.txt");
                ASSERT_EQ(got.size(), expected.size());
                for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], expected[i]) << "call " << i;
            }
        }
    }
};

TEST_F(ChainTest, PinMame36DriverGetsWhatTheHostWouldSend) { compareChains(PinMameVersion::v36); }
TEST_F(ChainTest, PinMame37DriverGetsWhatTheHostWouldSend) { compareChains(PinMameVersion::v37); }

}  // namespace
}  // namespace zelk::wine
