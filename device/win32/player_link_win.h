#pragma once
// The link to the media player VantorPlayer: where its media live, and its
// display object TPinDisplay.
#include <memory>
#include <string>

#include "device/platform.h"

namespace zelk::device::win32 {

// The player's folder from its registration, followed by "ZelkVideos\";
// empty when the player is not registered.
std::string FindMediaRoot();

// Media root from the LocalServer32 command line: its folder part (up to and
// including the last '\' or ':', quotes and arguments left as they are)
// followed by "ZelkVideos\". Split out for the tests.
std::wstring mediaRootFromServerCommand(const std::wstring& command);

// A display object that connects on its first call. Failures throw
// zelk::Error with class name "EOleSysError" and the message
// "HRESULT 0x8xxxxxxx: <the system's description of the code>".
std::unique_ptr<PlayerDisplay> makePinDisplay();

}  // namespace zelk::device::win32
