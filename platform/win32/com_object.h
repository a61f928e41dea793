#pragma once
// The reference count of a COM object that lives on the heap, written once:
// a class derives from ComObject<its interfaces...> and implements only
// QueryInterface and its methods. Created with one reference (the creator's);
// the last Release deletes it.
#include <windows.h>

#include <atomic>

namespace zelk::platform {

template <typename... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // One override serves the IUnknown of every interface.
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> references_{1};
};

}  // namespace zelk::platform
