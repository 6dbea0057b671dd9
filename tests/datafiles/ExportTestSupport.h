// Shared set-up of the export tests: a stored run in a temporary folder, the
// export context around it with a file dialog that answers with a chosen
// name, and the output read back from GBK with its CRLF line ends checked.
#pragma once

#include "RunWriter.h"
#include "datafiles/ExportContext.h"
#include "datafiles/SaveDataOptions.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace exporttest {

// The file as UTF-8 text with "\n" line ends; fails the test on a bare LF.
inline std::string ReadText(const std::string& path) {
    const std::vector<char> bytes = testrun::ReadBytes(path);
    std::string text(bytes.begin(), bytes.end());
    std::string lf;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << path << " has a line without CR at byte " << i;
        }
        if (text[i] != '\r')
            lf += text[i];
    }
    return platform::GbkToUtf8(lf);
}

inline std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::string text = ReadText(path);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

inline std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t end; (end = line.find('\t', start)) != std::string::npos; start = end + 1) {
        std::string cell = line.substr(start, end - start);
        cell.erase(cell.find_last_not_of(' ') + 1);
        cells.push_back(cell);
    }
    return cells;
}

inline std::vector<std::string> Files(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ExportFixture : public ::testing::Test {
protected:
    ExportFixture() { std::filesystem::create_directories(OutFolder()); }

    // Export options over the given channels (or result groups) in a file layout.
    static SaveDataOptions Options(const std::vector<int>& entries, int layout = 1) {
        SaveDataOptions options;
        options.nFileLayout = layout;
        for (int entry : entries)
            options.nChannels[options.nChannelCount++] = entry;
        return options;
    }

    std::string OutFolder() const { return dir.Path() + "/out"; }
    std::string Out(const std::string& name) const { return OutFolder() + "/" + name; }

    // Writes the run and builds the context over it.
    ExportContext& Context(const testrun::RunSpec& spec) {
        writer = std::make_unique<testrun::RunWriter>(spec);
        writer->Write();
        layout = writer->Layout();
        context = std::make_unique<ExportContext>(layout, table);
        context->dataPath = writer->DataPath();
        context->statusPath = writer->StatusPath();
        context->digitalPath = spec.folder + "/" + spec.name + ".dst";
        context->strAppTitle = "QV";
        context->channelDescription = [](int channel) { return "测点" + std::to_string(channel); };
        context->virtualChannelTag = [](int n) { return "虚拟标签" + std::to_string(n); };
        context->askExportFileName = [this](int type, std::string& folder, std::string& title,
                                            std::string& ext) {
            ++asked;
            lastType = type;
            if (cancel)
                return 0;
            folder = OutFolder();
            title = chosenTitle;
            ext = type == 0 ? "txt" : type == 1 ? "xls" : "mat";
            return 1;
        };
        return *context;
    }

    void WriteFloats(const std::string& path, const std::vector<float>& values) const {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(values.data(), sizeof(float), values.size(), f);
        std::fclose(f);
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& record : boxes.Records())
            texts.push_back(record.text);
        return texts;
    }

    testrun::TempDir dir;
    testrun::HalfChannelTable table;
    OnlineLayout layout;
    std::unique_ptr<testrun::RunWriter> writer;
    std::unique_ptr<ExportContext> context;
    std::string chosenTitle = "exp";
    bool cancel = false;
    int asked = 0;
    int lastType = -1;
    platform::MessageBoxRecorder boxes;
};

} // namespace exporttest
