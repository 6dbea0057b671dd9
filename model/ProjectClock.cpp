// The system side of the project clock.
#include "model/ProjectClock.h"

#include "platform/Files.h"

platform::LocalDateTime CSystemProjectClock::NowLocal() const {
    return platform::NowLocal();
}

std::int64_t CSystemProjectClock::NowTimeT() const {
    return platform::NowTimeT();
}

std::int64_t CSystemProjectClock::FreeDiskSpace(const std::string& path) const {
    return platform::FreeDiskSpace(path);
}

const IProjectClock& SystemProjectClock() {
    static const CSystemProjectClock clock;
    return clock;
}
