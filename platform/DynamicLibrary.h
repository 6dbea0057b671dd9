// Run-time loading of optional shared objects by name, in place of
// LoadLibrary/GetProcAddress: the program folder is searched first, then the
// system's default path. A library that is missing yields null, and the
// program carries on without it.
#pragma once

#include <string>

namespace platform {

// "QVMat32" -> "libQVMat32.so": the file name of a library by its base name.
std::string SharedLibraryFileName(const std::string& baseName);

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary() { Unload(); }
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // A name with a '/' is loaded as given; otherwise from the program folder
    // first, then from the default path. False when it cannot be loaded.
    bool Load(const std::string& name);
    void Unload();
    bool IsLoaded() const { return m_handle != nullptr; }
    // The address of an exported symbol; null when missing or not loaded.
    void* Symbol(const char* name) const;
    template <typename F> F Function(const char* name) const { return reinterpret_cast<F>(Symbol(name)); }
    // Why the last Load failed (the loader's text).
    const std::string& LastError() const { return m_lastError; }

private:
    void* m_handle = nullptr;
    std::string m_lastError;
};

} // namespace platform
