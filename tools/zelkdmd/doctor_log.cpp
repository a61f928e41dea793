// The plug-in's log holds one run (it is emptied at every Open): each line
// "YYYYMMDD HH:MM:SS message" (log_writer.h). The doctor reads the time of
// its last line, the last game started and the failures.
#include "tools/zelkdmd/doctor_checks.h"

#include <string_view>

namespace zelk::tools {
namespace {

constexpr std::string_view kGameStart = "Set Game Name thread ";

// The message of a log line: what follows the date and the time.
std::string_view messageOf(std::string_view line) {
    size_t at = line.find(' ');
    if (at != std::string_view::npos) at = line.find(' ', at + 1);
    return at == std::string_view::npos ? std::string_view() : line.substr(at + 1);
}

std::string_view stampOf(std::string_view line) {
    const std::string_view message = messageOf(line);
    return message.empty() ? line : line.substr(0, line.size() - message.size() - 1);
}

}  // namespace

DoctorSection checkLog(const std::string& path, const std::optional<std::string>& text) {
    DoctorSection section;
    section.kind = "log";
    section.title = "Log " + path;
    if (!text) {
        section.ok("no-log", "no log yet: the host has not opened the plug-in here");
        return section;
    }
    std::string_view last;
    std::string game = "none";
    std::string lastError;
    size_t errors = 0;
    for (size_t at = 0; at < text->size();) {
        size_t end = text->find('\n', at);
        if (end == std::string::npos) end = text->size();
        std::string_view line(text->data() + at, end - at);
        at = end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty()) continue;
        last = line;
        const std::string_view message = messageOf(line);
        if (message.starts_with(kGameStart)) game = std::string(message.substr(kGameStart.size()));
        if (message.starts_with("ERROR")) {
            ++errors;
            lastError = std::string(message);
        }
    }
    if (last.empty()) {
        section.ok("log", "empty: the host opened the plug-in and wrote nothing yet");
        return section;
    }
    const std::string summary = "last written " + std::string(stampOf(last)) + ", last game started: " + game;
    if (errors == 0) {
        section.ok("log", summary + ", no ERROR line");
    } else {
        section.problem("log-errors",
                        summary + ", " + std::to_string(errors) + " ERROR line" + (errors == 1 ? "" : "s") +
                            ", the last: \"" + lastError + "\"",
                        "read the lines around it in " + path + " (the README explains each)");
    }
    return section;
}

}  // namespace zelk::tools
