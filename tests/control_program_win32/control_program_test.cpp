// ZelkDMDControl.exe run as a program of its own, from folders beside this
// test program: with the recording device library, without any, and with a
// dmddevice64.dll that lacks an entry point. The tests watch it from the
// outside, as a user would: its error boxes, its tray icon, its form.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "program_under_test.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace {

using namespace program_under_test;
using zelk::platform::ComPtr;

TEST(ControlProgram, AFailedStartShowsWhyInABoxAndEndsWithStatusOne) {
    const struct {
        const wchar_t* folder;
        bool blockSessionMutex;  // a foreign object already holds the mutex's name
        std::vector<std::string> expected;
    } cases[] = {
        {L"without_device", false, {"dmddevice.dll", "cannot load"}},
        {L"broken_device", false, {ZELK_BROKEN_DEVICE_NAME, "Render_RGB24"}},
        {L"with_device", true, {"System Error.  Code: 6.\r\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.expected.front()));
        KernelHandle blocker;
        if (c.blockSessionMutex) {
            blocker.reset(CreateEventW(nullptr, TRUE, FALSE, L"3CFCC47G-F4E0-4ff9-33E7-23367E522BA3"));
        }
        const Program program = start(c.folder);
        HWND box = nullptr;
        ASSERT_TRUE(waitUntil([&] {
            const auto boxes = windowsOfClass(L"#32770", program.id);
            box = boxes.empty() ? nullptr : boxes.front();
            return box != nullptr;
        })) << "no error box";
        char text[1024] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // a message box's text
        for (const std::string& part : c.expected) EXPECT_NE(std::string(text).find(part), std::string::npos) << text;
        EXPECT_TRUE(windowsOfClass(L"TDMDForm", program.id).empty() && trayIcons().empty());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(program.exitCode(), 1u);
    }
}

TEST(ControlProgram, RunsOncePerSessionInTheTrayAndEndsThroughItsCloseItem) {
    DeleteFileW(besideThisProgram(L"with_device\\dmddevice_record.txt").c_str());
    const auto iconsBefore = trayIcons();
    const Program first = start(L"with_device");
    ASSERT_TRUE(waitUntil([&] { return trayIcons().size() == iconsBefore.size() + 1; })) << "no tray icon";
    HWND icon = nullptr;
    for (HWND candidate : trayIcons()) {
        if (std::find(iconsBefore.begin(), iconsBefore.end(), candidate) == iconsBefore.end()) icon = candidate;
    }

    // A second copy leaves at once, silently, and the first runs on.
    const Program second = start(L"with_device");
    EXPECT_EQ(second.exitCode(), 0u);
    EXPECT_EQ(trayIcons().size(), iconsBefore.size() + 1);
    EXPECT_EQ(first.exitCode(0), static_cast<DWORD>(STILL_ACTIVE));

    // The form stays hidden until the icon is double-clicked.
    EXPECT_TRUE(windowsOfClass(L"TDMDForm", first.id).empty());
    PostMessageW(icon, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    ASSERT_TRUE(waitUntil([&] { return !windowsOfClass(L"TDMDForm", first.id).empty(); })) << "form not shown";
    HWND form = windowsOfClass(L"TDMDForm", first.id).front();
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.right, 435);
    EXPECT_EQ(client.bottom, 171);
    wchar_t caption[32] = {};
    GetWindowTextW(form, caption, 32);
    EXPECT_STREQ(caption, L"DMDForm");

    // Right button up on the icon opens the menu; its one item ends the program.
    PostMessageW(icon, WM_RBUTTONUP, 0, 0);
    HWND menu = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        const auto menus = windowsOfClass(L"#32768", first.id);
        menu = menus.empty() ? nullptr : menus.front();
        return menu != nullptr;
    })) << "no menu";
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(first.exitCode(), 0u);
    EXPECT_TRUE(waitUntil([&] { return trayIcons().size() == iconsBefore.size(); }));
    // Each copy binds the library before anything else, as the system's
    // loader would; neither calls it, and the close item never closes it.
    EXPECT_EQ(recordOfDevice(), "loaded\nloaded\n");
}

// The other roads to the end, each from a fresh copy: a close of either
// top-level window, and the end of the Windows session, also when it is
// called off. The program never objects to the end of the session.
TEST(ControlProgram, EndsWithStatusZeroOnEveryOtherRoad) {
    const struct {
        const wchar_t* windowClass;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } cases[] = {
        {L"TDMDForm", WM_CLOSE, 0, 0},
        {L"ZelkDMDControlApplication", WM_CLOSE, 0, 0},
        {L"TDMDForm", WM_QUERYENDSESSION, 0, static_cast<LPARAM>(ENDSESSION_LOGOFF)},
        {L"TDMDForm", WM_ENDSESSION, FALSE, static_cast<LPARAM>(ENDSESSION_LOGOFF)},
        {L"TDMDForm", WM_ENDSESSION, TRUE, static_cast<LPARAM>(ENDSESSION_LOGOFF)},
        {L"ZelkDMDControlApplication", WM_ENDSESSION, TRUE, static_cast<LPARAM>(ENDSESSION_LOGOFF)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "message " << c.message << " wParam " << c.wParam);
        const Program program = start(L"with_device");
        HWND window = nullptr;
        ASSERT_TRUE(waitUntil([&] {
            const auto windows = windowsOfClass(c.windowClass, program.id, true);
            window = windows.empty() ? nullptr : windows.front();
            return window != nullptr && !trayIcons().empty();
        }));
        DWORD_PTR reply = 0;
        SendMessageTimeoutW(window, c.message, c.wParam, c.lParam, SMTO_NORMAL, 5000, &reply);
        if (c.message == WM_QUERYENDSESSION) {
            EXPECT_NE(reply, 0u);
        }
        EXPECT_EQ(program.exitCode(), 0u);
    }
}

// What the system reads from the program file before any code runs: the
// manifest, and the main icon that the tray and the windows show.
TEST(ControlProgram, DeclaresItsManifestAndIcon) {
    const HMODULE file = LoadLibraryExW(besideThisProgram(L"with_device\\ZelkDMDControl.exe").c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(file, nullptr);
    EXPECT_NE(FindResourceW(file, L"MAINICON", MAKEINTRESOURCEW(14)), nullptr);  // RT_GROUP_ICON
    HRSRC found = FindResourceW(file, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(file, found))),
                               SizeofResource(file, found));
    for (const char* part : {"<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">True/PM<",
                             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                             "level=\"asInvoker\""}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
    FreeLibrary(file);
}

// The type library as clients see it, read from the program file's resource
// "TYPELIB" 1 (LoadTypeLibEx takes the first such resource).
TEST(ControlProgram, CarriesItsAutomationTypeLibrary) {
    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx(besideThisProgram(L"with_device\\ZelkDMDControl.exe").c_str(), REGKIND_NONE,
                            library.receive()), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    const GUID libid = {0x5049E487, 0x2802, 0x46B0, {0xA5, 0x11, 0x8B, 0x19, 0x8B, 0x27, 0x4E, 0x1B}};
    EXPECT_TRUE(IsEqualGUID(attributes->guid, libid));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->lcid, 0u);
    library->ReleaseTLibAttr(attributes);
    BSTR name = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"ZelkDMDControl");
    SysFreeString(name);
    EXPECT_EQ(library->GetTypeInfoCount(), 2u);

    const GUID clsid = {0x10610679, 0x3C2E, 0x437A, {0x82, 0xDC, 0x3C, 0x04, 0x0D, 0x12, 0xB2, 0x6A}};
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(library->GetTypeInfoOfGuid(clsid, coclass.receive()), S_OK);
    TYPEATTR* classAttributes = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&classAttributes), S_OK);
    EXPECT_EQ(classAttributes->typekind, TKIND_COCLASS);
    EXPECT_EQ(classAttributes->wTypeFlags, TYPEFLAG_FCANCREATE);
    EXPECT_EQ(classAttributes->cImplTypes, 1);
    coclass->ReleaseTypeAttr(classAttributes);

    // IDMD's own table: the eight methods after IUnknown's and IDispatch's seven.
    const GUID iid = {0x637A8485, 0xC484, 0x4725, {0xB2, 0x37, 0x0F, 0x4F, 0x06, 0x84, 0x7A, 0x74}};
    ComPtr<ITypeInfo> dispatch;
    ASSERT_EQ(library->GetTypeInfoOfGuid(iid, dispatch.receive()), S_OK);
    HREFTYPE tableType = 0;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &tableType), S_OK);
    ComPtr<ITypeInfo> table;
    ASSERT_EQ(dispatch->GetRefTypeInfo(tableType, table.receive()), S_OK);
    // Stored as dual, OLE automation, dispatchable (0x1140); Wine shows the
    // automation flag on the table's view only.
    TYPEATTR* tableAttributes = nullptr;
    ASSERT_EQ(table->GetTypeAttr(&tableAttributes), S_OK);
    EXPECT_EQ(tableAttributes->wTypeFlags & 0x1140, 0x1140);
    EXPECT_EQ(tableAttributes->cFuncs, 8);
    table->ReleaseTypeAttr(tableAttributes);
    const struct {
        const wchar_t* name;
        VARTYPE parameter;  // VT_EMPTY: none
    } methods[] = {
        {L"DMDOpen", VT_EMPTY},        {L"DMDClose", VT_EMPTY},      {L"DMDPlay", VT_BSTR},
        {L"DMDStartMirror", VT_EMPTY}, {L"DMDTextMirror", VT_EMPTY}, {L"DMDStopMirror", VT_EMPTY},
        {L"DMDSetFPS", VT_I4},         {L"DMDDelayOpen", VT_I4},
    };
    for (UINT i = 0; i < 8; ++i) {
        FUNCDESC* function = nullptr;
        ASSERT_EQ(table->GetFuncDesc(i, &function), S_OK);
        BSTR methodName = nullptr;
        table->GetDocumentation(function->memid, &methodName, nullptr, nullptr, nullptr);
        EXPECT_STREQ(methodName, methods[i].name);
        SysFreeString(methodName);
        EXPECT_EQ(function->memid, static_cast<MEMBERID>(201 + i));
        EXPECT_EQ(function->oVft / static_cast<SHORT>(sizeof(void*)), static_cast<SHORT>(7 + i));
        EXPECT_EQ(function->elemdescFunc.tdesc.vt, VT_HRESULT);
        EXPECT_EQ(function->cParams, methods[i].parameter == VT_EMPTY ? 0 : 1);
        if (function->cParams == 1) {
            EXPECT_EQ(function->lprgelemdescParam[0].tdesc.vt, methods[i].parameter);
            EXPECT_EQ(function->lprgelemdescParam[0].paramdesc.wParamFlags, PARAMFLAG_FIN);
        }
        table->ReleaseFuncDesc(function);
    }
}

}  // namespace
