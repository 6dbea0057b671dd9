// Opening a project whose files are damaged: the message names each file
// and says what was done, a damaged settings file is kept beside its place
// before the project can write over it, the data files are never changed,
// and the stored count is the whole sets that every case holds.
#include <gtest/gtest.h>

#include "ProjectTestSupport.h"
#include "platform/MessageBox.h"
#include "project/ControllerTableFile.h"
#include "project/ProjectHandler.h"

namespace {

constexpr int kSets = 20;

// Bytes no file of the project holds: zero bytes and no section line.
std::string Noise(std::size_t size) {
    std::string noise(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        noise[i] = char(i % 3 == 0 ? 0 : 0xA5);
    return noise;
}

class ProjectDamagedOpenTest : public ::testing::Test {
protected:
    // A project D of cases 3 and 7 with kSets sets stored, a virtual
    // channel, a rosette group and a controller.
    void MakeProject() {
        std::filesystem::remove_all(m_folder.File("projects"));
        ResetProjectGlobals({3, 7});
        m_project = m_folder.File("projects/D/D.dap");
        CProjectState state;
        state.m_strProgramFolder = m_folder.Path();
        state.m_VirtualChannels.resize(1);
        state.m_RosetteGroups = {RosetteGroupRecord{"R1", 0, {48, 49, -1, -1}, 1, 2, 0, 5.0f, -5.0f}};
        g_ChannelParams[48].nMeasureType = 0;
        g_ChannelParams[49].nMeasureType = 0;
        CProjectHandler writer(state, {});
        EXPECT_EQ(writer.PrepareProject(m_project), 1);
        EXPECT_EQ(SaveControllerTable(state.GetModuleInfoPath(), {ControllerRecord{"192.168.1.5", 1, 1, {}}}),
                  1);
        WriteCaseRunFiles(state, 3, kSets, kSets);
        WriteCaseRunFiles(state, 7, kSets, kSets);
        m_written = state;
        ResetProjectGlobals();
    }
    std::string File(const std::string& name) const { return m_folder.File("projects/D/" + name); }

    ProjectScratchFolder m_folder;
    std::string m_project;
    CProjectState m_written;
    platform::MessageBoxRecorder m_boxes;
};

TEST_F(ProjectDamagedOpenTest, EachDamagedFileIsNamedKeptAndLeftOutOfTheCount) {
    enum Damage { Garbage, Missing, Sparse, Longer };
    struct Case {
        const char* file;
        Damage damage;
        int count;
        bool setAside; // the original moves to file + ".bad"
    };
    const Case cases[] = {
        {"D.sfc", Garbage, kSets, true},
        {"D.rsc", Garbage, kSets, true},
        {"D.PamNew", Garbage, kSets, true},
        {"Module.ifo", Garbage, kSets, true},
        {"D_7.dat", Garbage, 0, false},
        {"D_7.stu", Garbage, 0, false},
        {"D_7.dat", Missing, 0, false},
        {"D_3.stu", Missing, 0, false},
        // A sparse file far longer than the run (40 GB on the user's disk).
        {"D_3.dat", Sparse, kSets, false},
        // After a crash one case holds 60 sets more than the other.
        {"D_7.dat", Longer, kSets, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " damage " + std::to_string(c.damage));
        MakeProject();
        const std::size_t boxes = m_boxes.Records().size();
        const std::string path = File(c.file);
        std::string original;
        switch (c.damage) {
        case Garbage:
            original = Noise(700);
            std::ofstream(path, std::ios::binary | std::ios::trunc) << original;
            break;
        case Missing:
            std::filesystem::remove(path);
            break;
        case Sparse:
            std::filesystem::resize_file(path, std::uintmax_t(631612837) * 68);
            break;
        case Longer:
            WriteCaseRunFiles(m_written, 7, kSets + 60, kSets + 60);
            break;
        }
        const std::int64_t size = platform::FileSize(path);

        CProjectState opened;
        CProjectHandler handler(opened, {});
        ASSERT_EQ(handler.OpenProjectData(m_project), 1);
        EXPECT_EQ(opened.m_nTotalDataCount, c.count);
        const auto records = m_boxes.Records();
        ASSERT_EQ(records.size(), boxes + 1) << "one message";
        const std::string text = records.back().text;
        EXPECT_NE(text.find(path), std::string::npos) << text;
        EXPECT_EQ(records.back().caption, "打开数据提示");
        if (c.setAside) {
            EXPECT_NE(text.find(path + ".bad"), std::string::npos) << text;
            handler.CloseProject(); // writes the project's files again
            EXPECT_EQ(ReadTextFile(path + ".bad"), original) << "the original is kept";
        } else {
            EXPECT_EQ(platform::FileSize(path), size) << "the data files are left as they are";
            EXPECT_FALSE(platform::FileExists(path + ".bad"));
        }
    }
}

} // namespace
