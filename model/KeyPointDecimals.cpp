// Decimals and value texts of the key-point observation window.
#include "model/KeyPointDecimals.h"

#include "platform/Text.h"

#include <algorithm>

std::map<int, int> KeyPointDecimals(const std::vector<int>& points,
                                    const std::function<int(int)>& measureTypeOf,
                                    const std::map<int, int>& decimalsByType) {
    std::map<int, int> decimals;
    for (int point : points) {
        int shown = KEY_POINT_DEFAULT_DECIMALS;
        if (point >= 0 && point < KEY_POINT_FIRST_VIRTUAL) {
            const auto it = decimalsByType.find(measureTypeOf(point));
            if (it != decimalsByType.end())
                shown = it->second;
        }
        decimals[point] = shown;
    }
    return decimals;
}

std::string KeyPointValueText(const std::map<int, int>& decimals, int point, float value) {
    const auto it = decimals.find(point);
    // A precision outside what printf can show is taken as its nearest bound.
    const int shown = std::clamp(it == decimals.end() ? KEY_POINT_DEFAULT_DECIMALS : it->second, 0, 15);
    return platform::Format("%.*f", shown, static_cast<double>(value));
}
