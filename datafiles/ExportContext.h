// What the exports of stored data need of the main frame: the run's files and
// arrangement, the channel conversions and texts, the digital channel table,
// the derived-result groups, the sampling settings and the file dialog.
#pragma once

#include "datafiles/ChannelTable.h"
#include "datafiles/OnlineLayout.h"

#include <functional>
#include <string>
#include <vector>

// One record of the digital channel table; its position in the table is the
// index of its float in the digital data file's records.
struct DigitalChannelEntry {
    int nId = 0;
    std::string strName;
};

// The file dialog: type 0 text, 1 spreadsheet, 3 MATLAB; fills folder,
// title and extension, and returns 0 when the user cancels.
using AskExportFileNameFn =
    std::function<int(int type, std::string& folder, std::string& title, std::string& extension)>;

struct ExportContext {
    ExportContext(const OnlineLayout& layout_, const IChannelTable& channels_)
        : layout(layout_), channels(channels_) {}

    const OnlineLayout& layout;
    const IChannelTable& channels;
    std::string dataPath;    // the run's ".dat"
    std::string statusPath;  // the run's ".stu"
    std::string digitalPath; // the run's ".dst"
    int nSamplingMode = 0;   // 2 continuous
    float fSamplingFrequency = 0.0f;
    std::vector<DigitalChannelEntry> digitalChannels;
    std::function<std::string(int)> channelDescription; // "测点描述" of a measurement channel
    std::function<std::string(int)> virtualChannelTag;  // tag of virtual channel n (from 1)
    std::vector<std::string> residualGroupNames;        // by group index
    std::vector<int> rosetteGroupTypes;                 // by group index
    AskExportFileNameFn askExportFileName;
    // Told what was written and where after an export succeeded (the status bar).
    std::function<void(const std::string& what, const std::string& path)> reportWritten;
    std::string strAppTitle;
    // The MATLAB writer library, loaded by name (program folder first).
    std::string strMatLibrary = "libQVMat32.so";
    // Values the MATLAB export holds at once: a piece of samples of every
    // exported channel is read and written at a time.
    std::size_t nMatPieceValues = std::size_t(1) << 20;

    std::string Description(int channel) const {
        return channelDescription ? channelDescription(channel) : "";
    }
    std::string VirtualTag(int n) const { return virtualChannelTag ? virtualChannelTag(n) : ""; }
    // Position of a digital identifier in the table, -1 when absent.
    int DigitalPosition(int id) const {
        for (std::size_t i = 0; i < digitalChannels.size() && i < 8; ++i)
            if (digitalChannels[i].nId == id)
                return int(i);
        return -1;
    }
};
