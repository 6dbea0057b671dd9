// 文件 > 引入项目 with the two simulated cases online: a damaged channel file
// is refused by name and changes nothing here or in the cases; a sound one
// reaches the channel tables and the cases.
#include "FrameRunFixture.h"

#include <cstring>

namespace {

constexpr std::uint8_t kParamOp0 = 3;
constexpr std::uint8_t kParamOp1 = 14;

class FrameProjectImportTest : public FrameRunTest {
protected:
    // An exported project E/E: its settings, channel file and virtual channels.
    std::string ExportProject() {
        const std::string folder = m_scratch.File("Exports/E");
        ChooseProjectFile(folder);
        EXPECT_TRUE(m_frame->RunCommand(ID_EXPORT_PROJECT));
        return folder + "/E";
    }
    void ChooseProjectFile(const std::string& path) {
        m_app->GetProjectFileDialog().SetChooser(
            [path](bool, const std::string&, const std::string&) { return path; });
    }
    void Import(const std::string& projectFile) {
        ChooseProjectFile(projectFile);
        QAction* item = MenuItem("文件", ID_IMPORT_PROJECT);
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
    }
    std::size_t ParamCommands() {
        std::size_t count = 0;
        for (const auto& simulator : m_simulators)
            count += std::size_t(simulator->CountCommands(kParamOp0, kParamOp1));
        return count;
    }
};

TEST_F(FrameProjectImportTest, ADamagedChannelFileIsRefusedAndChangesNothing) {
    Search();
    const int strain = g_ChannelList[0];
    const int voltage = g_ChannelList[1];
    g_ChannelParams[strain].nMeasureType = MEASURE_STRAIN;
    g_ChannelParams[strain].fGaugeFactor = 2.5f;
    g_ChannelParams[voltage].nMeasureType = MEASURE_VOLTAGE;
    const std::string base = ExportProject();
    const std::string chn = base + ".chn";
    std::filesystem::copy_file(chn, chn + ".sound");

    // The tables now differ from the file, so a load would show.
    g_ChannelParams[strain].fGaugeFactor = 2.25f;
    const std::vector<ChannelParamRecord> current(g_ChannelParams, g_ChannelParams + MAX_CHANNEL_COUNT);
    const int interval = m_frame->GetProjectState().m_SampleSettings.nSampleInterval;
    std::filesystem::resize_file(chn, 100);
    ProcessEventsUntil([] { return false; }, 300);
    const std::size_t sent = ParamCommands();

    Import(base + ".dap");
    ASSERT_FALSE(m_boxes.Records().empty());
    EXPECT_NE(m_boxes.Records().back().text.find(chn), std::string::npos) << m_boxes.Records().back().text;
    EXPECT_EQ(std::memcmp(current.data(), g_ChannelParams, sizeof g_ChannelParams), 0)
        << "the tables are unchanged";
    EXPECT_EQ(g_ChannelParams[strain].fGaugeFactor, 2.25f);
    EXPECT_EQ(g_ChannelParams[voltage].nMeasureType, MEASURE_VOLTAGE);
    EXPECT_EQ(m_frame->GetProjectState().m_SampleSettings.nSampleInterval, interval);
    EXPECT_EQ(platform::FileSize(chn), 100) << "the user's file is left as it is";
    ProcessEventsUntil([] { return false; }, 500);
    EXPECT_EQ(ParamCommands(), sent) << "nothing went to the cases";

    // The sound file: the tables take it and the cases get it.
    std::filesystem::rename(chn + ".sound", chn);
    Import(base + ".dap");
    EXPECT_EQ(g_ChannelParams[strain].fGaugeFactor, 2.5f);
    EXPECT_EQ(g_ChannelParams[voltage].nMeasureType, MEASURE_VOLTAGE);
    EXPECT_TRUE(ProcessEventsUntil([&] { return ParamCommands() > sent; }));
}

} // namespace
