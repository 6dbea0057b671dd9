// 修正系数设置 against two simulated cases: a coefficient of a channel in the
// second case reaches that case alone, as its place in the case and the
// float's bits; without the case's link the dialog reports the failure.
#include "FrameRunFixture.h"
#include "ModalDialogSupport.h"

#include "acquisition/CaseLink.h"
#include "acquisition/NetCaseDriver.h"
#include "model/FieldTexts.h"
#include "panels/channels/DlgCoefWrite.h"
#include "widgets/GridMarks.h"
#include "widgets/MSFlexGrid.h"

#include <QComboBox>

#include <bit>
#include <string>
#include <vector>

namespace {

constexpr int ID_COEFFICIENT_DIALOG = 32903;

class FrameCoefficientsTest : public FrameRunTest {
protected:
    // The general ranges of the description file: the last one's code is 4.
    const char* ExtraSettings() const override {
        return "SoftwareDebug=1\n[SampleChanParams]\nFullValueCount=2\nFullValue0=5000,±5V=001\n"
               "FullValue1=5,±5mV=004\n";
    }

    // Payloads of a simulator's correction-coefficient commands.
    static std::vector<std::vector<std::uint8_t>> CoefficientCommands(CCaseSimulator& simulator) {
        std::vector<std::vector<std::uint8_t>> found;
        for (const auto& payload : simulator.GetCommands())
            if (payload.size() >= 2 && payload[0] == 2 && payload[1] == 2)
                found.push_back(payload);
        return found;
    }

    // Opens the dialog from its menu item, writes each of the texts in turn
    // as the full-scale coefficient of the last range of channel 02-01-03,
    // and closes it.
    void WriteFromMenu(const std::vector<std::string>& coefficients = {"1.5"}) {
        WhenModal<CDlgCoefWrite>([coefficients](CDlgCoefWrite& dialog) {
            auto* channel = Control<QComboBox>(dialog, 1022);
            channel->setCurrentIndex(channel->findText("02-01-03"));
            CMSFlexGrid* grid = dialog.GetGrid(CDlgCoefWrite::kFullScale);
            const int last = grid->GetRows() - 1;
            EXPECT_EQ(last, 2) << "the ranges of the description file";
            // The cases report their channels again; the case reports 1.25 for code 4.
            Click(dialog, 1428);
            EXPECT_EQ(grid->GetTextMatrix(last, 3), "1.25");
            for (int r = 1; r < last; ++r)
                grid->SetTextMatrix(r, 0, MarkText(false));
            for (const std::string& coefficient : coefficients) {
                grid->SetTextMatrix(last, 3, coefficient);
                Click(dialog, 1418);
            }
            dialog.reject();
        });
        QAction* item = MenuItem("设置", ID_COEFFICIENT_DIALOG);
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& record : m_boxes.Records())
            texts.push_back(record.text);
        return texts;
    }
};

TEST_F(FrameCoefficientsTest, SecondCaseChannelGoesToItsOwnCase) {
    Search();
    WriteFromMenu();
    EXPECT_EQ(BoxTexts().back(), "满度修正系数写入成功！");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !CoefficientCommands(*m_simulators[1]).empty(); }));
    const auto bits = std::bit_cast<std::uint32_t>(1.5f);
    // Module 0, channel 2 of the case; kind 0 (full scale), code 4 of the last range.
    const std::vector<std::uint8_t> expected = {2,
                                                2,
                                                0,
                                                2,
                                                1,
                                                0,
                                                4,
                                                std::uint8_t(bits >> 24),
                                                std::uint8_t(bits >> 16),
                                                std::uint8_t(bits >> 8),
                                                std::uint8_t(bits)};
    EXPECT_EQ(CoefficientCommands(*m_simulators[1]), std::vector<std::vector<std::uint8_t>>{expected});
    EXPECT_TRUE(CoefficientCommands(*m_simulators[0]).empty())
        << "the first case got another case's coefficient";
}

// A coefficient that is not a positive finite number would turn every
// reading of its range to 0 or worse: it is refused with the row named, and
// nothing reaches the case until a good one is written.
TEST_F(FrameCoefficientsTest, ACoefficientThatIsNotAPositiveNumberIsRefusedUnsent) {
    Search();
    const std::vector<std::string> refused = {"abc", "0", "-1.5", "", "inf", "nan", "1e39", "1.5x"};
    std::vector<std::string> coefficients = refused;
    coefficients.push_back("1.5");
    const std::size_t before = BoxTexts().size();
    WriteFromMenu(coefficients);
    const auto all = BoxTexts();
    const std::vector<std::string> texts(all.begin() + std::ptrdiff_t(before), all.end());
    ASSERT_EQ(texts.size(), refused.size() + 1);
    for (std::size_t i = 0; i < refused.size(); ++i)
        EXPECT_EQ(texts[i], InvalidPositiveNumberMessage("满度修正系数（5）")) << refused[i];
    EXPECT_EQ(texts.back(), "满度修正系数写入成功！");
    // The good one arrives alone: none of the refused went before it.
    ASSERT_TRUE(ProcessEventsUntil([&] { return !CoefficientCommands(*m_simulators[1]).empty(); }));
    const auto commands = CoefficientCommands(*m_simulators[1]);
    ASSERT_EQ(commands.size(), 1u);
    const auto bits = std::bit_cast<std::uint32_t>(1.5f);
    EXPECT_EQ(std::vector<std::uint8_t>(commands[0].end() - 4, commands[0].end()),
              (std::vector<std::uint8_t>{std::uint8_t(bits >> 24), std::uint8_t(bits >> 16),
                                         std::uint8_t(bits >> 8), std::uint8_t(bits)}));
    EXPECT_TRUE(CoefficientCommands(*m_simulators[0]).empty());
}

TEST_F(FrameCoefficientsTest, WithoutTheCaseLinkTheWriteFails) {
    Search();
    m_simulators[1]->Stop();
    CNetCaseDriver& driver = dynamic_cast<CNetComm*>(m_frame->GetCommBase())->GetDriver();
    ASSERT_TRUE(ProcessEventsUntil([&] {
        const auto link = driver.GetLink(driver.FindLinkByAddress("127.0.0.3"));
        return link == nullptr || link->IsPeerClosed();
    }));
    WriteFromMenu();
    EXPECT_EQ(BoxTexts().back(), "满度修正系数写入失败！");
    EXPECT_TRUE(CoefficientCommands(*m_simulators[0]).empty());
}

} // namespace
