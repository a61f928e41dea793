#pragma once
// WriteLog: the plug-in's log "ZELKLOG.txt" beside the library. Each line is
// "YYYYMMDD HH:MM:SS message" (the user's time separator), ended by CR LF.
// The file is opened and closed for every line, so every line is on disk when
// WriteLog returns; a fresh log truncates the file, appending never creates it.
#include <exception>
#include <string>

#include "device/entry/platform.h"

namespace zelk::device {

inline constexpr const char* kLogFileName = "ZELKLOG.txt";

// The line without its CR LF.
std::string formatLogLine(const LocalTime& time, const std::string& timeSeparator,
                          const std::string& message);

// Does nothing while logEnabled is false. Throws zelk::Error when the file
// cannot be created, opened or written.
void WriteLog(const Platform& platform, bool logEnabled, const std::string& pluginFolder,
              const std::string& message, bool fresh);

// Class name and message of a caught failure, for the log.
struct FailureText {
    std::string className;
    std::string message;
};
FailureText describeFailure(std::exception_ptr failure);

}  // namespace zelk::device
