// Libraries loaded with dlopen.
#include "platform/loaded_library.h"

#include <dlfcn.h>

#include "core/error.h"

namespace zelk::platform {
namespace {

std::string lastDlError() {
    const char* message = dlerror();
    return message != nullptr ? message : "unknown reason";
}

}  // namespace

LoadedLibrary::LoadedLibrary(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) throw Error("ELibrary", lastDlError());
}

LoadedLibrary::~LoadedLibrary() {
    if (!kept_) dlclose(handle_);
}

LoadedLibrary::EntryPoint LoadedLibrary::lookUp(const char* name) const {
    // dlsym hands out data pointers; POSIX guarantees the conversion.
    return reinterpret_cast<EntryPoint>(dlsym(handle_, name));
}

bool LoadedLibrary::contains(const void* address) const {
    // The same object, loaded once, has one handle whatever name opened it.
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return false;
    void* owner = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (owner == nullptr) return false;
    const bool same = owner == handle_;
    dlclose(owner);
    return same;
}

}  // namespace zelk::platform
