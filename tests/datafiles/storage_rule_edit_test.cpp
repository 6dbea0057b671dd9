// The storage-rule dialog's rules: naming switches and example, split size
// and unit, the directory list and the checks on OK.
#include "datafiles/StorageRuleEdit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

StorageRuleSettings Rule(bool date, bool time, bool number) {
    StorageRuleSettings rule;
    CopyToField(rule.szProjectName, sizeof(rule.szProjectName), "Test");
    rule.bDataStoring = date;
    rule.bTimeStoring = time;
    rule.bNumStoring = number;
    return rule;
}

StorageRuleSettings WithPaths(int count) {
    StorageRuleSettings rule = Rule(false, false, true);
    rule.nFilePathCount = count;
    for (int i = 0; i < count; ++i)
        CopyToField(rule.szSavePath[i], STORAGE_PATH_SIZE, "/d" + std::to_string(i));
    return rule;
}

TEST(StorageRuleEditTest, NamingPartsKeepOneOnAndTimeExcludesNumber) {
    struct Case {
        const char* what;
        bool date, time, number;
        StorageNamePart part;
        bool checked;
        bool wantDate, wantTime, wantNumber;
    };
    const Case cases[] = {
        {"the only part stays on", false, false, true, kNameNumber, false, false, false, true},
        {"time clears number", false, false, true, kNameTime, true, false, true, false},
        {"number clears time", true, true, false, kNameNumber, true, true, false, true},
        {"date stays beside number", false, false, true, kNameDate, true, true, false, true},
        {"a second part may go", true, false, true, kNameNumber, false, true, false, false},
    };
    for (const Case& c : cases) {
        CStorageRuleEdit edit(Rule(c.date, c.time, c.number));
        edit.ClickNamePart(c.part, c.checked);
        EXPECT_EQ(edit.IsNamePartOn(kNameDate), c.wantDate) << c.what;
        EXPECT_EQ(edit.IsNamePartOn(kNameTime), c.wantTime) << c.what;
        EXPECT_EQ(edit.IsNamePartOn(kNameNumber), c.wantNumber) << c.what;
    }
}

TEST(StorageRuleEditTest, PrefixNumberAndExample) {
    CStorageRuleEdit edit(Rule(false, false, true));
    edit.SetNumberText("0010");
    EXPECT_EQ(edit.Rule().iStartNum, 10);
    EXPECT_EQ(edit.Rule().iNumDefaultLength, 4);
    edit.SetNumberText("7");
    EXPECT_EQ(edit.NumberText(), "7");
    edit.SetNumberText("007");
    EXPECT_EQ(edit.NumberText(), "007");

    platform::LocalDateTime t;
    t.year = 2026, t.month = 3, t.day = 4, t.hour = 5, t.minute = 6, t.second = 7;
    EXPECT_EQ(edit.Example(t), "Test_007");
    EXPECT_EQ(edit.SetPrefixText(""), "") << "an empty text keeps the stored prefix";
    EXPECT_EQ(StorageProjectName(edit.Rule()), "Test");
    EXPECT_EQ(edit.SetPrefixText("ABCDEFGHIJKLMNOPQR"), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(StorageProjectName(edit.Rule()), "ABCDEFGHIJKLMNO");
    edit.ClickNamePart(kNameDate, true);
    edit.SetDateFormat(1);
    EXPECT_EQ(edit.Example(t), "ABCDEFGHIJKLMNO_20260304_007");
}

TEST(StorageRuleEditTest, SplitSizeAndUnitLimits) {
    struct Case {
        int unit;
        const char* text;
        const char* refusal;
        int stored;
    };
    const Case cases[] = {
        {STORE_BY_SIZE_MB, "3000", STORAGE_SPLIT_TOO_BIG, 100},
        {STORE_BY_SIZE_MB, "2048", "", 2048},
        {STORE_BY_HOURS, "3000", "", 3000},
        {STORE_BY_MINUTES, "0", STORAGE_SPLIT_TOO_SMALL, 100},
        {STORE_BY_SIZE_MB, "-5", STORAGE_SPLIT_TOO_SMALL, 100},
    };
    for (const Case& c : cases) {
        StorageRuleSettings rule;
        rule.StoreType = c.unit;
        CStorageRuleEdit edit(rule);
        EXPECT_EQ(edit.SetSplitSizeText(c.text), c.refusal) << c.text;
        EXPECT_EQ(edit.Rule().StoreValue, c.stored) << c.text;
    }
    StorageRuleSettings rule;
    rule.StoreType = STORE_BY_HOURS;
    CStorageRuleEdit edit(rule);
    ASSERT_EQ(edit.SetSplitSizeText("3000"), "");
    EXPECT_EQ(edit.SetSplitUnit(STORE_BY_SIZE_MB), STORAGE_SPLIT_TOO_BIG);
    EXPECT_EQ(edit.Rule().StoreType, STORE_BY_HOURS) << "the previous unit stays";
    EXPECT_EQ(edit.SetSplitUnit(STORE_BY_MINUTES), "");
    EXPECT_EQ(edit.Rule().StoreType, STORE_BY_MINUTES);
}

TEST(StorageRuleEditTest, DirectoryListKeepsItsEmptyLastItem) {
    CStorageRuleEdit full(WithPaths(20));
    EXPECT_EQ(full.Items().size(), 20u) << "no empty item after twenty";
    full.NewItem();
    EXPECT_EQ(full.Items().size(), 20u);

    CStorageRuleEdit edit(WithPaths(2));
    ASSERT_EQ(edit.Items(), (std::vector<std::string>{"/d0", "/d1", ""}));
    edit.SelectItem(2);
    edit.BeginEdit();
    edit.CommitEdit("/new");
    EXPECT_EQ(edit.Items(), (std::vector<std::string>{"/d0", "/d1", "/new", ""}));
    edit.SelectItem(2);
    edit.BeginEdit();
    edit.DeleteItem();
    EXPECT_EQ(edit.Items().size(), 4u) << "ignored while editing";
    edit.CommitEdit("");
    EXPECT_EQ(edit.Items(), (std::vector<std::string>{"/d0", "/d1", ""})) << "an empty text deletes";

    edit.SelectItem(2);
    edit.MoveUp();
    EXPECT_EQ(edit.Current(), 2) << "the empty last item does not move";
    edit.SelectItem(0);
    edit.MoveDown();
    EXPECT_EQ(edit.Items(), (std::vector<std::string>{"/d1", "/d0", ""}));
    EXPECT_EQ(edit.Current(), 1);
    edit.MoveDown();
    EXPECT_EQ(edit.Current(), 1) << "not below onto the empty item";
    edit.MoveUp();
    EXPECT_EQ(edit.Items(), (std::vector<std::string>{"/d0", "/d1", ""}));
    edit.MoveUp();
    EXPECT_EQ(edit.Current(), 0);
    edit.DeleteItem();
    EXPECT_EQ(edit.Items(), (std::vector<std::string>{"/d1", ""}));
    EXPECT_EQ(edit.Current(), 0);
    edit.SelectItem(1);
    edit.DeleteItem();
    EXPECT_EQ(edit.Items().size(), 2u) << "an empty last item is not deleted";
    edit.NewItem();
    EXPECT_EQ(edit.Items().size(), 2u) << "the empty last item is reused";
    EXPECT_EQ(edit.Current(), 1);
    std::string longPath(100, 'p');
    edit.CommitEdit(longPath);
    EXPECT_EQ(edit.Items()[1], std::string(64, 'p')) << "cut to 64 characters";
}

TEST(StorageRuleEditTest, AcceptChecksPrefixTriggerAndTakesThePaths) {
    StorageRuleSettings rule = WithPaths(3);
    CopyToField(rule.szProjectName, STORAGE_NAME_SIZE, "run.1");
    {
        CStorageRuleEdit edit(rule);
        EXPECT_EQ(edit.Accept(false, -1, "0"), "") << "unchecked while automatic naming is off";
        EXPECT_EQ(edit.Rule().nFilePathCount, 3);
        edit.SetAutoName(true);
        EXPECT_EQ(edit.Accept(false, -1, "0"), STORAGE_PREFIX_INVALID);
    }
    rule.bAutoName = 1;
    rule.szProjectName[0] = 0;
    EXPECT_EQ(CStorageRuleEdit(rule).Accept(false, -1, "0"), STORAGE_PREFIX_EMPTY);
    CopyToField(rule.szProjectName, STORAGE_NAME_SIZE, "run");
    CStorageRuleEdit edit(rule);
    EXPECT_EQ(edit.Accept(true, -1, "1.5"), STORAGE_NO_TRIGGER_CHANNEL);
    edit.SelectItem(1);
    edit.DeleteItem();
    ASSERT_EQ(edit.Accept(true, 17, "1.25"), "");
    const StorageRuleSettings& out = edit.Rule();
    EXPECT_EQ(out.nFilePathCount, 2);
    EXPECT_EQ(StoragePath(out, 0), "/d0");
    EXPECT_EQ(StoragePath(out, 1), "/d2");
    EXPECT_EQ(StoragePath(out, 2), "") << "the remaining slots are emptied";
    EXPECT_EQ(out.bTrigSave, 1);
    EXPECT_EQ(out.nTrigChan, 17);
    EXPECT_FLOAT_EQ(out.fTrigValue, 1.25f);
}

} // namespace
