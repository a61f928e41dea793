#pragma once
// The plug-in's module-level state, one instance per loaded library (or per
// DmdDriver in the tests and the zelkdmd tool). The driver, the capture set
// and the matching all read and write it: the host calls them one at a time
// on its own thread, so plain fields need no lock.
#include <cstdint>
#include <string>

#include "device/entry/platform.h"

namespace zelk::device {

struct PluginState {
    explicit PluginState(Platform p) : platform(p) {}

    Platform platform;

    // Driver (entry points, settings, deferred game start).
    std::string gameName;
    bool gameStartPending = false;
    // Set by a game name starting "VANTOR\"; from then on every game start
    // calls the player's B2SInit.
    bool b2sInitRequested = false;
    bool showDmd = false;
    bool record = false;            // RECORD=1: every game start records its frames
    bool shadedHost = false;        // SHADEDHOST=1: PM_GameSettings and shaded frames count
    int32_t matchReset = 100;       // 100 until the first Open reads the settings
    // No line is written while it is off: before Open, whose first line
    // starts the log afresh, and while the library unloads.
    bool logEnabled = false;
    std::string pluginFolder;
    bool captureActive = false;

    // Matching; a game start that switches matching on re-arms lastMatch but
    // leaves frameCounter running.
    int32_t lastMatch = -1;
    int32_t frameCounter = 0;
    bool exactColorMatch = false;

    // One log line through WriteLog. A failing log never stops the plug-in:
    // the line is dropped and the caller carries on as if it had been written.
    void log(const std::string& message, bool fresh = false) noexcept;
    // Inside a catch block: the headline, then the failure's class name and
    // message, one line each.
    void logCurrentFailure(const std::string& headline) noexcept;
};

}  // namespace zelk::device
