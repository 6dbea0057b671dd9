// INI profile functions with the rules of the Windows profile API, on GBK
// files with CRLF lines. Reads are served from a per-process cache keyed by
// path, size and modification time; writes go to a temporary file that is
// renamed into place. Text in and out is UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Integer value of a key: leading blanks, an optional minus, then decimal
// digits up to the first other character ("12abc" gives 12, "abc" gives 0).
// A missing file, section or key gives nDefault.
int GetPrivateProfileInt(const std::string& section, const std::string& key, int nDefault,
                         const std::string& path);

// String value of a key, or the default when missing. The value is the text
// after '=' with surrounding blanks removed (and one pair of surrounding
// quotes, as Windows does).
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& strDefault, const std::string& path);

// Buffer form: copies at most size-1 bytes (UTF-8, never splitting a
// character) and a terminating zero; returns the number of bytes copied.
std::size_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& strDefault, char* buffer, std::size_t size,
                                    const std::string& path);

// Writes key=value, creating the file and the section when missing. An empty
// key deletes the whole section (Windows' NULL key); DeletePrivateProfileKey
// deletes one key. Returns true on success.
bool WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& path);
bool DeletePrivateProfileKey(const std::string& section, const std::string& key, const std::string& path);
bool DeletePrivateProfileSection(const std::string& section, const std::string& path);

// Listings, in file order, first occurrence only.
std::vector<std::string> GetPrivateProfileSectionNames(const std::string& path);
std::vector<std::string> GetPrivateProfileKeys(const std::string& section, const std::string& path);
// "key=value" lines of a section.
std::vector<std::string> GetPrivateProfileSection(const std::string& section, const std::string& path);

// Structure form: the bytes as upper-case hex followed by one checksum byte
// (the byte sum modulo 256). A wrong length or checksum reads as failure.
bool GetPrivateProfileStruct(const std::string& section, const std::string& key, void* data, std::size_t size,
                             const std::string& path);
bool WritePrivateProfileStruct(const std::string& section, const std::string& key, const void* data,
                               std::size_t size, const std::string& path);

// While an object of this class lives, profile writes (of this and every
// other thread) update the cached files only, and reads see them; the files
// are written once when the last such object ends. For writers of thousands
// of keys, each of which would otherwise rewrite the whole file. A crash
// before the end loses the pending writes, never the old file.
class ProfileWriteDeferral {
public:
    ProfileWriteDeferral();
    ~ProfileWriteDeferral(); // ends the deferral if End was not called
    ProfileWriteDeferral(const ProfileWriteDeferral&) = delete;
    ProfileWriteDeferral& operator=(const ProfileWriteDeferral&) = delete;
    // Ends the deferral now; false when a pending file could not be written.
    bool End();

private:
    bool m_active = true;
};

// Drops every cached file (tests; a file changed within the same second and
// size is otherwise caught by the write path, which updates the cache).
void FlushProfileCache();

} // namespace platform
