#include "control/program/win32/automation/dmd_object.h"

#include <exception>
#include <string>

#include "control/program/win32/automation/dmd_identity.h"
#include "core/error.h"
#include "platform/win32/com_object.h"
#include "platform/win32/error_text.h"
#include "platform/win32/module_path.h"
#include "platform/win32/text.h"

namespace zelk::control {
namespace {

using platform::ComPtr;

// Error information for the calling client: source the ProgID, interface
// IDMD, the failure's message as description. A failure to make it leaves
// none.
void setErrorInfo(const std::string& message) {
    ComPtr<ICreateErrorInfo> created;
    if (FAILED(CreateErrorInfo(created.receive()))) return;
    created->SetGUID(iidDmd);
    created->SetSource(const_cast<LPOLESTR>(dmdProgId));
    std::wstring description = platform::utf8ToWide(message);
    created->SetDescription(description.data());
    ComPtr<IErrorInfo> info = created.query<IErrorInfo>(IID_IErrorInfo);
    if (info) SetErrorInfo(0, info.get());
}

// The method wrapper: S_OK, or the failure as error information with the
// failure's own HRESULT where it carries one, else E_UNEXPECTED.
template <typename Call>
HRESULT guarded(Call call) noexcept {
    try {
        call();
        return S_OK;
    } catch (const platform::HresultError& e) {
        setErrorInfo(e.what());
        return FAILED(e.code()) ? e.code() : E_UNEXPECTED;
    } catch (const std::exception& e) {
        setErrorInfo(e.what());
        return E_UNEXPECTED;
    } catch (...) {
        setErrorInfo("");
        return E_UNEXPECTED;
    }
}

class TDMD final : public platform::ComObject<IDMD, IProvideClassInfo, ISupportErrorInfo> {
public:
    explicit TDMD(std::shared_ptr<ObjectLink> link) : link_(std::move(link)) {
        ++link_->liveObjects;
        if (link_->automation) CoAddRefServerProcess();
    }
    ~TDMD() override {
        --link_->liveObjects;
        if (link_->automation) releaseServerProcess();
    }
    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) || IsEqualIID(id, iidDmd)) {
            *object = static_cast<IDMD*>(this);
        } else if (IsEqualIID(id, IID_IProvideClassInfo)) {
            *object = static_cast<IProvideClassInfo*>(this);
        } else if (IsEqualIID(id, IID_ISupportErrorInfo)) {
            *object = static_cast<ISupportErrorInfo*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    // IDispatch, served from the type library.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (info == nullptr) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        *info = link_->types->dispatch.get();
        (*info)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID reserved, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!IsEqualIID(reserved, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        return DispGetIDsOfNames(link_->types->table.get(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID reserved, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override {
        if (!IsEqualIID(reserved, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        return DispInvoke(static_cast<IDMD*>(this), link_->types->table.get(), member, flags, parameters, result,
                          exception, badArgument);
    }

    // IProvideClassInfo
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override {
        if (info == nullptr) return E_POINTER;
        *info = link_->types->coclass.get();
        (*info)->AddRef();
        return S_OK;
    }

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID id) override {
        return IsEqualIID(id, iidDmd) ? S_OK : S_FALSE;
    }

    // IDMD
    HRESULT STDMETHODCALLTYPE DMDOpen() override {
        return guarded([this] { controller().DMDOpen(); });
    }
    HRESULT STDMETHODCALLTYPE DMDClose() override {
        return guarded([this] { controller().DMDClose(); });
    }
    HRESULT STDMETHODCALLTYPE DMDPlay(BSTR sfile) override {
        return guarded([this, sfile] {
            controller().DMDPlay(platform::wideToUtf8({sfile == nullptr ? L"" : sfile, SysStringLen(sfile)}));
        });
    }
    HRESULT STDMETHODCALLTYPE DMDStartMirror() override {
        return guarded([this] { controller().DMDStartMirror(); });
    }
    HRESULT STDMETHODCALLTYPE DMDTextMirror() override {
        return guarded([this] { controller().DMDTextMirror(); });
    }
    HRESULT STDMETHODCALLTYPE DMDStopMirror() override {
        return guarded([this] { controller().DMDStopMirror(); });
    }
    HRESULT STDMETHODCALLTYPE DMDSetFPS(LONG ncount) override {
        return guarded([this, ncount] { controller().DMDSetFPS(ncount); });
    }
    HRESULT STDMETHODCALLTYPE DMDDelayOpen(LONG sTimeMS) override {
        return guarded([this, sTimeMS] { controller().DMDDelayOpen(sTimeMS); });
    }

private:
    DmdController& controller() const {
        if (link_->controller == nullptr) throw Error("EOleError", "The DMD controller is not running");
        return *link_->controller;
    }

    std::shared_ptr<ObjectLink> link_;
};

[[noreturn]] void typesFault(const char* what) { throw Error("EOleError", std::string(what) + " for class TDMD"); }

}  // namespace

std::shared_ptr<const DmdTypes> loadDmdTypes() {
    const std::wstring file = platform::utf8ToWide(platform::modulePath(nullptr));
    ComPtr<ITypeLib> library;
    const HRESULT loaded = LoadTypeLibEx(file.c_str(), REGKIND_NONE, library.receive());
    if (FAILED(loaded)) platform::throwHresult(loaded);
    auto types = std::make_shared<DmdTypes>();
    if (FAILED(library->GetTypeInfoOfGuid(clsidDmd, types->coclass.receive()))) {
        typesFault("Type information missing");
    }
    if (FAILED(library->GetTypeInfoOfGuid(iidDmd, types->dispatch.receive()))) {
        typesFault("Dispatch interface missing from class");
    }
    // A dual interface's dispatch description refers to its table.
    HREFTYPE tableType = 0;
    if (FAILED(types->dispatch->GetRefTypeOfImplType(-1, &tableType)) ||
        FAILED(types->dispatch->GetRefTypeInfo(tableType, types->table.receive()))) {
        typesFault("Incorrect type information");
    }
    return types;
}

IUnknown* makeDmdObject(const std::shared_ptr<ObjectLink>& link) { return static_cast<IDMD*>(new TDMD(link)); }

void releaseServerProcess() {
    if (CoReleaseServerProcess() == 0) PostQuitMessage(0);
}

}  // namespace zelk::control
