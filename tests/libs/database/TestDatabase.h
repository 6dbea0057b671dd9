// The throwaway PostgreSQL cluster of the database tests (started by the
// CTest fixture "test_database"): where it listens, connecting to it through
// the library, and stopping and starting its server for outage tests.
#pragma once

#include "libs/database/DbVariant.h"

#include <ostream>
#include <string>
#include <vector>

// Values in test failures: the type code and the value.
void PrintTo(const DbVariant& value, std::ostream* out);

namespace testdb {

constexpr const char* kDriver = "PostgreSQL ANSI";
constexpr const char* kDatabase = "qv7411";
constexpr const char* kUser = "qvtest";
constexpr const char* kPassword = "qvtest";

// The cluster's port; fails the test (and gives 0) when no cluster runs.
int Port();
// Connects the library with the test login; 1 when connected.
int Connect();
// Runs a statement that must succeed (setting up tables and roles).
void Run(const std::string& sql);
// Stops and starts the server of the same cluster, on the same port.
void Halt();
void Resume();

// The measured-value table of the database writer, made empty (with a
// serial column "seq" that keeps the order of the rows); connects the
// library for the work and leaves it disconnected.
void CreateMeasureTable();
// Its rows in order, each column as text (the time as "%Y-%m-%d %H:%M:%S").
std::vector<std::vector<std::string>> MeasureRows();
// A "PositionInfo.ini" in the folder for writing to the test cluster with
// "WriteDB" = writeDB and one "MeasurePoint%d" key per entry of points.
void WriteWriterSettings(const std::string& folder, const std::string& writeDB,
                         const std::vector<std::string>& points, const std::string& password = kPassword);

// A loopback listener that takes connections and never says a word: a
// database server that hangs.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    int Port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};

} // namespace testdb
