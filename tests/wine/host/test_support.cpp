#include "test_support.h"

#include <oleauto.h>

#include <fstream>
#include <sstream>

#include "core/bmp_writer.h"
#include "platform/win32/handles.h"
#include "plugin_host.h"

namespace zelk::wine {
namespace {

constexpr wchar_t playerClassKey[] = L"CLSID\\{88919FAC-00B2-4AA8-B1C7-52AD65C476D3}";

std::vector<std::string> splitLines(const std::string& text, const std::string& separator) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no line end>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + separator.size();
    }
    return lines;
}

bool digits(const std::string& text, size_t from, size_t count) {
    if (text.size() < from + count) return false;
    for (size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

}  // namespace

std::string utf8(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path pathFromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

fs::path testProgramFolder() {
    wchar_t path[MAX_PATH * 4] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    return fs::path(std::wstring(path, length)).parent_path();
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> fileLines(const fs::path& path) { return splitLines(readFile(path), "\n"); }

Bitmap24 triggerPicture(int n) {
    Bitmap24 picture(dmdWidth, dmdHeight);
    int left = 4 + 12 * (n - 1);
    for (int y = 8; y < 24; ++y) {
        for (int x = left; x < left + 8; ++x) {
            uint8_t* pixel = picture.row(y) + x * 3;
            pixel[0] = pixel[1] = pixel[2] = 255;
        }
    }
    return picture;
}

std::vector<uint8_t> rgbFrame(const Bitmap24& picture) {
    std::vector<uint8_t> frame(picture.pixels.size());
    for (size_t i = 0; i + 2 < frame.size(); i += 3) {
        frame[i] = picture.pixels[i + 2];
        frame[i + 1] = picture.pixels[i + 1];
        frame[i + 2] = picture.pixels[i];
    }
    return frame;
}

std::vector<uint8_t> blackFrame() { return std::vector<uint8_t>(dmdWidth * dmdHeight * 3, 0); }

void writePicture(const fs::path& path, const Bitmap24& picture) {
    const std::vector<uint8_t> bmp = writeBmp24(picture);
    writeFile(path, std::string(bmp.begin(), bmp.end()));
}

void writeTriggerImages(const fs::path& folder, int count) {
    for (int n = 1; n <= count; ++n) writePicture(folder / (std::to_string(n) + ".bmp"), triggerPicture(n));
}

fs::path makePlayerFolder(const fs::path& folder, const std::string& game, int count, const wchar_t* player) {
    fs::create_directories(folder);
    fs::path program = folder / player;
    fs::copy_file(testProgramFolder() / player, program, fs::copy_options::overwrite_existing);
    fs::path capture = folder / L"ZelkVideos" / pathFromUtf8(game) / L"ZelkCapture";
    fs::create_directories(capture);
    writeTriggerImages(capture, count);
    return program;
}

std::vector<std::string> playerCalls(const fs::path& folder) { return fileLines(folder / L"player_calls.txt"); }

bool endPlayers(const fs::path& folder, DWORD waitMs) {
    bool allEnded = true;
    std::istringstream ids(readFile(folder / L"player_pid.txt"));
    DWORD id = 0;
    while (ids >> id) {
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
        if (process == nullptr) continue;
        if (WaitForSingleObject(process, waitMs) != WAIT_OBJECT_0) {
            allEnded = false;
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 3000);
        }
        CloseHandle(process);
    }
    return allEnded;
}

void killPlayers(const fs::path& folder) { endPlayers(folder, 0); }

void registerPlayerTypeLibrary() {
    ITypeLib* library = nullptr;
    std::wstring path = (testProgramFolder() / L"fake_player.tlb").wstring();
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &library);
    if (FAILED(hr)) throw std::runtime_error("cannot register the stand-in player's type library");
    library->Release();
}

namespace {

// This program's own registry view, and the other one (64-bit and 32-bit
// programs see different class registrations).
#ifdef _WIN64
constexpr REGSAM ownView = KEY_WOW64_64KEY, otherView = KEY_WOW64_32KEY;
#else
constexpr REGSAM ownView = KEY_WOW64_32KEY, otherView = KEY_WOW64_64KEY;
#endif

platform::RegistryKey createServerKey(REGSAM view) {
    platform::RegistryKey key;
    std::wstring path = std::wstring(playerClassKey) + L"\\LocalServer32";
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                        key.receive(), nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot register the stand-in player");
    }
    return key;
}

void registerPlayerInView(const std::wstring& localServer32, REGSAM view) {
    platform::RegistryKey key = createServerKey(view);
    RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(localServer32.c_str()),
                   static_cast<DWORD>((localServer32.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

void registerPlayer(const std::wstring& localServer32) { registerPlayerInView(localServer32, ownView); }

void registerPlayerInTheOtherView(const std::wstring& localServer32) {
    registerPlayerInView(localServer32, otherView);
}

void registerPlayerKeyWithoutValue() { createServerKey(ownView); }

void unregisterPlayer() {
    for (REGSAM view : {ownView, otherView}) {
        platform::RegistryKey classes;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_ALL_ACCESS | view, classes.receive()) == ERROR_SUCCESS) {
            RegDeleteTreeW(classes.get(), L"{88919FAC-00B2-4AA8-B1C7-52AD65C476D3}");
        }
    }
}

bool playerKeyExists() {
    for (REGSAM view : {ownView, otherView}) {
        platform::RegistryKey key;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, playerClassKey, 0, KEY_READ | view, key.receive()) == ERROR_SUCCESS) {
            return true;
        }
    }
    return false;
}

fs::path makePluginFolder(const fs::path& folder, const std::string& ini, const wchar_t* name) {
    fs::create_directories(folder);
    fs::path library = folder / name;
    fs::copy_file(testProgramFolder() / ZELK_PLUGIN_FILE_NAME, library, fs::copy_options::overwrite_existing);
    if (!ini.empty()) writeFile(folder / L"dmddevicezelk.ini", ini);
    return library;
}

std::vector<std::string> logMessages(const fs::path& folder, const std::string& separator) {
    std::vector<std::string> messages;
    const size_t s = separator.size();
    for (const std::string& line : splitLines(readFile(folder / L"ZELKLOG.txt"), "\r\n")) {
        // "YYYYMMDD HH" sep "MM" sep "SS " message
        size_t minutes = 11 + s;
        size_t seconds = minutes + 2 + s;
        bool stamped = digits(line, 0, 8) && line.size() > seconds + 2 && line[8] == ' ' && digits(line, 9, 2) &&
                       line.compare(11, s, separator) == 0 && digits(line, minutes, 2) &&
                       line.compare(minutes + 2, s, separator) == 0 && digits(line, seconds, 2) &&
                       line[seconds + 2] == ' ';
        messages.push_back(stamped ? line.substr(seconds + 3) : "<no time stamp> " + line);
    }
    return messages;
}

::testing::AssertionResult isComFailure(const std::string& text, const std::string& code) {
    const std::string head = "HRESULT " + code;
    if (text == head || (text.rfind(head + ": ", 0) == 0 && text.size() > head.size() + 2)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\"" << text << "\" is not the failure " << head;
}

void WineTest::SetUp() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = testProgramFolder() / L"work" / (std::string(test->test_suite_name()) + "." + test->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    SetCurrentDirectoryW(folder_.c_str());
    unregisterPlayer();
    registerPlayerTypeLibrary();
}

void WineTest::TearDown() {
    unregisterPlayer();
    SetCurrentDirectoryW(testProgramFolder().c_str());
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder_, error); it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (it->path().filename() == L"player_pid.txt") endPlayers(it->path().parent_path());
    }
}

}  // namespace zelk::wine

namespace zelk::wine {

namespace {

platform::KernelHandle startProgram(const fs::path& program, const std::wstring& arguments) {
    std::wstring command = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return {};
    }
    CloseHandle(process.hThread);
    return platform::KernelHandle(process.hProcess);
}

}  // namespace

int runProgram(const fs::path& program, const std::wstring& arguments) {
    platform::KernelHandle process = startProgram(program, arguments);
    DWORD status = 0;
    if (!process.valid() || WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.get(), &status)) {
        return -1;
    }
    return static_cast<int>(status);
}

bool startRunningPlayer(const fs::path& program, const std::wstring& switches) {
    if (!startProgram(program, switches).valid()) return false;
    const fs::path folder = program.parent_path();
    for (int wait = 0; wait < 100 && playerCalls(folder).empty(); ++wait) pumpMessages(50);
    return playerCalls(folder) == std::vector<std::string>{"Active"};
}

}  // namespace zelk::wine
