// Windows' MulDiv: a * b / c with a 64-bit product, rounded to the nearest
// integer (halves away from zero); -1 when c is 0 or the result overflows.
#pragma once

namespace platform {

int MulDiv(int a, int b, int c);

} // namespace platform
