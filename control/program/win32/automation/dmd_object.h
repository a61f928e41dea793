#pragma once
// TDMD, the automation object: one per creation request, no state of its own.
// Each method hands its call to the program-wide controller and turns a
// failure into automation error information.
#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include <atomic>
#include <memory>

#include "control/program/dmd_controller.h"
#include "platform/win32/com_ptr.h"

namespace zelk::control {

// The class's descriptions, read once from the type library in the program
// file: the class, IDMD as dispatch description (GetTypeInfo hands it out)
// and IDMD's table, which serves GetIDsOfNames and Invoke.
struct DmdTypes {
    platform::ComPtr<ITypeInfo> coclass;
    platform::ComPtr<ITypeInfo> dispatch;
    platform::ComPtr<ITypeInfo> table;
};

// Throws zelk::Error "Type information missing for class TDMD" (and the
// like) when the program file does not describe the class.
std::shared_ptr<const DmdTypes> loadDmdTypes();

// What the objects share with the server that made them. An object keeps
// its link alive, so one held past ResetAutomationServer counts itself in
// the discarded server's link, which nobody reads any more, and never
// reaches the server itself. Its calls still reach the controller, which
// lives until the message loop has ended; no call arrives after that.
struct ObjectLink {
    std::shared_ptr<const DmdTypes> types;
    DmdController* controller = nullptr;  // set once the controller exists
    bool automation = false;              // the last release ends the program
    bool creating = true;                 // false once the server is discarded
    std::atomic<long> liveObjects{0};
};

// A new TDMD with one reference, as IUnknown.
IUnknown* makeDmdObject(const std::shared_ptr<ObjectLink>& link);

// The end of a reference that kept a program started by the automation
// runtime alive (a DMD object, a locked factory): the last one asks the
// message loop to quit.
void releaseServerProcess();

}  // namespace zelk::control
