#include "platform/file_write.h"

#include <fcntl.h>

#include <cerrno>

#include "core/error.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/error_text.h"

namespace zelk::platform {
namespace {

int openFlags(WriteMode mode) {
    switch (mode) {
        case WriteMode::createOrTruncate: return O_WRONLY | O_CREAT | O_TRUNC;
        case WriteMode::createNew: return O_WRONLY | O_CREAT | O_EXCL;
        case WriteMode::appendExisting: return O_WRONLY | O_APPEND;
        case WriteMode::appendOrCreate: return O_WRONLY | O_CREAT | O_APPEND;
    }
    return O_WRONLY | O_APPEND;
}

[[noreturn]] void fail(const char* className, const char* what, const std::string& path, int error) {
    throw Error(className, std::string(what) + " \"" + path + "\". " + errorText(error));
}

}  // namespace

void writeToFile(const std::string& path, const std::string& text, WriteMode mode) {
    // O_NONBLOCK: a pipe under the name is not waited on for a reader.
    Descriptor file(::open(path.c_str(), openFlags(mode) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644));
    if (!file.valid()) {
        const bool fresh = mode == WriteMode::createOrTruncate || mode == WriteMode::createNew;
        if (fresh) fail("EFCreateError", "Cannot create file", path, errno);
        fail("EFOpenError", "Cannot open file", path, errno);
    }
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(file.get(), text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) fail("EWriteError", "Cannot write file", path, errno);
        done += static_cast<size_t>(put);
    }
    if (file.close() != 0) fail("EWriteError", "Cannot write file", path, errno);
}

}  // namespace zelk::platform
