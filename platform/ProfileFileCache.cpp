// Reading, caching and atomic writing of profile files.
#include "platform/ProfileFileCache.h"

#include "platform/Text.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

// A profile larger than this is not a settings file; refusing it keeps a
// stray path from pulling gigabytes into memory.
constexpr off_t kMaxProfileSize = 64 * 1024 * 1024;

std::int64_t MtimeNs(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool ReadAll(int fd, std::string& data, std::size_t expected) {
    data.resize(expected);
    std::size_t done = 0;
    for (;;) {
        if (done == data.size())
            data.resize(data.size() + 4096); // the file may have grown since fstat
        const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
        if (done > static_cast<std::size_t>(kMaxProfileSize))
            return false;
    }
    data.resize(done);
    return true;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string TemporaryPath(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + Format(".%d.%u.tmp", static_cast<int>(::getpid()), counter++);
}

std::string LinkTarget(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error))
        return path;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    return error ? path : target.string();
}

} // namespace

ProfileFileCache& ProfileFileCache::Instance() {
    static ProfileFileCache cache;
    return cache;
}

std::shared_ptr<const ProfileDocument> ProfileFileCache::Cached(const std::string& path, const Stamp& stamp) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_entries.find(path);
    if (it == m_entries.end() || !(it->second.stamp == stamp))
        return nullptr;
    return it->second.document;
}

void ProfileFileCache::Remember(const std::string& path, const Stamp& stamp,
                                std::shared_ptr<const ProfileDocument> document) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries[path] = Entry{stamp, std::move(document)};
}

void ProfileFileCache::Forget(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_entries.find(path);
    if (it != m_entries.end() && !it->second.pending)
        m_entries.erase(it);
}

// Pending documents are not yet on disk and must survive a flush.
void ProfileFileCache::Flush() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::erase_if(m_entries, [](const auto& entry) { return !entry.second.pending; });
}

std::shared_ptr<const ProfileDocument> ProfileFileCache::Pending(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_entries.find(path);
    return it != m_entries.end() && it->second.pending ? it->second.document : nullptr;
}

bool ProfileFileCache::EditPendingInPlace(const std::string& path,
                                          const std::function<bool(ProfileDocument&)>& edit) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_entries.find(path);
    if (m_deferDepth == 0 || it == m_entries.end() || !it->second.pending ||
        it->second.document.use_count() != 1)
        return false;
    // Sole owner, and readers take their copy under m_mutex: safe to change.
    edit(const_cast<ProfileDocument&>(*it->second.document));
    return true;
}

bool ProfileFileCache::IsDeferring() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_deferDepth > 0;
}

void ProfileFileCache::BeginDeferral() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_deferDepth;
}

bool ProfileFileCache::EndDeferral() {
    std::lock_guard<std::mutex> writers(m_writeMutex);
    std::vector<std::pair<std::string, std::shared_ptr<const ProfileDocument>>> pending;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_deferDepth == 0 || --m_deferDepth > 0)
            return true;
        for (auto& [path, entry] : m_entries)
            if (entry.pending) {
                pending.emplace_back(path, entry.document);
                entry.pending = false;
                entry.stamp = Stamp{}; // never matches a file: the next read stats it afresh
            }
    }
    bool ok = true;
    for (auto& [path, document] : pending)
        ok = WriteFile(path, *document) && ok;
    return ok;
}

ProfileFileCache::Result ProfileFileCache::Load(const std::string& path) {
    if (auto document = Pending(path))
        return Result{Status::Ok, std::move(document)};
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        Forget(path);
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        return Result{missing ? Status::Missing : Status::Error, nullptr};
    }
    if (!S_ISREG(st.st_mode))
        return Result{Status::Error, nullptr};
    const Stamp stamp{st.st_size, MtimeNs(st), st.st_ino, st.st_dev};
    if (auto document = Cached(path, stamp))
        return Result{Status::Ok, std::move(document)};
    return ReadAndParse(path);
}

// The stamp is taken from the open file, so the cached form always belongs
// to the bytes that were read even if the file is replaced meanwhile.
ProfileFileCache::Result ProfileFileCache::ReadAndParse(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        return Result{errno == ENOENT ? Status::Missing : Status::Error, nullptr};
    struct stat st {};
    std::string bytes;
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxProfileSize ||
        !ReadAll(fd.Get(), bytes, static_cast<std::size_t>(st.st_size)))
        return Result{Status::Error, nullptr};
    auto document = std::make_shared<const ProfileDocument>(ProfileDocument::FromText(GbkToUtf8(bytes)));
    // A file still being appended to is read again next time.
    if (static_cast<off_t>(bytes.size()) == st.st_size)
        Remember(path, Stamp{st.st_size, MtimeNs(st), st.st_ino, st.st_dev}, document);
    return Result{Status::Ok, std::move(document)};
}

bool ProfileFileCache::Store(const std::string& path, ProfileDocument document) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_deferDepth > 0) {
            Entry& entry = m_entries[path];
            entry.document = std::make_shared<const ProfileDocument>(std::move(document));
            entry.pending = true;
            return true;
        }
    }
    return WriteFile(path, std::move(document));
}

bool ProfileFileCache::WriteFile(const std::string& path, ProfileDocument document) {
    const std::string text = document.ToText();
    const std::string bytes = Utf8ToGbk(text);
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    // A read-only profile (no write permission for anyone, or none for us)
    // stays as it is, as on Windows; renaming over it would only need write
    // access to the folder.
    if (replacing && ((old.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0))
        return false;
    // A profile reached through a symbolic link is replaced where the link
    // points, so the link stays.
    const std::string target = LinkTarget(path);
    const std::string temporary = TemporaryPath(target);
    // The new file gets the default mode (umask applies) or the mode of the
    // file it replaces, so that an owner-only file stays owner-only.
    FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.Get() < 0)
        return false;
    struct stat st {};
    bool ok = (!replacing || ::fchmod(fd.Get(), old.st_mode & 07777) == 0) && WriteAll(fd.Get(), bytes) &&
              ::fstat(fd.Get(), &st) == 0;
    ok = fd.Close() && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The cache must hold what a read of the file gives: text GBK cannot
    // hold reads back as '?', so then the written bytes are parsed again.
    std::string readBack = GbkToUtf8(bytes);
    auto cached = std::make_shared<const ProfileDocument>(
        readBack == text ? std::move(document) : ProfileDocument::FromText(readBack));
    Remember(path, Stamp{st.st_size, MtimeNs(st), st.st_ino, st.st_dev}, std::move(cached));
    return true;
}

} // namespace platform
