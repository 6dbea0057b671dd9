// How many message boxes were shown so far: a caller can tell whether the
// work it ran has reported a failure to the user already.
#pragma once

#include <cstddef>

namespace platform {

std::size_t MessageBoxesShown();

} // namespace platform
