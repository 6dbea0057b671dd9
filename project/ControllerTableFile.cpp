// Byte dumps of the controller records.
#include "project/ControllerTableFile.h"

#include "model/SampleSettings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

} // namespace

int SaveControllerTable(const std::string& path, const std::vector<ControllerRecord>& table) {
    File file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        return 0;
    if (!table.empty() &&
        std::fwrite(table.data(), sizeof(ControllerRecord), table.size(), file.get()) != table.size())
        return 0;
    return std::fclose(file.release()) == 0 ? 1 : 0;
}

int LoadControllerTable(const std::string& path, int count, std::vector<ControllerRecord>& table) {
    if (count < 0 || count > MAX_CONTROLLER_COUNT)
        return 0;
    File file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return 0;
    std::vector<ControllerRecord> records(static_cast<std::size_t>(count));
    if (count > 0 &&
        std::fread(records.data(), sizeof(ControllerRecord), records.size(), file.get()) != records.size())
        return 0;
    for (ControllerRecord& record : records)
        record.szAddress[sizeof record.szAddress - 1] = '\0'; // an address is always a terminated text
    table = std::move(records);
    return 1;
}

bool IsControllerTableFileSound(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return true;
    std::vector<ControllerRecord> records(MAX_CONTROLLER_COUNT + 1);
    const std::size_t n =
        std::fread(records.data(), 1, records.size() * sizeof(ControllerRecord), file.get());
    if (n % sizeof(ControllerRecord) != 0 || n / sizeof(ControllerRecord) > std::size_t(MAX_CONTROLLER_COUNT))
        return false;
    records.resize(n / sizeof(ControllerRecord));
    return std::all_of(records.begin(), records.end(), [](const ControllerRecord& r) {
        const char* end = static_cast<const char*>(std::memchr(r.szAddress, '\0', sizeof r.szAddress));
        return end != nullptr &&
               std::all_of(r.szAddress, end, [](char c) { return (c >= '0' && c <= '9') || c == '.'; }) &&
               r.nCases >= 0 && r.nCases <= 8;
    });
}
