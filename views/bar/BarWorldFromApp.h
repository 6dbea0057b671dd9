// Fills a bar view's inputs from the program's process-wide tables.
#pragma once

#include "views/bar/BarViewModel.h"

void FillBarWorldFromAppTables(BarWorld& world);
