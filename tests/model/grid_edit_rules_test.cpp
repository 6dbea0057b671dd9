// Texts that the extended grid's commits write by column kind.
#include "model/GridEditRules.h"

#include <gtest/gtest.h>

namespace {

TEST(GridEditRulesTest, CommitTextByKind) {
    struct Case {
        int kind;
        const char* typed;
        const char* written;
    } cases[] = {
        {GRID_KIND_TEXT, " a b ", " a b "},    {GRID_KIND_LIST, "全桥", "全桥"},
        {GRID_KIND_INTEGER, "12abc", "12"},    {GRID_KIND_INTEGER, "abc", "0"},
        {GRID_KIND_INTEGER, "-7", "-7"},       {GRID_KIND_INTEGER, "99999999999", "2147483647"},
        {GRID_KIND_DECIMAL, "1.50000", "1.5"}, {GRID_KIND_DECIMAL, "2", "2"},
        {GRID_KIND_DECIMAL, "", ""},           {GRID_KIND_DECIMAL, "0.123456", "0.12346"},
        {GRID_KIND_DECIMAL, "x", "0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatGridCommitText(c.kind, c.typed), c.written) << c.kind << " " << c.typed;
    }
    EXPECT_TRUE(GridKindNotifiesParent(GRID_KIND_LIST));
    EXPECT_FALSE(GridKindNotifiesParent(GRID_KIND_DECIMAL));
}

} // namespace
