#pragma once
// A C stream on a file named by a UTF-8 path, for reading through a file too
// large to take whole (platform/bounded_read.h reads small files whole).
#include <cstdio>
#include <memory>
#include <string>

namespace zelk::platform {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using CFile = std::unique_ptr<std::FILE, FileCloser>;

// mode as for fopen; null with errno set when the file cannot be opened.
CFile openFile(const std::string& path, const char* mode);

}  // namespace zelk::platform
