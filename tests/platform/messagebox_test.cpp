// Message boxes: default answers, the test recorder, and boxes asked for
// from worker threads.
#include "platform/MessageBox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

TEST(MessageBoxTest, DefaultAnswerIsTheDefaultButton) {
    struct Case {
        UINT flags;
        int answer;
    };
    const Case cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL | MB_ICONQUESTION, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO, IDYES},
        {MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_YESNO | MB_DEFBUTTON3, IDYES}, // no third button: the first
        {MB_OK | MB_DEFBUTTON2, IDOK},
        {0x7, IDOK}, // a button kind we do not show
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageBoxDefaultAnswer(c.flags), c.answer) << std::hex << c.flags;
    }
}

TEST(MessageBoxTest, WithoutHandlerWritesStderrAndAnswersDefault) {
    SetMessageDispatcher(nullptr);
    ASSERT_EQ(GetMessageBoxHandler(), nullptr);
    testing::internal::CaptureStderr();
    int answer = MessageBox("检测到多个2号机", "QV", MB_YESNO | MB_DEFBUTTON2);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, IDNO);
    EXPECT_NE(err.find("QV"), std::string::npos);
    EXPECT_NE(err.find("检测到多个2号机"), std::string::npos);
}

TEST(MessageBoxTest, RecorderRecordsAndAnswersFromItsQueue) {
    SetMessageDispatcher(nullptr);
    MessageBoxRecorder outer;
    {
        MessageBoxRecorder recorder;
        recorder.QueueAnswer(IDCANCEL);
        EXPECT_EQ(MessageBox("first", "cap", MB_YESNOCANCEL | MB_ICONQUESTION), IDCANCEL);
        EXPECT_EQ(MessageBox("second", "cap", MB_YESNO | MB_DEFBUTTON2), IDNO); // queue empty: default
        auto records = recorder.Records();
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].text, "first");
        EXPECT_EQ(records[0].caption, "cap");
        EXPECT_EQ(records[0].flags, MB_YESNOCANCEL | MB_ICONQUESTION);
        EXPECT_EQ(records[1].text, "second");
    }
    EXPECT_EQ(GetMessageBoxHandler(), &outer) << "the previous handler is back";
    MessageBox("third", "cap");
    EXPECT_EQ(outer.Records().size(), 1u);
}

TEST(MessageBoxTest, BoxFromAWorkerIsShownOnTheUiThread) {
    SetMessageDispatcher(nullptr);
    struct ThreadCheck : MessageBoxHandler {
        std::thread::id shownOn;
        int Show(const std::string&, const std::string&, UINT) override {
            shownOn = std::this_thread::get_id();
            return IDYES;
        }
    } handler;
    SetMessageBoxHandler(&handler);
    std::atomic<int> answer{0};
    std::thread worker([&] { answer = MessageBox("from worker", "cap", MB_YESNO); });
    PumpMessagesFor(5000, [&] { return answer != 0; });
    worker.join();
    SetMessageBoxHandler(nullptr);
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(handler.shownOn, std::this_thread::get_id());
}

TEST(MessageBoxTest, APostedBoxDoesNotHoldItsSenderAndIsShownInOrderOnTheUiThread) {
    SetMessageDispatcher(nullptr);
    MessageBoxRecorder recorder;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        PostMessageBox("first", "cap", MB_OK | MB_ICONERROR);
        PostMessageBox("second", "cap");
        returned = true;
    });
    worker.join(); // nobody pumps meanwhile: the worker went on all the same
    EXPECT_TRUE(returned.load());
    EXPECT_TRUE(recorder.Records().empty()) << "shown only when the user-interface thread takes it";
    PumpMessagesFor(5000, [&] { return recorder.Records().size() == 2; });
    const auto records = recorder.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].text, "first");
    EXPECT_EQ(records[0].flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(records[1].text, "second");
}
