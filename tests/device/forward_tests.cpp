// DeviceForward over a fake loader whose driver has a few entry points: what
// each call reaches, and nothing at all before attach or after a refusal.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "device/device_forward.h"

namespace zelk::device {
namespace {

std::vector<std::string> reached;

bool recordOpen() { return reached.emplace_back("Open"), true; }
void shades4(uint16_t, uint16_t, const uint8_t*) { reached.emplace_back("Render_4_Shades"); }
void shades16(uint16_t, uint16_t, const uint8_t*) { reached.emplace_back("Render_16_Shades"); }
void shades4Raw(uint16_t, uint16_t, const uint8_t*, uint32_t, const uint8_t*) {
    reached.emplace_back("Render_4_Shades_with_Raw");
}

class FakeLibraries final : public DeviceLibraries {
public:
    Loaded loadForGood(const std::string& path) noexcept override {
        paths.push_back(path);
        Loaded loaded;
        if (path == "none.dll") loaded.failure = "it has none of the DMD device entry points";
        loaded.lookUp = [](const char* name) {
            const std::map<std::string, EntryPoint> exports = {
                {"Open", reinterpret_cast<EntryPoint>(recordOpen)},
                {"Render_4_Shades", reinterpret_cast<EntryPoint>(shades4)},
                {"Render_16_Shades", reinterpret_cast<EntryPoint>(shades16)},
                {"Render_4_Shades_with_Raw", reinterpret_cast<EntryPoint>(shades4Raw)}};
            const auto found = exports.find(name);
            return found == exports.end() ? nullptr : found->second;
        };
        return loaded;
    }
    std::vector<std::string> paths;
};

TEST(DeviceForward, CallsReachWhatTheDriverHasAndNothingWithoutOne) {
    FakeLibraries libraries;
    DeviceForward unattached, refused, attached;
    EXPECT_EQ(refused.attach(&libraries, "none.dll"),
              "ERROR forwarding, forwarding off: none.dll: it has none of the DMD device entry points");
    EXPECT_EQ(attached.attach(&libraries, "dev.dll"), "Forwarding to dev.dll");
    EXPECT_EQ(attached.attach(&libraries, "other.dll"), "Forwarding to dev.dll") << "attached once";
    EXPECT_EQ(libraries.paths, (std::vector<std::string>{"none.dll", "dev.dll"}));

    const uint8_t dots[4] = {};
    const float lum[4] = {};
    const uint16_t segments[2] = {};
    const struct {
        std::function<void(const DeviceForward&)> call;
        const char* reaches;  // on the attached driver; empty: nothing
    } cases[] = {
        {[](auto& f) { f.call(&DmdDeviceTable::Close); }, ""},
        {[](auto& f) { f.call(&DmdDeviceTable::Open); }, "Open"},
        {[&](auto& f) { f.Render_16_Shades_with_Raw(2, 2, dots, 1, dots); }, "Render_16_Shades"},
        {[&](auto& f) { f.Render_Lum_And_Raw(2, 2, dots, dots, 1, dots, dots, false); }, "Render_4_Shades_with_Raw"},
        {[&](auto& f) { f.Render_Lum_And_Raw(2, 2, dots, dots, 0, dots, dots, false); }, "Render_4_Shades"},
        {[&](auto& f) { f.Render_FloatLum_And_Raw(2, 2, lum, dots, 4, dots, true); }, "Render_16_Shades"},
        {[&](auto& f) { f.Render_PM_Alphanumeric_Dim_Frame(LAYOUT_NONE, segments, "", segments); }, ""},
        {[](auto& f) { EXPECT_EQ(f.Console_Input_Ptr(nullptr), 0); }, ""},
    };
    for (const auto& c : cases) {
        for (const DeviceForward* forward : {&unattached, &refused, &attached}) {
            reached.clear();
            c.call(*forward);
            const bool expected = forward == &attached && *c.reaches != '\0';
            EXPECT_EQ(reached, expected ? std::vector<std::string>{c.reaches} : std::vector<std::string>{})
                << c.reaches << (forward == &attached ? " attached" : " not attached");
        }
    }
    EXPECT_FALSE(unattached.forwarding() || refused.forwarding());
}

}  // namespace
}  // namespace zelk::device
