// The calibrator's files: the settings in CalibrateParam.ini (channel block,
// result-file options, port, point tables, test description), the lists and
// run settings it reads from the main program's QV7416.INI, the correction
// file correct.txt and the tab-separated ".xls" result with its name.
#pragma once

#include "calibrator/CalibrateData.h"
#include "calibrator/CalibrateTypes.h"
#include "platform/Time.h"

#include <cstdio>
#include <string>
#include <vector>

constexpr const char* kCalibrateParamFile = "CalibrateParam.ini";
constexpr const char* kCorrectFile = "correct.txt";
constexpr const char* kInstrumentSettingsFile = "QV7416.INI";

// ---- CalibrateParam.ini -------------------------------------------------
void LoadCalibrateParam(const std::string& path, CalibrateChannelParam& block);
void SaveCalibrateParam(const std::string& path, const CalibrateChannelParam& block);
void LoadDataFileOption(const std::string& path, DataFileOption& option);
void SaveDataFileOption(const std::string& path, const DataFileOption& option);
void LoadComParam(const std::string& path, int& port, int& baud);
void SaveComParam(const std::string& path, int port, int baud);
// The two point tables; the default strain table when the file is missing.
void LoadPointTables(const std::string& path, CalibrateData& data);
void SavePointTable(const std::string& path, int runType, const CalibratePointTable& table);
// Both tables, so that the next start finds what this one used (the default
// strain table included, which is otherwise never written).
void SavePointTables(const std::string& path, const CalibrateData& data);
void LoadDetectParam(const std::string& path, DetectParam& detect);
void SaveDetectParam(const std::string& path, const DetectParam& detect);

// ---- QV7416.INI -----------------------------------------------------------
std::vector<int> ReadFullValues(const std::string& path);
std::vector<int> ReadBridgeVoltages(const std::string& path);
CalibrationSettings ReadCalibrationSettings(const std::string& path);

// ---- correct.txt ----------------------------------------------------------
struct CorrectFileContent {
    int nCase = 0;
    int nModule = 0;
    std::array<float, kCalibrateChannels> coefs{};
    std::array<float, kCalibrateChannels> errors{};
    bool hasErrors = false; // the run had a maximum-error record
};
bool WriteCorrectFile(const std::string& path, const CorrectFileContent& content);
// Reads what the file holds over the content's values: each header line is
// followed by its values (fewer at the end of the file). False when the file
// is missing.
bool ReadCorrectFile(const std::string& path, CorrectFileContent& content);
// The content of the store's last run of the block's module.
CorrectFileContent CorrectContentOf(const CalibrateData& data, const CalibrateChannelParam& block);

// ---- results --------------------------------------------------------------
// "%4d-%02d-%02d %02d%02d%02d".
std::string ResultDateTimeText(const platform::LocalDateTime& t);
// The result path before any clash: folder, base name with its suffix, extension.
std::string ResultFilePath(const DataFileOption& option, const std::string& programFolder,
                           const platform::LocalDateTime& now);
// The suffix of multi-file naming ("" without it).
std::string ResultFileSuffix(const DataFileOption& option, const platform::LocalDateTime& now);
// Creates the file exclusively: the path, else with the date-time text added
// before the extension, else with a number after that. The created path is
// returned in createdPath; nullptr when none could be created.
std::FILE* CreateResultFile(const std::string& path, const platform::LocalDateTime& now,
                            std::string& createdPath);

// Texts of the result cells, shared by the ".xls" and the Word results.
std::string ChanTypeText(const CalibrateChannelParam& block);
std::string BridgeTypeText(const CalibrateChannelParam& block);
std::string RangeText(const CalibrateChannelParam& block);
std::string BridgeVoltageText(const CalibrateChannelParam& block);
std::string UserDefinedText(const CalibrateChannelParam& block);
std::string LeadRText(const CalibrateChannelParam& block);

using TextGrid = std::vector<std::vector<std::string>>;
// The result grid's texts for the tab (run type): 17 rows (heading and
// channels 1-16) by 23 columns (channel, points 0-20, maximum error).
TextGrid ResultGridTexts(const CalibrateData& data, int runType);
// The rows of the ".xls" result: the test description, the setup, then the grid.
TextGrid ResultSheetRows(const DetectParam& detect, const CalibrateChannelParam& block, const TextGrid& grid);
// Writes the rows as GBK text, each cell followed by a tab, each row by a line feed.
bool WriteResultRows(std::FILE* file, const TextGrid& rows);
