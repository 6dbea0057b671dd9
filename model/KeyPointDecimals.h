// Decimals of the key-point observation window: a real channel shows as many
// decimals as the data-precision table gives its measurement type, anything
// else (a virtual channel, a type without an entry) three.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

constexpr int KEY_POINT_DEFAULT_DECIMALS = 3;
constexpr int KEY_POINT_FIRST_VIRTUAL = 4096;

std::map<int, int> KeyPointDecimals(const std::vector<int>& points,
                                    const std::function<int(int)>& measureTypeOf,
                                    const std::map<int, int>& decimalsByType);

// "%.<decimals>f" of the value; three decimals for a point without an entry.
std::string KeyPointValueText(const std::map<int, int>& decimals, int point, float value);
