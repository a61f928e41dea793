// The plug-in's version resource as Windows reads it (the file's properties,
// support questions): the byte layout is checked in the release zip's test,
// this checks that the system's own reader finds the values.
#include <windows.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "zelk_version.h"

namespace zelk::wine {
namespace {

TEST(VersionResource, WindowsReadsThePluginsVersion) {
    const std::wstring library = (testProgramFolder() / ZELK_PLUGIN_FILE_NAME).wstring();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(library.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource, error " << GetLastError();
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(library.c_str(), 0, size, block.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, (DWORD{ZELK_VERSION_MAJOR} << 16) | ZELK_VERSION_MINOR);
    EXPECT_EQ(fixed->dwFileVersionLS, (DWORD{ZELK_VERSION_PATCH} << 16));
    EXPECT_EQ(fixed->dwFileType, DWORD{VFT_DLL});

    const std::string digits = ZELK_VERSION;  // ASCII
    const std::wstring version(digits.begin(), digits.end());
    const struct {
        const wchar_t* key;
        std::wstring expected;
    } strings[] = {
        {L"ProductName", L"ZelkDMD"},
        {L"FileVersion", version},
        {L"ProductVersion", version},
        {L"OriginalFilename", ZELK_PLUGIN_FILE_NAME},
    };
    for (const auto& s : strings) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + s.key;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), &value, &length)) << utf8(s.key);
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), s.expected) << utf8(s.key);
    }
}

}  // namespace
}  // namespace zelk::wine
