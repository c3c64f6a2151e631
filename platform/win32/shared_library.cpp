#include "platform/shared_library.h"

#include <windows.h>

namespace platform {

shared_library::shared_library(const char *path) : handle_(LoadLibraryA(path)) {}

shared_library::~shared_library() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

shared_library::function_pointer shared_library::function(const char *name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<function_pointer>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace platform
