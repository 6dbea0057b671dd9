#include "calibrator/CalibrateFiles.h"

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace {

// More entries than any point section or list can sensibly hold.
constexpr int kMaxListEntries = 1024;

using platform::Format;
using platform::GetPrivateProfileInt;
using platform::GetPrivateProfileString;
using platform::WritePrivateProfileString;

std::string FormatInt(int value) {
    return Format("%d", value);
}

float ProfileFloat(const char* section, const std::string& key, const char* fallback,
                   const std::string& path) {
    const std::string text = GetPrivateProfileString(section, key, fallback, path);
    return static_cast<float>(std::atof(text.c_str()));
}

// The integer before the first comma of the key's text.
int LeadingInt(const std::string& text) {
    return std::atoi(text.substr(0, text.find(',')).c_str());
}

const char* PointSection(int runType) {
    return runType == CHAN_TYPE_VOLTAGE ? "VoltageCalibrateParam" : "StrainCalibrateParam";
}
const char* PointPrefix(int runType) {
    return runType == CHAN_TYPE_VOLTAGE ? "VoltageCalibrate" : "StrainCalibrate";
}

CalibratePointTable ReadPointSection(const std::string& path, int runType) {
    const std::string prefix = PointPrefix(runType);
    const char* section = PointSection(runType);
    const int count = std::min(GetPrivateProfileInt(section, prefix + "Count", 0, path), kMaxListEntries);
    CalibratePointTable table;
    for (int i = 0; i < count; ++i) {
        const int index = GetPrivateProfileInt(section, prefix + Format("Index%d", i), -1, path);
        if (index < 0 || index >= kCalibratePoints)
            continue;
        table[index] = ProfileFloat(section, prefix + Format("Value%d", i), "0", path);
    }
    return table;
}

struct DetectKey {
    const char* key;
    std::string DetectParam::*field;
};
const DetectKey kDetectKeys[] = {
    {"DetectedName", &DetectParam::DetectedName}, {"DetectedNumber", &DetectParam::DetectedNumber},
    {"DetectName", &DetectParam::DetectName},     {"DetectNumber", &DetectParam::DetectNumber},
    {"DetectPerson", &DetectParam::DetectPerson}, {"Corrector", &DetectParam::Corrector},
    {"Assessor", &DetectParam::Assessor},         {"Date", &DetectParam::Date},
};

std::string NumberText(float value, int decimals) {
    if (!std::isfinite(value))
        return "";
    return Format("%.*f", decimals, static_cast<double>(value));
}

std::string DateText(const DataFileOption& option, const platform::LocalDateTime& t) {
    switch (option.DateIndex) {
    case 1:
        return Format("%4d%02d%02d", t.year, t.month, t.day);
    case 2:
        return Format("%02d_%02d_%4d", t.month, t.day, t.year);
    case 3:
        return Format("%02d%02d%4d", t.month, t.day, t.year);
    case 4:
        return Format("%02d_%02d_%4d", t.day, t.month, t.year);
    case 5:
        return Format("%02d%02d%4d", t.day, t.month, t.year);
    default:
        return Format("%4d_%02d_%02d", t.year, t.month, t.day);
    }
}

std::string TimeText(const DataFileOption& option, const platform::LocalDateTime& t) {
    switch (option.TimeIndex) {
    case 1:
        return Format("%02d_%02d_%02d", t.hour, t.minute, t.second);
    case 2:
        return Format("%02d%02d%02d", t.second, t.minute, t.hour);
    case 3:
        return Format("%02d_%02d_%02d", t.second, t.minute, t.hour);
    default:
        return Format("%02d%02d%02d", t.hour, t.minute, t.second);
    }
}

std::FILE* CreateExclusive(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr)
        ::close(fd);
    return file;
}

} // namespace

// ---- CalibrateParam.ini -------------------------------------------------

void LoadCalibrateParam(const std::string& path, CalibrateChannelParam& block) {
    const char* s = "CalibrateParam";
    block.ChanType = GetPrivateProfileInt(s, "ChanType", 0, path) == CHAN_TYPE_VOLTAGE ? CHAN_TYPE_VOLTAGE
                                                                                       : CHAN_TYPE_STRAIN;
    block.BridgeType = std::clamp(GetPrivateProfileInt(s, "BridgeType", 0, path), 0, 2);
    block.MeasureRange = GetPrivateProfileInt(s, "MeasureRange", 0, path);
    block.BridgeVoltage = GetPrivateProfileInt(s, "BridgeVoltage", 2, path);
    block.UserDefined = GetPrivateProfileInt(s, "UserDefined", 0, path) != 0 ? 1 : 0;
    block.LeadR = ProfileFloat(s, "LeadR", "", path);
}

void SaveCalibrateParam(const std::string& path, const CalibrateChannelParam& block) {
    const char* s = "CalibrateParam";
    WritePrivateProfileString(s, "ChanType", FormatInt(block.ChanType), path);
    WritePrivateProfileString(s, "BridgeType", FormatInt(block.BridgeType), path);
    WritePrivateProfileString(s, "MeasureRange", FormatInt(block.MeasureRange), path);
    WritePrivateProfileString(s, "BridgeVoltage", FormatInt(block.BridgeVoltage), path);
    WritePrivateProfileString(s, "UserDefined", FormatInt(block.UserDefined), path);
    WritePrivateProfileString(s, "LeadR", Format("%.3f", static_cast<double>(block.LeadR)), path);
}

void LoadDataFileOption(const std::string& path, DataFileOption& option) {
    const char* s = "DataFileOption";
    char name[16];
    GetPrivateProfileString(s, "FileName", "", name, sizeof name, path);
    option.FileName = name;
    char folder[260];
    GetPrivateProfileString(s, "FilePath", "", folder, sizeof folder, path);
    option.FilePath = folder;
    option.SaveMode = GetPrivateProfileInt(s, "SaveMode", 0, path);
    option.SaveType = GetPrivateProfileInt(s, "SaveType", 0, path);
    option.Multifile = GetPrivateProfileInt(s, "Multifile", 0, path) != 0;
    option.DateStoring = GetPrivateProfileInt(s, "DateStoring", 0, path) != 0;
    option.DateIndex = std::clamp(GetPrivateProfileInt(s, "DateIndex", 0, path), 0, 5);
    option.TimeStoring = GetPrivateProfileInt(s, "TimeStoring", 0, path) != 0;
    option.TimeIndex = std::clamp(GetPrivateProfileInt(s, "TimeIndex", 0, path), 0, 3);
    option.NumStoring = GetPrivateProfileInt(s, "NumStoring", 0, path) != 0;
    option.StartNum = GetPrivateProfileInt(s, "StartNum", 0, path);
}

void SaveDataFileOption(const std::string& path, const DataFileOption& option) {
    const char* s = "DataFileOption";
    WritePrivateProfileString(s, "FileName", option.FileName, path);
    WritePrivateProfileString(s, "FilePath", option.FilePath, path);
    WritePrivateProfileString(s, "SaveMode", FormatInt(option.SaveMode), path);
    WritePrivateProfileString(s, "SaveType", FormatInt(option.SaveType), path);
    WritePrivateProfileString(s, "Multifile", FormatInt(option.Multifile), path);
    WritePrivateProfileString(s, "DateStoring", FormatInt(option.DateStoring), path);
    WritePrivateProfileString(s, "DateIndex", FormatInt(option.DateIndex), path);
    WritePrivateProfileString(s, "TimeStoring", FormatInt(option.TimeStoring), path);
    WritePrivateProfileString(s, "TimeIndex", FormatInt(option.TimeIndex), path);
    WritePrivateProfileString(s, "NumStoring", FormatInt(option.NumStoring), path);
    WritePrivateProfileString(s, "StartNum", FormatInt(option.StartNum), path);
}

void LoadComParam(const std::string& path, int& port, int& baud) {
    port = GetPrivateProfileInt("ComParam", "ComPort", 1, path);
    baud = GetPrivateProfileInt("ComParam", "BaudRate", 19200, path);
}

void SaveComParam(const std::string& path, int port, int baud) {
    WritePrivateProfileString("ComParam", "ComPort", FormatInt(port), path);
    WritePrivateProfileString("ComParam", "BaudRate", FormatInt(baud), path);
}

void LoadPointTables(const std::string& path, CalibrateData& data) {
    if (!platform::FileExists(path)) {
        data.SetPointTable(CHAN_TYPE_STRAIN, DefaultStrainPointTable());
        data.SetPointTable(CHAN_TYPE_VOLTAGE, {});
        return;
    }
    data.SetPointTable(CHAN_TYPE_STRAIN, ReadPointSection(path, CHAN_TYPE_STRAIN));
    data.SetPointTable(CHAN_TYPE_VOLTAGE, ReadPointSection(path, CHAN_TYPE_VOLTAGE));
}

void SavePointTable(const std::string& path, int runType, const CalibratePointTable& table) {
    const std::string prefix = PointPrefix(runType);
    const char* section = PointSection(runType);
    platform::ProfileWriteDeferral deferral;
    platform::DeletePrivateProfileSection(section, path);
    WritePrivateProfileString(section, prefix + "Count", FormatInt(static_cast<int>(table.size())), path);
    int i = 0;
    for (const auto& [point, value] : table) {
        WritePrivateProfileString(section, prefix + Format("Index%d", i), FormatInt(point), path);
        WritePrivateProfileString(section, prefix + Format("Value%d", i),
                                  Format("%.f", static_cast<double>(value)), path);
        ++i;
    }
}

void SavePointTables(const std::string& path, const CalibrateData& data) {
    platform::ProfileWriteDeferral deferral;
    for (const int runType : {CHAN_TYPE_STRAIN, CHAN_TYPE_VOLTAGE})
        SavePointTable(path, runType, data.PointTable(runType));
}

void LoadDetectParam(const std::string& path, DetectParam& detect) {
    for (const DetectKey& entry : kDetectKeys) {
        char text[64];
        GetPrivateProfileString("DetectParam", entry.key, "", text, sizeof text, path);
        detect.*entry.field = text;
    }
}

void SaveDetectParam(const std::string& path, const DetectParam& detect) {
    platform::ProfileWriteDeferral deferral;
    for (const DetectKey& entry : kDetectKeys)
        WritePrivateProfileString("DetectParam", entry.key, detect.*entry.field, path);
}

// ---- QV7416.INI -----------------------------------------------------------

std::vector<int> ReadFullValues(const std::string& path) {
    const int count =
        std::min(GetPrivateProfileInt("SampleChanParams", "FullValueCount", 0, path), kMaxListEntries);
    std::vector<int> values;
    for (int i = 0; i < count; ++i) {
        const std::string text =
            GetPrivateProfileString("SampleChanParams", Format("FullValue%d", i), "", path);
        if (text.empty())
            break;
        values.push_back(text.find(',') == std::string::npos ? 0 : LeadingInt(text));
    }
    return values;
}

std::vector<int> ReadBridgeVoltages(const std::string& path) {
    const int count =
        std::min(GetPrivateProfileInt("BridgeVoltage", "BridgeVoltageCount", 0, path), kMaxListEntries);
    std::vector<int> values;
    for (int i = 0; i < count; ++i) {
        const std::string text =
            GetPrivateProfileString("BridgeVoltage", Format("BridgeVoltage%d", i), "", path);
        if (text.empty())
            break;
        const std::size_t comma = text.find(',');
        values.push_back(
            std::atoi((comma == std::string::npos || comma == 0 ? text : text.substr(0, comma)).c_str()));
    }
    return values;
}

CalibrationSettings ReadCalibrationSettings(const std::string& path) {
    const char* s = "Calibration";
    CalibrationSettings settings;
    settings.StandardLeadR = ProfileFloat(s, "StandardLeadR", "", path);
    settings.SteadySleep = GetPrivateProfileInt(s, "SteadySleep", 1000, path);
    settings.Standing = GetPrivateProfileInt(s, "Standing", -1, path);
    settings.ErrorPrompt = GetPrivateProfileInt(s, "ErrorPrompt", 0, path) != 0;
    settings.ErrorGetTimes = GetPrivateProfileInt(s, "ErrorGetTimes", 3, path);
    settings.ExceptionPercent = GetPrivateProfileInt(s, "ExceptionPercent", 20, path);
    settings.ErrorCorrect = GetPrivateProfileInt(s, "ErrorCorrect", 0, path) != 0;
    settings.ErrorPercent = ProfileFloat(s, "ErrorPercent", "0.05", path);
    settings.CalibrateType = GetPrivateProfileInt(s, "CalibrateType", 1, path);
    return settings;
}

// ---- correct.txt ----------------------------------------------------------

bool WriteCorrectFile(const std::string& path, const CorrectFileContent& content) {
    platform::TextFileWriter writer;
    if (!writer.Open(path))
        return false;
    bool ok = writer.WriteLine("机号") && writer.WriteLine(FormatInt(content.nCase + 1)) &&
              writer.WriteLine("模块") && writer.WriteLine(FormatInt(content.nModule + 1)) &&
              writer.WriteLine("非线性");
    for (float coef : content.coefs)
        ok = ok && writer.WriteLine(Format("%.6f", static_cast<double>(coef)));
    if (content.hasErrors) {
        ok = ok && writer.WriteLine("误差");
        for (float error : content.errors)
            ok = ok && writer.WriteLine(Format("%.4f", static_cast<double>(error)));
    }
    return writer.Close() && ok;
}

bool ReadCorrectFile(const std::string& path, CorrectFileContent& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(platform::GbkToUtf8(line));
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& head = lines[i];
        const bool hasNext = i + 1 < lines.size();
        if (head == "机号" && hasNext) {
            content.nCase = std::atoi(lines[i + 1].c_str()) - 1;
        } else if (head == "模块" && hasNext) {
            content.nModule = std::atoi(lines[i + 1].c_str()) - 1;
        } else if (head == "非线性" || head == "误差") {
            auto& values = head == "误差" ? content.errors : content.coefs;
            std::size_t k = 0;
            for (; k < values.size() && i + 1 + k < lines.size(); ++k)
                values[k] = static_cast<float>(std::atof(lines[i + 1 + k].c_str()));
            if (head == "误差" && k > 0)
                content.hasErrors = true;
            i += k;
        }
    }
    return true;
}

CorrectFileContent CorrectContentOf(const CalibrateData& data, const CalibrateChannelParam& block) {
    CorrectFileContent content;
    content.nCase = block.nCase;
    content.nModule = block.nModule;
    content.coefs = data.Coefficients();
    const CalibrateResultTable results = data.Results(data.RunType());
    const auto maxRecord = results.find(kMaxErrorKey);
    if (maxRecord != results.end()) {
        content.errors = maxRecord->second.fValues;
        content.hasErrors = true;
    }
    return content;
}

// ---- results --------------------------------------------------------------

std::string ResultDateTimeText(const platform::LocalDateTime& t) {
    return Format("%4d-%02d-%02d %02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string ResultFileSuffix(const DataFileOption& option, const platform::LocalDateTime& now) {
    if (!option.Multifile)
        return "";
    const std::string date = option.DateStoring ? "_" + DateText(option, now) : "";
    if (option.NumStoring)
        return date + Format("_%04d", option.StartNum);
    if (option.TimeStoring)
        return date + "_" + TimeText(option, now);
    return date;
}

std::string ResultFilePath(const DataFileOption& option, const std::string& programFolder,
                           const platform::LocalDateTime& now) {
    std::string folder = option.FilePath.empty() ? programFolder : option.FilePath;
    std::string base = option.FileName.empty() ? ResultDateTimeText(now) : option.FileName;
    // The name is one file in the folder, never a path of its own.
    std::replace(base.begin(), base.end(), '/', '_');
    return platform::JoinPath(folder, base + ResultFileSuffix(option, now) +
                                          (option.SaveType != 0 ? ".docx" : ".xls"));
}

std::FILE* CreateResultFile(const std::string& path, const platform::LocalDateTime& now,
                            std::string& createdPath) {
    createdPath.clear();
    if (std::FILE* file = CreateExclusive(path)) {
        createdPath = path;
        return file;
    }
    if (errno != EEXIST)
        return nullptr;
    const std::string extension = platform::ExtensionOf(path);
    const std::string stem = path.substr(0, path.size() - extension.size()) + ResultDateTimeText(now);
    for (int n = 0; n < 1000; ++n) {
        const std::string candidate = stem + (n == 0 ? "" : Format("_%d", n)) + extension;
        if (std::FILE* file = CreateExclusive(candidate)) {
            createdPath = candidate;
            return file;
        }
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

std::string ChanTypeText(const CalibrateChannelParam& block) {
    return block.ChanType == CHAN_TYPE_VOLTAGE ? "电压" : "应变";
}

std::string BridgeTypeText(const CalibrateChannelParam& block) {
    if (block.ChanType == CHAN_TYPE_VOLTAGE)
        return "--";
    static const char* const names[] = {"全桥", "半桥", "1/4桥"};
    return block.BridgeType >= 0 && block.BridgeType <= 2 ? names[block.BridgeType] : "--";
}

std::string RangeText(const CalibrateChannelParam& block) {
    if (block.ChanType == CHAN_TYPE_VOLTAGE)
        return Format("%dmV", block.MeasureRange);
    return Format("%lldμε", static_cast<long long>(block.MeasureRange) * 1000);
}

std::string BridgeVoltageText(const CalibrateChannelParam& block) {
    return block.ChanType == CHAN_TYPE_VOLTAGE ? "--" : Format("%dV", block.BridgeVoltage);
}

std::string UserDefinedText(const CalibrateChannelParam& block) {
    return block.UserDefined ? "是" : "否";
}

std::string LeadRText(const CalibrateChannelParam& block) {
    return Format("%.2fΩ", static_cast<double>(block.LeadR));
}

TextGrid ResultGridTexts(const CalibrateData& data, int runType) {
    TextGrid grid(kCalibrateChannels + 1, std::vector<std::string>(kCalibratePoints + 2));
    const CalibratePointTable points = data.PointTable(runType);
    const CalibrateResultTable results = data.Results(runType);
    const std::vector<int> channels = data.ChannelList();
    const int decimals = runType == CHAN_TYPE_VOLTAGE ? 2 : 0;
    grid[0][0] = "通道";
    for (const auto& [point, value] : points)
        grid[0][static_cast<std::size_t>(point) + 1] = Format("%.f", static_cast<double>(value));
    grid[0][kCalibratePoints + 1] = "最大误差";
    for (int c = 0; c < kCalibrateChannels; ++c) {
        const bool selected = std::find(channels.begin(), channels.end(), c) != channels.end();
        grid[static_cast<std::size_t>(c) + 1][0] = Format("%s %d", selected ? "√" : "×", c + 1);
    }
    for (const auto& [point, record] : results) {
        const bool errors = point == kMaxErrorKey;
        if (point < 0 || point > kMaxErrorKey)
            continue;
        for (int c = 0; c < kCalibrateChannels; ++c)
            grid[static_cast<std::size_t>(c) + 1][static_cast<std::size_t>(point) + 1] =
                NumberText(record.fValues[static_cast<std::size_t>(c)], errors ? 4 : decimals);
    }
    return grid;
}

TextGrid ResultSheetRows(const DetectParam& detect, const CalibrateChannelParam& block,
                         const TextGrid& grid) {
    TextGrid rows;
    rows.push_back({"被检设备名称", detect.DetectedName, "被检设备编号", detect.DetectedNumber,
                    "被检仪器名称", detect.DetectName, "被检仪器编号", detect.DetectNumber, "检定人员",
                    detect.DetectPerson, "校对", detect.Corrector, "审核", detect.Assessor, "日期",
                    detect.Date});
    rows.push_back({"机号", FormatInt(block.nCase + 1), "模块", FormatInt(block.nModule + 1), "通道类型",
                    ChanTypeText(block), "桥路方式", BridgeTypeText(block), "量程范围", RangeText(block),
                    "激励电压", BridgeVoltageText(block), "自定义信号线", UserDefinedText(block), "导线电阻",
                    block.UserDefined ? LeadRText(block) : "--"});
    for (std::size_t r = 0; r < grid.size(); ++r) {
        std::vector<std::string> row = grid[r];
        if (!row.empty())
            row[0] = r == 0 ? "" : FormatInt(static_cast<int>(r));
        rows.push_back(std::move(row));
    }
    return rows;
}

bool WriteResultRows(std::FILE* file, const TextGrid& rows) {
    std::string text;
    for (const auto& row : rows) {
        for (const std::string& cell : row)
            text += cell + "\t";
        text += "\n";
    }
    const std::string gbk = platform::Utf8ToGbk(text);
    return std::fwrite(gbk.data(), 1, gbk.size(), file) == gbk.size();
}
