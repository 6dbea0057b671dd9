// Batch labels, the balance check, sample-set clearing and the timer trace.
#include "model/FrameValues.h"

#include "model/CaseSampleBlock.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <cstdio>
#include <memory>

std::string MakeBatchLabel(const std::string& label, int sampleMode, int index, bool autoNumbering,
                           std::int32_t& counter) {
    switch (sampleMode) {
    case 0:
    case 3:
        return platform::Format("%s_%d", label.c_str(), index + 1);
    case 1:
        if (autoNumbering)
            return platform::Format("%s-%d", label.c_str(), counter++);
        return label;
    default:
        return label;
    }
}

bool IsChannelBalanced(int channel, bool balanceResultsInUse) {
    if (!balanceResultsInUse || !IsValidChannelId(channel))
        return true;
    return g_ChannelParams[channel].nZero != ZERO_NOT_BALANCED;
}

void ClearZeroSampleSet(CaseSampleBlock* blocks) {
    for (int i = 0; i < MAX_CASE_COUNT; ++i) {
        blocks[i] = CaseSampleBlock{};
        blocks[i].nHeader = -1;
    }
}

void ClearSampleSet(CaseSampleBlock* blocks) {
    ClearZeroSampleSet(blocks);
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        for (float& value : blocks[slot].fValues)
            value = kNoValue;
    }
}

void WriteTimerDebugLog(const std::string& projectFolder, const std::string& text) {
    const std::string path = platform::JoinPath(projectFolder, "TimerDebug.txt");
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "ab"), &std::fclose);
    if (!file)
        return;
    const std::string line = platform::Utf8ToGbk(text) + "\r\n";
    std::fwrite(line.data(), 1, line.size(), file.get());
}
