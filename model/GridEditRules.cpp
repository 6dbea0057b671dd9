// Commit texts of the extended grid's column kinds.
#include "model/GridEditRules.h"

#include <cstdlib>

#include "model/NumberTexts.h"
#include "platform/Text.h"

namespace {
constexpr int DECIMAL_PLACES = 5;
} // namespace

std::string FormatGridCommitText(int kind, const std::string& text) {
    switch (kind) {
    case GRID_KIND_INTEGER: {
        const long long value = std::strtoll(text.c_str(), nullptr, 10);
        const int clamped = value > 2147483647LL    ? 2147483647
                            : value < -2147483648LL ? -2147483647 - 1
                                                    : int(value);
        return platform::Format("%d", clamped);
    }
    case GRID_KIND_DECIMAL:
        if (text.empty()) {
            return text;
        }
        return FormatValueDecimals(static_cast<float>(std::atof(text.c_str())), DECIMAL_PLACES);
    default:
        return text;
    }
}
