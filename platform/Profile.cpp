// The INI profile functions on top of the parsed-file cache.
#include "platform/Profile.h"

#include "platform/ProfileFileCache.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform {

namespace {

std::shared_ptr<const ProfileDocument> ReadDocument(const std::string& path) {
    return ProfileFileCache::Instance().Load(path).document;
}

// One pair of matching surrounding quotes is removed, as Windows does.
std::string Unquote(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// Names and values that would read back as something else (or break the
// file's lines) are refused instead of written.
bool IsWritableSection(const std::string& section) {
    const std::string_view name = ProfileTrim(section);
    return !name.empty() && !HasLineBreak(section) && name.find(']') == std::string_view::npos;
}

bool IsWritableKey(const std::string& key) {
    const std::string_view name = ProfileTrim(key);
    return !name.empty() && !HasLineBreak(key) && name.find('=') == std::string_view::npos &&
           name.front() != ';' && name.front() != '[';
}

// Loads the file, applies one edit and stores the result, all under the
// writers' lock. A missing file starts empty; an unreadable one is never
// replaced.
template <typename Edit> bool EditProfile(const std::string& path, bool createWhenMissing, Edit edit) {
    ProfileFileCache& cache = ProfileFileCache::Instance();
    std::lock_guard<std::mutex> lock(cache.WriteMutex());
    if (cache.EditPendingInPlace(path, edit))
        return true;
    const ProfileFileCache::Result loaded = cache.Load(path);
    if (loaded.status == ProfileFileCache::Status::Error)
        return false;
    if (loaded.status == ProfileFileCache::Status::Missing && !createWhenMissing)
        return true;
    ProfileDocument document = loaded.document ? *loaded.document : ProfileDocument();
    const bool changed = edit(document);
    // While writes are deferred the copy becomes the pending document even
    // when this edit changed nothing, so that the next edits work on it in
    // place: a writer of thousands of keys that mostly rewrites the values
    // already there would otherwise copy the whole file for every key.
    if (!changed && !cache.IsDeferring())
        return true;
    return cache.Store(path, std::move(document));
}

int ParseProfileInt(const std::string& text) {
    std::size_t pos = text.find_first_not_of(" \t");
    if (pos == std::string::npos)
        return 0;
    const bool negative = text[pos] == '-';
    if (negative)
        ++pos;
    // Unsigned arithmetic wraps like the 32-bit original instead of
    // overflowing.
    std::uint32_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = value * 10u + static_cast<std::uint32_t>(text[pos] - '0');
    return static_cast<int>(negative ? 0u - value : value);
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

int GetPrivateProfileInt(const std::string& section, const std::string& key, int nDefault,
                         const std::string& path) {
    const auto document = ReadDocument(path);
    const std::string* value = document ? document->FindValue(section, key) : nullptr;
    if (value == nullptr)
        return nDefault;
    const std::string text = Unquote(*value);
    return text.empty() ? nDefault : ParseProfileInt(text);
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& strDefault, const std::string& path) {
    const auto document = ReadDocument(path);
    const std::string* value = document ? document->FindValue(section, key) : nullptr;
    return value ? Unquote(*value) : strDefault;
}

std::size_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& strDefault, char* buffer, std::size_t size,
                                    const std::string& path) {
    if (buffer == nullptr || size == 0)
        return 0;
    const std::string value = GetPrivateProfileString(section, key, strDefault, path);
    std::size_t length = std::min(value.size(), size - 1);
    // Back off to the start of a UTF-8 character rather than split it.
    while (length > 0 && length < value.size() && (static_cast<unsigned char>(value[length]) & 0xC0) == 0x80)
        --length;
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return length;
}

bool WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& path) {
    if (key.empty())
        return DeletePrivateProfileSection(section, path);
    if (!IsWritableSection(section) || !IsWritableKey(key) || HasLineBreak(value))
        return false;
    return EditProfile(path, true,
                       [&](ProfileDocument& document) { return document.SetValue(section, key, value); });
}

bool DeletePrivateProfileKey(const std::string& section, const std::string& key, const std::string& path) {
    return EditProfile(path, false,
                       [&](ProfileDocument& document) { return document.DeleteKey(section, key); });
}

bool DeletePrivateProfileSection(const std::string& section, const std::string& path) {
    return EditProfile(path, false,
                       [&](ProfileDocument& document) { return document.DeleteSection(section); });
}

std::vector<std::string> GetPrivateProfileSectionNames(const std::string& path) {
    const auto document = ReadDocument(path);
    return document ? document->SectionNames() : std::vector<std::string>();
}

std::vector<std::string> GetPrivateProfileKeys(const std::string& section, const std::string& path) {
    const auto document = ReadDocument(path);
    return document ? document->KeyNames(section) : std::vector<std::string>();
}

std::vector<std::string> GetPrivateProfileSection(const std::string& section, const std::string& path) {
    const auto document = ReadDocument(path);
    return document ? document->SectionLines(section) : std::vector<std::string>();
}

bool GetPrivateProfileStruct(const std::string& section, const std::string& key, void* data, std::size_t size,
                             const std::string& path) {
    if (data == nullptr && size > 0)
        return false;
    const auto document = ReadDocument(path);
    const std::string* value = document ? document->FindValue(section, key) : nullptr;
    if (value == nullptr || value->size() != 2 * size + 2)
        return false;
    // Decoded aside first: a bad checksum leaves the caller's record as it was.
    std::vector<unsigned char> bytes(size + 1);
    for (std::size_t i = 0; i <= size; ++i) {
        const int high = HexValue((*value)[2 * i]);
        const int low = HexValue((*value)[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[i] = static_cast<unsigned char>(high * 16 + low);
    }
    unsigned char sum = 0;
    for (std::size_t i = 0; i < size; ++i)
        sum = static_cast<unsigned char>(sum + bytes[i]);
    if (sum != bytes[size])
        return false;
    if (size > 0)
        std::memcpy(data, bytes.data(), size);
    return true;
}

bool WritePrivateProfileStruct(const std::string& section, const std::string& key, const void* data,
                               std::size_t size, const std::string& path) {
    if (data == nullptr && size > 0)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string hex;
    hex.reserve(2 * size + 2);
    unsigned char sum = 0;
    const auto append = [&hex](unsigned char byte) {
        hex.push_back(kHexDigits[byte >> 4]);
        hex.push_back(kHexDigits[byte & 0x0F]);
    };
    for (std::size_t i = 0; i < size; ++i) {
        append(bytes[i]);
        sum = static_cast<unsigned char>(sum + bytes[i]);
    }
    append(sum);
    return WritePrivateProfileString(section, key, hex, path);
}

ProfileWriteDeferral::ProfileWriteDeferral() {
    ProfileFileCache::Instance().BeginDeferral();
}

ProfileWriteDeferral::~ProfileWriteDeferral() {
    End();
}

bool ProfileWriteDeferral::End() {
    if (!m_active)
        return true;
    m_active = false;
    return ProfileFileCache::Instance().EndDeferral();
}

void FlushProfileCache() {
    ProfileFileCache::Instance().Flush();
}

} // namespace platform
