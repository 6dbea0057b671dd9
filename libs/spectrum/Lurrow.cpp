// The graph-interface object: parameters, hand-over to the worker, the
// spectra the windows read, the ".fft" saves and the windows' layout.
#include "libs/spectrum/Lurrow.h"

#include "libs/spectrum/SpectrumFile.h"
#include "libs/spectrum/SpectrumViewHost.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

#include <algorithm>

namespace {

const char kWindowLayoutSection[] = "WindowLayout";
const lurrow::SpectrumMap kNoSpectra;
const lurrow::TimeData kNoTimeData;
// How long a run's end or a test waits for the worker at most.
constexpr int kFlushTimeoutMs = 10000;

} // namespace

Lurrow::Lurrow()
    : m_strProgramFolder(platform::ProgramFolder()),
      m_pAnalysisData(std::make_unique<CAnalysisDataInterface>()) {
    m_pAnalysisData->m_pOwner = this;
    m_pNotifier = std::make_unique<QObject>();
    QPointer<QObject> notifier(m_pNotifier.get());
    m_pWorker = std::make_unique<lurrow::CSpectrumWorker>([this, notifier] {
        // From the worker thread: the redraw runs on the notifier's thread.
        if (QCoreApplication::instance() != nullptr && !notifier.isNull())
            QMetaObject::invokeMethod(
                notifier, [this] { UpdateGraphView(); }, Qt::QueuedConnection);
    });
}

Lurrow::~Lurrow() = default;

void Lurrow::SetSampleParam(float sampleRate, int blockSize) {
    m_fSampleRate = sampleRate;
    m_nBlockSize = blockSize;
}

void Lurrow::SetCaseParam(int count, const int* units) {
    count = units == nullptr ? 0 : std::clamp(count, 0, lurrow::kMaxUnits);
    m_nOnlineUnitCount = count;
    std::vector<int>& table = lurrow::Tables().channelIds;
    table.clear();
    for (int i = 0; i < count; ++i) {
        const int unit = units[i];
        m_OnlineUnits[static_cast<std::size_t>(i)] = unit;
        if (unit < 0 || unit >= lurrow::kMaxChannels / lurrow::kChannelsPerUnit)
            continue;
        for (int ch = 0; ch < lurrow::kChannelsPerUnit; ++ch)
            table.push_back(unit * lurrow::kChannelsPerUnit + ch);
    }
}

void Lurrow::SetProjectPathName(const std::string& path, const std::string& name) {
    m_strProjectPath = path;
    m_strProjectName = name;
}

void Lurrow::SetChannelEU(int count, const std::string* texts) {
    if (count < 1 || texts == nullptr)
        return;
    auto& unitTexts = lurrow::Tables().unitTexts;
    std::copy(texts, texts + std::min(count, lurrow::kMaxChannels), unitTexts.begin());
}

template <class F> void Lurrow::ForEachView(F f) {
    // A view may leave the registry while it is called: walk a copy.
    const lurrow::SpectrumTables& tables = lurrow::Tables();
    const auto views = tables.views;
    const int count = tables.viewCount;
    for (int i = 0; i < count; ++i) {
        if (tables.IndexOfView(views[static_cast<std::size_t>(i)]) >= 0)
            f(*views[static_cast<std::size_t>(i)]);
    }
}

void Lurrow::ResetGraphView() {
    ForEachView([](ISpectrumView& view) { view.ResetGraphView(); });
}

void Lurrow::SetGraphDraw() {
    ForEachView([](ISpectrumView& view) { view.SetGraphDraw(); });
}

void Lurrow::GetViewObject() {
    const lurrow::SpectrumTables& tables = lurrow::Tables();
    m_nViewCount = tables.viewCount;
    m_Views = tables.views;
}

void Lurrow::SetSampleDataBuffer(int count, float** buffers) {
    if (buffers == nullptr)
        return;
    count = std::max(count, 0);
    auto data = std::make_shared<lurrow::TimeData>();
    const std::vector<int>& table = lurrow::Tables().channelIds;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const float* values = buffers[i];
        if (values != nullptr)
            data->emplace(table[i], std::vector<float>(values, values + count));
        else
            data->emplace(table[i], std::vector<float>());
    }
    QueueTimeData(std::move(data));
}

void Lurrow::SetSampleDataBuffer(std::map<int, std::vector<float>>& data) {
    auto merged = std::make_shared<lurrow::TimeData>();
    for (int channel : lurrow::Tables().channelIds) {
        auto it = data.find(channel);
        if (it != data.end())
            merged->emplace(channel, it->second);
    }
    QueueTimeData(std::move(merged));
}

void Lurrow::QueueTimeData(std::shared_ptr<lurrow::TimeData> data) {
    // Channels the block does not name keep their last samples.
    if (m_pTimeData) {
        for (const auto& [channel, values] : *m_pTimeData)
            data->try_emplace(channel, values);
    }
    m_pTimeData = std::move(data);
    if (m_pTimeData->empty())
        return;
    m_bLastBlockDropped = !m_pWorker->QueueBlock(m_pTimeData, m_nBlockSize);
}

bool Lurrow::TakePublishedSpectra() {
    std::shared_ptr<const lurrow::SpectrumMap> spectra = m_pWorker->TakePublished();
    if (!spectra)
        return false;
    m_pSpectra = std::move(spectra);
    return true;
}

void Lurrow::UpdateGraphView() {
    TakePublishedSpectra();
    ForEachView([](ISpectrumView& view) { view.RefreshSpectrumGraph(); });
}

void Lurrow::RefreshGraphView() {
    FlushSpectra(kFlushTimeoutMs);
    ForEachView([](ISpectrumView& view) { view.RefreshFFTSpectrumView(); });
}

bool Lurrow::FlushSpectra(int timeoutMs) {
    const bool idle = m_pWorker->WaitIdle(timeoutMs);
    TakePublishedSpectra();
    return idle;
}

bool Lurrow::SaveFFTSpectrumData() {
    if (m_strProjectPath.empty() || m_strProjectName.empty())
        return false;
    if (!m_pTimeData || m_pTimeData->empty() || m_bLastBlockDropped)
        return false;
    const int lines = GetLineCount();
    if (lines < 1)
        return false;
    const int recorded = lurrow::RecordedLineCount(m_strProjectPath, m_strProjectName);
    if (recorded != 0 && recorded != lines) {
        ++m_nRefusedSaves;
        m_reports.push_back(platform::Format("频谱文件的线数为 %d，当前线数 %d，未保存", recorded, lines));
        return false;
    }
    if (recorded == 0)
        lurrow::RecordLineCount(m_strProjectPath, m_strProjectName, lines);
    m_pWorker->QueueSave(m_strProjectPath, m_strProjectName);
    return true;
}

const lurrow::SpectrumMap& Lurrow::GetSpectra() const {
    return m_pSpectra ? *m_pSpectra : kNoSpectra;
}

const lurrow::TimeData& Lurrow::GetTimeData() const {
    return m_pTimeData ? *m_pTimeData : kNoTimeData;
}

void Lurrow::SetChannelSpectrum(int channel, lurrow::Spectrum spectrum) {
    // The worker may still hold the published map: change a copy.
    auto spectra = std::make_shared<lurrow::SpectrumMap>(GetSpectra());
    (*spectra)[channel] = std::move(spectrum);
    m_pSpectra = std::move(spectra);
}

bool Lurrow::HasData() const {
    return !GetTimeData().empty() || !GetSpectra().empty();
}

std::uint64_t Lurrow::GetDroppedBlockCount() const {
    return m_pWorker->GetDroppedBlocks();
}

std::uint64_t Lurrow::GetRefusedSaveCount() const {
    return m_nRefusedSaves + m_pWorker->GetRefusedSaves();
}

std::vector<std::string> Lurrow::TakeReports() {
    std::vector<std::string> reports = std::exchange(m_reports, {});
    for (std::string& text : m_pWorker->TakeReports())
        reports.push_back(std::move(text));
    return reports;
}

void Lurrow::SaveSpectrumLayout(const std::string& file) {
    platform::WritePrivateProfileString(kWindowLayoutSection, "SpectrumViewCount",
                                        platform::Format("%d", m_nViewCount), file);
    for (int i = 0; i < m_nViewCount; ++i) {
        ISpectrumView* view = m_Views[static_cast<std::size_t>(i)];
        if (lurrow::Tables().IndexOfView(view) >= 0)
            view->SaveLayout(file, i + 1);
    }
}

void Lurrow::OpenSpectrumLayout(const std::string& file) {
    platform::GetPrivateProfileInt(kWindowLayoutSection, "SpectrumViewCount", 0, file);
    GetViewObject();
    for (int i = 0; i < m_nViewCount; ++i)
        m_Views[static_cast<std::size_t>(i)]->ReadLayout(i + 1);
}
