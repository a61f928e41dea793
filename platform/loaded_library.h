#pragma once
// A shared library loaded by path: the control program's DMD device and the
// plug-in's FORWARD library both come through here.
#include <string>

namespace zelk::platform {

class LoadedLibrary {
public:
    // Any entry point, as the system's look-up hands it out.
    using EntryPoint = void (*)();

    // Loads the library at path (UTF-8). Throws zelk::Error ("ELibrary")
    // whose message is the system's reason.
    explicit LoadedLibrary(const std::string& path);
    // Unloads the library unless keepLoaded() was called.
    ~LoadedLibrary();
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    // Null when the library has no entry point of that name.
    EntryPoint lookUp(const char* name) const;
    // Whether address lies in this library's code or data, that is, whether
    // the caller passing an address of its own is this very library.
    bool contains(const void* address) const;
    // The library stays loaded until the process ends, whatever happens to
    // this object: for code that others may still call at any time.
    void keepLoaded() { kept_ = true; }

private:
    void* handle_ = nullptr;
    bool kept_ = false;
};

}  // namespace zelk::platform
