// Status-record readers of the data-file accessor.
#include "datafiles/DataFileAccess.h"

#include "datafiles/RawFile.h"
#include "model/TimeTexts.h"
#include "platform/Text.h"

#include <cstring>
#include <vector>

namespace {

constexpr unsigned kReadFlags = CRawFile::kRead | CRawFile::kShareDenyNone;
constexpr std::int64_t kRecord = sizeof(SampleStatusRecord);

// Reads record index into record; false (record zeroed) when it is not
// wholly in the file.
bool ReadOne(CRawFile& file, std::int64_t index, void* record) {
    if (index >= 0 && file.ReadAt(index * kRecord, record, kRecord) == kRecord)
        return true;
    std::memset(record, 0, kRecord);
    return false;
}

std::string LabelText(const SampleStatusRecord& record) {
    return platform::GbkToUtf8(StatusLabel(record));
}

} // namespace

std::string FormatStatusTime(double date, std::int32_t status) {
    return status == 0 ? FormatOleDateTime(date) : std::string();
}

int CDataFileAccess::ReadStatusRecords(const std::string& path, int first, int count,
                                       SampleStatusRecord** records) {
    CRawFile file;
    if (!file.Open(path.c_str(), kReadFlags))
        return 0;
    // Reading stops at the first short record; the records after it are
    // cleared rather than left with what the caller's buffers held.
    bool reading = true;
    for (int i = 0; i < count; ++i) {
        if (reading)
            reading = ReadOne(file, std::int64_t(first) + i, records[i]);
        else
            std::memset(records[i], 0, kRecord);
    }
    file.Close();
    return 1;
}

int CDataFileAccess::ReadStatusField(const std::string& path, int word, int first, int last,
                                     std::int32_t* out) {
    if (word < 0 || word > 7)
        return 0;
    CRawFile file;
    if (!file.Open(path.c_str(), kReadFlags))
        return 0;
    SampleStatusRecord record;
    for (int k = first, i = 0; k <= last; ++k, ++i) {
        if (!ReadOne(file, k, &record))
            break;
        std::memcpy(&out[i], reinterpret_cast<const char*>(&record) + 4 * word, 4);
    }
    file.Close();
    return 1;
}

int CDataFileAccess::ReadStatusRecord(const std::string& path, int index, void* record) {
    CRawFile file;
    if (!file.Open(path.c_str(), kReadFlags))
        return 0;
    const bool ok = ReadOne(file, index, record);
    file.Close();
    return ok ? 1 : 0;
}

int CDataFileAccess::ReadSampleStatus(const std::string& path, int index, SampleStatusRecord* record) const {
    return ReadStatusRecord(SelectCaseStatusFile(m_layout, path), index, record);
}

int CDataFileAccess::ReadSampleTimeText(const std::string& path, int index, std::string& text) const {
    SampleStatusRecord record;
    if (!ReadSampleStatus(path, index, &record))
        return 0;
    text = FormatStatusTime(record.dtTime, record.nStatus) + "  " + LabelText(record);
    return 1;
}

int CDataFileAccess::ReadSampleTimeTexts(const std::string& path, int first, int end, std::string* times,
                                         std::string* labels) const {
    CRawFile file;
    if (first < 0 || end < first || !file.Open(SelectCaseStatusFile(m_layout, path).c_str(), kReadFlags))
        return 0;
    const std::int64_t records = file.Length() / kRecord;
    std::vector<SampleStatusRecord> buffer(std::size_t(end - first));
    const bool ok = end <= records &&
                    file.ReadAt(first * kRecord, buffer.data(), std::int64_t(buffer.size()) * kRecord) ==
                        std::int64_t(buffer.size()) * kRecord;
    file.Close();
    if (!ok)
        return 0;
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        if (times)
            times[i] = FormatStatusTime(buffer[i].dtTime, buffer[i].nStatus);
        if (labels)
            labels[i] = LabelText(buffer[i]);
    }
    return 1;
}
