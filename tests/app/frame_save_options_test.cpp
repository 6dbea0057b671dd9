// 另存为文本 of a history window over a stored run, through the real save
// options: decimation asked for with an empty or zero step is refused in the
// dialog, and no file is written.
#include "FrameRunFixture.h"

#include "panels/data/DlgSaveDataOption.h"
#include "project/OpenViewCounters.h"
#include "views/curve/CurveViewWidget.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <filesystem>
#include <string>
#include <vector>

namespace {

class FrameSaveOptionsTest : public FrameRunTest {};

TEST_F(FrameSaveOptionsTest, DecimationWithoutAStepIsRefusedAndNothingIsExported) {
    FindCasesAndPrepareProject();
    StoreTimedRun(9);
    const std::string exported = m_scratch.File("history.txt");
    m_frame->SetFileChooser(
        [&](bool save, const std::string&, const std::string&, const std::string&, std::string& path) {
            path = exported;
            return save;
        });
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));

    const char* steps[] = {"", "0", "000"};
    std::vector<std::string> refusals;
    bool stayedOpen = true;
    WhenModal<CDlgSaveDataOption>(m_frame, [&](CDlgSaveDataOption& dialog) {
        auto* available = dialog.findChild<QListWidget*>("available");
        if (available != nullptr && available->count() > 0)
            available->item(0)->setSelected(true);
        if (auto* add = dialog.findChild<QPushButton*>("add"))
            add->click();
        if (auto* decimate = dialog.findChild<QCheckBox*>("decimate"))
            decimate->setChecked(true);
        for (const char* step : steps) {
            if (auto* edit = dialog.findChild<QLineEdit*>("step"))
                edit->setText(step);
            dialog.accept();
            refusals.push_back(m_boxes.Records().empty() ? "" : m_boxes.Records().back().text);
            stayedOpen = stayedOpen && dialog.isVisible();
        }
        dialog.reject();
    });
    QAction* save = MenuItem("文件", ID_SAVE_AS_TEXT);
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(save->isEnabled());
    save->trigger();

    ASSERT_EQ(refusals.size(), std::size(steps));
    for (std::size_t i = 0; i < refusals.size(); ++i)
        EXPECT_EQ(refusals[i], "请确认输入间隔点数的正确性!") << '"' << steps[i] << '"';
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(std::filesystem::exists(exported));
}

} // namespace
