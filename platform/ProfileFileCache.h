// The process-wide cache of parsed profile files, keyed by path and checked
// against the file's size, modification time and inode on every read, and
// the atomic write of a profile file (temporary file renamed into place).
#pragma once

#include "platform/ProfileDocument.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace platform {

class ProfileFileCache {
public:
    enum class Status { Ok, Missing, Error };
    struct Result {
        Status status = Status::Missing;
        std::shared_ptr<const ProfileDocument> document; // set when Ok
    };

    static ProfileFileCache& Instance();

    // The current parsed form of the file; Missing when the file or its
    // folder does not exist, Error when it exists but cannot be read.
    Result Load(const std::string& path);
    // Writes the document as GBK with CRLF lines through a temporary file in
    // the same folder, keeps the mode of a file it replaces and caches the
    // result. False when anything fails; the old file is then untouched.
    // While writes are deferred, Store only updates the cache (reads see
    // the pending document) and the file is written when deferral ends.
    bool Store(const std::string& path, ProfileDocument document);
    void Flush();

    // While writes are deferred and the file already has a pending document
    // that nobody else holds, applies the edit to it in place (no copy of
    // the whole file a key) and returns true; false when the caller must do
    // the load-edit-store cycle. Readers wait for the edit.
    bool EditPendingInPlace(const std::string& path, const std::function<bool(ProfileDocument&)>& edit);

    // Deferral nests; EndDeferral of the outermost level writes every
    // pending file and returns false when any write failed.
    void BeginDeferral();
    bool EndDeferral();
    bool IsDeferring();

    // Held across a load-edit-store cycle so that two threads writing keys of
    // one file do not lose one of the keys.
    std::mutex& WriteMutex() { return m_writeMutex; }

private:
    struct Stamp {
        std::int64_t size = -1;
        std::int64_t mtimeNs = 0;
        std::uint64_t inode = 0;
        std::uint64_t device = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        Stamp stamp;
        std::shared_ptr<const ProfileDocument> document;
        bool pending = false; // written to the cache only, file still to write
    };

    std::shared_ptr<const ProfileDocument> Cached(const std::string& path, const Stamp& stamp);
    void Remember(const std::string& path, const Stamp& stamp,
                  std::shared_ptr<const ProfileDocument> document);
    void Forget(const std::string& path);
    Result ReadAndParse(const std::string& path);
    std::shared_ptr<const ProfileDocument> Pending(const std::string& path);
    bool WriteFile(const std::string& path, ProfileDocument document);

    std::mutex m_mutex; // guards m_entries and m_deferDepth
    std::unordered_map<std::string, Entry> m_entries;
    int m_deferDepth = 0;
    std::mutex m_writeMutex; // serialises the load-edit-store cycles of all writers
};

} // namespace platform
