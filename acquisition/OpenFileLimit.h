// The open-file limit a run needs: two data files per online unit, the
// virtual-channel files and one socket per case exceed the usual default
// soft limit of 1,024 descriptors. The program raises its soft limit at
// start-up.
#pragma once

#include <cstdint>
#include <string>

// Descriptors a full instrument can hold open in a run, with room to spare.
constexpr std::uint64_t kWantedOpenFiles = 4096;

// Raises the soft limit towards wanted (never above the hard limit). 1 when
// the limit is at least wanted afterwards; otherwise 0 with a message for
// the user naming the limit reached.
int RaiseOpenFileLimit(std::uint64_t wanted, std::string& message);
