// Files and folders in place of the Windows file functions: the program,
// configuration and runtime folders, file operations, folder listing, free
// disk space and path helpers. Paths use '/'.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The folder of the running program file, without a trailing '/'.
std::string ProgramFolder();
// $XDG_CONFIG_HOME, else ~/.config.
std::string UserConfigFolder();
// $XDG_RUNTIME_DIR, else /tmp/runtime-<user id>, a folder of the user's own.
std::string RuntimeFolder();

bool FileExists(const std::string& path); // anything but a folder
bool FolderExists(const std::string& path);
// Size in bytes, -1 when the file is missing.
std::int64_t FileSize(const std::string& path);
// A read-only file, as on Windows, is neither replaced nor deleted: the
// three calls below fail on it.

// Copies a file; with failIfExists an existing target is left alone and the
// result is false. The target appears complete or not at all.
bool CopyFile(const std::string& from, const std::string& to, bool failIfExists = false);
// Renames a file or folder, replacing an existing target file in one step;
// a file moved across file systems is copied, then the source deleted.
bool MoveFile(const std::string& from, const std::string& to);
bool DeleteFile(const std::string& path);
// Read-only means no write permission for anyone.
bool IsReadOnly(const std::string& path);
bool SetReadOnly(const std::string& path, bool readOnly);
// Creates the folder and its missing parents; true when it exists afterwards.
bool CreateFolder(const std::string& path);

struct FolderEntry {
    std::string name;
    bool isFolder = false;
    std::int64_t size = 0;
};
// Entries of a folder ("." and ".." left out), sorted by name; empty when
// the folder is missing.
std::vector<FolderEntry> ListFolder(const std::string& path);

// Bytes free to this user on the file system holding the path; -1 on failure.
std::int64_t FreeDiskSpace(const std::string& path);

// Path helpers: they work on text only.
std::string JoinPath(const std::string& folder, const std::string& name);
// Everything before the last '/' ("" when none; "/" for a file in the root).
std::string FolderOf(const std::string& path);
// Everything after the last '/'.
std::string FileNameOf(const std::string& path);
// The extension of the file name with its dot ("" when none).
std::string ExtensionOf(const std::string& path);
// Replaces (or adds) the extension of the file name; a dot in a folder name
// is never touched. The new extension is given with its dot (or "" to drop).
std::string ReplaceExtension(const std::string& path, const std::string& extension);

} // namespace platform
