// The calibrator's frame looks for the generator (at start-up and from its
// command) on a thread of its own: the window keeps handling events and
// says it is searching, the answer comes back to it, and a frame closed or
// destroyed during a search ends it cleanly.
#include "KelvaneFrameFixture.h"
#include "calibrator/DlgCalibrationParam.h"
#include "calibrator/KelvaneFrame.h"

#include <QAction>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Whether the window handled an event posted to it now, before the search ended.
bool HandlesEventsWhileSearching(CKelvaneFrame& frame) {
    bool handled = false;
    QTimer::singleShot(0, &frame, [&] { handled = true; });
    return ProcessEventsUntil([&] { return handled; }) && frame.IsSearching();
}

} // namespace

TEST_F(KelvaneFrameTest, StartUpLooksForTheGeneratorWhileTheWindowAnswers) {
    const struct {
        const char* what;
        CGeneratorSimulator::Faults faults;
        bool found;
    } cases[] = {
        {"a late answer", {.replyDelayMs = 1500}, true},
        {"no answer", {.silent = true}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_generator.SetFaults(c.faults);
        CKelvaneFrame frame(m_folder.ProgramFolder());
        frame.show();
        frame.Create();
        ASSERT_TRUE(frame.IsSearching());
        EXPECT_EQ(frame.StatusText(), "正在查找应变仪......");
        EXPECT_FALSE(frame.Form()->StartButton()->isEnabled());
        EXPECT_FALSE(frame.Action(ID_FIND_GAUGE)->isEnabled());
        EXPECT_FALSE(frame.Action(ID_SET_COM)->isEnabled());
        EXPECT_TRUE(HandlesEventsWhileSearching(frame));

        ASSERT_TRUE(ProcessEventsUntil([&] { return !frame.IsSearching(); }));
        EXPECT_EQ(frame.IsGeneratorFound(), c.found);
        EXPECT_EQ(frame.Form()->StartButton()->isEnabled(), c.found);
        EXPECT_EQ(frame.Form()->StartButton()->text(), "启动标定");
        EXPECT_TRUE(frame.Action(ID_FIND_GAUGE)->isEnabled());
        EXPECT_TRUE(frame.Action(ID_SET_COM)->isEnabled());
        EXPECT_EQ(frame.StatusText(), "就绪");
        EXPECT_TRUE(m_boxes.Records().empty()) << "start-up says nothing of the search";
    }
}

TEST_F(KelvaneFrameTest, FindCommandSaysWhatItFoundAndEnablesTheStartOnlyWithAGenerator) {
    CKelvaneFrame frame(m_folder.ProgramFolder());
    CreateAndSearch(frame);
    const struct {
        bool silent;
        const char* text;
        bool found;
    } cases[] = {{true, "未找到应变仪！", false}, {false, "查找应变仪成功！", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        m_generator.SetFaults({.silent = c.silent});
        const std::size_t shown = m_boxes.Records().size();
        frame.Action(ID_FIND_GAUGE)->trigger();
        ASSERT_TRUE(frame.IsSearching());
        EXPECT_FALSE(frame.Form()->StartButton()->isEnabled());
        EXPECT_TRUE(HandlesEventsWhileSearching(frame));
        EXPECT_EQ(m_boxes.Records().size(), shown);
        ASSERT_TRUE(ProcessEventsUntil([&] { return !frame.IsSearching(); }));
        ASSERT_EQ(m_boxes.Records().size(), shown + 1);
        EXPECT_EQ(m_boxes.Records().back().text, c.text);
        EXPECT_EQ(frame.IsGeneratorFound(), c.found);
        EXPECT_EQ(frame.Form()->StartButton()->isEnabled(), c.found);
        EXPECT_EQ(frame.Form()->StartButton()->text(), "启动标定");
    }
}

TEST_F(KelvaneFrameTest, ClosingDuringASearchEndsItCleanly) {
    const struct {
        const char* what;
        bool fromCommand;
        bool close;
    } cases[] = {
        {"start-up, closed", false, true},
        {"start-up, destroyed without closing", false, false},
        {"command, closed", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto frame = std::make_unique<CKelvaneFrame>(m_folder.ProgramFolder());
        frame->show();
        m_generator.SetFaults({.silent = !c.fromCommand});
        if (c.fromCommand) {
            CreateAndSearch(*frame);
            m_generator.SetFaults({.silent = true});
            frame->Action(ID_FIND_GAUGE)->trigger();
        } else {
            frame->Create();
        }
        ASSERT_TRUE(frame->IsSearching());
        if (c.close) {
            // The battery's question waits behind the search: the window
            // answers until the battery has stopped.
            bool handled = false;
            QTimer::singleShot(0, frame.get(), [&] { handled = true; });
            EXPECT_TRUE(frame->close());
            EXPECT_TRUE(handled);
            EXPECT_FALSE(frame->isVisible());
        }
        frame.reset();
        // The search's answer, had it outlived the frame, would arrive now.
        QCoreApplication::processEvents();
        EXPECT_TRUE(m_boxes.Records().empty()) << "a closed frame says nothing of its search";
    }
}
