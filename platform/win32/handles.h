#pragma once
// Scoped owners for the system's handles: each is closed by the function its
// kind needs, on every way out, and never twice. Owners move, never copy.
#include <windows.h>

#include <utility>

namespace zelk::platform {

template <typename Traits>
class Scoped {
public:
    using Value = typename Traits::Value;

    Scoped() = default;
    explicit Scoped(Value value) : value_(value) {}
    ~Scoped() { reset(); }
    Scoped(Scoped&& other) noexcept : value_(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    bool valid() const { return value_ != Traits::invalid(); }
    Value get() const { return value_; }
    // For functions that hand a new handle out through a pointer
    // (RegOpenKeyExW): whatever was held before is closed first.
    Value* receive() {
        reset();
        return &value_;
    }
    // Gives the handle up without closing it.
    Value release() { return std::exchange(value_, Traits::invalid()); }
    void reset(Value value = Traits::invalid()) {
        Value old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }

private:
    Value value_ = Traits::invalid();
};

// CreateFileW: INVALID_HANDLE_VALUE on failure.
struct FileHandleTraits {
    using Value = HANDLE;
    static Value invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Value value) { CloseHandle(value); }
};
using FileHandle = Scoped<FileHandleTraits>;

// Events, threads, processes, mappings: null on failure.
struct KernelHandleTraits {
    using Value = HANDLE;
    static Value invalid() { return nullptr; }
    static void close(Value value) { CloseHandle(value); }
};
using KernelHandle = Scoped<KernelHandleTraits>;

struct FindHandleTraits {
    using Value = HANDLE;
    static Value invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Value value) { FindClose(value); }
};
using FindHandle = Scoped<FindHandleTraits>;

struct RegistryKeyTraits {
    using Value = HKEY;
    static Value invalid() { return nullptr; }
    static void close(Value value) { RegCloseKey(value); }
};
using RegistryKey = Scoped<RegistryKeyTraits>;

// Pens, brushes, bitmaps, palettes, fonts: whatever DeleteObject frees.
template <typename Handle>
struct GdiObjectTraits {
    using Value = Handle;
    static Value invalid() { return nullptr; }
    static void close(Value value) { DeleteObject(value); }
};
template <typename Handle>
using GdiObject = Scoped<GdiObjectTraits<Handle>>;

// A device context of our own making (CreateCompatibleDC, CreateDCW).
struct MemoryDcTraits {
    using Value = HDC;
    static Value invalid() { return nullptr; }
    static void close(Value value) { DeleteDC(value); }
};
using MemoryDc = Scoped<MemoryDcTraits>;

// A library loaded with LoadLibraryW.
struct LibraryModuleTraits {
    using Value = HMODULE;
    static Value invalid() { return nullptr; }
    static void close(Value value) { FreeLibrary(value); }
};
using LibraryModule = Scoped<LibraryModuleTraits>;

// Memory the system allocated for us (FORMAT_MESSAGE_ALLOCATE_BUFFER,
// CommandLineToArgvW).
struct LocalMemoryTraits {
    using Value = HLOCAL;
    static Value invalid() { return nullptr; }
    static void close(Value value) { LocalFree(value); }
};
using LocalMemory = Scoped<LocalMemoryTraits>;

// A window's device context (GetDC / GetWindowDC), given back with the window
// it came from.
class WindowDc {
public:
    // whole: the whole window, frame included (GetWindowDC); else the client area.
    explicit WindowDc(HWND window, bool whole = false)
        : window_(window), dc_(whole ? GetWindowDC(window) : GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    bool valid() const { return dc_ != nullptr; }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context, selected out again on the way
// out (before either is deleted).
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace zelk::platform
