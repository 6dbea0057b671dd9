// Shared by the channel-model tests: a scratch folder, INI files written as
// the program finds them (GBK, CRLF), and a reset of the process-wide tables.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ScratchFolder.h"
#include "model/CaseTables.h"
#include "model/ChannelDefaults.h"
#include "model/ChannelRecords.h"
#include "model/ValueConversion.h"
#include "platform/Profile.h"
#include "platform/Text.h"

// Writes UTF-8 text with "\n" lines as a GBK file with CRLF lines.
inline void WriteIniFile(const std::string& path, const std::string& text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    std::ofstream(path, std::ios::binary) << platform::Utf8ToGbk(crlf);
    platform::FlushProfileCache();
}

// Program-start state of the tables and settings, then the factory defaults
// of every channel record.
inline void ResetChannelModel() {
    ResetCaseTables();
    ClearChannelRecords();
    g_nADBase = 20000;
    g_nRefChanOffset = -1;
    g_bGNDInputMode = false;
    std::fill(std::begin(g_fChannelOffset), std::end(g_fChannelOffset), 0.0f);
    ResetChannelRecords();
}

// Brings cases online as a case search would.
inline void SetOnlineCases(std::initializer_list<int> cases) {
    std::int32_t online[MAX_CASE_COUNT] = {};
    for (int c : cases) {
        online[c] = 1;
    }
    BuildCaseTablesFromOnlineFlags(online);
}
