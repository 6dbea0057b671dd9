// The run's first data-write error.
#include "acquisition/RunWriteError.h"

#include "platform/RecordFile.h"

#include <cstring>

std::atomic<int> g_nRunWriteError{0};

bool ReportRunWriteError(int error) {
    int expected = 0;
    return error != 0 && g_nRunWriteError.compare_exchange_strong(expected, error);
}

std::string RunWriteErrorText(int error) {
    if (platform::IsDiskFullError(error))
        return "磁盘空间已满，采样数据无法继续保存，采样已停止！";
    return std::string("采样数据写入失败（") + std::strerror(error) + "），采样已停止！";
}
