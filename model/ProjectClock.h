// The current time and the free disk space as automatic project naming and
// storage splitting see them, behind one small interface so that tests can
// fix both.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Time.h"

class IProjectClock {
public:
    virtual ~IProjectClock() = default;
    virtual platform::LocalDateTime NowLocal() const = 0;
    // Seconds since 1970, the unit of the storage period.
    virtual std::int64_t NowTimeT() const = 0;
    // Bytes free on the file system of the path; -1 when unknown.
    virtual std::int64_t FreeDiskSpace(const std::string& path) const = 0;
};

// The system clock and the real file systems.
class CSystemProjectClock : public IProjectClock {
public:
    platform::LocalDateTime NowLocal() const override;
    std::int64_t NowTimeT() const override;
    std::int64_t FreeDiskSpace(const std::string& path) const override;
};

// One shared system clock for callers that are given none.
const IProjectClock& SystemProjectClock();
