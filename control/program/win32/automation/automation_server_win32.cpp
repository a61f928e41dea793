// The automation server: the start mode, the registration switches, the
// announcement of the DMD class with its factory, the reset that withdraws
// it, and the question before the program ends while clients hold objects.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "control/program/win32/automation/automation_server.h"
#include "control/program/win32/automation/class_registration.h"
#include "control/program/win32/automation/dmd_identity.h"
#include "control/program/win32/automation/dmd_object.h"
#include "control/program/server_switches.h"
#include "platform/win32/com_object.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/error_text.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace zelk::control {
namespace {

std::vector<std::string> parametersOfThisProgram() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const platform::LocalMemory owner(reinterpret_cast<HLOCAL>(arguments));
    std::vector<std::string> parameters;
    for (int i = 1; arguments != nullptr && i < count; ++i) parameters.push_back(platform::wideToUtf8(arguments[i]));
    return parameters;
}

// One factory serves every creation request (multiple use). It asks its
// link whether the server that announced it still stands.
class DmdFactory final : public platform::ComObject<IClassFactory> {
public:
    explicit DmdFactory(std::shared_ptr<ObjectLink> link) : link_(std::move(link)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (!IsEqualIID(id, IID_IUnknown) && !IsEqualIID(id, IID_IClassFactory)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        if (!link_->creating) return CO_E_SERVER_STOPPING;
        try {
            const platform::ComPtr<IUnknown> created(makeDmdObject(link_));
            return created->QueryInterface(id, object);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (!link_->automation) return S_OK;
        if (lock) {
            CoAddRefServerProcess();
        } else {
            releaseServerProcess();
        }
        return S_OK;
    }

private:
    std::shared_ptr<ObjectLink> link_;
};

// ComServer: lives until ResetAutomationServer puts a fresh one in its place.
class ComServer {
public:
    ComServer(ServerStart start, std::shared_ptr<const DmdTypes> types, DmdController* controller)
        : start_(start), link_(std::make_shared<ObjectLink>()) {
        link_->types = std::move(types);
        link_->controller = controller;
        link_->automation = start.mode == StartMode::automation;
    }
    ~ComServer() {
        link_->creating = false;
        if (announced_) CoRevokeClassObject(cookie_);
    }
    ComServer(const ComServer&) = delete;
    ComServer& operator=(const ComServer&) = delete;

    const ServerStart& start() const { return start_; }
    ObjectLink& link() { return *link_; }

    void announce() {
        // The runtime takes a reference of its own; ours goes with this scope.
        const platform::ComPtr<IClassFactory> factory(new DmdFactory(link_));
        const HRESULT registered = CoRegisterClassObject(clsidDmd, factory.get(), CLSCTX_LOCAL_SERVER,
                                                         REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED, &cookie_);
        if (FAILED(registered)) platform::throwHresult(registered);
        announced_ = true;
        const HRESULT resumed = CoResumeClassObjects();
        if (FAILED(resumed)) platform::throwHresult(resumed);
    }

private:
    ServerStart start_;
    std::shared_ptr<ObjectLink> link_;
    DWORD cookie_ = 0;
    bool announced_ = false;
};

constexpr wchar_t warningText[] =
    L"There are still active COM objects in this application.  One or more clients may have references to these "
    L"objects, so manually closing this application may cause those client application(s) to fail.\r\n\r\n"
    L"Are you sure you want to close this application?";

// Between discarding the old server and building the fresh one a reset can
// fail (no memory left); every reader then takes "no server" as the
// termination check does: nothing announced, nothing to keep.
class WindowsAutomationServer final : public AutomationServer {
public:
    WindowsAutomationServer(std::shared_ptr<const DmdTypes> types,
                            std::function<std::vector<std::string>()> parameters)
        : types_(std::move(types)), parameters_(std::move(parameters)), current_(makeComServer()) {}

    bool initialise() override {
        if (!current_) return true;
        const ServerStart& start = current_->start();
        switch (start.mode) {
            case StartMode::regServer:
                registerDmdClass(start.perUser);
                return false;
            case StartMode::unregServer:
                unregisterDmdClass(start.perUser);
                return false;
            default:
                current_->announce();
                return true;
        }
    }

    bool startedByAutomation() const override {
        return current_ && current_->start().mode == StartMode::automation;
    }

    void reset() override {
        current_.reset();
        current_ = makeComServer();
    }

    bool mayTerminate() override {
        if (!current_ || current_->link().liveObjects <= 0) return true;
        return MessageBoxW(nullptr, warningText, L"COM Server Warning",
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TASKMODAL) == IDYES;
    }

    void serve(DmdController& controller) override {
        controller_ = &controller;
        if (current_) current_->link().controller = controller_;
    }

private:
    std::unique_ptr<ComServer> makeComServer() {
        return std::make_unique<ComServer>(readStartMode(parameters_()), types_, controller_);
    }

    std::shared_ptr<const DmdTypes> types_;
    std::function<std::vector<std::string>()> parameters_;
    DmdController* controller_ = nullptr;
    std::unique_ptr<ComServer> current_;
};

}  // namespace

std::unique_ptr<AutomationServer> makeAutomationServer() {
    return makeAutomationServer(loadDmdTypes(), parametersOfThisProgram);
}

std::unique_ptr<AutomationServer> makeAutomationServer(std::shared_ptr<const DmdTypes> types,
                                                       std::function<std::vector<std::string>()> parameters) {
    return std::make_unique<WindowsAutomationServer>(std::move(types), std::move(parameters));
}

}  // namespace zelk::control
