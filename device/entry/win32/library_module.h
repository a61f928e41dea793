#pragma once
// The plug-in's own library module, and what the code needs to know about
// the loader: whether the library is being detached right now.
#include <windows.h>

#include <string>

namespace zelk::device {

// The module that holds this code (the plug-in DLL, not the host's program).
HMODULE thisModule();

// Full path of thisModule() as UTF-8.
std::string thisModulePath();

// Keeps the library loaded until the process ends. Called once the preview
// window exists: the window's procedure lives in this library, and a window
// must never outlive the code that serves its messages.
void pinThisModule();

// True from DLL_PROCESS_DETACH on: the static destructors that follow run
// under the loader lock, where the plug-in makes no COM calls and touches no
// windows.
bool libraryDetaching();

}  // namespace zelk::device
