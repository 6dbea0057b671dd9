// Temporary names beside an export's target, the rename that completes it,
// and the message of a failed write.
#include "datafiles/ExportFileCommit.h"

#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

std::string ClaimExportTempPath(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = platform::FolderOf(target);
    const std::string prefix =
        (folder.empty() ? std::string() : folder + "/") + "." + platform::FileNameOf(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name =
            platform::Format("%s.%d.%u.tmp", prefix.c_str(), int(::getpid()), counter.fetch_add(1));
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

bool CommitExportFile(const std::string& temp, const std::string& target) {
    if (platform::MoveFile(temp, target))
        return true;
    platform::DeleteFile(temp);
    return false;
}

void ReportExportWriteFailure(const std::string& target, const std::string& caption) {
    platform::MessageBox(
        platform::Format("文件%s写入失败（磁盘空间不足或无法写入），导出未完成。", target.c_str()), caption,
        platform::MB_OK | platform::MB_ICONEXCLAMATION);
}
