// Loads a shared library at run time and finds its exported functions by name,
// as a host application of the deliverables does.
// Windows: LoadLibraryA, GetProcAddress, FreeLibrary. POSIX: dlopen, dlsym, dlclose.
#pragma once

namespace platform {

class shared_library {
public:
    // Any function pointer; cast it to the export's own type before calling.
    using function_pointer = void (*)();

    // Loads the library at path; loaded() tells whether that worked.
    explicit shared_library(const char *path);
    ~shared_library();
    shared_library(const shared_library &) = delete;
    shared_library &operator=(const shared_library &) = delete;

    bool loaded() const { return handle_ != nullptr; }

    // The export called name, or nullptr when the library has none.
    function_pointer function(const char *name) const;

private:
    void *handle_;
};

}  // namespace platform
