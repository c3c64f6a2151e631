// Loads a shared library at run time and finds its exported functions by name,
// as a host application of the deliverables does.
// Windows: LoadLibraryA, GetProcAddress, FreeLibrary. POSIX: dlopen, dlsym, dlclose.
#pragma once

namespace platform {

class SharedLibrary {
public:
    // Any function pointer; cast it to the export's own type before calling.
    using Function = void (*)();

    // Loads the library at path; loaded() tells whether that worked.
    explicit SharedLibrary(const char *path);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary &) = delete;
    SharedLibrary &operator=(const SharedLibrary &) = delete;

    bool loaded() const { return handle_ != nullptr; }

    // The export called name, or nullptr when the library has none.
    Function function(const char *name) const;

private:
    void *handle_;
};

}  // namespace platform
