#include "device/player/win32/player_link.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "device/entry/win32/library_module.h"
#include "device/player/win32/pin_display.h"
#include "device/player/win32/player_registration.h"
#include "platform/win32/bstr.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/error_text.h"

namespace zelk::device {
namespace {

using platform::Bstr;
using platform::ComPtr;
using platform::throwHresult;

// Names and indexes are short; a text this long is a broken caller.
constexpr size_t maxPlayerTextLength = 1u << 20;

// Codes that say the player's process is gone, or that the apartment its
// reference lived in has ended: the reference is dead for good, and only a
// new connection can reach the player.
bool playerIsGone(HRESULT hr) {
    switch (static_cast<unsigned long>(hr)) {
        case 0x80010108UL:  // RPC_E_DISCONNECTED
        case 0x80010007UL:  // RPC_E_SERVER_DIED
        case 0x80010012UL:  // RPC_E_SERVER_DIED_DNE
        case 0x800706BAUL:  // RPC_S_SERVER_UNAVAILABLE
        case 0x800706BEUL:  // RPC_S_CALL_FAILED
        case 0x800401FDUL:  // CO_E_OBJNOTCONNECTED
        case 0x800401F0UL:  // CO_E_NOTINITIALIZED: the implicit MTA ended under the reference
            return true;
        default:
            return false;
    }
}

// A host thread that never initialised COM (the emulation thread of a
// PinMAME-based host) cannot create the player's object: it gets
// CO_E_NOTINITIALIZED. Keeping the process's multithreaded apartment alive
// puts such threads in the implicit MTA, where calls to the player's local
// server need no message loop. A thread that is in the implicit MTA already,
// because another host thread has the MTA, needs it kept alive just as much:
// when that thread leaves COM, the MTA would end and take the player's proxy
// with it. A thread with an apartment of its own keeps it.
// CoIncrementMTAUsage is looked up, not imported, so that the plug-in still
// loads on systems older than Windows 8 (where such a thread stays without
// COM, as before). The entry points' lock keeps callers one at a time.
bool inImplicitMtaOrWithoutCom() {
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    const HRESULT hr = CoGetApartmentType(&type, &qualifier);
    if (hr == CO_E_NOTINITIALIZED) return true;
    return SUCCEEDED(hr) && type == APTTYPE_MTA && qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA;
}

void keepMtaForThreadWithoutCom() {
    static CO_MTA_USAGE_COOKIE cookie = nullptr;  // kept for the rest of the process
    if (cookie != nullptr || !inImplicitMtaOrWithoutCom()) return;
    using Increment = HRESULT(WINAPI*)(CO_MTA_USAGE_COOKIE*);
    const HMODULE ole32 = GetModuleHandleW(L"ole32.dll");
    const auto increment =
        ole32 ? reinterpret_cast<Increment>(reinterpret_cast<void (*)()>(GetProcAddress(ole32, "CoIncrementMTAUsage")))
              : nullptr;
    if (increment == nullptr || FAILED(increment(&cookie))) cookie = nullptr;
}

Bstr playerText(const std::u16string& text) {
    if (text.size() > maxPlayerTextLength) throwHresult(E_INVALIDARG);
    return Bstr(text);
}

class TPinDisplay : public PlayerDisplay {
public:
    ~TPinDisplay() override {
        // Under the loader lock (the library being unloaded without Close)
        // the reference is left to the system: releasing a proxy there would
        // make a cross-process call.
        if (libraryDetaching()) display_.release();
    }

    void B2SInit(const std::u16string& tName, const std::u16string& romName) override {
        Bstr name = playerText(tName);
        Bstr rom = playerText(romName);
        IPinDisplay* display = connect();
        check(display->lpVtbl->B2SInit(display, name.get(), rom.get()));
    }

    void B2SData(const std::u16string& tIndex, int32_t value) override {
        Bstr index = playerText(tIndex);
        IPinDisplay* display = connect();
        check(display->lpVtbl->B2SData(display, index.get(), value));
    }

private:
    // The running player registered as active first, else a new one, which
    // COM starts from the player's registration when it is a local server.
    // An active entry whose player no longer answers (left behind by a
    // player that died) does not block the way to a new one.
    IPinDisplay* connect() {
        if (display_) return display_.get();
        keepMtaForThreadWithoutCom();
        ComPtr<IUnknown> running;
        if (SUCCEEDED(GetActiveObject(playerDisplayClassId, nullptr, running.receive())) && running) {
            display_ = running.query<IPinDisplay>(pinDisplayInterfaceId);
            if (display_) return display_.get();
        }
        ComPtr<IUnknown> created;
        HRESULT hr = CoCreateInstance(playerDisplayClassId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      IID_IUnknown, created.receiveVoid());
        if (FAILED(hr)) throwHresult(hr);
        if (!created) throwHresult(E_POINTER);
        // The player's own interface, not IDispatch.
        display_ = created.query<IPinDisplay>(pinDisplayInterfaceId, &hr);
        if (!display_) throwHresult(FAILED(hr) ? hr : E_NOINTERFACE);
        return display_.get();
    }

    void check(HRESULT hr) {
        if (SUCCEEDED(hr)) return;
        if (playerIsGone(hr)) display_.reset();
        throwHresult(hr);
    }

    ComPtr<IPinDisplay> display_;
};

}  // namespace

std::string Win32PlayerLink::findMediaRoot() { return FindMediaRoot(); }

std::unique_ptr<PlayerDisplay> Win32PlayerLink::createPlayerDisplay() { return std::make_unique<TPinDisplay>(); }

}  // namespace zelk::device
