// Operator rights: the guard predicates and the stored record.
#include <gtest/gtest.h>

#include "model/OperatorRights.h"
#include "platform/RegistryProfile.h"
#include "project/ProjectTestSupport.h"

#include <tuple>

namespace {

TEST(OperatorRightsTest, GuardPredicates) {
    struct Case {
        int rightCancel;
        int stopControl;
        const char* code;
        int required;
        int stopGuarded;
        int guarded;
    };
    const Case cases[] = {
        {1, 1, "123", 0, 1, 0},                         // right cancel switches the check off
        {0, 1, "123", 1, 1, 1}, {0, 1, "", 0, 0, 0},    // an empty code never asks
        {0, 0, "123", 1, 0, 0}, {2, 1, "123", 1, 1, 1}, // only 1 cancels
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rightCancel << "," << c.stopControl << "," << c.code);
        COperatorRights rights;
        rights.m_nRightCancel = c.rightCancel;
        rights.m_nStopControlRight = c.stopControl;
        rights.m_strOperationCode = c.code;
        EXPECT_EQ(rights.IsOperationCodeRequired(), c.required);
        EXPECT_EQ(rights.IsStopControlGuarded(), c.stopGuarded);
        EXPECT_EQ(IsStopGuarded(rights), c.guarded);
    }
    // The entry code: asked only with prompts on and a code set.
    for (const auto& [cancel, code, required] :
         {std::tuple{1, "abc", 0}, {0, "abc", 1}, {0, "", 0}, {2, "abc", 1}}) {
        COperatorRights entry;
        entry.m_nRightCancel = cancel;
        entry.m_strSettingCode = code;
        EXPECT_EQ(entry.IsEntryCodeRequired(), required) << cancel << "," << code;
    }
    COperatorRights rights;
    for (const auto& [edit, allowed] : {std::pair{0, 1}, {1, 0}, {2, 1}}) {
        rights.m_nChannelEditRight = edit;
        EXPECT_EQ(rights.IsChannelEditAllowed(), allowed) << edit;
    }
    rights.SetRightCancel(5);
    EXPECT_EQ(rights.m_nRightCancel, 1);
    rights.SetRightCancel(0);
    EXPECT_EQ(rights.m_nRightCancel, 0);
}

TEST(OperatorRightsTest, StoredRecordRoundTripsInAnOwnerOnlyFile) {
    ProjectScratchFolder folder;
    platform::CRegistryProfile profile("QV静态测试系统", "QV74xx");
    profile.SetRootFolder(folder.Path());
    {
        COperatorRights rights(profile);
        EXPECT_EQ(rights.m_nRightCancel, 1); // read defaults
        EXPECT_EQ(rights.m_strOperationCode, "");
        rights.m_strSettingCode = "设置码";
        rights.m_strOperationCode = "op";
        rights.m_nSysParmEditRight = 3;
        rights.m_nStopControlRight = 1;
        rights.m_nZeroValueEditRight = 4;
        rights.m_nChannelEditRight = 1;
        rights.SetRightCancel(0);
    } // saved when destroyed
    EXPECT_EQ(FileMode(profile.GetPath()), 0600);

    COperatorRights loaded;
    loaded.Load(profile);
    COperatorRights copy;
    loaded.CopyTo(copy);
    EXPECT_EQ(copy.m_strSettingCode, "设置码");
    EXPECT_EQ(copy.m_strOperationCode, "op");
    EXPECT_EQ(copy.m_nSysParmEditRight, 3);
    EXPECT_EQ(copy.m_nStopControlRight, 1);
    EXPECT_EQ(copy.m_nZeroValueEditRight, 4);
    EXPECT_EQ(copy.m_nChannelEditRight, 1);
    EXPECT_EQ(copy.m_nRightCancel, 0);
}

} // namespace
