#include "device/win32/player_link_win.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>

#include "core/error.h"
#include "device/win32/library_module.h"
#include "device/win32/pin_display.h"
#include "device/win32/wide_text.h"

namespace zelk::device::win32 {
namespace {

constexpr wchar_t playerServerKey[] =
    L"CLSID\\{88919FAC-00B2-4AA8-B1C7-52AD65C476D3}\\LocalServer32\\";

// A registry value is never larger than this in any sane registration.
constexpr DWORD maxServerCommandBytes = 64 * 1024;

std::wstring readDefaultValue(HKEY key) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 || size > maxServerCommandBytes) return {};
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &got) !=
        ERROR_SUCCESS) {
        return {};
    }
    // The stored text need not carry its terminator; cut at the first one.
    value.resize(std::min<size_t>(got / sizeof(wchar_t), value.size()));
    size_t end = value.find(L'\0');
    if (end != std::wstring::npos) value.resize(end);
    return value;
}

[[noreturn]] void throwComError(HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    std::string description = systemMessage(static_cast<DWORD>(hr));
    throw Error("EOleSysError",
                std::string("HRESULT ") + code + (description.empty() ? "" : ": " + description));
}

// Codes that say the player's process is gone: the reference is dead for
// good, and only a new connection can reach a restarted player.
bool playerIsGone(HRESULT hr) {
    switch (static_cast<unsigned long>(hr)) {
        case 0x80010108UL:  // RPC_E_DISCONNECTED
        case 0x80010007UL:  // RPC_E_SERVER_DIED
        case 0x80010012UL:  // RPC_E_SERVER_DIED_DNE
        case 0x800706BAUL:  // RPC_S_SERVER_UNAVAILABLE
        case 0x800706BEUL:  // RPC_S_CALL_FAILED
        case 0x800401FDUL:  // CO_E_OBJNOTCONNECTED
            return true;
        default:
            return false;
    }
}

class Bstr {
public:
    explicit Bstr(const std::u16string& text) {
        if (text.size() > 1u << 20) throwComError(E_INVALIDARG);
        value_ = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                   static_cast<UINT>(text.size()));
        if (value_ == nullptr) throwComError(E_OUTOFMEMORY);
    }
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value_; }

private:
    BSTR value_ = nullptr;
};

class TPinDisplay : public PlayerDisplay {
public:
    ~TPinDisplay() override {
        // Under the loader lock (the library being unloaded without Close)
        // the reference is left to the system: releasing a proxy there would
        // make a cross-process call.
        if (display_ != nullptr && !libraryDetaching()) display_->lpVtbl->Release(display_);
    }

    void B2SInit(const std::u16string& tName, const std::u16string& romName) override {
        Bstr name(tName);
        Bstr rom(romName);
        IPinDisplay* display = connect();
        check(display->lpVtbl->B2SInit(display, name.get(), rom.get()));
    }

    void B2SData(const std::u16string& tIndex, int32_t value) override {
        Bstr index(tIndex);
        IPinDisplay* display = connect();
        check(display->lpVtbl->B2SData(display, index.get(), value));
    }

private:
    // The running player registered as active first, else a new one, which
    // COM starts from the player's registration when it is a local server.
    // An active entry whose player no longer answers (left behind by a
    // player that died) does not block the way to a new one.
    IPinDisplay* connect() {
        if (display_ != nullptr) return display_;
        IUnknown* running = nullptr;
        if (SUCCEEDED(GetActiveObject(playerDisplayClassId, nullptr, &running)) && running != nullptr) {
            display_ = askForDisplay(running);
            if (display_ != nullptr) return display_;
        }
        IUnknown* created = nullptr;
        HRESULT hr = CoCreateInstance(playerDisplayClassId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      IID_IUnknown, reinterpret_cast<void**>(&created));
        if (FAILED(hr)) throwComError(hr);
        if (created == nullptr) throwComError(E_POINTER);
        display_ = askForDisplay(created, &hr);
        if (display_ == nullptr) throwComError(FAILED(hr) ? hr : E_NOINTERFACE);
        return display_;
    }

    // The player's own interface (not IDispatch); releases object.
    static IPinDisplay* askForDisplay(IUnknown* object, HRESULT* result = nullptr) {
        void* display = nullptr;
        HRESULT hr = object->QueryInterface(pinDisplayInterfaceId, &display);
        object->Release();
        if (result != nullptr) *result = hr;
        return SUCCEEDED(hr) ? static_cast<IPinDisplay*>(display) : nullptr;
    }

    void check(HRESULT hr) {
        if (SUCCEEDED(hr)) return;
        if (playerIsGone(hr)) {
            display_->lpVtbl->Release(display_);
            display_ = nullptr;
        }
        throwComError(hr);
    }

    IPinDisplay* display_ = nullptr;
};

}  // namespace

std::wstring mediaRootFromServerCommand(const std::wstring& command) {
    size_t cut = command.find_last_of(L"\\:");
    std::wstring folder = cut == std::wstring::npos ? std::wstring() : command.substr(0, cut + 1);
    return folder + L"ZelkVideos\\";
}

std::string FindMediaRoot() {
    HKEY key = nullptr;
    // Read access only: looking for the player never creates its key.
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, playerServerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    std::wstring command = readDefaultValue(key);
    RegCloseKey(key);
    return wideToUtf8(mediaRootFromServerCommand(command));
}

std::unique_ptr<PlayerDisplay> makePinDisplay() { return std::make_unique<TPinDisplay>(); }

}  // namespace zelk::device::win32
