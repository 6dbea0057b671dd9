// POSIX implementation of the file and folder functions.
#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

std::string EnvFolder(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool StatPath(const std::string& path, struct stat& st) {
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

// Position of the extension's dot in the file name, npos when none.
std::size_t ExtensionDot(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string::npos;
    return dot;
}

} // namespace

std::string ProgramFolder() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    return FolderOf(std::string(buffer, static_cast<std::size_t>(n)));
}

std::string UserConfigFolder() {
    const char* home = std::getenv("HOME");
    return WithoutTrailingSlash(
        EnvFolder("XDG_CONFIG_HOME", std::string(home && *home ? home : "/tmp") + "/.config"));
}

std::string RuntimeFolder() {
    // Never the shared /tmp itself, where another user's files cannot even
    // be opened: a folder of the user's own there, which its first user
    // must make private (see InstanceLock).
    return WithoutTrailingSlash(EnvFolder("XDG_RUNTIME_DIR", "/tmp/runtime-" + std::to_string(::getuid())));
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return StatPath(path, st) && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return StatPath(path, st) && S_ISDIR(st.st_mode);
}

std::int64_t FileSize(const std::string& path) {
    struct stat st {};
    if (!StatPath(path, st) || S_ISDIR(st.st_mode))
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    namespace fs = std::filesystem;
    if (!FileExists(from) || FolderExists(to) || (FileExists(to) && (failIfExists || IsReadOnly(to))))
        return false;
    // Copy beside the target, then put it in place in one step, so that a
    // failed copy never leaves a truncated target.
    std::string temp = to + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    ::close(fd);
    std::error_code ec;
    fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
    bool ok = !ec;
    if (ok && failIfExists)
        ok = ::link(temp.c_str(), to.c_str()) == 0; // fails when the target appeared meanwhile
    else if (ok)
        ok = ::rename(temp.c_str(), to.c_str()) == 0;
    ::unlink(temp.c_str());
    return ok;
}

bool MoveFile(const std::string& from, const std::string& to) {
    if ((!FileExists(from) && !FolderExists(from)) || (FileExists(to) && IsReadOnly(to)))
        return false;
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (errno != EXDEV || !FileExists(from))
        return false; // a folder is not copied across file systems
    return CopyFile(from, to) && DeleteFile(from);
}

bool DeleteFile(const std::string& path) {
    return FileExists(path) && !IsReadOnly(path) && ::unlink(path.c_str()) == 0;
}

bool IsReadOnly(const std::string& path) {
    struct stat st {};
    return StatPath(path, st) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool SetReadOnly(const std::string& path, bool readOnly) {
    struct stat st {};
    if (!StatPath(path, st))
        return false;
    const mode_t mode = readOnly ? st.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH) : st.st_mode | S_IWUSR;
    return ::chmod(path.c_str(), mode & 07777) == 0;
}

bool CreateFolder(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return FolderExists(path);
}

std::vector<FolderEntry> ListFolder(const std::string& path) {
    std::vector<FolderEntry> entries;
    DIR* dir = path.empty() ? nullptr : ::opendir(path.c_str());
    if (!dir)
        return entries;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        FolderEntry entry;
        entry.name = name;
        struct stat st {};
        if (StatPath(JoinPath(path, name), st)) {
            entry.isFolder = S_ISDIR(st.st_mode);
            entry.size = entry.isFolder ? 0 : static_cast<std::int64_t>(st.st_size);
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

std::int64_t FreeDiskSpace(const std::string& path) {
    struct statvfs st {};
    if (path.empty() || ::statvfs(path.c_str(), &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    if (name.empty())
        return folder;
    const bool folderSlash = folder.back() == '/';
    const bool nameSlash = name.front() == '/';
    if (folderSlash && nameSlash)
        return folder + name.substr(1);
    return folderSlash || nameSlash ? folder + name : folder + "/" + name;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& path) {
    const std::size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
    const std::size_t dot = ExtensionDot(path);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + extension;
}

} // namespace platform
