#pragma once
// Recording fakes of the media seams: a file system whose search results are
// set per pattern, and a picture decoder that returns a set picture or fails.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "control/media/file_system.h"
#include "control/media/still_picture.h"
#include "core/error.h"

namespace zelk::test {

class FakeFileSystem final : public control::FileSystem {
public:
    std::map<std::string, std::vector<control::FoundEntry>> searchResults;
    std::set<std::string> existing;
    std::map<std::string, std::vector<uint8_t>> contents;
    std::string delimiters = "\\/:";  // as on Windows
    std::vector<std::string> calls;  // "search PATTERN", "exists PATH", "read PATH"

    std::vector<control::FoundEntry> search(const std::string& pattern) override {
        calls.push_back("search " + pattern);
        const auto found = searchResults.find(pattern);
        return found == searchResults.end() ? std::vector<control::FoundEntry>{} : found->second;
    }
    bool fileExists(const std::string& path) override {
        calls.push_back("exists " + path);
        return existing.count(path) != 0;
    }
    std::vector<uint8_t> readFile(const std::string& path, size_t) override {
        calls.push_back("read " + path);
        const auto found = contents.find(path);
        if (found == contents.end()) throw Error("EFOpenError", "Cannot open file \"" + path + "\".");
        return found->second;
    }
    std::string_view folderDelimiters() const override { return delimiters; }
};

class FakePictureDecoder final : public control::StillPictureDecoder {
public:
    control::StillPicture picture;  // returned while fail is false
    bool fail = false;
    int decodes = 0;

    control::StillPicture decode(std::span<const uint8_t>) override {
        ++decodes;
        if (fail) throw Error("EInvalidGraphic", "cannot decode");
        return picture;
    }
};

}  // namespace zelk::test
