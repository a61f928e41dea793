// The Windows platform layer: the bounded read refuses what is not a file on
// disk, the text conversions follow the one rule for bad input, and serving
// messages outside the loop ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/error.h"
#include "platform/bounded_read.h"
#include "platform/win32/error_text.h"
#include "platform/win32/handles.h"
#include "platform/win32/messages.h"
#include "platform/win32/text.h"

namespace {

namespace fs = std::filesystem;
using zelk::platform::readWholeFile;

std::string utf8(const fs::path& path) { return zelk::platform::wideToUtf8(path.wstring()); }

TEST(BoundedRead, ReadsFilesOnDiskUpToTheLimitAndRefusesEverythingElse) {
    const fs::path folder = fs::temp_directory_path() / (L"zelk-layer-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder / L"1.bmp");
    std::ofstream(folder / L"seven.bin", std::ios::binary) << "1234567";
    const std::wstring pipeName = L"\\\\.\\pipe\\zelk-layer-" + std::to_wstring(GetCurrentProcessId());
    zelk::platform::FileHandle pipe(CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1,
                                                     0, 0, 0, nullptr));
    ASSERT_TRUE(pipe.valid());

    EXPECT_EQ(readWholeFile(utf8(folder / L"seven.bin"), 7).size(), 7u);
    struct Case {
        std::string path;
        size_t limit;
        const char* reason;
    };
    const Case refused[] = {
        {utf8(folder / L"seven.bin"), 6, "It has 7 bytes, more than the 6 accepted."},
        {utf8(folder / L"1.bmp"), 100, "It is a folder"},
        {utf8(pipeName), 100, "not a regular file"},
    };
    for (const Case& c : refused) {
        try {
            readWholeFile(c.path, c.limit);
            ADD_FAILURE() << c.path << " was read";
        } catch (const zelk::Error& e) {
            EXPECT_EQ(e.className(), "EFOpenError") << c.path;
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(readWholeFile(utf8(folder / L"missing"), 100), zelk::Error);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

TEST(Text, BadInputBecomesTheReplacementCharacterBothWays) {
    using zelk::platform::utf8ToWide;
    using zelk::platform::wideToUtf8;
    EXPECT_EQ(utf8ToWide("a\x80z\xC3"), L"a\uFFFDz\uFFFD");
    EXPECT_EQ(utf8ToWide("\xF0\x9F\x8E\xB1"), std::wstring({wchar_t(0xD83C), wchar_t(0xDFB1)}));
    EXPECT_EQ(wideToUtf8(std::wstring({L'a', wchar_t(0xD800), L'z'})), "a\xEF\xBF\xBDz");
    if (GetACP() == 1252) {
        EXPECT_EQ(zelk::platform::ansiToUtf8("G\xE4me"), "G\xC3\xA4me");
        EXPECT_EQ(zelk::platform::utf8ToAnsi("caf\xC3\xA9 \xE6\x97\xA5"), "caf\xE9 ?");
    }
}

TEST(ErrorText, IsTheSystemsOwnDescription) {
    EXPECT_NE(zelk::platform::errorText(ERROR_FILE_NOT_FOUND).rfind("System error", 0), 0u);
    EXPECT_EQ(zelk::platform::errorText(0x2000FFFFu), "System error 536936447.");
    EXPECT_EQ(zelk::platform::hresultText(E_OUTOFMEMORY).rfind("HRESULT 0x8007000E", 0), 0u);
    try {
        zelk::platform::throwHresult(E_NOINTERFACE);
        ADD_FAILURE();
    } catch (const zelk::Error& e) {
        EXPECT_EQ(e.className(), "EOleSysError");
    }
}

int slowTicks = 0;

void CALLBACK slowTick(HWND, UINT, UINT_PTR timer, DWORD) {
    Sleep(25);  // longer than the period: due again at every look at the queue
    if (++slowTicks == 40) KillTimer(nullptr, timer);  // a pump that would never end fails instead
}

TEST(Messages, ServingEndsWhileASlowTimerIsDueAndKeepsTheQuitRequest) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, slowTick);
    Sleep(20);
    zelk::platform::serveWaitingMessages();
    KillTimer(nullptr, timer);
    EXPECT_GE(slowTicks, 1);
    EXPECT_LE(slowTicks, 3);

    PostQuitMessage(7);
    zelk::platform::serveMessagesFor(30);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}

// Posted during a batch, after it began: WM_APP + 1 ends the batch, and
// WM_APP + 2, left over for the next one, ends the serving.
LRESULT CALLBACK postingTwo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        Sleep(20);
        for (UINT next : {WM_APP + 1, WM_APP + 2}) PostMessageW(window, next, 0, 0);
    }
    if (message == WM_APP + 2) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(Messages, LeftoverOfABatchIsServedBeforeTheTimeIsUp) {
    WNDCLASSW type{0, postingTwo, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"ZelkPostingTwo"};
    RegisterClassW(&type);
    HWND window = CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    PostMessageW(window, WM_APP, 0, 0);
    const ULONGLONG start = GetTickCount64();
    zelk::platform::serveMessagesFor(10000);
    EXPECT_LT(GetTickCount64() - start, 5000u);
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
