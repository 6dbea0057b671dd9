// dlopen-based loading of optional shared objects.
#include "platform/DynamicLibrary.h"

#include "platform/Files.h"

#include <dlfcn.h>

namespace platform {

std::string SharedLibraryFileName(const std::string& baseName) {
    return "lib" + baseName + ".so";
}

bool DynamicLibrary::Load(const std::string& name) {
    Unload();
    m_lastError.clear();
    if (name.empty()) {
        m_lastError = "empty library name";
        return false;
    }
    if (name.find('/') == std::string::npos) {
        const std::string local = JoinPath(ProgramFolder(), name);
        if (FileExists(local))
            m_handle = ::dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!m_handle)
        m_handle = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* error = ::dlerror();
        m_lastError = error ? error : "cannot load " + name;
    }
    return m_handle != nullptr;
}

void DynamicLibrary::Unload() {
    if (m_handle)
        ::dlclose(m_handle);
    m_handle = nullptr;
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (!m_handle || !name)
        return nullptr;
    return ::dlsym(m_handle, name);
}

} // namespace platform
