#include "device/posix/posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/error.h"

namespace zelk::device {
namespace {

[[noreturn]] void fail(const char* className, const std::string& path, const char* what, int error) {
    throw Error(className, std::string(what) + " \"" + path + "\": " + std::strerror(error));
}

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

std::vector<uint8_t> readWholeFile(const std::string& path, size_t maxBytes) {
    Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) fail("EFOpenError", path, "Cannot open file", errno);
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) fail("EReadError", path, "Cannot read file", errno);
    if (!S_ISREG(info.st_mode)) fail("EReadError", path, "Cannot read file", EISDIR);
    if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        throw Error("EReadError", "File \"" + path + "\" is larger than " + std::to_string(maxBytes) +
                                      " bytes");
    }
    std::vector<uint8_t> data(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t got = ::read(file.fd, data.data() + done, data.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail("EReadError", path, "Cannot read file", errno);
        if (got == 0) break;  // shrank while reading: keep what is there
        done += static_cast<size_t>(got);
    }
    data.resize(done);
    return data;
}

void appendToFile(const std::string& path, const std::string& text, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) fail("EFOpenError", path, "Cannot open file", errno);
    Descriptor file{fd};
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) fail("EWriteError", path, "Cannot write file", errno);
        done += static_cast<size_t>(put);
    }
    file.fd = -1;
    if (::close(fd) != 0) fail("EWriteError", path, "Cannot close file", errno);
}

}  // namespace zelk::device
