#pragma once
// The headers of a Windows library or program (PE file) read from a byte
// buffer (no I/O): the machine it was built for and the names it exports.
// Everything is read through ByteReader and checked before use; a file that
// is not a PE image, or whose export table points outside the file, is
// refused with a zelk::Error ("EPeImage") naming the file and the reason.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zelk {

enum class PeMachine {
    x86,    // IMAGE_FILE_MACHINE_I386
    x64,    // IMAGE_FILE_MACHINE_AMD64
    other,  // ARM64 and the rest
};

struct PeImage {
    PeMachine machine = PeMachine::other;
    bool library = false;      // a DLL, not a program
    bool managed = false;      // has a .NET header: an AnyCPU assembly loads into either bitness
    std::vector<std::string> exports;  // exported names, as the table holds them
};

struct PeLimits {
    uint32_t maxExports = 65536;
    uint32_t maxNameLength = 1024;
};

// name is used in error messages only (usually the file's path).
PeImage readPeImage(std::span<const uint8_t> data, const std::string& name, const PeLimits& limits = {});

}  // namespace zelk
