// The test cluster's connection and its server outages.
#include "libs/database/TestDatabase.h"

#include "libs/database/Dovrin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

void PrintTo(const DbVariant& value, std::ostream* out) {
    *out << "vt " << value.vt << " " << CrackStrVariant(value) << " (" << value.intVal << ", " << value.dblVal
         << ", \"" << value.strVal << "\", " << value.bytes.size() << " bytes)";
}

namespace testdb {

namespace {

void Cluster(const char* action) {
    const std::string command = std::string(QV_PG_CLUSTER) + " " + action + " " + QV_TEST_DB_INFO;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

} // namespace

int Port() {
    std::ifstream info(QV_TEST_DB_INFO);
    std::string folder;
    int port = 0;
    info >> folder >> port;
    EXPECT_NE(port, 0) << "no test cluster: " << QV_TEST_DB_INFO;
    return port;
}

int Connect() {
    return InitAndConnectDB2005("127.0.0.1", kDatabase, kUser, kPassword, "", Port(), kDriver);
}

void Run(const std::string& sql) {
    ASSERT_EQ(ExecuteSQL(sql, adCmdText, 0, nullptr), 1) << sql << ": " << GetDbLastError();
}

void Halt() {
    Cluster("halt");
}

void Resume() {
    Cluster("resume");
}

} // namespace testdb
