// DeviceForward over a fake loader whose driver has a few entry points: what
// each call reaches, and nothing at all before attach or after a refusal.
#include <gtest/gtest.h>

#include <functional>

#include "device/forward/device_forward.h"

namespace zelk::device {
namespace {

std::vector<std::string> reached;
void shades4(uint16_t, uint16_t, const uint8_t*) { reached.emplace_back("Render_4_Shades"); }
void shades16(uint16_t, uint16_t, const uint8_t*) { reached.emplace_back("Render_16_Shades"); }
void shades4Raw(uint16_t, uint16_t, const uint8_t*, uint32_t, const uint8_t*) { reached.emplace_back("4_with_Raw"); }

struct FakeLibraries final : DeviceLibraries {
    Loaded loadForGood(const std::string& path) noexcept override {
        paths.push_back(path);
        Loaded loaded{path == "none.dll" ? "it has none of the DMD device entry points" : "", false, {}};
        loaded.lookUp = [](const std::string& name) {
            return name == "Render_4_Shades"            ? reinterpret_cast<EntryPoint>(shades4)
                   : name == "Render_16_Shades"         ? reinterpret_cast<EntryPoint>(shades16)
                   : name == "Render_4_Shades_with_Raw" ? reinterpret_cast<EntryPoint>(shades4Raw) : nullptr;
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
    EXPECT_EQ(attached.attach(&libraries, "other.dll"), "Forwarding to dev.dll");
    EXPECT_EQ(libraries.paths, (std::vector<std::string>{"none.dll", "dev.dll"})) << "attached once";
    const uint8_t dots[4] = {};
    const struct {
        std::function<void(const DeviceForward&)> call;
        const char* reaches;  // on the attached driver; empty: nothing
    } cases[] = {
        {[](auto& f) { f.call(&DmdDeviceTable::Close); }, ""},
        {[&](auto& f) { f.Render_16_Shades_with_Raw(2, 2, dots, 1, dots); }, "Render_16_Shades"},
        {[&](auto& f) { f.Render_Lum_And_Raw(2, 2, dots, dots, 1, dots, dots, false); }, "4_with_Raw"},
        {[&](auto& f) { f.Render_Lum_And_Raw(2, 2, dots, dots, 0, dots, dots, false); }, "Render_4_Shades"},
        {[&](auto& f) { f.Render_FloatLum_And_Raw(2, 2, nullptr, dots, 4, dots, true); }, "Render_16_Shades"},
        {[&](auto& f) { f.Render_PM_Alphanumeric_Dim_Frame(LAYOUT_NONE, nullptr, "", nullptr); }, ""},
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
}

}  // namespace
}  // namespace zelk::device
