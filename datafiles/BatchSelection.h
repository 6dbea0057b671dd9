// The rules of the distribution view's choice of stored samples without its
// window: the sample times read from a copy of the run's status file, and
// the list of up to four chosen samples.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kMaxDistributionBatches = 4;

// The time texts ("%d-%d-%d %02d:%02d:%02d") of the first count samples of a
// status file. The file is copied, under the global data lock, to a name with
// ".~~u" in place of ".stu" and read from the copy, so that a run writing the
// file is never disturbed; the copy is removed afterwards. Fewer texts when
// the file holds fewer records; none when it cannot be copied.
std::vector<std::string> ReadBatchTimeTexts(const std::string& statusPath, int count);

class CBatchChoice {
public:
    // Adds a sample; false when four are chosen already.
    bool Add(int sampleIndex);
    // Removes the entry at a place in the choice; later ones move up.
    void RemoveAt(int place);
    int GetCount() const { return m_nCount; }
    const std::array<std::int32_t, kMaxDistributionBatches>& GetIndices() const { return m_indices; }

private:
    int m_nCount = 0;
    std::array<std::int32_t, kMaxDistributionBatches> m_indices{};
};
