// Fuzz target: the data-frame search over arbitrary receive buffers.
#include "acquisition/CaseFrame.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int length = static_cast<int>(size);
    int start = size > 0 ? static_cast<std::int8_t>(data[0]) : 0;
    int end = -1;
    // Walk the buffer as the case link does: each frame's end starts the next search.
    for (int guard = 0; guard <= length && FindDataFrame(data, length, start, end); ++guard) {
        if (start < 0 || end <= start || end > length - 9)
            std::abort();
        start = end;
    }
    return 0;
}
