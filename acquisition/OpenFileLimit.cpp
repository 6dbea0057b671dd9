// Raising the soft limit of open files.
#include "acquisition/OpenFileLimit.h"

#include "platform/Text.h"

#include <sys/resource.h>

int RaiseOpenFileLimit(std::uint64_t wanted, std::string& message) {
    message.clear();
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        message = "无法读取可打开文件数的上限，采集文件可能无法全部打开。";
        return 0;
    }
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min<rlim_t>(wanted, limit.rlim_max);
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted)
        return 1;
    message = platform::Format(
        "可打开文件数的上限为%llu，少于采集所需的%llu，在线单元较多时部分数据文件将无法打开。",
        static_cast<unsigned long long>(limit.rlim_cur), static_cast<unsigned long long>(wanted));
    return 0;
}
