// The system's own wildcard search (FindFirstFileEx) and attributes as the
// system keeps them; paths cross as UTF-8.
#include <windows.h>

#include "control/media/system_file_system.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace zelk::control {
namespace {

FoundEntry describe(const WIN32_FIND_DATAW& data) {
    FoundEntry entry;
    entry.name = platform::wideToUtf8(data.cFileName);
    entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    entry.system = (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
    return entry;
}

// Windows takes "/" as well as "\\" between folders, and "C:name" is a name in
// the current folder of drive C.
class Win32FileSystem final : public SystemFileSystem {
public:
    std::vector<FoundEntry> search(const std::string& pattern) override;
    std::string_view folderDelimiters() const override { return "\\/:"; }
};

std::vector<FoundEntry> Win32FileSystem::search(const std::string& pattern) {
    if (pattern.empty()) return {};
    WIN32_FIND_DATAW data{};
    const platform::FindHandle search(FindFirstFileExW(platform::utf8ToWide(pattern).c_str(), FindExInfoBasic,
                                                       &data, FindExSearchNameMatch, nullptr, 0));
    if (!search.valid()) return {};
    std::vector<FoundEntry> found;
    do {
        found.push_back(describe(data));
    } while (FindNextFileW(search.get(), &data));
    return found;
}

}  // namespace

std::unique_ptr<FileSystem> makeFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace zelk::control
