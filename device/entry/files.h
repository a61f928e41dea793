#pragma once
// The files the plug-in touches: its own folder, the trigger pictures, the
// log and the recordings. Paths are UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zelk::device {

class Files {
public:
    virtual ~Files() = default;

    // Folder of the plug-in's own library file, with a trailing separator.
    virtual std::string pluginFolder() = 0;
    virtual char pathSeparator() const = 0;

    virtual bool directoryExists(const std::string& path) = 0;
    // Anything there that is not a folder counts: a pipe or device under a
    // picture's name is then refused by readFile and logged like any
    // unreadable picture.
    virtual bool fileExists(const std::string& path) = 0;
    // Whole file; throws zelk::Error naming the file when it cannot be read
    // (not a regular file included, refused without blocking) or is larger
    // than maxBytes.
    virtual std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) = 0;
    // Writes one log line (already terminated by CR LF) in the platform's
    // 8-bit log encoding. fresh: create or truncate; otherwise append to an
    // existing file, never creating it. Throws zelk::Error on any failure.
    virtual void writeLogLine(const std::string& path, const std::string& line, bool fresh) = 0;

    // For recordings. Creates one folder, a folder already there being fine;
    // throws zelk::Error when it cannot (a file under its name included).
    virtual void createFolder(const std::string& path) = 0;
    // Writes bytes as they are. fresh: create or truncate; otherwise append
    // to an existing file, never creating it. Throws zelk::Error.
    virtual void writeBytes(const std::string& path, const std::string& bytes, bool fresh) = 0;
};

}  // namespace zelk::device
