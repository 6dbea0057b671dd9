// Writing the sample log.
#include "acquisition/SampleLogFile.h"

#include "model/CaseTables.h"
#include "model/TimeTexts.h"
#include "model/ValueConversion.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace {

std::string HeadLine() {
    std::string line = "Sample_Date\t";
    for (int slot = 0; slot < g_nCaseCount; ++slot) {
        for (int channel = 1; channel <= CHANNELS_PER_MODULE; ++channel) {
            line += platform::Format("%02d-%02d\t", g_CaseList[slot] + 1, channel);
        }
    }
    return line;
}

} // namespace

bool WriteSampleLogLine(const std::string& fileName, const CaseSampleBlock* frame, double sampleTime) {
    const bool exists = platform::FileExists(fileName);
    platform::TextFileWriter writer;
    if (!writer.Open(fileName, exists)) {
        return false;
    }
    if (!exists && !writer.WriteLine(HeadLine())) {
        return false;
    }
    // A tab after the time keeps the values under their column heads.
    std::string line = FormatOleDateTime(sampleTime) + "\t";
    for (int slot = 0; slot < g_nCaseCount; ++slot) {
        const int caseNo = g_CaseList[slot];
        for (int i = 0; i < CHANNELS_PER_MODULE; ++i) {
            const double value = ConvertBlockChannelValue(caseNo * CHANNELS_PER_MODULE + i, frame[caseNo]);
            line += platform::Format("%.3f\t", value);
        }
    }
    return writer.WriteLine(line) && writer.Close();
}
