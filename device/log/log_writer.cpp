#include "device/log/log_writer.h"

#include <cstdio>
#include <new>

#include "core/error.h"
#include "device/entry/plugin_state.h"

namespace zelk::device {
namespace {

std::string twoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

}  // namespace

std::string formatLogLine(const LocalTime& time, const std::string& timeSeparator,
                          const std::string& message) {
    char date[32];
    std::snprintf(date, sizeof date, "%04d%02d%02d ", time.year, time.month, time.day);
    return date + twoDigits(time.hour) + timeSeparator + twoDigits(time.minute) + timeSeparator +
           twoDigits(time.second) + " " + message;
}

void WriteLog(const Platform& platform, bool logEnabled, const std::string& pluginFolder,
              const std::string& message, bool fresh) {
    if (!logEnabled) return;
    const std::string line =
        formatLogLine(platform.clockAndText.localTime(), platform.clockAndText.timeSeparator(), message) + "\r\n";
    platform.files.writeLogLine(pluginFolder + kLogFileName, line, fresh);
}

FailureText describeFailure(std::exception_ptr failure) {
    if (!failure) return {"Exception", "unknown failure"};
    try {
        std::rethrow_exception(failure);
    } catch (const Error& e) {
        return {e.className(), e.what()};
    } catch (const std::bad_alloc& e) {
        return {"EOutOfMemory", e.what()};
    } catch (const std::exception& e) {
        return {"Exception", e.what()};
    } catch (...) {
        return {"Exception", "unknown failure"};
    }
}

void PluginState::log(const std::string& message, bool fresh) noexcept {
    try {
        WriteLog(platform, logEnabled, pluginFolder, message, fresh);
    } catch (...) {
        // The log is the only place a failure could be reported, and it just
        // failed; dropping the line keeps the plug-in doing its job.
    }
}

void PluginState::logCurrentFailure(const std::string& headline) noexcept {
    try {
        const FailureText failure = describeFailure(std::current_exception());
        log(headline);
        log("****Exception class name = " + failure.className);
        log("****Exception message = " + failure.message);
    } catch (...) {
        // Building the lines failed (out of memory): nothing more can be done.
    }
}

}  // namespace zelk::device
