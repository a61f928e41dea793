// The automation server's command-line switches and the command it registers.
#include <gtest/gtest.h>

#include "control/program/server_switches.h"

namespace zelk::control {
namespace {

TEST(ServerSwitches, TheFirstSwitchInTheFixedOrderDecides) {
    const struct {
        std::vector<std::string> parameters;
        StartMode mode;
        bool perUser;
    } cases[] = {
        {{}, StartMode::standalone, false},
        {{"-Embedding"}, StartMode::automation, false},
        {{"/automation"}, StartMode::automation, false},
        {{"/RegServer"}, StartMode::regServer, false},
        {{"-unregserver"}, StartMode::unregServer, false},
        {{"/regserverperuser"}, StartMode::regServer, true},
        {{"/UnRegServerPerUser"}, StartMode::unregServer, true},
        // Order of the switches, not of the parameters.
        {{"/unregserver", "/regserver"}, StartMode::regServer, false},
        {{"/regserverperuser", "-embedding"}, StartMode::automation, false},
        // Not switches: no leading '-' or '/', a longer or a shorter name.
        {{"regserver", "\\regserver", "/regserve", "/regserverx", "/", ""}, StartMode::standalone, false},
    };
    for (const auto& c : cases) {
        const ServerStart start = readStartMode(c.parameters);
        EXPECT_EQ(start.mode, c.mode) << testing::PrintToString(c.parameters);
        EXPECT_EQ(start.perUser, c.perUser) << testing::PrintToString(c.parameters);
    }
}

TEST(ServerSwitches, TheRegisteredCommandNeverHasAnUnquotedSpace) {
    const struct {
        const char* fullPath;
        const char* shortPath;
        const char* command;
    } cases[] = {
        {"C:\\Zelk\\ZelkDMDControl.exe", "C:\\Zelk\\ZELKDM~1.EXE", "C:\\Zelk\\ZelkDMDControl.exe"},
        {"C:\\Program Files\\Zelk\\ZelkDMDControl.exe", "C:\\PROGRA~1\\Zelk\\ZELKDM~1.EXE",
         "C:\\PROGRA~1\\Zelk\\ZELKDM~1.EXE"},
        // A volume without short names gives the long path back, or nothing.
        {"C:\\Program Files\\Zelk\\ZelkDMDControl.exe", "C:\\Program Files\\Zelk\\ZelkDMDControl.exe",
         "\"C:\\Program Files\\Zelk\\ZelkDMDControl.exe\""},
        {"C:\\Program Files\\Zelk\\ZelkDMDControl.exe", "", "\"C:\\Program Files\\Zelk\\ZelkDMDControl.exe\""},
    };
    for (const auto& c : cases) EXPECT_EQ(localServerCommand(c.fullPath, c.shortPath), c.command);
}

}  // namespace
}  // namespace zelk::control
