#pragma once
// The system's own description of an error code: a GetLastError() value or
// an HRESULT (the system keeps one table for both).
#include <windows.h>

#include <string>

#include "core/error.h"

namespace zelk::platform {

// A failure that carries the system's HRESULT, so that an automation method
// can hand the code itself to its client.
class HresultError : public Error {
public:
    explicit HresultError(HRESULT code);
    HRESULT code() const noexcept { return code_; }

private:
    HRESULT code_;
};

// The description as UTF-8, without its trailing line break; empty when the
// system has none.
std::string systemMessage(DWORD code);

// The description, or "System error <code>." when the system has none.
std::string errorText(DWORD code);

// "HRESULT 0x80004005: <description>" (just the code when there is none).
std::string hresultText(HRESULT hr);

// Throws HresultError: class name "EOleSysError", message hresultText(hr).
[[noreturn]] void throwHresult(HRESULT hr);

}  // namespace zelk::platform
