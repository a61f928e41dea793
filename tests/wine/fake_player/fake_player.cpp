// A stand-in for the media player VantorPlayer: a COM local server for the
// player's class that serves IPinDisplay and writes every call it receives,
// one line each, to "player_calls.txt" beside itself. A file
// "player_fail.txt" beside it makes every call fail with E_FAIL (after the
// call has been written down); a file "player_quit.txt" makes the player end
// after the call, as when its user closes it.
//
//   fake_player.exe -Embedding   started by COM; ends when its objects are gone
//   fake_player.exe /active      registers one object as the running
//                                player and waits until it is ended
//   fake_player.exe /active-mute the same with an object that no longer
//                                answers for IPinDisplay (a broken player)
// Either way it ends by itself after a minute, so a failed test never leaves
// it behind for long.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

#include "pin_display.h"

namespace {

const CLSID playerClassId = {0x88919FAC, 0x00B2, 0x4AA8, {0xB1, 0xC7, 0x52, 0xAD, 0x65, 0xC4, 0x76, 0xD3}};
constexpr UINT lifetimeMs = 60 * 1000;

LONG liveObjects = 0;
LONG serverLocks = 0;
bool servedAnObject = false;

std::wstring besideMe(const wchar_t* name) {
    wchar_t path[MAX_PATH * 4] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring folder(path, length);
    folder.resize(folder.find_last_of(L'\\') + 1);
    return folder + name;
}

std::string toUtf8(const wchar_t* text, size_t count) {
    if (count == 0) return {};
    int needed = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(count), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(count), out.data(), needed, nullptr, nullptr);
    return out;
}

std::string bstrText(BSTR text) { return text == nullptr ? std::string() : toUtf8(text, SysStringLen(text)); }

HRESULT record(const std::string& line) {
    HANDLE file = CreateFileW(besideMe(L"player_calls.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        std::string text = line + "\n";
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    if (GetFileAttributesW(besideMe(L"player_quit.txt").c_str()) != INVALID_FILE_ATTRIBUTES) PostQuitMessage(0);
    bool failing = GetFileAttributesW(besideMe(L"player_fail.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
    return failing ? E_FAIL : S_OK;
}

void quitWhenIdle() {
    if (servedAnObject && liveObjects == 0 && serverLocks == 0) PostQuitMessage(0);
}

class PinDisplay : public IPinDisplay {
public:
    explicit PinDisplay(bool mute = false) : mute_(mute) { ++liveObjects; servedAnObject = true; }
    virtual ~PinDisplay() { --liveObjects; quitWhenIdle(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || (!mute_ && (iid == IID_IDispatch || iid == __uuidof(IPinDisplay)))) {
            *out = static_cast<IPinDisplay*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count != nullptr) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE B2SData(BSTR tIndex, LONG value) override {
        return record("B2SData|" + bstrText(tIndex) + "|" + std::to_string(value));
    }
    HRESULT STDMETHODCALLTYPE B2SInit(BSTR tName, BSTR romName) override {
        return record("B2SInit|" + bstrText(tName) + "|" + bstrText(romName));
    }

#define UNUSED_ENTRY(n) \
    HRESULT STDMETHODCALLTYPE Unused##n() override { record("Unused" #n); return E_NOTIMPL; }
    UNUSED_ENTRY(7) UNUSED_ENTRY(8) UNUSED_ENTRY(9) UNUSED_ENTRY(10) UNUSED_ENTRY(11) UNUSED_ENTRY(12)
    UNUSED_ENTRY(13) UNUSED_ENTRY(14) UNUSED_ENTRY(15) UNUSED_ENTRY(16) UNUSED_ENTRY(17) UNUSED_ENTRY(18)
    UNUSED_ENTRY(19) UNUSED_ENTRY(20) UNUSED_ENTRY(21) UNUSED_ENTRY(22) UNUSED_ENTRY(23) UNUSED_ENTRY(24)
    UNUSED_ENTRY(25) UNUSED_ENTRY(26) UNUSED_ENTRY(27) UNUSED_ENTRY(28) UNUSED_ENTRY(29) UNUSED_ENTRY(30)
    UNUSED_ENTRY(31) UNUSED_ENTRY(33) UNUSED_ENTRY(34) UNUSED_ENTRY(35) UNUSED_ENTRY(36)
#undef UNUSED_ENTRY

private:
    bool mute_;
    LONG references_ = 1;
};

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        auto* object = new PinDisplay;
        HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        serverLocks += lock ? 1 : -1;
        quitWhenIdle();
        return S_OK;
    }
};

void runMessageLoop() {
    SetTimer(nullptr, 0, lifetimeMs, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) break;
        DispatchMessageW(&message);
    }
}

int serveActivation() {
    Factory factory;
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(playerClassId, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie))) {
        return 1;
    }
    runMessageLoop();
    CoRevokeClassObject(cookie);
    return 0;
}

int serveAsRunningPlayer(bool mute) {
    auto* object = new PinDisplay(mute);
    DWORD cookie = 0;
    if (FAILED(RegisterActiveObject(object, playerClassId, ACTIVEOBJECT_STRONG, &cookie))) return 1;
    record("Active");
    servedAnObject = false;  // stay until ended, whoever lets go of the object
    runMessageLoop();
    RevokeActiveObject(cookie, nullptr);
    object->Release();
    return 0;
}

}  // namespace

// The tests end whatever a failed test leaves running, by these ids.
void notePid() {
    HANDLE file = CreateFileW(besideMe(L"player_pid.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string line = std::to_string(GetCurrentProcessId()) + "\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

int wmain(int argc, wchar_t** argv) {
    notePid();
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    bool active = argc > 1 && lstrcmpiW(argv[1], L"/active") == 0;
    bool mute = argc > 1 && lstrcmpiW(argv[1], L"/active-mute") == 0;
    int result = active || mute ? serveAsRunningPlayer(mute) : serveActivation();
    CoUninitialize();
    return result;
}
