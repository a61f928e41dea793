// The program before its automation server exists: no class is announced,
// so no client can create an object, and with no object alive there is
// nothing to reset and nothing that could keep the program from ending.
// Registration switches are not understood yet: such a start runs as a
// start by hand. The automation step replaces this file.
#include "control/program_win32/automation_server.h"

namespace zelk::control {
namespace {

class NoAutomationServer final : public AutomationServer {
public:
    bool initialise() override { return true; }
    bool startedByAutomation() const override { return false; }
    void reset() override {}
    bool mayTerminate() override { return true; }
};

}  // namespace

std::unique_ptr<AutomationServer> makeAutomationServer() { return std::make_unique<NoAutomationServer>(); }

}  // namespace zelk::control
