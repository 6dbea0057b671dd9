// Fills a curve view's inputs from the program's process-wide tables: the
// measured channels, where their values sit in the current sample set, their
// texts and measuring ranges, and the online list of the stored run.
#pragma once

#include "views/curve/CurveWorld.h"

void FillCurveWorldFromAppTables(CurveWorld& world);
