// Windows' MulDiv, rounding to nearest as the layout arithmetic relies on.
#include "platform/MulDiv.h"

#include <climits>
#include <cstdint>

namespace platform {

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    std::int64_t num = static_cast<std::int64_t>(a) * b;
    std::int64_t den = c;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const std::int64_t half = den / 2;
    const std::int64_t q = num >= 0 ? (num + half) / den : -((-num + half) / den);
    if (q > INT_MAX || q < INT_MIN)
        return -1;
    return static_cast<int>(q);
}

} // namespace platform
