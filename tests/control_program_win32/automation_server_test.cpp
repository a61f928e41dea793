// The automation server inside this process, over its two sources: a reset
// whose fresh server cannot be built (no memory left) leaves no server, and
// what the form asks afterwards is answered as for one with nothing to keep.
#include <gtest/gtest.h>

#include <new>

#include "control/program/win32/automation/automation_server.h"
#include "control/program/win32/automation/dmd_object.h"

namespace zelk::control {
namespace {

TEST(AutomationServer, AResetThatFailsHalfWayLeavesNoServerToTrip) {
    int builds = 0;
    const auto server = makeAutomationServer(std::make_shared<DmdTypes>(), [&builds] {
        if (++builds > 1) throw std::bad_alloc();
        return std::vector<std::string>{"-Embedding"};
    });
    EXPECT_TRUE(server->startedByAutomation());
    EXPECT_THROW(server->reset(), std::bad_alloc);
    EXPECT_FALSE(server->startedByAutomation());
    EXPECT_TRUE(server->mayTerminate());
}

}  // namespace
}  // namespace zelk::control
