// The sample stream of one network case: received bytes to sample blocks,
// dispatch of kept samples, the per-case files and the two workers.
#include "acquisition/CaseLink.h"

#include "acquisition/CaseFrame.h"
#include "acquisition/RunWriteError.h"
#include "datafiles/SampleFileFormat.h"
#include "platform/Text.h"
#include "platform/Time.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// 24-bit two's complement, most significant byte first.
std::int32_t Signed24(const std::uint8_t* b) {
    std::int32_t v = (b[0] << 16) | (b[1] << 8) | b[2];
    return (v & 0x800000) ? v - 0x1000000 : v;
}

// The same read from a four-byte load, for a value with one more readable
// byte after it: the byte lands below the shift and is dropped.
std::int32_t Signed24Word(const std::uint8_t* b) {
    std::uint32_t word;
    std::memcpy(&word, b, sizeof word);
    if constexpr (std::endian::native == std::endian::little)
        word = __builtin_bswap32(word);
    return static_cast<std::int32_t>(word) >> 8;
}

// A unit's 16 values, times the channels' coefficients and, with a stage,
// converted, into the block; a unit without values keeps 0.0 (converted).
// Each value is decoded, scaled and converted in registers and stored once.
void DecodeValues(const std::uint8_t* unit, const float* coef, const ModuleLinearStage* stage,
                  CaseSampleBlock& block) {
    auto* out = reinterpret_cast<std::uint8_t*>(&block) + offsetof(CaseSampleBlock, fValues);
    const auto store = [out](int ch, float value) { std::memcpy(out + 4 * ch, &value, sizeof value); };
    if ((unit[7] & 0xC0) == 0xC0) {
        for (int ch = 0; ch < 16; ++ch)
            store(ch, stage != nullptr ? stage->Apply(ch, 0.0f) : 0.0f);
        return;
    }
    // The last value ends the unit: only it is read byte by byte.
    const auto raw = [unit](int ch) {
        return ch < 15 ? Signed24Word(unit + 8 + 3 * ch) : Signed24(unit + 8 + 3 * ch);
    };
#if defined(__SSE2__)
    // Four channels at a time, in the very operations of the stage's Apply.
    const __m128i further = _mm_set1_epi32(static_cast<int>(ModuleLinearStage::kFurtherBits));
    const __m128i noValue = _mm_set1_epi32(static_cast<int>(ModuleLinearStage::kNoValueBits));
    for (int ch = 0; ch < 16; ch += 4) {
        const __m128i words = _mm_unpacklo_epi64(
            _mm_unpacklo_epi32(_mm_cvtsi32_si128(raw(ch)), _mm_cvtsi32_si128(raw(ch + 1))),
            _mm_unpacklo_epi32(_mm_cvtsi32_si128(raw(ch + 2)), _mm_cvtsi32_si128(raw(ch + 3))));
        __m128 value = _mm_mul_ps(_mm_cvtepi32_ps(words), _mm_loadu_ps(coef + ch));
        if (stage != nullptr) {
            const __m128 converted = _mm_sub_ps(_mm_mul_ps(_mm_sub_ps(value, _mm_loadu_ps(stage->zero + ch)),
                                                           _mm_loadu_ps(stage->scale + ch)),
                                                _mm_loadu_ps(stage->offset + ch));
            const __m128i bits = _mm_castps_si128(value);
            const __m128i marker =
                _mm_or_si128(_mm_cmpeq_epi32(bits, further), _mm_cmpeq_epi32(bits, noValue));
            value = _mm_castsi128_ps(_mm_or_si128(_mm_and_si128(marker, bits),
                                                  _mm_andnot_si128(marker, _mm_castps_si128(converted))));
        }
        _mm_storeu_ps(reinterpret_cast<float*>(out + 4 * ch), value);
    }
#else
    for (int ch = 0; ch < 16; ++ch) {
        const float value = static_cast<float>(raw(ch)) * coef[ch];
        store(ch, stage != nullptr ? stage->Apply(ch, value) : value);
    }
#endif
}

} // namespace

// ---- Receive path --------------------------------------------------------

void CCaseLink::PushReceivedBytes(int len, const std::uint8_t* bytes) {
    if (len <= 0 || len > kBufferSize)
        return;
    CaseLinkQueue::Packet packet;
    packet.fTime = NowSeconds();
    packet.data = m_rawQueue.TakeSpare();
    packet.data.assign(bytes, bytes + len);
    m_rawQueue.AddTail(std::move(packet), kRawQueueLimit);
}

void CCaseLink::AppendAssembly(const std::uint8_t* bytes, int length) {
    if (length > kBufferSize)
        return;
    if (m_nAssembly + length > kAssemblySize)
        m_nAssembly = 0;
    std::memcpy(m_assembly.data() + m_nAssembly, bytes, static_cast<std::size_t>(length));
    m_nAssembly += length;
}

void CCaseLink::ParseAssembly() {
    if (m_nDataMode.load() == 2)
        SplitFrames();
    else
        ParseSampleBlock();
}

int CCaseLink::ReceiveRunBytes() {
    // Read straight into the assembly buffer behind the bytes an earlier
    // parse left (an unfinished sample), until the socket holds no more; one
    // parse then makes the batch. A parse in between makes room when a read
    // could not fit.
    MakeAssembly();
    std::lock_guard<std::mutex> lock(m_csReceive);
    const bool keep = !m_pHost->IsSamplePaused();
    int total = 0;
    while (m_bReceiving.load()) {
        if (kAssemblySize - m_nAssembly < kBufferSize) {
            ParseAssembly();
            if (kAssemblySize - m_nAssembly < kBufferSize)
                m_nAssembly = 0; // bytes that never made a sample
        }
        const int room = kAssemblySize - m_nAssembly;
        const int n = m_socket.Receive(m_assembly.data() + m_nAssembly, static_cast<std::size_t>(room), 0);
        if (n <= 0) {
            if (n == 0 || n == platform::kSocketError)
                m_bPeerClosed = true; // closed, or reset
            break;
        }
        total += n;
        if (keep)
            m_nAssembly += n; // paused: the bytes are read and dropped
        if (n < room)
            break; // the socket held no more
    }
    if (total > 0 && keep)
        ParseAssembly();
    return total;
}

int CCaseLink::ProcessRawQueue() {
    // Every block that came since the last look joins the assembly buffer
    // before one parse: they make one batch. Only a block that would not fit
    // is parsed apart.
    int handled = 0;
    MakeAssembly();
    std::lock_guard<std::mutex> lock(m_csReceive);
    std::size_t next = 0;
    while (m_rawQueue.PeekHeadSize(next)) {
        if (handled > 0 && m_nAssembly + static_cast<long long>(next) > kAssemblySize)
            ParseAssembly();
        m_rawQueue.TakeHeadWith([this](const CaseLinkQueue::Packet& packet) {
            AppendAssembly(packet.data.data(), static_cast<int>(packet.data.size()));
        });
        ++handled;
    }
    if (handled > 0)
        ParseAssembly();
    return handled;
}

void CCaseLink::SplitFrames() {
    int start = 0, end = 0, keepFrom = 0;
    while (FindDataFrame(m_assembly.data(), m_nAssembly, start, end)) {
        CaseLinkQueue::Packet frame;
        frame.data.assign(m_assembly.begin() + start, m_assembly.begin() + end);
        m_frameQueue.AddTail(std::move(frame), kFrameQueueLimit);
        keepFrom = start = end;
    }
    if (keepFrom > 0)
        WakeFrameWorker();
    m_nAssembly -= keepFrom;
    std::memmove(m_assembly.data(), m_assembly.data() + keepFrom, static_cast<std::size_t>(m_nAssembly));
}

int CCaseLink::ProcessFrameQueue() {
    int handled = 0;
    CaseLinkQueue::Packet frame;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_csFrames);
            if (!m_frameQueue.TakeHead(frame))
                return handled;
        }
        const int length = static_cast<int>(frame.data.size());
        if (length >= 1 && length <= kBufferSize - 1)
            ParseDataFrame(frame.data.data(), length);
        ++handled;
    }
}

void CCaseLink::ParseDataFrame(const std::uint8_t* b, int length) {
    if (length < 10 || b[0] != 0x55 || b[1] != 0xAA || b[8] != 7 || b[9] != 1 || m_nModules == 0)
        return;
    float value[8] = {};
    for (int i = 0; i < m_nModules && 10 + 4 * i + 4 <= length; ++i) {
        const std::uint8_t* group = b + 10 + 4 * i;
        if (group[0] < 8)
            value[group[0]] = static_cast<float>(Signed24(group + 1));
    }
    std::vector<CaseSampleBlock> blocks(static_cast<std::size_t>(m_nModules));
    for (int k = 0; k < m_nModules; ++k) {
        const int slot = m_ModuleSlot[k];
        const int channel = m_ModuleChannel[slot].load();
        if (channel >= 0 && channel < 16) {
            blocks[k].nHeader = slot;
            blocks[k].fValues[channel] = value[slot];
        }
    }
    StoreSamples(blocks.data(), m_nModules * static_cast<int>(sizeof(CaseSampleBlock)));
}

void CCaseLink::StoreSamples(CaseSampleBlock* blocks, int bytes) {
    std::lock_guard<std::mutex> lock(m_csDispatch);
    const int samples = bytes / static_cast<int>(sizeof(CaseSampleBlock)) / m_nModules;
    const int firstKept = CountDiscarded(samples);
    if (firstKept >= samples)
        return;
    CaseSampleQueue::Storage storage = m_sampleQueue.TakeStorage();
    SlotRuns runs = LayOutRuns(*storage, samples - firstKept);
    for (int s = firstKept; s < samples; ++s) {
        for (int k = 0; k < m_nModules; ++k) {
            CaseSampleBlock block = blocks[s * m_nModules + k];
            const int slot = m_ModuleSlot[k];
            for (int ch = 0; ch < 16; ++ch)
                block.fValues[ch] *= m_ChannelCoef[slot][ch];
            runs.at[static_cast<std::size_t>(slot)][s - firstKept] = block;
        }
    }
    DispatchSamples(runs, 0, storage);
}

CCaseLink::SlotRuns CCaseLink::LayOutRuns(std::vector<CaseSampleBlock>& storage, int samples) const {
    // Grown only: every block is written before it is read.
    const std::size_t size = static_cast<std::size_t>(m_nModules) * static_cast<std::size_t>(samples);
    if (storage.size() < size)
        storage.resize(size);
    SlotRuns runs;
    runs.samples = samples;
    runs.stride = static_cast<std::size_t>(samples);
    for (int k = 0; k < m_nModules; ++k)
        runs.at[static_cast<std::size_t>(m_ModuleSlot[k])] =
            storage.data() + static_cast<std::size_t>(k) * runs.stride;
    return runs;
}

// Counts samples of a new batch against the discard at the start of a run;
// returns how many of them are thrown away. The sample that makes the count
// pass the discard is the first one kept, in block and in frame mode alike.
int CCaseLink::CountDiscarded(int samples) {
    const int before = m_nSamplesSinceStart;
    m_nSamplesSinceStart += samples;
    if (m_bDiscardDone)
        return 0;
    const int thrown = std::clamp(m_nDiscard / m_nModules - before, 0, samples);
    if (thrown < samples) {
        m_bDiscardDone = 1;
        if (m_bAlive.load() && m_fRequestedRate > 0.0f)
            g_fFirstDataTime = g_fFirstDataTime.load() + (before + thrown + 1) / m_fRequestedRate;
    }
    return thrown;
}

unsigned CCaseLink::DecodeUnit(const std::uint8_t* unit, const SlotRuns& runs, int sample,
                               unsigned linearSlots) {
    const int slot = unit[7] & 0x3F;
    if (slot >= 8 || runs.at[static_cast<std::size_t>(slot)] == nullptr)
        return 0; // not a module of this case
    // A sample holds one unit of a module: the unit writes its whole block.
    CaseSampleBlock& block = runs.at[static_cast<std::size_t>(slot)][sample];
    std::int32_t counter = 0;
    if (m_nCaseVersion >= 2)
        counter = std::max(0, Signed24(unit + 4));
    block.nHeader = m_nCaseVersion < 2 ? slot : slot * 16777216 + counter;
    DecodeValues(unit, m_ChannelCoef[slot].data(),
                 (linearSlots & (1u << slot)) ? &m_linearStage[slot] : nullptr, block);
    return 1u << slot;
}

unsigned CCaseLink::PlanLinearSlots() {
    // Decimation keeps a part of the batch: that part alone is converted.
    const int mode = m_nSampleMode;
    if (mode == 4 || mode == 6 || m_nDecimation >= 2)
        return 0;
    unsigned found = 0;
    for (int k = 0; k < m_nModules; ++k) {
        const int slot = m_ModuleSlot[k];
        if (m_pHost->GetLinearStage(m_nCaseNo * 8 + slot, m_linearStage[slot]))
            found |= 1u << slot;
    }
    return found;
}

void CCaseLink::ParseSampleBlock() {
    const std::uint8_t* b = m_assembly.data();
    const int n = m_nAssembly;
    std::vector<int>& units = m_parseUnits;
    units.clear();
    int p = 0;
    while (p + 1 < n) {
        if (b[p] == 0x55 && b[p + 1] == 0xAA) {
            if (p + kUnitSize > n)
                break; // an incomplete unit waits for the rest
            units.push_back(p);
            p += kUnitSize;
        } else {
            ++p;
        }
    }
    int keepFrom = (p + 1 == n && b[p] != 0x55) ? n : std::min(p, n);
    if (m_nModules == 0) {
        m_nAssembly = 0;
        return;
    }
    // Group starts: a unit begins a new sample after m_nModules units, and also
    // when its module came already or comes before the previous unit's module
    // in the case's order (a unit was lost): the modules of later samples then
    // stay together instead of shifting against each other for the rest of the run.
    int order[64];
    std::fill(std::begin(order), std::end(order), -1);
    for (int k = 0; k < m_nModules; ++k)
        order[m_ModuleSlot[k]] = k;
    std::vector<int>& groupStart = m_parseGroups;
    groupStart.clear();
    int start = 0, last = -1;
    unsigned seen = 0;
    for (int u = 0; u < static_cast<int>(units.size()); ++u) {
        const int slot = b[units[u] + 7] & 0x3F;
        const int position = order[slot];
        if (u > start && position >= 0 && ((seen & (1u << slot)) || position <= last)) {
            groupStart.push_back(start);
            start = u;
            seen = 0;
            last = -1;
        }
        if (position >= 0) {
            seen |= 1u << slot;
            last = position;
        }
        if (u + 1 - start == m_nModules) {
            groupStart.push_back(start);
            start = u + 1;
            seen = 0;
            last = -1;
        }
    }
    if (start < static_cast<int>(units.size()))
        keepFrom = units[start]; // an incomplete sample waits for the rest
    const int groups = static_cast<int>(groupStart.size());
    groupStart.push_back(start);

    if (groups > 0) {
        std::lock_guard<std::mutex> lock(m_csDispatch);
        const int firstKept = CountDiscarded(groups);
        const int kept = groups - firstKept;
        if (kept > 0) {
            // Each unit goes to its own sample, converted as it is decoded
            // where its module's stage is the linear one. A module missing
            // from a sample was not measured in it.
            // A batch the queue refused may still be held by the files.
            if (!m_parseBlocks || m_parseBlocks.use_count() > 1)
                m_parseBlocks = m_sampleQueue.TakeStorage();
            const SlotRuns runs = LayOutRuns(*m_parseBlocks, kept);
            unsigned moduleSlots = 0;
            for (int k = 0; k < m_nModules; ++k)
                moduleSlots |= 1u << m_ModuleSlot[k];
            const unsigned linearSlots = PlanLinearSlots();
            for (int g = firstKept; g < groups; ++g) {
                unsigned seen = 0;
                for (int u = groupStart[g]; u < groupStart[g + 1]; ++u)
                    seen |= DecodeUnit(b + units[u], runs, g - firstKept, linearSlots);
                for (unsigned missing = moduleSlots & ~seen; missing != 0; missing &= missing - 1)
                    runs.at[static_cast<std::size_t>(std::countr_zero(missing))][g - firstKept] =
                        MissingBlock();
            }
            SlotRuns dispatched = runs;
            DispatchSamples(dispatched, linearSlots, m_parseBlocks);
        }
    }
    m_nAssembly = n - keepFrom;
    std::memmove(m_assembly.data(), m_assembly.data() + keepFrom, static_cast<std::size_t>(m_nAssembly));
}

// ---- Dispatch of kept samples -------------------------------------------

void CCaseLink::DispatchSamples(SlotRuns& runs, unsigned convertedSlots, CaseSampleQueue::Storage& storage) {
    if (m_nDecimation >= 2) {
        // Every kept sample moves to the front of its module's run.
        int kept = 0;
        for (int s = 0; s < runs.samples; ++s) {
            if (m_nDecimationPhase++ % m_nDecimation != 0)
                continue;
            for (CaseSampleBlock* run : runs.at)
                if (run != nullptr)
                    run[kept] = run[s];
            ++kept;
        }
        runs.samples = kept;
    }
    const int samples = runs.samples;
    if (samples == 0)
        return;
    const int mode = m_nSampleMode;
    if (mode != 4 && mode != 6) {
        for (int slot = 0; slot < 8; ++slot) {
            CaseSampleBlock* run = runs.at[static_cast<std::size_t>(slot)];
            if (run == nullptr || (convertedSlots & (1u << slot)))
                continue;
            m_pHost->ConvertSampleBlockInPlace(run, samples, m_nCaseNo * 8 + slot);
            // A block without data stays without values, whatever the
            // channel's conversion would make of its placeholders.
            for (int s = 0; s < samples; ++s) {
                if (run[s].nHeader < 0)
                    run[s] = MissingBlock();
            }
        }
    }
    const bool store = (mode == 2 || mode == 7) && m_bOptionFlag && m_bDataSaving.load();
    if (store)
        StoreBatch(runs, storage);
    UpdateLatestSample(runs);
    if (m_nCaseVersion >= 2) {
        const double now = SteadySeconds();
        for (const CaseSampleBlock* run : runs.at) {
            if (run != nullptr && run[samples - 1].nHeader >= 0) {
                const std::int32_t header = run[samples - 1].nHeader;
                const int id = (header >> 24) & 0x7F;
                m_LastCounter[id] = header & 0xFFFFFF;
                m_LastCounterTime[id] = now;
            }
        }
    }
    // The blocks go to the sample queue last: from then on they are the
    // processing thread's. The files' write comes after it, so that a disk
    // slow to take it holds up this link's next batch, not this one.
    if (mode == 2 || mode == 3 || mode == 7)
        QueueSampleBlocks(runs, storage);
    if (store)
        WriteDueSamples();
}

void CCaseLink::QueueSampleBlocks(const SlotRuns& runs, CaseSampleQueue::Storage& storage) {
    const int queued = m_sampleQueue.AddFilled(m_nModules, runs.samples, runs.stride, storage,
                                               kSampleQueueLimit, kSampleQueueLimit * 2);
    // Counted, so that the driver reports them: never skipped unseen.
    if (queued < runs.samples)
        m_nSkippedSamples += runs.samples - queued;
    if (queued > 0)
        NotifySampleReady();
}

void CCaseLink::UpdateLatestSample(const SlotRuns& runs) {
    LatestSamples latest;
    const int mode = m_nSampleMode;
    if (mode != 4 && mode != 6 && mode != 7) {
        // A module's latest sample is its last one that carries data.
        for (int slot = 0; slot < 8; ++slot) {
            const CaseSampleBlock* run = runs.at[static_cast<std::size_t>(slot)];
            for (int s = run != nullptr ? runs.samples - 1 : -1; s >= 0; --s) {
                if (run[s].nHeader >= 0) {
                    latest.Set(slot, run[s]);
                    break;
                }
            }
        }
    } else {
        int n = m_pHost->GetAverageCount();
        if (mode == 4 && m_fRequestedRate < 10.0f)
            n = static_cast<int>(2.0f * m_fRequestedRate);
        n = std::max(1, n);
        for (int slot = 0; slot < 8; ++slot) {
            auto& list = m_Averaging[slot];
            const CaseSampleBlock* run = runs.at[static_cast<std::size_t>(slot)];
            for (int s = 0; run != nullptr && s < runs.samples; ++s) {
                const CaseSampleBlock& block = run[s];
                if (block.nHeader < 0)
                    continue; // a sample that lost this module does not enter the mean
                list.push_back(block);
                if (static_cast<int>(list.size()) < n)
                    continue;
                CaseSampleBlock mean = list.back();
                for (int ch = 0; ch < 16; ++ch) {
                    double sum = 0, high = list[0].fValues[ch], low = high;
                    for (const auto& b : list) {
                        sum += b.fValues[ch];
                        high = std::max<double>(high, b.fValues[ch]);
                        low = std::min<double>(low, b.fValues[ch]);
                    }
                    mean.fValues[ch] = n < 3 ? static_cast<float>(sum / n)
                                             : static_cast<float>((sum - high - low) / (n - 2));
                }
                latest.Set(slot, mean);
                list.clear();
            }
        }
    }
    if (latest.present == 0)
        return;
    std::lock_guard<std::mutex> lock(m_csStatus);
    for (unsigned left = latest.present; left != 0; left &= left - 1) {
        const int slot = std::countr_zero(left);
        m_Latest.Set(slot, latest.blocks[static_cast<std::size_t>(slot)]);
    }
}

int CCaseLink::GetLatestSample(CaseSampleBlock out[8]) {
    LatestSamples latest;
    {
        std::lock_guard<std::mutex> lock(m_csStatus);
        if (m_bAlive.load())
            std::swap(latest, m_Latest);
    }
    for (int k = 0; k < m_nModules; ++k) {
        const int slot = m_ModuleSlot[k];
        if (latest.Has(slot)) {
            out[slot] = latest.blocks[static_cast<std::size_t>(slot)];
            continue;
        }
        out[slot].nHeader = slot;
        std::fill(std::begin(out[slot].fValues), std::end(out[slot].fValues), kNoValue);
    }
    return latest.present == 0 ? 0 : 1;
}

void CCaseLink::ClearLatestSamples() {
    std::lock_guard<std::mutex> lock(m_csStatus);
    m_Latest.present = 0;
}

int CCaseLink::PopSampleBlock(std::uint8_t* buffer, int size) {
    int result = 0;
    m_sampleQueue.Take(1, [&](const CaseSampleQueue::Run& run) {
        const int length = run.modules * static_cast<int>(sizeof(CaseSampleBlock));
        if (length > size)
            return; // taken, as a sample too long for the buffer always was
        for (int k = 0; k < run.modules; ++k)
            std::memcpy(buffer + k * sizeof(CaseSampleBlock), run.Module(k), sizeof(CaseSampleBlock));
        result = length;
    });
    return result;
}

// ---- Per-case files ------------------------------------------------------

void CCaseLink::OpenCaseFiles() {
    std::lock_guard<std::mutex> lock(m_csDispatch);
    if (!m_bOptionFlag || m_strDataFolder.empty() || m_nCaseNo < 0 || m_nCaseNo > kMaxCaseNo)
        return;
    WriteGatheredLocked(); // into the files they were gathered for
    for (int k = 0; k < m_nModules; ++k) {
        const int index = m_nCaseNo * 8 + m_ModuleSlot[k];
        const std::string base = m_strDataFolder + "/" + m_strDataName + "_" + std::to_string(index);
        FileSet& files = m_files[index];
        // Appended to: a run continued after a relink or a restart keeps its earlier records.
        for (auto [file, extension] : {std::pair{&files.dat, ".dat"}, std::pair{&files.stu, ".stu"}}) {
            if (file->Open((base + extension).c_str(),
                           CRawFile::kWrite | CRawFile::kCreate | CRawFile::kNoTruncate))
                file->Seek(0, 0, 2);
        }
        files.datLength = files.dat.Length();
        files.stuLength = files.stu.Length();
    }
}

void CCaseLink::CloseCaseFiles() {
    // A worker may still be writing the last samples of the run.
    std::lock_guard<std::mutex> lock(m_csDispatch);
    WriteGatheredLocked();
    m_files.clear();
}

void CCaseLink::StoreBatch(const SlotRuns& runs, const CaseSampleQueue::Storage& storage) {
    const int samples = runs.samples;
    if (m_bGapPending) {
        m_bGapPending = false;
        FillLinkGap(samples);
    }
    m_dLastStoredTime = SteadySeconds();
    if (m_nCaseVersion < 2) {
        WriteSamplesToFile(runs, 0, samples, storage, nullptr, false);
        return;
    }
    // The first module's packet counter shows the samples the case skipped,
    // at the batch's start and anywhere within it: each gap is filled where
    // it happened, so that the stored time line stays continuous.
    const CaseSampleBlock* first = runs.at[static_cast<std::size_t>(m_ModuleSlot[0])];
    const int counted = samples;
    const int step = std::max(1, m_nPacketStep);
    int from = 0;
    for (int s = 0; s < counted; ++s) {
        const std::int32_t header = first[static_cast<std::size_t>(s)].nHeader;
        if (s > 0) {
            const std::int32_t previous = first[static_cast<std::size_t>(s) - 1].nHeader;
            if (header < 0 || previous < 0 || (header >> 24) != (previous >> 24) ||
                ((header & 0xFFFFFF) - (previous & 0xFFFFFF) - 1) / step <= 1)
                continue;
            m_LastCounter[(previous >> 24) & 0x7F] = previous & 0xFFFFFF;
        }
        WriteSamplesToFile(runs, from, s, storage, nullptr, false);
        FillLostPackets(header);
        from = s;
    }
    WriteSamplesToFile(runs, from, samples, storage, nullptr, false);
}

void CCaseLink::WriteSamplesToFile(const SlotRuns& runs, int from, int to,
                                   const CaseSampleQueue::Storage& storage, const SampleStatusRecord* given,
                                   bool writeWhenDue) {
    if (g_nRunWriteError.load() != 0 || to <= from || m_files.empty())
        return; // the run is stopping on a failed write: nothing more is stored
    SampleStatusRecord status{};
    if (given != nullptr) {
        status = *given;
    } else {
        status.dtTime = platform::NowOleDate();
        std::memcpy(status.szLabel, CurrentLabel(), sizeof status.szLabel);
    }
    // The records are gathered for one write a file (see PieceSeconds),
    // never one 68-byte block at a time.
    const auto count = static_cast<std::size_t>(to - from);
    m_stuGathered.insert(m_stuGathered.end(), count, status);
    GatheredPiece piece;
    piece.storage = storage;
    piece.samples = static_cast<int>(count);
    for (int k = 0; k < m_nModules; ++k) {
        const auto slot = static_cast<std::size_t>(m_ModuleSlot[k]);
        if (runs.at[slot] != nullptr)
            piece.at[slot] = runs.at[slot] + from;
    }
    m_gathered.push_back(std::move(piece));
    if (m_nGatheredSamples == 0)
        m_dGatheredSince = SteadySeconds();
    m_nGatheredSamples += static_cast<int>(count);
    if (writeWhenDue)
        WriteDueSamples();
}

const char* CCaseLink::CurrentLabel() {
    const std::int64_t second = std::time(nullptr);
    if (second != m_nLabelSecond) {
        m_nLabelSecond = second;
        const platform::LocalDateTime t = platform::NowLocal();
        std::snprintf(m_szLabel, sizeof m_szLabel, "%4d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
    }
    return m_szLabel;
}

double CCaseLink::PieceSeconds() const {
    const double rate = std::max(0.0f, m_fRequestedRate);
    const double unitBytesPerSecond = rate * static_cast<double>(sizeof(CaseSampleBlock));
    if (unitBytesPerSecond <= 0.0)
        return kFileBatchSeconds;
    return std::clamp(static_cast<double>(kFilePieceBytes) / unitBytesPerSecond, kFileBatchSeconds,
                      kFileBatchMaxSeconds);
}

void CCaseLink::WriteDueSamples() {
    if (m_nGatheredSamples == 0)
        return;
    if (static_cast<std::size_t>(m_nGatheredSamples) * sizeof(CaseSampleBlock) >= kFileBatchBytes) {
        WriteGatheredLocked(); // a fast stream's batches, as they came
        return;
    }
    // A piece is the run's samples of PieceSeconds, however the stream was
    // read: the files grow by the same pieces at any load, and a disk that
    // fills takes the pieces that fit.
    const double rate = std::max(0.0f, m_fRequestedRate);
    const double seconds = PieceSeconds();
    const int piece = static_cast<int>(std::max(1.0, rate * seconds));
    const int pieces = m_nGatheredSamples / piece;
    if (pieces > kMaxPiecesApart) {
        // A case streaming far faster than the run's rate: its whole pieces
        // go in one write, not in hundreds of tiny ones.
        WriteGatheredLocked(pieces * piece);
    } else {
        while (m_nGatheredSamples >= piece && g_nRunWriteError.load() == 0)
            WriteGatheredLocked(piece);
    }
    if (m_nGatheredSamples > 0 && SteadySeconds() - m_dGatheredSince >= seconds)
        WriteGatheredLocked(); // less than a piece, gathered for that long
}

void CCaseLink::WriteGatheredSamples() {
    std::lock_guard<std::mutex> lock(m_csDispatch);
    WriteGatheredLocked();
}

void CCaseLink::WriteGatheredLocked(int limit) {
    if (m_nGatheredSamples == 0)
        return;
    const int count = std::min(limit, m_nGatheredSamples);
    m_nGatheredSamples -= count;
    if (m_nGatheredSamples > 0)
        m_dGatheredSince = SteadySeconds();
    // A failed write stops the run, and nothing more is stored.
    bool failed = g_nRunWriteError.load() != 0;
    for (auto& [index, files] : m_files) {
        const int samples = GatheredParts(index % 8, count);
        const auto datBytes =
            static_cast<std::int64_t>(samples) * static_cast<std::int64_t>(sizeof(CaseSampleBlock));
        // A file takes the status records of the blocks it takes.
        const auto stuBytes = static_cast<std::int64_t>(
            std::min(m_stuGathered.size(), static_cast<std::size_t>(samples)) * sizeof(SampleStatusRecord));
        errno = 0;
        if (!failed && datBytes > 0 &&
            files.dat.WriteAllParts(m_gatheredParts.data(), static_cast<int>(m_gatheredParts.size())) &&
            files.stu.WriteAll(m_stuGathered.data(), stuBytes)) {
            files.datLength += datBytes;
            files.stuLength += stuBytes;
        } else if (!failed && datBytes > 0) {
            // A full disk (or any failed write): the piece is taken back from
            // both files, so they end on whole records and in step, and the
            // run is stopped by the frame, which tells the user.
            failed = true;
            const int error = errno != 0 ? errno : ENOSPC;
            files.dat.SetLength(files.datLength);
            files.stu.SetLength(files.stuLength);
            if (ReportRunWriteError(error)) {
                const std::string line = "写入失败 " + m_strDataFolder + ": " + std::strerror(error);
                Trace(line);
                WriteLog(m_strAddress, line + "\n");
            }
        }
    }
    DropGathered(count);
    m_stuGathered.erase(m_stuGathered.begin(),
                        m_stuGathered.begin() +
                            std::min(m_stuGathered.size(), static_cast<std::size_t>(count)));
}

int CCaseLink::GatheredParts(int slot, int count) {
    m_gatheredParts.clear();
    int samples = 0;
    for (auto piece = m_gathered.begin(); piece != m_gathered.end() && count > 0; ++piece) {
        const int n = std::min(count, piece->samples);
        count -= n;
        const CaseSampleBlock* blocks = piece->at[static_cast<std::size_t>(slot)];
        if (blocks == nullptr)
            continue;
        m_gatheredParts.push_back(
            CRawFile::Part{blocks, static_cast<std::size_t>(n) * sizeof(CaseSampleBlock)});
        samples += n;
    }
    return samples;
}

void CCaseLink::DropGathered(int count) {
    while (count > 0 && !m_gathered.empty()) {
        GatheredPiece& piece = m_gathered.front();
        const int n = std::min(count, piece.samples);
        count -= n;
        piece.samples -= n;
        if (piece.samples > 0) {
            for (const CaseSampleBlock*& blocks : piece.at) {
                if (blocks != nullptr)
                    blocks += n;
            }
            break;
        }
        m_gathered.pop_front();
    }
}

double CCaseLink::SteadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

int CCaseLink::MaxLostSamples(double elapsedSeconds) const {
    // The time since the last packet and a second more at the run's rate,
    // and a few samples for the grouping of the stream.
    const double rate = std::max(1.0, static_cast<double>(m_fRequestedRate));
    const double samples = (elapsedSeconds + 1.0) * rate + kLostFillSlack;
    return static_cast<int>(std::min(samples, static_cast<double>(kMaxLostFill)));
}

void CCaseLink::FillLostPackets(std::int32_t header) {
    if (header < 0)
        return;
    const int id = (header >> 24) & 0x7F;
    const int counter = header & 0xFFFFFF;
    auto it = m_LastCounter.find(id);
    if (it == m_LastCounter.end())
        return;
    const int lost = (counter - it->second - 1) / std::max(1, m_nPacketStep);
    if (lost <= 1)
        return;
    char line[160];
    std::snprintf(line, sizeof line, "ModuleID:%d Current:%d - Last:%d - Lost:%d\n", m_nCaseNo, counter,
                  it->second, lost);
    WriteLog(m_strAddress, line);
    // No more samples can have been lost than the case could have sent since
    // its last packet: a larger jump is a corrupt (or crafted) counter. The
    // stream goes on from the new counter without filling.
    const auto since = m_LastCounterTime.find(id);
    const double elapsed =
        since != m_LastCounterTime.end() ? std::max(0.0, SteadySeconds() - since->second) : 0.0;
    const int bound = MaxLostSamples(elapsed);
    if (lost > bound) {
        std::snprintf(line, sizeof line, "ModuleID:%d Lost:%d > %d possible in %.3f s: not filled\n",
                      m_nCaseNo, lost, bound, elapsed);
        WriteLog(m_strAddress, line);
        return;
    }
    WriteGapSamples(lost, kPacketsLostLabel);
}

void CCaseLink::FillLinkGap(int samples) {
    const double rate = static_cast<double>(m_fRequestedRate) / std::max(1, m_nDecimation);
    if (!(rate > 0.0) || m_dLastStoredTime <= 0.0)
        return; // nothing stored before the drop: the time line has no end to continue
    const double elapsed = std::clamp(SteadySeconds() - m_dLastStoredTime, 0.0, kMaxGapSeconds);
    const std::int64_t gap = std::llround(elapsed * rate) - samples;
    if (gap <= 0)
        return;
    char line[128];
    std::snprintf(line, sizeof line, "Relink gap: %lld samples in %.3f s\n", static_cast<long long>(gap),
                  elapsed);
    WriteLog(m_strAddress, line);
    WriteGapSamples(gap, kLinkLostLabel);
}

void CCaseLink::WriteGapSamples(std::int64_t count, const char* label) {
    if (count <= 0 || m_files.empty())
        return;
    SampleStatusRecord status{};
    status.dtTime = platform::NowOleDate();
    status.nStatus = 1; // no sample was taken at this time
    const std::string text = platform::Utf8ToGbk(label);
    std::memcpy(status.szLabel, text.data(), std::min(text.size(), sizeof status.szLabel - 1));
    constexpr int kChunk = 1024;
    const int chunk = static_cast<int>(std::min<std::int64_t>(count, kChunk));
    // The files hold the chunk until they have written it.
    auto missing = std::make_shared<std::vector<CaseSampleBlock>>(
        static_cast<std::size_t>(m_nModules) * static_cast<std::size_t>(chunk), MissingBlock());
    const SlotRuns runs = LayOutRuns(*missing, chunk);
    for (std::int64_t left = count; left > 0; left -= chunk)
        WriteSamplesToFile(runs, 0, static_cast<int>(std::min<std::int64_t>(left, chunk)), missing, &status);
}

void CCaseLink::WriteLog(const std::string& name, const std::string& text) {
    // Case logs live in the program's log folder: a project folder holds only
    // the project's own files, and the next run's preparation must not find
    // strangers there.
    const std::string programFolder = m_pHost->GetProgramFolder();
    if (programFolder.empty())
        return;
    const std::string folder = programFolder + "/" + kCaseLogFolder;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::ofstream file(folder + "/" + name + ".log", std::ios::app);
    file << text;
}

// ---- Workers -------------------------------------------------------------

bool CCaseLink::StartWorkers() {
    if (m_bWorkersRun.exchange(true))
        return false;
    m_frameWorker = std::thread([this] { FrameWorker(); });
    return true;
}

void CCaseLink::StopWorkers() {
    {
        // Set under the wait's lock, so that the worker between its look at
        // the flag and its wait cannot miss the call.
        std::lock_guard<std::mutex> lock(m_frameWakeMutex);
        m_bWorkersRun = false;
    }
    m_frameWake.notify_one();
    if (m_frameWorker.joinable())
        m_frameWorker.join();
}

void CCaseLink::WakeFrameWorker() {
    // Taken and left so that a worker between its look at the queue and
    // its wait cannot miss the call.
    { std::lock_guard<std::mutex> lock(m_frameWakeMutex); }
    m_frameWake.notify_one();
}

void CCaseLink::FrameWorker() {
    std::unique_lock<std::mutex> lock(m_frameWakeMutex);
    while (m_bWorkersRun.load()) {
        m_frameWake.wait(lock, [this] {
            return !m_bWorkersRun.load() || (m_frameQueue.GetCount() > 0 && m_bReceiving.load());
        });
        if (!m_bWorkersRun.load())
            break;
        lock.unlock();
        ProcessFrameQueue();
        lock.lock();
    }
}
