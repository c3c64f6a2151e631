#include "platform/shared_library.h"

#include <windows.h>

namespace platform {

SharedLibrary::SharedLibrary(const char *path) : handle_(LoadLibraryA(path)) {}

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

SharedLibrary::Function SharedLibrary::function(const char *name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<Function>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace platform
