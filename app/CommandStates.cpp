// The main frame's command-state rules and menu removals.
#include "app/CommandStates.h"

#include <algorithm>

namespace {

constexpr int kMaxSpectrumWindows = 8;
constexpr int kMaxWindows = 16;

CommandStateResult Enabled(bool enabled) {
    CommandStateResult result;
    result.bHandled = true;
    result.bEnabled = enabled;
    return result;
}

CommandStateResult Checked(bool checked) {
    CommandStateResult result;
    result.bHandled = true;
    result.bChecked = checked;
    return result;
}

bool HoldsData(const FrameCommandState& s) {
    return s.nProjectState == 2 || s.nProjectState == 3;
}

bool RunActive(const FrameCommandState& s) {
    return s.bSampling || s.bPaused;
}

CommandStateResult RealtimeSaving(int id, const FrameCommandState& s) {
    CommandStateResult result;
    result.bHandled = true;
    result.bSetEnabled = s.bSampling;
    result.bEnabled = s.nSampleMode != 1;
    result.bChecked = id == 32868 && s.bSaveRealtimeData == 0;
    return result;
}

CommandStateResult SpectrumToggle(const FrameCommandState& s) {
    if (!s.bSoftwareSpectrum) {
        CommandStateResult result = Enabled(false);
        result.bRemoveFromMenu = true;
        return result;
    }
    CommandStateResult result = Enabled(!s.bSampling);
    result.bChecked = s.nSpectrumFlag == 1;
    return result;
}

CommandStateResult StyleCheck(int id, const FrameCommandState& s) {
    const FrameStyle* style = FrameStyleOfCommand(id);
    return Checked(style && style->nDockingTheme == s.nDockingTheme);
}

} // namespace

CommandStateResult GetFrameCommandState(int id, const FrameCommandState& s) {
    switch (id) {
    case 32822: // 显示平衡状态
    case 32823: // 显示平衡结果
        return Enabled(s.bBalanceResultsInUse);
    case 32844: // 数据修正
        return Enabled(HoldsData(s) && s.nMeasuredChannels > 0);
    case 32824: // 显示测量数据
        return Enabled(s.nStoredDataCount > 0 || s.nRelatedDataCount > 0);
    case 32825: // 显示应变花值
        return Enabled(s.nStoredDataCount > 0 && s.nRosetteGroups > 0);
    case 32826: // 显示历史数据
    case 32833: // 数据同步
        return Enabled(s.nStoredDataCount > 0);
    case 32830: // 另存为 text, bitmap, Excel, MATLAB
    case 32846:
    case 32847:
    case 32887:
        return Enabled(!s.bSampling && HoldsData(s));
    case 32799: // 数据定位
        return Enabled(!s.bDataLocateVisible && !RunActive(s));
    case 32819: // 页面设置
    case 57600: // 新建项目
    case 57601: // 打开项目
        return Enabled(!RunActive(s));
    case 32866: // 实时数据存盘
    case 32868: // 实时数据不存盘
        return RealtimeSaving(id, s);
    case 32934: { // 理论值设置
        CommandStateResult result = Enabled(false);
        result.bRemoveFromMenu = true;
        return result;
    }
    case 32938: // 频谱曲线
        return Enabled(s.bSoftwareSpectrum && s.nSpectrumFlag == 1 &&
                       s.nSpectrumWindows < kMaxSpectrumWindows &&
                       s.nSpectrumWindows + s.nDataWindows < kMaxWindows);
    case 32945: // 频谱分析
        return SpectrumToggle(s);
    case 32794: // 检测机箱
        return Enabled(!RunActive(s) && s.bCanStartSample && s.bListenerReady);
    case 32901: // 模块信息
        return Checked(s.bModuleInfoVisible);
    case 32903: // 修正系数设置
        return Enabled(s.bSoftwareDebug && !RunActive(s) && s.bCasesFound);
    case 32929: // 控制器映射
    case 32896: // 网络参数
        return Enabled(!RunActive(s) && s.bNetworkInterface && s.nConnectionCount > 0);
    case 32812: // 图形属性栏
        return Checked(s.bGraphBarVisible);
    case 32814: // 采样控制栏
        return Checked(s.bSampleControlBarVisible);
    case 32828: // 通道参数栏
        return Checked(s.bChannelPaneOpen);
    case 32776: // 采样参数栏
        return Checked(s.bSampleParamPaneOpen);
    case 32907:
    case 32908:
    case 32909:
    case 32910:
    case 32911:
        return StyleCheck(id, s);
    default:
        return {};
    }
}

const std::vector<FrameStyle>& FrameStyles() {
    static const std::vector<FrameStyle> styles = {
        {32909, 0, 0, 1}, // Office XP
        {32907, 1, 1, 0}, // Office 2000
        {32908, 2, 2, 5}, // Office 2003
        {32910, 3, 3, 6}, // Windows XP
        {32911, 4, 4, 7}, // Visual Studio 2005
    };
    return styles;
}

const FrameStyle& FrameStyleOf(int style) {
    const auto& styles = FrameStyles();
    const auto it = std::find_if(styles.begin(), styles.end(),
                                 [style](const FrameStyle& s) { return s.nStyle == style; });
    return it != styles.end() ? *it : styles.back();
}

const FrameStyle* FrameStyleOfCommand(int command) {
    for (const FrameStyle& style : FrameStyles()) {
        if (style.nCommand == command)
            return &style;
    }
    return nullptr;
}

std::vector<MenuRemoval> MenuRemovals(const MenuPruneOptions& o) {
    std::vector<MenuRemoval> removals = {{32843, 1}, {32882, 0}};
    if (!o.bDigitalUsed)
        removals.push_back({32889, 0});
    const MenuRemoval never[] = {{32862, 0},  {32883, -1}, {32890, 0}, {32891, 0}, {32895, -1},
                                 {32897, -1}, {32893, 0},  {32898, 0}, {32899, 0}};
    removals.insert(removals.end(), std::begin(never), std::end(never));
    if (!o.bSoftwareDebug)
        removals.push_back({32903, 0});
    const MenuRemoval unused[] = {{32904, 1}, {32932, 0}, {32936, 0}, {32940, 0}, {32942, 0}};
    removals.insert(removals.end(), std::begin(unused), std::end(unused));
    if (!o.bProgrammedStrain)
        removals.push_back({32948, 0});
    const MenuRemoval links[] = {{32958, 0}, {32957, 0}, {32954, 0}, {32953, -1}, {32955, 0}, {32961, 0}};
    removals.insert(removals.end(), std::begin(links), std::end(links));
    if (o.bDigitalLibraryLoaded)
        removals.push_back({32889, 0});
    return removals;
}

bool RemoveDigitalChannelSubmenu(const MenuPruneOptions& o) {
    return !o.bDigitalLibraryLoaded || !o.bDigitalUsed;
}
