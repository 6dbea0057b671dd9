// What a run leaves on disk when the disk fills or the program dies: runs
// from the frame's menu against simulated cases, on a small file system of
// the test's own and in a child process killed mid-run; and projects that
// cannot be saved or opened say which file is at fault.
#include "FrameRunFixture.h"
#include "SmallDisk.h"

#include "acquisition/CaseLink.h"
#include "platform/Profile.h"
#include "project/ChannelParamFile.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;

// Room for a project file, its channel parameters and the run's first pages.
constexpr std::size_t kDiskBytes = 2u << 20;

class FrameRunStorageTest : public FrameRunTest {
protected:
    // The project dialog answers with the path, then cancels.
    void ChooseProject(const std::string& path) {
        auto next = std::make_shared<std::string>(path);
        m_app->GetProjectFileDialog().SetChooser([next](bool, const std::string&, const std::string&) {
            return std::exchange(*next, std::string());
        });
    }

    // File > Open with the dialog answering the path; true when it opened.
    bool OpenFromMenu(const std::string& path) {
        ChooseProject(path);
        m_app->OnFileOpenProject();
        return m_frame->GetProjectState().m_nProjectState == PROJECT_OPENED;
    }

    bool BoxSaid(const std::string& text) {
        for (const auto& record : m_boxes.Records())
            if (record.text.find(text) != std::string::npos)
                return true;
        return false;
    }

    // A run of the mode from the menu on a disk that fills during it: the
    // run stops by itself, the user is told, and what was stored stays a
    // whole, openable project.
    void RunOnFillingDisk(int mode, std::int32_t leastStored, int freePages) {
        SmallDisk disk(kDiskBytes);
        if (!disk.IsMounted())
            GTEST_SKIP() << "no small file system can be mounted here";
        Search();
        const std::string projectFile = disk.File("Run/Run.dap");
        ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(projectFile), 1);
        ASSERT_TRUE(disk.FillLeaving(static_cast<std::size_t>(freePages) * 4096));
        SetRunSettings(mode, mode == SAMPLE_MODE_TIMED ? 10 : 1, 0);
        auto now = std::make_shared<std::atomic<std::int64_t>>(100000);
        m_frame->GetSampling().SetClock([now] { return now->fetch_add(20000); }); // every set due at once

        ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
        ASSERT_TRUE(WaitRunCompleted(60000)) << "the run stops by itself";
        EXPECT_TRUE(BoxSaid("磁盘空间已满")) << "the user is told";

        const std::int32_t stored = m_frame->GetProjectState().m_nTotalDataCount;
        EXPECT_GE(stored, leastStored);
        ExpectWholeEqualFiles(disk.File("Run/Run"), stored);
        ASSERT_TRUE(OpenFromMenu(projectFile));
        EXPECT_EQ(m_frame->GetProjectState().m_nTotalDataCount, stored);
    }

    // Every unit's files end on whole records and hold the same count.
    static void ExpectWholeEqualFiles(const std::string& base, std::int64_t count) {
        for (const int unit : kUnits) {
            const std::string name = base + "_" + std::to_string(unit);
            EXPECT_EQ(platform::FileSize(name + ".dat"), count * 68) << "unit " << unit;
            EXPECT_EQ(platform::FileSize(name + ".stu"), count * 32) << "unit " << unit;
        }
    }
};

// A first page for each of the six run files and one more: a unit's data
// file needs a second page after some sixty sets, and only one gets it.
TEST_F(FrameRunStorageTest, ATimedRunOnAFillingDiskStopsAndTellsTheUser) {
    RunOnFillingDisk(SAMPLE_MODE_TIMED, 50, 7);
}

// The case links store the sets of a continuous run two seconds at a time at
// 100 sets a second: room for the first piece (four pages of each of the
// three units' data files, two of each status file) and less than the next.
TEST_F(FrameRunStorageTest, AContinuousRunOnAFillingDiskStopsAndTellsTheUser) {
    RunOnFillingDisk(SAMPLE_MODE_CONTINUOUS, 200, 3 * 6 + 3);
}

// A new project on a full disk: its channel parameters cannot be written,
// the user is told which file, and no project is left half-made.
TEST_F(FrameRunStorageTest, ANewProjectOnAFullDiskReportsItsChannelFile) {
    SmallDisk disk(kDiskBytes);
    if (!disk.IsMounted())
        GTEST_SKIP() << "no small file system can be mounted here";
    ASSERT_TRUE(disk.FillLeaving(64 * 1024));
    m_frame->SetDeviceConnected(1);
    ChooseProject(disk.File("Full/Full.dap"));
    m_app->OnFileNewProject();
    EXPECT_TRUE(BoxSaid(disk.File("Full/Full.chn"))) << "the message names the file";
    EXPECT_EQ(m_frame->GetProjectState().m_nProjectState, PROJECT_NONE);
}

// Opening a project whose files are missing or damaged says what is wrong.
TEST_F(FrameRunStorageTest, OpeningADamagedProjectSaysWhichFile) {
    Search();
    const std::string folder = m_scratch.File("Projects/Kept");
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(folder + "/Kept.dap"), 1);
    const std::string dap = folder + "/Kept.dap";
    const std::string chn = folder + "/Kept.chn";
    std::string dapText;
    {
        std::ifstream in(dap, std::ios::binary);
        dapText.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const struct {
        const char* name;
        std::function<void()> damage;
        std::string file;
    } cases[] = {
        {"no channel file", [&] { std::filesystem::remove(chn); }, chn},
        {"channel file of noise", [&] { std::ofstream(chn, std::ios::trunc) << std::string(1000, 'z'); },
         chn},
        {"project file cut short",
         [&] { std::ofstream(dap, std::ios::binary | std::ios::trunc) << dapText.substr(0, 200); }, dap},
        {"no project file", [&] { std::filesystem::remove(dap); }, dap},
    };
    for (const auto& c : cases) {
        SaveChannelParamFile(chn);
        std::ofstream(dap, std::ios::binary | std::ios::trunc) << dapText;
        platform::FlushProfileCache();
        ASSERT_TRUE(OpenFromMenu(dap)) << c.name << ": the whole project opens";
        // Closing writes the project's files: the damage comes after.
        m_frame->GetProjectHandler().CloseProject();
        c.damage();
        platform::FlushProfileCache();
        const std::size_t boxes = m_boxes.Records().size();
        ChooseProject(dap);
        m_app->OnFileOpenProject();
        ASSERT_EQ(m_boxes.Records().size(), boxes + 1) << c.name;
        EXPECT_NE(m_boxes.Records().back().text.find(c.file), std::string::npos) << c.name;
        EXPECT_EQ(m_frame->GetProjectState().m_nProjectState, PROJECT_NONE) << c.name;
    }
}

// A case whose packet counter jumps far ahead during a continuous run: the
// gap is more than the case could have sent, so nothing is filled in, and
// the other case is not padded to match either.
TEST_F(FrameRunStorageTest, ACounterJumpIsNotFilledWithEmptySamples) {
    Search();
    const std::string projectFile = m_scratch.File("Projects/Jump/Jump.dap");
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(projectFile), 1);
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= 20; }));
    m_simulators[0]->InjectFault(CCaseSimulator::Fault::CounterJump);
    const std::int32_t before = m_frame->GetSampling().m_nRunStoredCount;
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= before + 50; }));
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());

    const std::int64_t sent = m_simulators[1]->GetSamplesSent() + 200; // the healthy case, with room
    for (const int unit : kUnits) {
        const auto blocks = ReadBlocks(m_scratch.File("Projects/Jump/Jump_" + std::to_string(unit) + ".dat"));
        EXPECT_LT(static_cast<std::int64_t>(blocks.size()), sent) << "unit " << unit << ": no fill";
        std::int64_t empty = 0;
        for (const auto& block : blocks)
            empty += block.nHeader == -1 ? 1 : 0;
        EXPECT_LT(empty, CCaseLink::kLostFillSlack + 100) << "unit " << unit;
    }
}

// ---- A timed run in a child process killed with SIGKILL ----

// Set in the child's environment: the folder of the run and the file to
// which it reports every set it has stored.
constexpr const char* kChildFolderVariable = "QV_CRASH_RUN_FOLDER";

// The child: a timed run that reports each stored set, until it is killed.
TEST_F(FrameRunStorageTest, CrashChildRunsUntilKilled) {
    const char* folder = std::getenv(kChildFolderVariable);
    if (folder == nullptr)
        GTEST_SKIP() << "run by the crash test in a child process";
    Search();
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(std::string(folder) + "/Run/Run.dap"), 1);
    SetRunSettings(SAMPLE_MODE_TIMED, 10, 0);
    auto now = std::make_shared<std::atomic<std::int64_t>>(100000);
    m_frame->GetSampling().SetClock([now] { return now->fetch_add(20000); });
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    int reported = 0;
    // Killed long before; the bound only keeps an orphan from running on.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (std::chrono::steady_clock::now() < giveUp) {
        ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount > reported; }, 1000);
        const int stored = m_frame->GetSampling().m_nRunStoredCount;
        if (stored > reported) {
            reported = stored;
            std::ofstream(std::string(folder) + "/reported", std::ios::trunc) << reported << std::flush;
        }
    }
}

int ReadReported(const std::string& path) {
    std::ifstream in(path);
    int count = 0;
    in >> count;
    return count;
}

TEST(FrameRunCrashTest, ATimedRunKilledMidRunKeepsEveryReportedSet) {
    if (std::getenv(kChildFolderVariable) != nullptr)
        GTEST_SKIP();
    ShellScratch scratch;
    const std::string folder = scratch.File("crash");
    std::filesystem::create_directories(folder);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv(kChildFolderVariable, folder.c_str(), 1);
        ::setenv("TMPDIR", folder.c_str(), 1); // the killed child's scratch goes with ours
        ::execl("/proc/self/exe", "app_ui_tests",
                "--gtest_filter=FrameRunStorageTest.CrashChildRunsUntilKilled", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const std::string reportedFile = folder + "/reported";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (ReadReported(reportedFile) < 8 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const int reported = ReadReported(reportedFile);
    ASSERT_GE(reported, 8) << "the child ran";

    // Every set reported before the kill is on disk, whole, in every unit.
    for (const int unit : {0, 1, 8}) {
        const std::string base = folder + "/Run/Run_" + std::to_string(unit);
        EXPECT_GE(platform::FileSize(base + ".dat") / 68, reported) << "unit " << unit;
        EXPECT_GE(platform::FileSize(base + ".stu") / 32, reported) << "unit " << unit;
    }
}

} // namespace
