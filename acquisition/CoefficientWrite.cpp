// Coefficient lists of the instrument description file and their writing.
#include "acquisition/CoefficientWrite.h"

#include "acquisition/CommBase.h"
#include "model/InstrumentIni.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

namespace {

constexpr std::size_t kItemBufferSize = 128; // at most 127 characters

struct ListKeys {
    const char* defaultSection;
    const char* countKey;
    const char* itemFormat;
    bool requireEquals;
};

constexpr ListKeys kFullScaleKeys{"SampleChanParams", "FullValueCount", "FullValue%d", true};
constexpr ListKeys kBridgeKeys{"BridgeVoltage", "BridgeVoltageCount", "BridgeVoltage%d", false};

// The count of the list's section (the type's own when it lists the items
// and its sub-version matches) and, when it is at least 1, the items read.
int ReadList(const std::string& file, const ListKeys& keys, bool typeSection, int type,
             std::vector<CoefficientEntry>& list) {
    const std::string section =
        typeSection ? platform::Format("ChannelType%03d", type) : std::string(keys.defaultSection);
    const int count =
        CInstrumentIni::BoundItemCount(platform::GetPrivateProfileInt(section, keys.countKey, 0, file));
    if (count < 1)
        return count;
    list.clear();
    for (int i = 0; i < count; ++i) {
        char buffer[kItemBufferSize];
        platform::GetPrivateProfileString(section, platform::Format(keys.itemFormat, i), "", buffer,
                                          sizeof buffer, file);
        CoefficientEntry entry;
        if (ParseCoefficientItem(buffer, keys.requireEquals, entry))
            list.push_back(entry);
    }
    return count;
}

} // namespace

int ChannelCoefficients::BridgeRows() const {
    return std::clamp(nBridgeCount, 0, static_cast<int>(bridge.size()));
}

bool ParseCoefficientItem(const std::string& value, bool requireEquals, CoefficientEntry& entry) {
    const std::size_t comma = value.find(',');
    if (value.empty() || comma == std::string::npos)
        return false;
    const std::string rest = value.substr(comma + 1);
    const std::size_t equals = rest.find('=');
    if (equals == std::string::npos && requireEquals)
        return false;
    entry.strName = value.substr(0, comma);
    entry.nCode = std::atoi(equals == std::string::npos ? rest.c_str() : rest.c_str() + equals + 1);
    entry.fCoef = 1.0f;
    return true;
}

void RefreshChannelCoefficients(const std::string& instrumentFile, int channel, ICoefficientSource& source,
                                ChannelCoefficients& lists) {
    const int type = source.GetAcqChannelTypeID(channel);
    const int subVersion = source.GetChannelSubVersion(channel);
    CInstrumentIni ini;
    ini.SetFilePath(instrumentFile);
    const bool subVersionMatches = ini.MatchesSubVersion(type, subVersion);
    ReadList(instrumentFile, kFullScaleKeys, ini.GetTypeFullValueCount(type, -1) > 0 && subVersionMatches,
             type, lists.full);
    lists.nBridgeCount =
        ReadList(instrumentFile, kBridgeKeys,
                 ini.GetTypeBridgeVoltageCount(type, -1) > 0 && subVersionMatches, type, lists.bridge);
    for (CoefficientEntry& entry : lists.full)
        entry.fCoef = source.GetChannelFullCoief(channel, entry.nCode);
    for (int i = 0; i < lists.BridgeRows(); ++i)
        lists.bridge[std::size_t(i)].fCoef =
            source.GetChannelBrdgeVltCoief(channel, lists.bridge[std::size_t(i)].nCode);
    lists.current.fCoef = source.GetChannelCurrentPulsCoief(channel, 1);
}

int WriteCoefficientRows(CCommBase& comm, int channel, int kind, const std::vector<CoefficientRow>& rows,
                         const std::function<void()>& pause) {
    bool sent = false;
    for (const CoefficientRow& row : rows) {
        if (!row.bMarked || !row.bNamed)
            continue;
        if (sent && pause)
            pause(); // the case takes one coefficient at a time
        // The case takes the coefficient as the bits of the float.
        if (comm.SendCorrectionCoef(channel, kind, row.nCode, std::bit_cast<std::int32_t>(row.fCoef)) == 0)
            return 0;
        sent = true;
    }
    return 1;
}
