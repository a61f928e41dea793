#pragma once
// The steps of start-up that come before any window: the DMD device library,
// the one-copy-per-session rule, and the error box that ends a failed start.
#include <memory>
#include <string>

#include "control/device/dmd_device.h"

namespace zelk::control {

// The DMD device library beside the program: the x64 build takes
// dmddevice64.dll, and dmddevice.dll when that file is not there; the x86
// build takes dmddevice.dll. Throws zelk::Error naming the file and, when
// one lacks, the entry point.
std::unique_ptr<DmdDevice> loadProgramDevice();

// Creates the session's named mutex, owned by this thread and never
// released: the process end frees it. False when another copy in this logon
// session holds it. Throws zelk::Error ("System Error.  Code: ...") when the
// mutex cannot be made.
bool claimSession();

// The task-modal error box of a failed start; answers the exit status 1.
int reportStartFailure(const std::string& message);

}  // namespace zelk::control
