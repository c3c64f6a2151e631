#include "platform/shared_library.h"

#include <dlfcn.h>

namespace platform {

shared_library::shared_library(const char *path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}

shared_library::~shared_library() {
    if (handle_ != nullptr) dlclose(handle_);
}

shared_library::function_pointer shared_library::function(const char *name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<function_pointer>(dlsym(handle_, name));
}

}  // namespace platform
