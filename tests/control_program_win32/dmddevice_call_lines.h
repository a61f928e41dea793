#pragma once
// One line of text per DMD device call: the name and every argument, the
// memory behind a pointer as hex digits of its bytes. The recording stand-in
// writes these lines; a test host forms the same ones from what it sent.
#include <cstdint>
#include <cstdio>
#include <string>

#include "dmddevice.h"

namespace dmddevice_calls {

struct Bytes {
    const void* data;
    size_t size;
};

inline void put(std::string& line, const Bytes& bytes) {
    if (bytes.data == nullptr) {
        line += "<null>";
        return;
    }
    for (size_t i = 0; i < bytes.size; ++i) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", static_cast<const unsigned char*>(bytes.data)[i]);
        line += digits;
    }
}
inline void put(std::string& line, const char* text) { line += text != nullptr ? text : "<null>"; }
inline void put(std::string& line, const rgb24& colour) { put(line, Bytes{&colour, sizeof colour}); }
inline void put(std::string& line, long long number) { line += std::to_string(number); }

// "Name arg arg ...".
template <typename... Arguments>
std::string callLine(const char* name, const Arguments&... arguments) {
    std::string line = name;
    ((line += ' ', put(line, arguments)), ...);
    return line;
}

}  // namespace dmddevice_calls
