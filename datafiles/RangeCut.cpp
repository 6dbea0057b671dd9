// All-or-nothing range deletion over a set of files.
#include "datafiles/RangeCut.h"

#include "datafiles/RawFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::int64_t kCopyBytes = 1 << 20;

std::string StagedName(const std::string& path) {
    return path + ".bak";
}
std::string KeptOriginalName(const std::string& path) {
    return path + ".old";
}

bool CopyBytes(CRawFile& from, std::int64_t begin, std::int64_t end, CRawFile& to,
               std::vector<char>& buffer) {
    for (std::int64_t pos = begin; pos < end;) {
        const std::int64_t n = std::min<std::int64_t>(kCopyBytes, end - pos);
        if (from.ReadAt(pos, buffer.data(), n) != n || !to.WriteAll(buffer.data(), n))
            return false;
        pos += n;
    }
    return true;
}

// Copies records first..last with the job's fields overwritten.
bool CopyPatched(const RangeCut::Job& job, CRawFile& from, CRawFile& to, std::vector<char>& buffer) {
    const std::int64_t perChunk = std::max<std::int64_t>(1, kCopyBytes / job.recordSize);
    for (std::int64_t k = job.first; k <= job.last;) {
        const std::int64_t records = std::min(perChunk, job.last - k + 1);
        const std::int64_t n = records * job.recordSize;
        if (n > std::int64_t(buffer.size()))
            buffer.resize(std::size_t(n));
        if (from.ReadAt(k * job.recordSize, buffer.data(), n) != n)
            return false;
        for (std::int64_t r = 0; r < records; ++r)
            for (const auto& [offset, value] : job.patches)
                std::memcpy(buffer.data() + r * job.recordSize + offset, &value, sizeof value);
        if (!to.WriteAll(buffer.data(), n))
            return false;
        k += records;
    }
    return true;
}

// Writes the file's kept (or patched) records to its staged copy.
bool WriteStaged(const RangeCut::Job& job, std::vector<char>& buffer) {
    CRawFile from;
    if (!from.Open(job.path.c_str(), CRawFile::kRead | CRawFile::kShareDenyNone))
        return false;
    const std::int64_t length = from.Length();
    CRawFile to;
    bool ok = length >= 0 && to.Open(StagedName(job.path).c_str(), CRawFile::kCreate | CRawFile::kWrite);
    ok = ok && CopyBytes(from, 0, job.first * job.recordSize, to, buffer);
    if (!job.patches.empty())
        ok = ok && CopyPatched(job, from, to, buffer);
    ok = ok && CopyBytes(from, std::min(length, (job.last + 1) * job.recordSize), length, to, buffer);
    // The copy starts on its way to the disk now; Apply waits for all of
    // them together, so that the files' flushes overlap.
    if (ok)
        ::sync_file_range(to.Handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
    to.Close();
    from.Close();
    return ok;
}

// Every staged copy is on the disk before any original is replaced.
bool FlushStaged(const std::vector<RangeCut::Job>& jobs) {
    for (const RangeCut::Job& job : jobs) {
        CRawFile staged;
        if (!staged.Open(StagedName(job.path).c_str(), CRawFile::kRead))
            return false;
        const bool flushed = ::fsync(staged.Handle()) == 0;
        staged.Close();
        if (!flushed)
            return false;
    }
    return true;
}

void RemoveStaged(const std::vector<RangeCut::Job>& jobs) {
    for (const RangeCut::Job& job : jobs)
        ::unlink(StagedName(job.path).c_str());
}

} // namespace

std::int64_t RangeCut::RecordCount(const std::string& path, std::int64_t recordSize) {
    CRawFile file;
    if (recordSize <= 0 || !file.Open(path.c_str(), CRawFile::kRead | CRawFile::kShareDenyNone))
        return -1;
    const std::int64_t length = file.Length();
    file.Close();
    return length < 0 ? -1 : length / recordSize;
}

bool RangeCut::Add(const std::string& path, std::int64_t recordSize, std::int64_t first, std::int64_t last) {
    const std::int64_t count = RecordCount(path, recordSize);
    if (count < 0 || first < 0 || last < first || first >= count)
        return false;
    jobs.push_back(Job{path, recordSize, first, std::min(last, count - 1)});
    return true;
}

bool RangeCut::AddPatch(const std::string& path, std::int64_t recordSize, std::int64_t first,
                        std::int64_t last, std::vector<std::pair<std::int64_t, float>> patches) {
    for (const auto& patch : patches)
        if (patch.first < 0 || patch.first + std::int64_t(sizeof(float)) > recordSize)
            return false;
    if (patches.empty() || !Add(path, recordSize, first, last))
        return false;
    jobs.back().patches = std::move(patches);
    return true;
}

bool RangeCut::Apply() const {
    std::vector<char> buffer(kCopyBytes);
    for (const Job& job : jobs) {
        if (!WriteStaged(job, buffer)) {
            RemoveStaged(jobs);
            return false;
        }
    }
    if (!FlushStaged(jobs)) {
        RemoveStaged(jobs);
        return false;
    }
    // Keep a second name of every original until all renames are done.
    std::size_t linked = 0;
    for (; linked < jobs.size(); ++linked) {
        const std::string old = KeptOriginalName(jobs[linked].path);
        ::unlink(old.c_str());
        if (::link(jobs[linked].path.c_str(), old.c_str()) != 0)
            break;
    }
    std::size_t renamed = 0;
    if (linked == jobs.size()) {
        for (; renamed < jobs.size(); ++renamed)
            if (std::rename(StagedName(jobs[renamed].path).c_str(), jobs[renamed].path.c_str()) != 0)
                break;
    }
    const bool ok = renamed == jobs.size();
    if (!ok) {
        for (std::size_t i = 0; i < renamed; ++i)
            std::rename(KeptOriginalName(jobs[i].path).c_str(), jobs[i].path.c_str());
        RemoveStaged(jobs);
    }
    for (std::size_t i = 0; i < linked; ++i)
        ::unlink(KeptOriginalName(jobs[i].path).c_str());
    return ok;
}
