// Event-sampling schedule rules and its settings file.
#include "project/SampleEventSchedule.h"

#include "platform/Profile.h"
#include "platform/Text.h"
#include "platform/Time.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kSecondsPerDay = 86400.0;
const char* const kCountSection = "EventCount";
const char* const kCountKey = "m_nEventCount";

// Whole seconds of a date, so that two texts of the same time compare equal.
long long Seconds(double date) {
    return std::llround(date * kSecondsPerDay);
}

std::string EventSection(std::size_t i) {
    return platform::Format("Event%d", static_cast<int>(i));
}

} // namespace

EventTimeCheck CheckEventTime(const std::vector<SampleEvent>& events, std::size_t index, double triggerTime,
                              double now) {
    const long long t = Seconds(triggerTime);
    if (t < Seconds(now))
        return EventTimeCheck::Past;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (i != index && Seconds(events[i].dTriggerTime) == t)
            return EventTimeCheck::Duplicate;
    }
    const std::size_t previous = std::min(index, events.size());
    if (previous > 0) {
        const SampleEvent& last = events[previous - 1];
        if (last.nType == SAMPLE_EVENT_LIMITED) {
            const long long end =
                Seconds(last.dTriggerTime) + static_cast<long long>(last.nSampleCount) * last.nInterval;
            if (t < end)
                return EventTimeCheck::BeforePreviousEnd;
        }
    }
    return EventTimeCheck::Ok;
}

std::string EventTimeMessage(EventTimeCheck check) {
    switch (check) {
    case EventTimeCheck::Past:
        return "输入时间无效!\n该时间已过期!";
    case EventTimeCheck::Duplicate:
        return "输入时间无效!\n该事件/时间已存在!";
    case EventTimeCheck::BeforePreviousEnd:
        return "当前设定的触发时间无效!\n\r上一触发事件达到设定的采样次数时已超过当前设定的触发时间!";
    default:
        return {};
    }
}

std::string FormatEventTime(double date) {
    platform::LocalDateTime t;
    if (!platform::LocalFromOleDate(date, t))
        return {};
    return platform::Format("%d-%d-%d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

bool ParseEventTime(const std::string& text, double& date) {
    platform::LocalDateTime t;
    char tail = 0;
    if (std::sscanf(text.c_str(), " %d-%d-%d %d:%d:%d %c", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                    &t.second, &tail) != 6)
        return false;
    return platform::OleDateFromLocal(t, date);
}

void RenumberEvents(std::vector<SampleEvent>& events) {
    for (std::size_t i = 0; i < events.size(); ++i)
        events[i].nEventNumber = static_cast<std::int32_t>(i + 1);
}

void ReadSampleEventFile(const std::string& path, std::vector<SampleEvent>& events,
                         std::vector<int>* badTimes) {
    events.clear();
    const int count = std::clamp(platform::GetPrivateProfileInt(kCountSection, kCountKey, 0, path), 0,
                                 SAMPLE_EVENT_TABLE_LIMIT);
    for (int i = 0; i < count; ++i) {
        const std::string section = EventSection(std::size_t(i));
        SampleEvent event;
        const std::string time = platform::GetPrivateProfileString(section, "strTriggerTime", "0", path);
        if (!ParseEventTime(time, event.dTriggerTime)) {
            event.dTriggerTime = 0.0;
            event.nTimeStatus = 1;
            if (badTimes != nullptr)
                badTimes->push_back(i + 1);
        }
        event.nEventNumber = i + 1;
        event.nInterval = platform::GetPrivateProfileInt(section, "nEventInterval", 3, path);
        event.nType = platform::GetPrivateProfileInt(section, "nEventType", 0, path);
        event.nSampleCount = platform::GetPrivateProfileInt(section, "nSampleCount", 0, path);
        events.push_back(event);
    }
}

bool WriteSampleEventFile(const std::string& path, const std::vector<SampleEvent>& events) {
    const std::vector<std::string> sections = platform::GetPrivateProfileSectionNames(path);
    // One write of the file for the whole schedule.
    platform::ProfileWriteDeferral oneWrite;
    if (!platform::WritePrivateProfileString(kCountSection, kCountKey, std::to_string(events.size()), path))
        return false;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const SampleEvent& e = events[i];
        const std::string section = EventSection(i);
        platform::WritePrivateProfileString(section, "nEventNumber", std::to_string(e.nEventNumber), path);
        platform::WritePrivateProfileString(section, "strTriggerTime", FormatEventTime(e.dTriggerTime), path);
        platform::WritePrivateProfileString(section, "nEventInterval", std::to_string(e.nInterval), path);
        platform::WritePrivateProfileString(section, "nEventType", std::to_string(e.nType), path);
        platform::WritePrivateProfileString(section, "nSampleCount", std::to_string(e.nSampleCount), path);
    }
    for (const std::string& section : sections) {
        int index = -1;
        char tail = 0;
        if (section.rfind("Event", 0) == 0 && std::sscanf(section.c_str() + 5, "%d%c", &index, &tail) == 1 &&
            index >= static_cast<int>(events.size()))
            platform::DeletePrivateProfileSection(section, path);
    }
    return true;
}
