// The single-instance check in place of a named mutex: an exclusive lock on
// a file named after the mutex and the desktop login, in the user's runtime
// folder, so that each user and each desktop login has its own instance.
// The lock ends with the process, however it ends.
#pragma once

#include <string>

namespace platform {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock() { Release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this is the only holder of the name in this desktop login;
    // false when another holder (in this or another process) has it, or the
    // lock cannot be made (GetError then names the cause).
    bool Acquire(const std::string& mutexName);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

    // After a failed Acquire: the cause when the lock could not be made,
    // empty when another holder has it.
    const std::string& GetError() const { return m_strError; }
    // After a failed Acquire on a held lock: the holder's process id (0 when
    // unknown) and program file.
    int GetHolderPid() const { return m_nHolderPid; }
    const std::string& GetHolderProgram() const { return m_strHolderProgram; }

    // The lock file of a name: "/" and NUL-free, in the runtime folder, with
    // the desktop login after the name when there is one.
    static std::string LockFilePath(const std::string& mutexName);
    // The X display without its screen number, or else the Wayland display;
    // empty outside a desktop.
    static std::string DesktopLoginName();

private:
    void ReadHolder(int fd);
    void WriteHolder() const;

    int m_fd = -1;
    std::string m_strError;
    int m_nHolderPid = 0;
    std::string m_strHolderProgram;
};

} // namespace platform
