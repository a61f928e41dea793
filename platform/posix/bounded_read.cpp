#include "platform/bounded_read.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "core/error.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/error_text.h"

namespace zelk::platform {
namespace {

[[noreturn]] void refuse(const std::string& path, const std::string& reason) {
    throw Error("EFOpenError", "Cannot open file \"" + path + "\". " + reason);
}

const char* notAFile(mode_t mode) {
    if (S_ISDIR(mode)) return "It is a folder, not a file.";
    return "It is not a regular file (a pipe, device or socket).";
}

}  // namespace

std::vector<uint8_t> readWholeFile(const std::string& path, size_t maxBytes) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file.valid()) refuse(path, errorText(errno));
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) refuse(path, errorText(errno));
    if (!S_ISREG(info.st_mode)) refuse(path, notAFile(info.st_mode));
    if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        refuse(path, "It has " + std::to_string(info.st_size) + " bytes, more than the " +
                         std::to_string(maxBytes) + " accepted.");
    }
    std::vector<uint8_t> data(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t got = ::read(file.get(), data.data() + done, data.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw Error("EReadError", "Cannot read file \"" + path + "\". " + errorText(errno));
        if (got == 0) break;  // shrank while being read: keep what was there
        done += static_cast<size_t>(got);
    }
    data.resize(done);
    return data;
}

}  // namespace zelk::platform
