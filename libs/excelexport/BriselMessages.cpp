// The failure reports of the spreadsheet libraries, as message boxes.
#include "libs/excelexport/BriselMessages.h"

#include "platform/MessageBox.h"

namespace excelexport {

void ReportBadArguments() {
    platform::MessageBox("导出Excel的参数无效，未写入文件。", kCaption, platform::MB_ICONERROR);
}

void ReportTooLarge(std::int64_t rows, std::int64_t columns) {
    platform::MessageBox("数据超出Excel工作表的范围（" + std::to_string(rows) + "行、" +
                             std::to_string(columns) + "列；最多1048576行、16384列），未写入文件。",
                         kCaption, platform::MB_ICONERROR);
}

void ReportSaveFailure(const std::string& fileName, const std::string& reason) {
    platform::MessageBox("无法保存Excel文件“" + fileName + "”：" + reason, kCaption, platform::MB_ICONERROR);
}

void ReportUnreadable(const std::string& fileName, const std::string& reason) {
    platform::MessageBox("无法打开Excel文件“" + fileName + "”：" + reason + "。文件保持不变。", kCaption,
                         platform::MB_ICONERROR);
}

int Guarded(const std::function<int()>& body) {
    try {
        return body();
    } catch (...) {
        platform::MessageBox(
            "Not enough memory to perform this operation. Try to close other applications and try again.",
            kCaption, platform::MB_ICONERROR);
        return 0;
    }
}

} // namespace excelexport
