// The virtual-channel dialog's rules: adding, editing and deleting formulas,
// the tags' checks, the records handed back and the keypad.
#include "datafiles/VirtualChannelEdit.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

FormulaChannelRange TwoChannels() {
    FormulaChannelRange range;
    range.nFirst = 0;
    range.nLast = 1;
    return range;
}

TEST(VirtualChannelEditTest, AddEditAndDeleteWithTheirMessages) {
    CVirtualChannelEdit edit({}, 0);
    edit.SetRange(TwoChannels());
    std::string message;
    EXPECT_FALSE(edit.Edit("1", message));
    EXPECT_EQ(message, VIRTUAL_ROW_DELETED) << "no edited row yet";
    EXPECT_FALSE(edit.Add("  ", message));
    EXPECT_EQ(message, VIRTUAL_FORMULA_EMPTY);
    EXPECT_FALSE(edit.Add("((1)", message));
    EXPECT_EQ(message, VIRTUAL_BRACKETS);
    EXPECT_FALSE(edit.Add("ch1+", message));
    EXPECT_EQ(message, "表达式末尾含有多余的运算符");
    EXPECT_FALSE(edit.Add(std::string(600, '1'), message));
    EXPECT_EQ(message, "") << "an over-long formula is refused silently";
    EXPECT_EQ(edit.Count(), 0) << "nothing changes on a refusal";

    ASSERT_TRUE(edit.Add("CH1 * 2", message));
    ASSERT_TRUE(edit.Add("ch2", message));
    EXPECT_EQ(edit.Rows()[0].strFormula, "ch1*2") << "lower case without blanks";
    EXPECT_EQ(edit.EditedRow(), 2);
    std::string formula;
    ASSERT_TRUE(edit.SelectRow(1, formula));
    EXPECT_EQ(formula, "ch1*2");
    EXPECT_FALSE(edit.SelectRow(3, formula));
    ASSERT_TRUE(edit.Edit("ch1 / 4", message));
    EXPECT_EQ(edit.Rows()[0].strFormula, "ch1/4");
    ASSERT_TRUE(edit.DeleteEdited());
    EXPECT_EQ(edit.Count(), 1);
    EXPECT_EQ(edit.Rows()[0].strFormula, "ch2");
    EXPECT_EQ(edit.EditedRow(), 1);
    ASSERT_TRUE(edit.DeleteEdited());
    EXPECT_EQ(edit.EditedRow(), -1);
    EXPECT_FALSE(edit.DeleteEdited());
}

TEST(VirtualChannelEditTest, TheEngineMustCompileWhatTheCheckerPasses) {
    CVirtualChannelEdit edit({}, 0);
    OnlineLayout layout = OnlineLayout::FromUnits({0}, false);
    FormulaChannelRange range;
    range.nFirst = 0;
    range.nLast = 40; // wider than the run's sixteen channels
    edit.SetRange(range, &layout);
    std::string message;
    EXPECT_TRUE(edit.Add("ch16", message)) << message;
    EXPECT_FALSE(edit.Add("ch30", message));
    EXPECT_EQ(message, "通道选择错误");
}

TEST(VirtualChannelEditTest, TagsAndRecordsRoundTrip) {
    std::vector<VirtualChannelRecord> records(129);
    for (int i = 0; i < 129; ++i)
        records[i] = RecordOfRow({"ch1", "t" + std::to_string(i)}, i + 1);
    CVirtualChannelEdit full(records, 129);
    EXPECT_EQ(full.Count(), 128);
    std::string message;
    EXPECT_FALSE(full.Add("1", message));
    EXPECT_EQ(message, VIRTUAL_TOO_MANY);
    EXPECT_EQ(full.CheckTags(), "");
    full.SetTag(2, "t0");
    EXPECT_EQ(full.CheckTags(), VIRTUAL_TAG_REPEATED);
    full.SetTag(3, "");
    EXPECT_EQ(full.CheckTags(), VIRTUAL_TAG_EMPTY);
    full.SetTag(1, std::string(50, 'a') + "温度计读数温度计");
    const std::string kept = std::string(50, 'a') + "温度计读数温";
    EXPECT_EQ(full.Rows()[0].strTag, kept) << "cut to 63 GBK bytes, not inside a character";
    const VirtualChannelRecord tagged = full.Records()[0];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tagged.bytes + 1032)), platform::Utf8ToGbk(kept))
        << "the record keeps the tag in GBK";
    EXPECT_EQ(RowOfRecord(tagged).strTag, kept);

    const VirtualChannelRecord record = full.Records()[4];
    std::int32_t number = 0, flag = 0;
    float one = 0;
    std::memcpy(&number, record.bytes, 4);
    std::memcpy(&one, record.bytes + 4, 4);
    std::memcpy(&flag, record.bytes + 1112, 4);
    EXPECT_EQ(number, 4100);
    EXPECT_EQ(one, 1.0f);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(RowOfRecord(record).strTag, "t4");
    EXPECT_EQ(record.bytes[1096], 0);
}

TEST(VirtualChannelEditTest, KeypadReplacesTheSelection) {
    struct Case {
        const char* key;
        const char* before;
        int start, length;
        const char* after;
        int caret;
    };
    const Case cases[] = {
        {"×", "ch1", 3, 0, "ch1 * ", 6}, {"π", "2ab", 1, 2, "23.1415926", 10},
        {"sqrt", "", 0, 0, "sqrt(", 5},  {"←", "123", 2, 0, "13", 1},
        {"←", "12345", 1, 3, "15", 1},   {"←", "1", 0, 0, "1", 0},
        {"清空", "ch1", 1, 0, "", 0},    {"7", "1", 1, 0, "17", 2},
    };
    for (const Case& c : cases) {
        std::string text = c.before;
        int start = c.start, length = c.length;
        CVirtualChannelEdit::ApplyKey(c.key, text, start, length);
        EXPECT_EQ(text, c.after) << c.key << " on " << c.before;
        EXPECT_EQ(start, c.caret) << c.key << " on " << c.before;
    }
    CVirtualChannelEdit edit({}, 0);
    edit.SetRange(TwoChannels());
    std::string text = "ch1";
    int start = 3, length = 0;
    CVirtualChannelEdit::ApplyKey("×", text, start, length);
    CVirtualChannelEdit::ApplyKey("2", text, start, length);
    std::string message;
    ASSERT_TRUE(edit.Add(text, message));
    EXPECT_EQ(edit.Rows()[0].strFormula, "ch1*2");
}

} // namespace
