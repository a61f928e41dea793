#pragma once
// Scoped owner of one COM reference: released exactly once, on every way out.
#include <windows.h>
#include <unknwn.h>

#include <type_traits>
#include <utility>

namespace zelk::platform {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller holds (no AddRef).
    explicit ComPtr(T* adopted) : pointer_(adopted) {}
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : pointer_(other.release()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = other.release();
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For functions that hand out a new reference through a pointer; whatever
    // was held before is released first.
    T** receive() {
        reset();
        return &pointer_;
    }
    void** receiveVoid() { return reinterpret_cast<void**>(receive()); }

    // Gives the reference up without releasing it.
    T* release() { return std::exchange(pointer_, nullptr); }
    void reset() {
        if (T* old = release()) unknown(old)->Release();
    }

    // Asks the object for another of its interfaces; empty on failure, with
    // the object's answer in *result when asked for.
    template <typename U>
    ComPtr<U> query(REFIID id, HRESULT* result = nullptr) const {
        ComPtr<U> other;
        HRESULT hr = pointer_ == nullptr ? E_POINTER : unknown(pointer_)->QueryInterface(id, other.receiveVoid());
        if (FAILED(hr)) other.release();  // an out pointer left set on failure is no reference
        if (result != nullptr) *result = hr;
        return other;
    }

private:
    // Interfaces declared as plain C tables (a first member pointing to a
    // table that starts with QueryInterface, AddRef, Release) have the same
    // binary layout as IUnknown, which is what COM itself relies on.
    static IUnknown* unknown(T* pointer) {
        if constexpr (std::is_base_of_v<IUnknown, T>) {
            return pointer;
        } else {
            return reinterpret_cast<IUnknown*>(pointer);
        }
    }

    T* pointer_ = nullptr;
};

}  // namespace zelk::platform
