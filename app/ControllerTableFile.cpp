// Byte dumps of the controller records.
#include "app/ControllerTableFile.h"

#include <cstdio>
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
    if (count < 0 || count > CNetComm::kMaxControllers)
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
