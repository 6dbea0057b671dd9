// The throwaway PostgreSQL cluster of the database tests (started by the
// CTest fixture "test_database"): where it listens, connecting to it through
// the library, and stopping and starting its server for outage tests.
#pragma once

#include "libs/database/DbVariant.h"

#include <ostream>
#include <string>

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

} // namespace testdb
