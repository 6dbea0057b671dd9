// Signal-selection rules.
#include "views/curve/SignalSelectRules.h"

#include "model/ChannelNaming.h"
#include "platform/Text.h"
#include "views/curve/ChannelPanelLayout.h"
#include "views/curve/CurveResults.h"
#include "views/curve/CurveWorld.h"

#include <algorithm>
#include <cstdlib>

namespace {

const char* const kThermalTexts[2] = {"热阻曲线Ⅰ", "热阻曲线Ⅱ"};
constexpr int kNotBalancedMark = 0x800001;

} // namespace

std::string PlotSignalText(int kind, int id, const CurveWorld& world) {
    switch (kind) {
    case 2:
        return platform::Format("应变花组_%d:", id) + ResultGroupName(world, kind, id);
    case 4:
        return platform::Format("残余应力组_%d:", id) + ResultGroupName(world, kind, id);
    case 6:
    case 7:
        return id == world.thermalCurveIds[1] ? kThermalTexts[1] : kThermalTexts[0];
    default:
        return CurveChannelLabel(id, world, false);
    }
}

int PlotSignalId(const std::string& text) {
    if (text.rfind("虚拟:", 0) == 0)
        return std::atoi(text.c_str() + std::string("虚拟:").size()) + 4095;
    if (text.rfind("数字:", 0) == 0)
        return std::atoi(text.c_str() + std::string("数字:").size()) + 4223;
    const std::size_t underscore = text.find('_');
    const std::size_t colon = text.find(':');
    if (underscore != std::string::npos && colon != std::string::npos && colon > underscore)
        return std::atoi(text.substr(underscore + 1, colon - underscore - 1).c_str());
    if (text.rfind("热阻曲线", 0) == 0)
        return 0;
    return ParseChannelName(text.substr(0, text.find('[')));
}

std::vector<std::string> AvailablePlotSignals(int kind, const std::vector<int>& chosen,
                                              const CurveWorld& world) {
    std::vector<std::string> texts;
    switch (kind) {
    case 1:
        for (int id : world.channelList) {
            if (id < 0 || id >= 4096)
                continue;
            const CurveChannelText& c = world.channels[std::size_t(id)];
            const bool balanced = !world.bBalanceResultsInUse || c.nZero != kNotBalancedMark;
            if (c.bEnabled && c.bPresent && c.nMeasureType != 20 && balanced)
                texts.push_back(PlotSignalText(1, id, world));
        }
        for (int n = 1; n <= int(world.virtualChannels.size()) && n <= 128; ++n)
            texts.push_back(PlotSignalText(1, 4095 + n, world));
        for (int n = 1; n <= int(world.digitalChannels.size()) && n <= 8; ++n)
            texts.push_back(PlotSignalText(1, 4223 + n, world));
        break;
    case 2:
        for (int n = 1; n <= int(world.rosetteGroupNames.size()); ++n)
            texts.push_back(PlotSignalText(2, n, world));
        break;
    case 4:
        for (int n = 1; n <= int(world.residualGroupNames.size()); ++n)
            texts.push_back(PlotSignalText(4, n, world));
        break;
    case 6: {
        const auto isChosen = [&](int id) {
            return std::find(chosen.begin(), chosen.end(), id) != chosen.end();
        };
        if (chosen.size() > 2)
            break;
        for (int k = 0; k < 2; ++k) {
            const int id = world.thermalCurveIds[k];
            if (chosen.empty() || !isChosen(id))
                texts.push_back(kThermalTexts[k]);
        }
        break;
    }
    default:
        break;
    }
    return texts;
}

std::vector<std::string> ReferenceSignalTexts(const CurveWorld& world) {
    std::vector<std::string> texts;
    for (int id : world.measChanList)
        if (id >= 0 && id < 4096)
            texts.push_back(PlotSignalText(1, id, world));
    for (int n = 1; n <= int(world.virtualChannels.size()) && n <= 128; ++n)
        texts.push_back(PlotSignalText(1, 4095 + n, world));
    for (int n = 1; n <= int(world.digitalChannels.size()) && n <= 8; ++n)
        texts.push_back(PlotSignalText(1, 4223 + n, world));
    return texts;
}

bool CanAddPlotSignals(int mode, int chosenCount, int adding, std::string& message) {
    if (mode == 3 || chosenCount + adding < kMaxPlotSignals + 1)
        return true;
    message = platform::Format("所选信号不能大于 %d 个 ! ", kMaxPlotSignals);
    return false;
}

PlotSignalCheck CheckPlotSignals(int mode, const std::vector<std::string>& chosen, bool withReference,
                                 const std::string& referenceText) {
    PlotSignalCheck check;
    const int count = int(chosen.size());
    if (count == 0) {
        check.message = "请至少选择一个信号 ! ";
        return check;
    }
    if (mode == 1 && count > kMaxPlotSignals) {
        check.message = platform::Format("普通绘图方式时所选信号不能大于 %d 个 ! ", kMaxPlotSignals);
        return check;
    }
    if (mode == 2 && count > kMaxPlotSignals) {
        check.message = platform::Format("XY绘图方式时所选信号不能大于 %d 个 ! ", kMaxPlotSignals);
        return check;
    }
    if (mode == 2 && !withReference && count % 2 != 0) {
        check.message = "XY时所选信号必须为2的倍数才能配对 ! ";
        return check;
    }
    if (mode == 3 && count < 2) {
        check.message = "分布显示时请至少选择2个测点!";
        check.exclamation = true;
        return check;
    }
    for (const std::string& text : chosen)
        check.ids.push_back(PlotSignalId(text));
    check.nRefId = check.ids.front();
    if (!referenceText.empty())
        check.nRefId = PlotSignalId(referenceText);
    if (mode == 2 && withReference &&
        std::find(check.ids.begin(), check.ids.end(), check.nRefId) != check.ids.end()) {
        check.message = "指定X或Y信号不能重复选作信号 ! ";
        return check;
    }
    check.ok = true;
    return check;
}
