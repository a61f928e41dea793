#pragma once
// Scoped owner of one BSTR (SysAllocStringLen / SysFreeString).
#include <windows.h>
#include <oleauto.h>

#include <string_view>
#include <utility>

namespace zelk::platform {

class Bstr {
public:
    Bstr() = default;
    // Throws zelk::Error "EOleSysError" (E_OUTOFMEMORY) when the system has no
    // memory for it, or (E_INVALIDARG) for a text beyond a BSTR's length.
    explicit Bstr(std::u16string_view text);
    explicit Bstr(std::wstring_view text);
    ~Bstr() { SysFreeString(value_); }
    Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            SysFreeString(value_);
            value_ = std::exchange(other.value_, nullptr);
        }
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const { return value_; }
    // For methods that hand a new BSTR out through a pointer.
    BSTR* receive() {
        SysFreeString(std::exchange(value_, nullptr));
        return &value_;
    }
    std::wstring_view view() const { return {value_ == nullptr ? L"" : value_, SysStringLen(value_)}; }

private:
    BSTR value_ = nullptr;
};

}  // namespace zelk::platform
