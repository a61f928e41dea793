#pragma once
// What both systems' device-library tests check, over the fake libraries
// (tests/control/device/fake_device_library): the four entry points driven once, and
// libraries that cannot be used refused with the path and the reason.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "control/device/dmd_device.h"
#include "control/output/dmd_output.h"
#include "control/output/source_fixtures.h"
#include "core/error.h"

namespace zelk::control::testing {

// What the fake library records for driveFourEntryPoints.
inline constexpr const char* kFourEntryPointsLog =
    "Open;PM_GameSettings('',3,zeroed);Render_RGB24(128,32,first=3.2.1,last=6.5.4);Close;";

inline void driveFourEntryPoints(DmdDevice& device) {
    OpenDmdDevice(device);
    OwnedSource source(128, 32, PixelFormat::Bgr24);
    source.setBgr(0, 0, 1, 2, 3);
    source.setBgr(127, 31, 4, 5, 6);
    SendFrameToDmd(device, source.view());
    device.Close();
}

struct RefusedLibrary {
    std::string path;
    std::string expected;  // part of the message besides the path
};

inline void expectRefused(std::initializer_list<RefusedLibrary> cases) {
    for (const RefusedLibrary& c : cases) {
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

}  // namespace zelk::control::testing
