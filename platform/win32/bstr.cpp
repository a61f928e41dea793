#include "platform/win32/bstr.h"

#include <climits>

#include "platform/win32/error_text.h"

namespace zelk::platform {

Bstr::Bstr(std::wstring_view text) {
    if (text.size() > UINT_MAX / 4) throwHresult(E_INVALIDARG);
    value_ = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (value_ == nullptr) throwHresult(E_OUTOFMEMORY);
}

Bstr::Bstr(std::u16string_view text)
    : Bstr(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size())) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide text is UTF-16");
}

}  // namespace zelk::platform
