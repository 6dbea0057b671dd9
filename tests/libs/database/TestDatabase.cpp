// The test cluster's connection and its server outages.
#include "libs/database/TestDatabase.h"

#include "libs/database/Dovrin.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <arpa/inet.h>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

void CreateMeasureTable() {
    ASSERT_EQ(Connect(), 1) << GetDbLastError();
    Run("drop table if exists 应变监测数据记录表");
    Run("create table 应变监测数据记录表(seq serial, 桥梁编号 varchar(128), 测点编号 varchar(20), "
        "采集时间 timestamp, 工程单位 varchar(16), 测量值 double precision)");
    DisConncetDb();
}

std::vector<std::vector<std::string>> MeasureRows() {
    std::vector<std::vector<std::string>> rows;
    EXPECT_EQ(Connect(), 1) << GetDbLastError();
    EXPECT_EQ(ExecuteSQL("select 桥梁编号, 测点编号, to_char(采集时间, 'YYYY-MM-DD HH24:MI:SS'), 工程单位, "
                         "测量值::text from 应变监测数据记录表 order by seq",
                         adCmdText, 0, nullptr),
              1)
        << GetDbLastError();
    if (const DbRecordsetPtr set = GetCurrentRecord()) {
        for (const auto& row : set->m_rows) {
            std::vector<std::string> texts;
            for (const DbVariant& value : row) {
                texts.push_back(value.vt == VT_NULL ? "NULL" : value.strVal);
            }
            rows.push_back(texts);
        }
    }
    DisConncetDb();
    return rows;
}

void WriteWriterSettings(const std::string& folder, const std::string& writeDB,
                         const std::vector<std::string>& points, const std::string& password) {
    const std::string path = folder + "/PositionInfo.ini";
    const std::pair<const char*, std::string> database[] = {
        {"WriteDB", writeDB}, {"IP", "127.0.0.1"}, {"DB", kDatabase},
        {"User", kUser},      {"Pwd", password},   {"Port", std::to_string(Port())},
        {"Driver", kDriver},
    };
    for (const auto& [key, value] : database) {
        if (value.empty()) {
            continue; // the key is left out
        }
        ASSERT_TRUE(platform::WritePrivateProfileString("DataBase", key, value, path));
    }
    ASSERT_TRUE(platform::WritePrivateProfileString("PositionInfo", "ProjectNum", "QL-07", path));
    for (size_t i = 0; i < points.size(); ++i) {
        ASSERT_TRUE(platform::WritePrivateProfileString("PositionInfo", "MeasurePoint" + std::to_string(i),
                                                        points[i], path));
    }
}

SilentServer::SilentServer() {
    m_socket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_socket < 0 || bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_socket, 8) != 0 ||
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "no loopback listener";
        return;
    }
    m_port = ntohs(address.sin_port);
}

SilentServer::~SilentServer() {
    if (m_socket >= 0) {
        close(m_socket);
    }
}

} // namespace testdb
