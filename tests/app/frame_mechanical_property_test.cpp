// 力学性能检测 from the frame's command over a run stored from two simulated
// cases: the dialog plots a channel of the second case against one of the
// first over every stored sample and computes from its cursors.
#include "FrameRunFixture.h"
#include "ModalDialogSupport.h"

#include "datafiles/AppTables.h"
#include "panels/mechanical/DlgMechanicalTest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

#include <functional>

namespace {

constexpr int ID_MECHANICAL_TEST = 32870;
constexpr int kSamples = 6;

TEST_F(FrameRunTest, MechanicalTestPlotsTheStoredRun) {
    FindCasesAndPrepareProject();
    StoreTimedRun(kSamples);
    ASSERT_GT(g_nMeasChanCount, 20);
    const int xChannel = g_MeasChanList[g_nMeasChanCount - 1]; // the second case
    const int yChannel = g_MeasChanList[1];
    ASSERT_EQ(xChannel / 16, 8);

    MechanicalSeries shown;
    QString modulus, yield;
    // The dialog is modal while it still reads the run: act once the curve shows.
    const auto whenLoaded = [](CDlgMechanicalTest& dialog, std::function<void()> act) {
        auto* poll = new QTimer(&dialog);
        QObject::connect(poll, &QTimer::timeout, [poll, &dialog, act] {
            if (dialog.IsCurveShown()) {
                poll->stop();
                act();
            }
        });
        poll->start(10);
    };
    WhenModal<CDlgMechanicalTest>([&](CDlgMechanicalTest& dialog) {
        whenLoaded(dialog, [&] {
            auto* x = Control<QComboBox>(dialog, 1022);
            auto* y = Control<QComboBox>(dialog, 1043);
            x->setCurrentIndex(x->count() - 1);
            emit x->activated(x->count() - 1);
            y->setCurrentIndex(1);
            emit y->activated(1);
            shown = dialog.GetSeries();
            Click(dialog, 1047);
            modulus = Control<QLineEdit>(dialog, 1045)->text();
            yield = Control<QLineEdit>(dialog, 1046)->text();
            Click(dialog, 2);
        });
    });
    ASSERT_TRUE(m_frame->RunCommand(ID_MECHANICAL_TEST));

    // The run is stored in one file per unit.
    const auto unitBlocks = [&](int channel) {
        return ReadBlocks(m_scratch.File("Projects/Run/Run_" + std::to_string(channel / 16) + ".dat"));
    };
    const std::vector<CaseSampleBlock> xBlocks = unitBlocks(xChannel), yBlocks = unitBlocks(yChannel);
    ASSERT_EQ(xBlocks.size(), std::size_t(kSamples));
    ASSERT_EQ(yBlocks.size(), std::size_t(kSamples));
    const CAppChannelTable table;
    ASSERT_EQ(shown.x.size(), std::size_t(kSamples));
    for (int k = 0; k < kSamples; ++k) {
        EXPECT_EQ(shown.x[k], float(table.ConvertBlockChannelValue(xChannel, xBlocks[std::size_t(k)])));
        EXPECT_EQ(shown.y[k], float(table.ConvertBlockChannelValue(yChannel, yBlocks[std::size_t(k)])));
    }
    EXPECT_TRUE(modulus.contains('.') && modulus.section('.', 1).size() == 4) << modulus.toStdString();
    EXPECT_TRUE(yield.contains('.') && yield.section('.', 1).size() == 4) << yield.toStdString();
}

} // namespace
