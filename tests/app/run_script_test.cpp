// `bash scripts/run.sh --simulate` as a user runs it, on the programs this
// build made: the program starts from a program folder of its own under the
// user's data folder, beside two simulated cases and the calibrator, with
// the calibrator link on; a remote client's case search finds both cases'
// modules; when the program ends the cases stop, and the folder with the
// projects in it is still there at the next start.
#include "RemotePacketCollector.h"
#include "ShellTestSupport.h"

#include "acquisition/DataForwardServer.h"
#include "acquisition/RemotePacket.h"
#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

bool WaitExited(pid_t pid, int& status, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

class RunScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        // The program, its libraries and the simulator as this build made
        // them; settings of the test's own with the remote server on.
        m_bin = m_scratch.ProgramFolder();
        ASSERT_TRUE(StageBuiltPrograms(m_bin, {"QV74xx", "qv_case_sim", "Kelvane"}));
        m_scratch.WriteSettingsFile("[System]\nADBASE=20000\nDigitalUsed=0\nOutControlEnable=1\n");
        m_tmp = m_bin.parent_path() / "simulate";
        fs::create_directories(m_tmp);
    }
    void TearDown() override {
        if (m_script > 0) {
            for (pid_t pid : ProcessesOf(m_bin / "qv_case_sim"))
                kill(pid, SIGKILL);
            for (pid_t pid : ProcessesOf(ProgramFolder() / "QV74xx"))
                kill(pid, SIGKILL);
            kill(m_script, SIGKILL);
            int status = 0;
            waitpid(m_script, &status, 0);
        }
    }

    void StartScript() {
        std::vector<std::string> env{"QV_BIN=" + m_bin.string(), "XDG_DATA_HOME=" + m_tmp.string()};
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if (entry.rfind("QV_BIN=", 0) != 0 && entry.rfind("XDG_DATA_HOME=", 0) != 0)
                env.push_back(entry);
        }
        std::vector<char*> envp;
        for (std::string& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string script = QV_SOURCE_DIR "/scripts/run.sh";
        std::string shell = "bash";
        std::string option = "--simulate";
        char* argv[] = {shell.data(), script.data(), option.data(), nullptr};
        const std::string log = (m_tmp.parent_path() / "run.log").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        const int result = posix_spawnp(&m_script, "bash", &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ASSERT_EQ(result, 0);
    }

    // The program folder the script keeps under the data folder.
    fs::path ProgramFolder() const { return m_tmp / "QV74xx" / "simulate"; }

    // The program has come up: its remote server greets a client.
    std::unique_ptr<PacketCollector> WaitForProgram() {
        std::unique_ptr<PacketCollector> client;
        const bool up = ProcessEventsUntil(
            [&] {
                client = std::make_unique<PacketCollector>();
                if (client->Connect(CDataForwardServer::kDefaultPort))
                    return true;
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                return false;
            },
            60000);
        EXPECT_TRUE(up) << "the program never listened";
        if (!up)
            return nullptr;
        ReceivedPacket greeting;
        EXPECT_TRUE(client->WaitFor(
            [](const ReceivedPacket& p) { return p.header.dwType == kRemotePacketGreeting; }, greeting));
        return client;
    }

    // Ends the program as a user closes it; the script ends with it.
    void EndProgram() {
        for (pid_t pid : ProcessesOf(ProgramFolder() / "QV74xx"))
            kill(pid, SIGTERM);
        int status = 0;
        ASSERT_TRUE(WaitExited(m_script, status, std::chrono::seconds(30)));
        m_script = -1;
        EXPECT_TRUE(ProcessesOf(m_bin / "qv_case_sim").empty());
    }

    ShellScratch m_scratch;
    fs::path m_bin;
    fs::path m_tmp;
    pid_t m_script = -1;
};

TEST_F(RunScriptTest, SimulateStartsTheProgramBesideTwoCasesThatItsSearchFinds) {
    StartScript();
    std::unique_ptr<PacketCollector> client = WaitForProgram();
    ASSERT_NE(client, nullptr);
    const fs::path folder = ProgramFolder();
    EXPECT_TRUE(fs::exists(folder / "MapCfg.ini"));
    EXPECT_TRUE(fs::exists(folder / "Kelvane")) << "控制 > Kelvane starts the calibrator beside the program";
    ASSERT_EQ(ProcessesOf(folder / "QV74xx").size(), 1u) << "the program runs from its own folder";
    // The calibrator link is served.
    platform::TcpStream calibrator;
    EXPECT_TRUE(calibrator.Connect("127.0.0.1", 8001, 2000));

    // Case 0 with 8 modules, case 1 with 4: units 0-7 and 8-11, once both
    // cases have linked.
    std::vector<std::int32_t> expected{12};
    for (int unit = 0; unit < 12; ++unit)
        expected.push_back(unit);
    std::vector<std::int32_t> found;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (found != expected && std::chrono::steady_clock::now() < end) {
        const std::size_t from = client->Count();
        ASSERT_TRUE(client->Send("QVDAS_FINDCASE"));
        ReceivedPacket reply;
        ASSERT_TRUE(
            client->WaitFor([](const ReceivedPacket& p) { return p.IsReply(kRemoteFindCase); }, reply, from));
        found = reply.Ints();
    }
    EXPECT_EQ(found, expected);
    client.reset();

    // The program ends: the script stops the cases; the folder, with what
    // the program saved in it, is there at the next start and after it.
    EndProgram();
    const fs::path project = folder / "Projects" / "Kept" / "Kept.dap";
    fs::create_directories(project.parent_path());
    std::ofstream(project) << "[SystemParam]\r\n";
    EXPECT_TRUE(fs::exists(folder / "QV7416.chn"));
    StartScript();
    ASSERT_NE(WaitForProgram(), nullptr);
    EXPECT_EQ(ProcessesOf(folder / "QV74xx").size(), 1u);
    EXPECT_TRUE(fs::exists(project));
    EndProgram();
    EXPECT_TRUE(fs::exists(project));
}

} // namespace
