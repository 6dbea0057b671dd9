// Result workers: completion message, cancellation, one per project and kind.
#include "RunWriter.h"
#include "datafiles/RosetteCalc.h"

#include <gtest/gtest.h>
#include <memory>

using namespace testrun;

namespace {

class Owner : public platform::MessageTarget {
public:
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam, platform::LPARAM) override {
        if (message == WM_RESULT_CALC_DONE)
            statuses.push_back(int(wParam));
        return 0;
    }
    std::vector<int> statuses;
};

void PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 500 && !done(); ++i)
        platform::PumpMessagesFor(10);
}

} // namespace

TEST(ResultWorker, ReportsToItsOwnerAndRefusesASecondOfTheSameKind) {
    platform::PumpMessages();
    Owner owner;
    CResultWorker first, second;
    platform::Event release(true, false);
    auto job = [&](const std::atomic<bool>&) {
        release.Wait(5000);
        return ResultStatus::Done;
    };
    ASSERT_TRUE(first.Start("/p/beam.sfd", owner.GetSafeHwnd(), job));
    EXPECT_FALSE(second.Start("/p/beam.sfd", 0, job));
    EXPECT_FALSE(first.Start("/p/other.sfd", 0, job)); // still running
    release.Set();
    ASSERT_TRUE(first.Wait(5000));
    PumpUntil([&] { return !owner.statuses.empty(); });
    EXPECT_EQ(owner.statuses, std::vector<int>{0});
    EXPECT_TRUE(second.Start("/p/beam.sfd", 0, [](const std::atomic<bool>&) { return ResultStatus::Done; }));
    EXPECT_TRUE(second.Wait(5000));
}

TEST(ResultWorker, CancelStopsARunAndAGoneOwnerGetsNothing) {
    TempDir dir;
    RunWriter run(RunSpec(dir.Path(), "beam", {0}, 40 * 1024, true));
    run.Write();
    HalfChannelTable table;
    RosetteCalcParam param;
    param.strProjectFolder = dir.Path();
    param.strProjectName = "beam";
    param.nSampleCount = 40 * 1024;
    param.layout = run.Layout();
    param.channels = &table;
    RosetteGroupRecord group{};
    group.type = 0;
    group.Channel[0] = 1, group.Channel[1] = 2, group.Channel[2] = group.Channel[3] = -1;
    param.groups.assign(4, group);

    auto owner = std::make_unique<Owner>();
    param.hOwner = owner->GetSafeHwnd();
    CResultWorker worker;
    ASSERT_TRUE(StartRosetteCalc(worker, param));
    worker.Cancel();
    ASSERT_TRUE(worker.Wait(10000));
    EXPECT_TRUE(worker.GetStatus() == ResultStatus::Cancelled || worker.GetStatus() == ResultStatus::Done);
    PumpUntil([&] { return !owner->statuses.empty(); });
    ASSERT_EQ(owner->statuses.size(), 1u);

    // The owner window is gone before the worker ends: the message is dropped.
    ASSERT_TRUE(StartRosetteCalc(worker, param));
    owner.reset();
    ASSERT_TRUE(worker.Wait(10000));
    platform::PumpMessagesFor(20);
    EXPECT_EQ(ResultStatusText(ResultStatus::ParamOutOfRange), "参数超出范围，请重新设置！");
}
