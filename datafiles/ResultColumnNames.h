// Column names of the derived results: a short symbol and a full name for
// each rosette and residual-stress result value; "未 定 义" for other indexes.
#pragma once

#include <string>

std::string GetRosetteShortColumnName(int index);
std::string GetRosetteColumnName(int index);
std::string GetResidualShortColumnName(int index);
std::string GetResidualColumnName(int index);
