// Numbers of the window messages between the acquisition side and the main
// frame. They are sent, the sender waiting for the frame, except those of a
// continuous run's set processing, which never waits for the windows: it
// posts its notices to them.
#pragma once

#include "platform/Message.h"

namespace sampling_msg {
using platform::UINT;
using platform::WM_USER;

constexpr UINT kSampleStatus = WM_USER + 1102;      // wParam kind, lParam SampleProgressRecord* or 0
constexpr UINT kSampleComplete = WM_USER + 1104;    // the run has ended
constexpr UINT kNewSampleSet = WM_USER + 1105;      // lParam: the three announce counters
constexpr UINT kBalanceRequest = WM_USER + 1110;    // wParam: request value (sampling bar)
constexpr UINT kSampleAverageStop = WM_USER + 1127; // wParam n, lParam per-unit arrays
constexpr UINT kSampleBatch = WM_USER + 1128;
constexpr UINT kSampleSingle = WM_USER + 1129;
constexpr UINT kSampleTimed = WM_USER + 1130;
constexpr UINT kSampleDigital = WM_USER + 1131;
constexpr UINT kLeadResults = WM_USER + 1132;
constexpr UINT kSelfTestResults = WM_USER + 1133;
constexpr UINT kLeadApplied = WM_USER + 1134;
constexpr UINT kParamsSet = WM_USER + 1139;
constexpr UINT kStatusText = WM_USER + 1143; // wParam: const std::string*, lParam: status pane
constexpr UINT kBalanceFinished = WM_USER + 1201;
constexpr UINT kContinuousSample = WM_USER + 1211;
constexpr UINT kViewRefresh = WM_USER + 1212;
constexpr UINT kClearChannelZero = WM_USER + 1207; // wParam: channel id
constexpr UINT kOpenSampleFiles = WM_USER + 1230;
constexpr UINT kCloseSampleFiles = WM_USER + 1232;
constexpr UINT kDownloadParams = WM_USER + 1233; // wParam: const std::vector<int>* channel list
constexpr UINT kProgressShow = WM_USER + 1234;
constexpr UINT kProgressStep = WM_USER + 1235;     // wParam: seconds elapsed
constexpr UINT kStoreSampleSet = WM_USER + 1238;   // wParam status record, lParam sample set
constexpr UINT kStoreMergedBlock = WM_USER + 1239; // wParam n, lParam per-position arrays of queued blocks
constexpr UINT kBalanceDone = WM_USER + 1241;
constexpr UINT kResendChannelParams = WM_USER + 1246;
constexpr UINT kBalanceDataReady = WM_USER + 1247;
constexpr UINT kLinkZeroSet = WM_USER + 1279;   // the handler returns 1 when it took the set
constexpr UINT kLinkSampleSet = WM_USER + 1280; // likewise
constexpr UINT kLinkRunEnded = WM_USER + 1281;  // wParam: the run's message
constexpr UINT kBatchDone = WM_USER + 1283;
constexpr UINT kShowLiveSets = WM_USER + 1290; // processed sets wait for the views
constexpr UINT kShowAlarmList = 0x8fb;
constexpr UINT kAlarmCheck = 0x8fc; // lParam: frame-ordered values
} // namespace sampling_msg
