// The event-sampling schedule: the events of `SampleEvent.INI` (trigger
// time, interval, limited count or cyclic), the rules a new or changed
// trigger time must pass, and the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SampleEvent {
    double dTriggerTime = 0.0;    // 8-byte date
    std::int32_t nTimeStatus = 0; // 0 valid
    std::int32_t nEventNumber = 0;
    std::int32_t nInterval = 3; // seconds, 0 to 86,400
    std::int32_t nType = 0;     // 0 limited count, 1 cyclic
    std::int32_t nSampleCount = 0;
};

constexpr int SAMPLE_EVENT_LIMITED = 0;
constexpr int SAMPLE_EVENT_CYCLIC = 1;
// The table takes events while fewer than this many exist.
constexpr int SAMPLE_EVENT_TABLE_LIMIT = 1025;
constexpr int SAMPLE_EVENT_MAX_INTERVAL = 86400;
constexpr int SAMPLE_EVENT_MAX_COUNT = 99999999;

enum class EventTimeCheck { Ok, Past, Duplicate, BeforePreviousEnd };

// Checks the trigger time of the event that goes at position index of the
// schedule (index = size for a new one; the event there is then replaced and
// not compared with itself): not before now, not the time of another event,
// and not before the estimated end of the limited event before it (its
// trigger time + its count × its own interval).
EventTimeCheck CheckEventTime(const std::vector<SampleEvent>& events, std::size_t index, double triggerTime,
                              double now);
// The message of a refused time.
std::string EventTimeMessage(EventTimeCheck check);

// "%d-%d-%d %02d:%02d:%02d" of a trigger time, and back; false for a text
// that is not such a date and time.
std::string FormatEventTime(double date);
bool ParseEventTime(const std::string& text, double& date);

// Renumbers the events 1 to n in order.
void RenumberEvents(std::vector<SampleEvent>& events);

// Reads the schedule; a missing file is no events. The count is bounded by
// the table's limit; events whose time is not a date are read with time 0
// and an invalid status, and their 1-based numbers listed in badTimes.
void ReadSampleEventFile(const std::string& path, std::vector<SampleEvent>& events,
                         std::vector<int>* badTimes = nullptr);
// Writes the count, then every event's section (and drops sections of
// events the schedule no longer has). False when the count cannot be written:
// then no event is written.
bool WriteSampleEventFile(const std::string& path, const std::vector<SampleEvent>& events);
