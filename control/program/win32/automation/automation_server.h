#pragma once
// The automation server as the program's shell sees it: what start-up and
// every road to the end ask of it. The server itself (the class factory, the
// registration switches, the termination question) is built on top of this.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/program/dmd_controller.h"

namespace zelk::control {

class AutomationServer {
public:
    virtual ~AutomationServer() = default;
    // Start-up step 5, inside the apartment: updates the registration when the
    // command line asks for it (false: the program ends here with status 0),
    // else announces the DMD class. Throws zelk::Error on failure.
    virtual bool initialise() = 0;
    // The start mode is not "standalone": the automation runtime started us.
    // False while there is no server (a reset that failed half-way).
    virtual bool startedByAutomation() const = 0;
    // ResetAutomationServer: the class is withdrawn; objects held stay alive.
    // When building the fresh server fails, the failure reaches the caller
    // and there is no server until a later reset builds one.
    virtual void reset() = 0;
    // The check before every termination request: false keeps the program
    // running.
    virtual bool mayTerminate() = 0;
    // The controller that the objects' methods call, once it exists; it must
    // outlive the message loop.
    virtual void serve(DmdController& controller) = 0;
};

// The server of this start: start mode read from the command line, the
// class's descriptions read from the program file. Throws zelk::Error when
// the program file does not describe the class.
std::unique_ptr<AutomationServer> makeAutomationServer();

struct DmdTypes;  // control/program/win32/automation/dmd_object.h
// The same from its two sources: the class's descriptions, and the command
// line after the program name, read again for every fresh server.
std::unique_ptr<AutomationServer> makeAutomationServer(std::shared_ptr<const DmdTypes> types,
                                                       std::function<std::vector<std::string>()> parameters);

}  // namespace zelk::control
