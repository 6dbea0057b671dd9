// The test-function dialogs the frame's commands open: the event-sampling
// schedule kept in its file with the options in the profile.
#include <gtest/gtest.h>

#include "ModalDialogSupport.h"
#include "ShellTestSupport.h"
#include "app/MainFrame.h"
#include "app/QV7411N_NewFrameApp.h"
#include "model/AppSettings.h"
#include "model/RunFlags.h"
#include "panels/run/DlgSampleEvent.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/RegistryProfile.h"
#include "platform/Time.h"
#include "project/SampleEventSchedule.h"
#include "widgets/MSFlexGrid.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

constexpr int ID_SAMPLE_EVENT_SETTINGS = 32843;

class FrameTestFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        m_app = std::make_unique<CQV7411N_NewFrameApp>(m_scratch.ProgramFolder());
        ASSERT_TRUE(m_app->InitInstance());
        m_frame = m_app->GetMainFrame();
    }
    void TearDown() override {
        g_bSampling = 0;
        if (m_frame != nullptr)
            m_frame->close();
        m_app->ExitInstance();
    }

    ShellScratch m_scratch;
    platform::MessageBoxRecorder m_boxes;
    std::unique_ptr<CQV7411N_NewFrameApp> m_app;
    CMainFrame* m_frame = nullptr;
};

TEST_F(FrameTestFunctionsTest, EventScheduleIsKeptInItsFileAndTheOptionsInTheProfile) {
    const std::string tomorrow = FormatEventTime(platform::NowOleDate() + 1.0);
    WhenModal<CDlgSampleEvent>([&](CDlgSampleEvent& dialog) {
        Control<QLineEdit>(dialog, 1078)->setText(QString::fromStdString(tomorrow));
        Control<QLineEdit>(dialog, 1081)->setText("10");
        Control<QLineEdit>(dialog, 1084)->setText("5");
        Click(dialog, 1080); // 添加
        Click(dialog, 1080); // the same time again
        auto* loop = Control<QComboBox>(dialog, 1022);
        loop->setCurrentIndex(1);
        emit loop->activated(1);
        Click(dialog, 1);
    });
    ASSERT_TRUE(m_frame->RunCommand(ID_SAMPLE_EVENT_SETTINGS));
    ASSERT_FALSE(m_boxes.Records().empty());
    EXPECT_EQ(m_boxes.Records().back().text, "输入时间无效!\n该事件/时间已存在!");
    platform::FlushProfileCache();
    std::vector<SampleEvent> events;
    ReadSampleEventFile(m_scratch.File("SampleEvent.INI"), events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(FormatEventTime(events[0].dTriggerTime), tomorrow);
    EXPECT_EQ(events[0].nInterval, 10);
    EXPECT_EQ(events[0].nSampleCount, 5);
    EXPECT_EQ(AppRegistryProfile().GetProfileInt("OPC_SERVER", "OpcLoopMode", -1), 1);
    EXPECT_EQ(AppRegistryProfile().GetProfileInt("OPC_SERVER", "EventMode", -1), 0);

    // Opened again, the schedule shows; while a run samples it can only be cancelled.
    g_bSampling = 1;
    int rows = 0;
    bool addEnabled = true, okEnabled = true;
    WhenModal<CDlgSampleEvent>([&](CDlgSampleEvent& dialog) {
        rows = dialog.GetTable()->GetRows();
        addEnabled = Control<QPushButton>(dialog, 1080)->isEnabled();
        okEnabled = Control<QPushButton>(dialog, 1)->isEnabled();
        Click(dialog, 2);
    });
    ASSERT_TRUE(m_frame->RunCommand(ID_SAMPLE_EVENT_SETTINGS));
    EXPECT_EQ(rows, 2);
    EXPECT_FALSE(addEnabled);
    EXPECT_FALSE(okEnabled);
}

} // namespace
