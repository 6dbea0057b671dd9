#include "calibrator/RunClock.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <string>

namespace run_clock {

namespace {
std::atomic<double> g_scale{1.0};
}

void SetScale(double scale) {
    g_scale.store(std::isfinite(scale) && scale >= 0 ? scale : 1.0);
}

double Scale() {
    return g_scale.load();
}

void ScaleFromEnvironment() {
    const char* text = std::getenv("KELVANE_PAUSE_SCALE");
    if (text == nullptr || *text == '\0')
        return;
    char* end = nullptr;
    const double scale = std::strtod(text, &end);
    if (end != text && *end == '\0' && scale >= 0)
        SetScale(scale);
}

std::uint32_t Scaled(std::uint32_t milliseconds) {
    const double scaled = std::ceil(static_cast<double>(milliseconds) * g_scale.load());
    return scaled >= 0xFFFFFFFE ? 0xFFFFFFFE : static_cast<std::uint32_t>(scaled);
}

bool Pause(platform::Event& wake, std::uint32_t milliseconds) {
    const std::uint32_t scaled = Scaled(milliseconds);
    if (scaled == 0)
        return !wake.IsSet();
    return wake.Wait(scaled) == platform::WAIT_TIMEOUT;
}

} // namespace run_clock
