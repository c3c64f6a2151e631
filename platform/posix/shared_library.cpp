#include "platform/shared_library.h"

#include <dlfcn.h>

namespace platform {

SharedLibrary::SharedLibrary(const char *path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
}

SharedLibrary::Function SharedLibrary::function(const char *name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<Function>(dlsym(handle_, name));
}

}  // namespace platform
