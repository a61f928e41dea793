// ZelkDMDControl.exe as an automation server: its registration switches, an
// early-bound client calling through IDMD's table, a late-bound VBScript
// client run by Wine's cscript, and the ends of a copy's life. Each test
// registers the class itself: a test run may start from any registry.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <wincodec.h>

#include <string>
#include <vector>

#include "early_bound_client.h"
#include "platform/win32/bstr.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace {

using namespace program_under_test;
using zelk::platform::Bstr;
using zelk::platform::RegistryKey;

const wchar_t classKey[] = L"CLSID\\{10610679-3C2E-437A-82DC-3C040D12B26A}";

// The default value of a key; "<none>" when the key is not there.
std::wstring keyValue(HKEY root, const std::wstring& key) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return L"<none>";
    }
    return value;
}

// A 128 x 32 picture of distinct pixels; its frame at the device is the
// picture itself, red, green, blue. Answers the frame's hex digits.
std::string writePicture(const std::wstring& path) {
    std::vector<BYTE> bgr(128 * 32 * 3);
    std::string frame;
    for (size_t i = 0; i < bgr.size(); i += 3) {
        const size_t pixel = i / 3;
        bgr[i] = static_cast<BYTE>(pixel * 7);       // blue
        bgr[i + 1] = static_cast<BYTE>(pixel >> 4);  // green
        bgr[i + 2] = static_cast<BYTE>(pixel % 128 * 2);
        char digits[7];
        std::snprintf(digits, sizeof digits, "%02x%02x%02x", bgr[i + 2], bgr[i + 1], bgr[i]);
        frame += digits;
    }
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> picture;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    const bool written =
        SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   factory.receiveVoid())) &&
        SUCCEEDED(factory->CreateStream(stream.receive())) &&
        SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.receive())) &&
        SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(picture.receive(), nullptr)) && SUCCEEDED(picture->Initialize(nullptr)) &&
        SUCCEEDED(picture->SetSize(128, 32)) && SUCCEEDED(picture->SetPixelFormat(&format)) &&
        IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
        SUCCEEDED(picture->WritePixels(32, 128 * 3, static_cast<UINT>(bgr.size()), bgr.data())) &&
        SUCCEEDED(picture->Commit()) && SUCCEEDED(encoder->Commit());
    EXPECT_TRUE(written) << "cannot write the PNG";
    return frame;
}

TEST(ControlProgramAutomation, RegistersItsClassAndRemovesItAgain) {
    const std::wstring program = besideThisProgram(L"with_device\\ZelkDMDControl.exe");
    const struct {
        const wchar_t* registerSwitch;
        const wchar_t* unregisterSwitch;
        HKEY root;
        std::wstring classes;
    } cases[] = {
        {L"/regserver", L"/unregserver", HKEY_CLASSES_ROOT, L""},
        {L"-RegServerPerUser", L"-UNREGSERVERPERUSER", HKEY_CURRENT_USER, L"Software\\Classes\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(zelk::platform::wideToUtf8(c.registerSwitch));
        const std::wstring cls = c.classes + classKey;
        const std::wstring progId = c.classes + L"ZelkDMDControl.DMD";
        EXPECT_EQ(start(L"with_device", c.registerSwitch).exitCode(), 0u);
        EXPECT_TRUE(trayIcons().empty());
        const struct {
            std::wstring key;
            std::wstring value;
        } keys[] = {
            {cls, L""},
            {cls + L"\\LocalServer32", program},  // no space in it: no short form, no quotes
            {progId, L""},
            {progId + L"\\Clsid", L"{10610679-3C2E-437A-82DC-3C040D12B26A}"},
            {cls + L"\\ProgID", L"ZelkDMDControl.DMD"},
            {cls + L"\\Version", L"1.0"},
            {cls + L"\\TypeLib", L"{5049E487-2802-46B0-A511-8B198B274E1B}"},
        };
        for (const auto& k : keys) EXPECT_EQ(keyValue(c.root, k.key), k.value) << zelk::platform::wideToUtf8(k.key);
        RegistryKey library;
        EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"TypeLib\\{5049E487-2802-46B0-A511-8B198B274E1B}\\1.0", 0,
                                KEY_READ, library.receive()),
                  ERROR_SUCCESS);

        EXPECT_EQ(start(L"with_device", c.unregisterSwitch).exitCode(), 0u);
        EXPECT_EQ(keyValue(c.root, cls), L"<none>");
        EXPECT_EQ(keyValue(c.root, progId), L"<none>");
    }
}

// Through the table, as a compiled client calls it; DMDClose ends the copy
// without asking, although this client still holds its object.
void putAPictureOnTheDevice(const std::wstring& folder) {
    registerClass(folder);
    DeleteFileW(besideThisProgram(folder + L"\\dmddevice_record.txt").c_str());
    const Apartment apartment;
    const std::wstring picture = besideThisProgram(folder + L"\\picture.png");
    const std::string frame = writePicture(picture);
    const ComPtr<IDMD> dmd = createDmd();
    ASSERT_TRUE(dmd);
    const Program server = servingCopy();
    EXPECT_EQ(dmd->DMDOpen(), S_OK);
    EXPECT_EQ(dmd->DMDPlay(Bstr(picture).get()), S_OK);
    EXPECT_EQ(dmd->DMDSetFPS(25), S_OK);
    EXPECT_EQ(dmd->DMDDelayOpen(-1), S_OK);
    LPOLESTR name = const_cast<LPOLESTR>(L"DMDOpen");
    DISPID id = 0;
    EXPECT_EQ(dmd->GetIDsOfNames(iidDmd, &name, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);  // only IID_NULL is meant
    DISPPARAMS none{};
    EXPECT_EQ(dmd->Invoke(0x7FFF, iidDmd, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(dmd->DMDClose(), S_OK);
    EXPECT_EQ(server.exitCode(), 0u);
    EXPECT_EQ(recordOfDevice(folder), "loaded\n" + openRecord + "Render_RGB24 128 32 " + frame + "\nClose\n");
}

TEST(ControlProgramAutomation, AnEarlyBoundClientPutsAPictureOnTheDevice) { putAPictureOnTheDevice(L"with_device"); }

// The plug-in installed as the device passes every call on (FORWARD).
TEST(ControlProgramAutomation, APictureReachesTheDeviceThroughTheForwardingPlugIn) {
    putAPictureOnTheDevice(L"forwarding_device");
}

// By name, as a script calls it: an animation plays; a GIF that cannot be
// loaded reaches the script as an error with the class's source and the
// failure's message.
TEST(ControlProgramAutomation, AVBScriptClientGetsTheFailureAsAnError) {
    registerClass();
    DeleteFileW(besideThisProgram(L"with_device\\dmddevice_record.txt").c_str());
    const std::wstring badGif = besideThisProgram(L"with_device\\broken.gif");
    const std::string gifBytes = "GIF89a not a picture";
    {
        zelk::platform::FileHandle file(
            CreateFileW(badGif.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), gifBytes.data(), static_cast<DWORD>(gifBytes.size()), &written, nullptr);
    }
    const std::wstring script = besideThisProgram(L"with_device\\client.vbs");
    const std::string text =
        "Set dmd = CreateObject(\"ZelkDMDControl.DMD\")\r\n"
        "dmd.DMDOpen\r\n"
        "dmd.DMDSetFPS 25\r\n"
        "dmd.DMDPlay \"" + zelk::platform::wideToUtf8(besideThisProgram(L"with_device\\animated.gif")) + "\"\r\n"
        // WScript.Sleep returns at once under Wine: wait on the clock.
        "started = Timer\r\n"
        "Do While Timer - started < 0.5 And Timer >= started\r\n"
        "Loop\r\n"
        "On Error Resume Next\r\n"
        "dmd.DMDPlay \"" + zelk::platform::wideToUtf8(badGif) + "\"\r\n"
        "WScript.Echo Hex(Err.Number) & \"|\" & Err.Source & \"|\" & Err.Description\r\n"
        "On Error Goto 0\r\n"
        "dmd.DMDClose\r\n"
        "WScript.Echo \"closed\"\r\n";
    const std::wstring output = besideThisProgram(L"with_device\\client.txt");
    {
        zelk::platform::FileHandle file(
            CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    KernelHandle out(
        CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    std::wstring commandLine = L"cscript.exe //nologo \"" + script + L"\"";
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info));
    CloseHandle(info.hThread);
    const Program client(KernelHandle(info.hProcess), info.dwProcessId);
    EXPECT_EQ(client.exitCode(30000), 0u);
    out.reset();
    const auto bytes = zelk::platform::readWholeFile(zelk::platform::wideToUtf8(output), 1 << 16);
    const std::string echoed(bytes.begin(), bytes.end());
    const std::string description = zelk::platform::wideToUtf8(badGif) + ": ";
    EXPECT_NE(echoed.find("8000FFFF|ZelkDMDControl.DMD|" + description), std::string::npos) << echoed;
    EXPECT_NE(echoed.find("closed"), std::string::npos) << echoed;
    // The animation's frames came between the opening and the close.
    const std::string record = recordOfDevice();
    EXPECT_EQ(record.rfind("loaded\n" + openRecord + "Render_RGB24 128 32 ", 0), 0u) << record.substr(0, 300);
    EXPECT_EQ(record.substr(record.size() - 6), "Close\n");
}

// A copy the runtime started ends with its last object; one started by
// hand serves objects and runs on without them.
TEST(ControlProgramAutomation, OnlyACopyStartedByActivationEndsWithItsLastObject) {
    registerClass();
    const Apartment apartment;
    {
        ComPtr<IDMD> dmd = createDmd();
        ASSERT_TRUE(dmd);
        const Program server = servingCopy();
        dmd.reset();
        EXPECT_EQ(server.exitCode(), 0u);
    }
    const Program byHand = start(L"with_device");
    ASSERT_TRUE(waitUntil([] { return !trayIcons().empty(); }));
    createDmd().reset();
    EXPECT_EQ(byHand.exitCode(1000), static_cast<DWORD>(STILL_ACTIVE));
    ComPtr<IDMD> dmd = createDmd();
    ASSERT_TRUE(dmd);
    EXPECT_EQ(dmd->DMDClose(), S_OK);
    EXPECT_EQ(byHand.exitCode(), 0u);
}

}  // namespace
