// The database library against the test cluster: connecting and refusing,
// running commands in their modes, every parameter type through a table and
// back, an output value, and texts stored exactly as given.
#include <gtest/gtest.h>

#include "libs/database/Dovrin.h"
#include "libs/database/TestDatabase.h"

namespace {

class DovrinTest : public ::testing::Test {
protected:
    void TearDown() override { DisConncetDb(); }

    static int64_t CountRows(const std::string& table) {
        EXPECT_EQ(ExecuteSQL("select count(*) from " + table, adCmdText, 0, nullptr), 1) << GetDbLastError();
        const DbRecordsetPtr set = GetCurrentRecord();
        return set != nullptr && set->m_rows.size() == 1 ? set->m_rows[0][0].intVal : -1;
    }
};

TEST_F(DovrinTest, ExecutionNeedsAConnection) {
    EXPECT_EQ(ExecuteSQL("select 1", adCmdText, 0, nullptr), 0);
    EXPECT_EQ(GetCurrentExeStatus(), 0);
    EXPECT_EQ(GetDbLastError(), "db do not Initiate possibly");
    EXPECT_EQ(GetDbConnectStatus(), 0);
}

TEST_F(DovrinTest, ASecondConnectIsRefusedAndTheOpenOneStays) {
    ASSERT_EQ(testdb::Connect(), 1) << GetDbLastError();
    EXPECT_EQ(GetDbConnectStatus(), 1);
    EXPECT_EQ(InitAndConnectDB2005("127.0.0.9", "other", "x", "y", "", 1, testdb::kDriver), 0);
    EXPECT_EQ(GetDbLastError(), "DB is already Initialization !");
    EXPECT_EQ(GetDbConnectStatus(), 1);
    ASSERT_EQ(ExecuteSQL("select current_database()", adCmdText, 0, nullptr), 1) << GetDbLastError();
    EXPECT_EQ(GetCurrentRecord()->m_rows.at(0).at(0).strVal, "qv7411");
    DisConncetDb();
    EXPECT_EQ(GetDbConnectStatus(), 0);
    EXPECT_EQ(GetCurrentRecord(), nullptr);
}

TEST_F(DovrinTest, AWrongPasswordGivesZeroAndTheServersReason) {
    EXPECT_EQ(InitAndConnectDB2005("127.0.0.1", testdb::kDatabase, testdb::kUser, "wrong", "", testdb::Port(),
                                   testdb::kDriver),
              0);
    EXPECT_NE(GetDbLastError().find("password"), std::string::npos) << GetDbLastError();
    EXPECT_EQ(GetDbConnectStatus(), 0);
    // Nothing of the failed attempt is left in the way.
    EXPECT_EQ(testdb::Connect(), 1) << GetDbLastError();
}

// A login whose password holds the connection string's separators, braces
// and quotes gets in with exactly that password.
TEST_F(DovrinTest, PasswordsWithSeparatorsAndBracesConnect) {
    ASSERT_EQ(testdb::Connect(), 1) << GetDbLastError();
    const std::string password = "p;w}d{ 'x\"=";
    testdb::Run("drop role if exists qvodd");
    CSQLParam pw("pw", adVarChar, adParamInput, 0, DbVariant::Text(password));
    // The role's password goes in by a function, the parameter bound.
    testdb::Run("create role qvodd login");
    ASSERT_EQ(ExecuteSQL("select set_config('qv.pw', ?, false)", adCmdText, 1, &pw), 1) << GetDbLastError();
    testdb::Run(
        "do $$ begin execute format('alter role qvodd password %L', current_setting('qv.pw')); end $$");
    DisConncetDb();
    EXPECT_EQ(InitAndConnectDB2005("127.0.0.1", testdb::kDatabase, "qvodd", password, "", testdb::Port(),
                                   testdb::kDriver),
              1)
        << GetDbLastError();
    DisConncetDb();
    EXPECT_EQ(InitAndConnectDB2005("127.0.0.1", testdb::kDatabase, "qvodd", "p;w", "", testdb::Port(),
                                   testdb::kDriver),
              0);
}

TEST_F(DovrinTest, ModesKeepDropOrSkipTheResult) {
    ASSERT_EQ(testdb::Connect(), 1) << GetDbLastError();
    testdb::Run("create temporary table modes(n int)");
    ASSERT_EQ(ExecuteSQL("select 7 as seven", adCmdText, 0, nullptr, 0), 1);
    const DbRecordsetPtr kept = GetCurrentRecord();
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->m_columns, std::vector<std::string>{"seven"});
    EXPECT_EQ(kept->m_rows.at(0).at(0), DbVariant::Int4(7));
    // Mode 1 runs the command but leaves the current result as it was.
    ASSERT_EQ(ExecuteSQL("insert into modes values (1)", adCmdText, 0, nullptr, 1), 1);
    ASSERT_EQ(ExecuteSQL("select 8", adCmdText, 0, nullptr, 1), 1);
    EXPECT_EQ(GetCurrentRecord(), kept);
    // Any other mode runs nothing.
    EXPECT_EQ(ExecuteSQL("insert into modes values (2)", adCmdText, 0, nullptr, 2), 1);
    EXPECT_EQ(ExecuteSQL("this is not sql", adCmdText, 0, nullptr, 5), 1);
    EXPECT_EQ(CountRows("modes"), 1);
    // A failing command gives 0, the server's reason and execution status 0.
    EXPECT_EQ(ExecuteSQL("select * from no_such_table", adCmdText, 0, nullptr), 0);
    EXPECT_EQ(GetCurrentExeStatus(), 0);
    EXPECT_NE(GetDbLastError().find("no_such_table"), std::string::npos) << GetDbLastError();
    EXPECT_EQ(GetDbConnectStatus(), 1);
}

TEST_F(DovrinTest, EveryParameterTypeRoundTrips) {
    ASSERT_EQ(testdb::Connect(), 1) << GetDbLastError();
    testdb::Run("create temporary table typed(s smallint, i int, b bigint, r real, d double precision, "
                "f boolean, t timestamp, v varchar(40), x bytea, e bytea)");
    const std::vector<uint8_t> bytes = {0x00, 0xFF, '\'', 0x5C, 0x7B};
    const double when = 46001.0 + (13 * 3600 + 14 * 60 + 15) / 86400.0; // 2025-12-10 13:14:15
    const std::string text = "它's \"quoted\"; -- {x} \\";
    CSQLParam params[] = {
        {"s", adSmallInt, adParamInput, 2, DbVariant::Int2(-123)},
        {"i", adInteger, adParamInput, 4, DbVariant::Int4(2000000001)},
        {"b", adBigInt, adParamInput, 8, DbVariant::Int8(9000000000123LL)},
        {"r", adSingle, adParamInput, 4, DbVariant::Real4(1.25f)},
        {"d", adDouble, adParamInput, 8, DbVariant::Real8(12.34567)},
        {"f", adBoolean, adParamInput, 1, DbVariant::Bool(true)},
        {"t", adDBTimeStamp, adParamInput, 8, DbVariant::Date(when)},
        {"v", adVarChar, adParamInput, 40, DbVariant::Text(text)},
        {"x", adBinary, adParamInput, static_cast<int>(bytes.size()), DbVariant(), bytes.data()},
        {"e", adBinary, adParamInput, 0, DbVariant()},
    };
    ASSERT_EQ(ExecuteSQL("insert into typed values (?,?,?,?,?,?,?,?,?,?)", adCmdText, 10, params), 1)
        << GetDbLastError();
    // An empty binary parameter is raised to size 1 and stores no bytes.
    EXPECT_EQ(params[9].m_nSize, 1);
    ASSERT_EQ(
        ExecuteSQL("select s, i, b, r, d, f::int, t, v, x, length(e) from typed", adCmdText, 0, nullptr), 1)
        << GetDbLastError();
    const DbRecordsetPtr set = GetCurrentRecord();
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->m_rows.size(), 1u);
    const std::vector<DbVariant>& row = set->m_rows[0];
    EXPECT_EQ(row[0], DbVariant::Int2(-123));
    EXPECT_EQ(row[1], DbVariant::Int4(2000000001));
    EXPECT_EQ(row[2], DbVariant::Int8(9000000000123LL));
    EXPECT_EQ(row[3], DbVariant::Real4(1.25f));
    EXPECT_EQ(row[4], DbVariant::Real8(12.34567));
    EXPECT_EQ(row[5], DbVariant::Int4(1));
    EXPECT_EQ(row[6].vt, VT_DATE);
    EXPECT_NEAR(row[6].dblVal, when, 0.5 / 86400.0);
    EXPECT_EQ(row[7], DbVariant::Text(text));
    EXPECT_EQ(row[8], DbVariant::Binary(bytes));
    EXPECT_EQ(set->m_rows[0][9].intVal, 0);
    // NULL in, NULL out.
    CSQLParam nothing("n", adInteger, adParamInput, 4, DbVariant::Null());
    ASSERT_EQ(ExecuteSQL("select ?::int is null, ?::int", adCmdText, 1, &nothing), 0);
    ASSERT_EQ(ExecuteSQL("select cast(? as int) as n", adCmdText, 1, &nothing), 1) << GetDbLastError();
    EXPECT_EQ(GetCurrentRecord()->m_rows.at(0).at(0), DbVariant::Null());
}

TEST_F(DovrinTest, ProceduresGiveTheirOutputValue) {
    ASSERT_EQ(testdb::Connect(), 1) << GetDbLastError();
    testdb::Run("create or replace function pg_temp.twice(a int) returns int as 'select a * 2' language sql");
    CSQLParam params[] = {
        {"ret", adInteger, adParamReturnValue, 4, DbVariant()},
        {"a", adInteger, adParamInput, 4, DbVariant::Int4(21)},
    };
    ASSERT_EQ(ExecuteSQL("pg_temp.twice", adCmdStoredProc, 2, params), 1) << GetDbLastError();
    EXPECT_EQ(params[0].m_vValue, DbVariant::Int4(42));
    EXPECT_EQ(GetResultValue("ret"), DbVariant::Int4(42));
    EXPECT_EQ(GetCurrentExeStatus(), 1);
    // No such parameter: an empty value, execution status 0, nothing thrown.
    EXPECT_EQ(GetResultValue("nope"), DbVariant());
    EXPECT_EQ(GetCurrentExeStatus(), 0);
}

} // namespace
