// What a curve view of rosette or residual-strain results reads: one value
// of a group's stored results over the view's window, and its unit text.
#pragma once

#include <string>

struct CurveWorld;

// Signal kinds 2 (rosette results) and 4 (residual-strain results).
bool IsResultCurveKind(int lineType);

// Result value `column` of group `group` (numbered from 1) over count stored
// samples from first. A group the program no longer has, or results the file
// does not hold, give no values (the no-value marker) and false.
bool ReadResultCurve(const CurveWorld& world, int lineType, int group, int column, int first, int count,
                     float* out);

// The name of group `group` (numbered from 1) of the kind's groups; empty
// for a group the program does not have.
std::string ResultGroupName(const CurveWorld& world, int lineType, int group);

// The short name of the result value: the Y unit text of a result curve.
std::string ResultCurveUnit(int lineType, int column);
