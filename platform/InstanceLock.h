// The single-instance check in place of a named mutex: an exclusive lock on
// a file named after the mutex in the user's runtime folder. The lock ends
// with the process, however it ends.
#pragma once

#include <string>

namespace platform {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock() { Release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this is the only holder of the name; false when another
    // holder (in this or another process) has it, or the file cannot be made.
    bool Acquire(const std::string& mutexName);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }
    // The lock file of a name: "/" and NUL-free, in the runtime folder.
    static std::string LockFilePath(const std::string& mutexName);

private:
    int m_fd = -1;
};

} // namespace platform
