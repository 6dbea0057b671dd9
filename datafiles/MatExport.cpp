// MATLAB export through the run-time library.
#include "datafiles/MatExport.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/ExportFileCommit.h"
#include "datafiles/ExportPaths.h"
#include "datafiles/SampleFileFormat.h"
#include "model/ChannelNaming.h"
#include "platform/DynamicLibrary.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <vector>

namespace {

// The library stays loaded once found; the exports run on the
// user-interface thread only.
platform::DynamicLibrary* LoadedLibrary(const std::string& name, std::string& error) {
    static std::map<std::string, std::unique_ptr<platform::DynamicLibrary>> libraries;
    std::unique_ptr<platform::DynamicLibrary>& library = libraries[name];
    if (!library)
        library = std::make_unique<platform::DynamicLibrary>();
    if (!library->IsLoaded() && !library->Load(name)) {
        error = library->LastError();
        return nullptr;
    }
    return library.get();
}

struct MatLibrary {
    MatFileCreateFn create = nullptr;
    MatFileAppendRowsFn append = nullptr;
    MatFileEndFn end = nullptr;
};

// A stored marker is no measured value: MATLAB's own "missing" takes its
// place. The markers are told by their bit patterns and the NaN put in by a
// mask, so that the compiler converts a chunk a vector at a time (a branch,
// or a float comparison that might trap, keeps it to one value at a time).
void ToMatValues(const float* values, int n, double* out) {
    constexpr auto notBalanced = std::bit_cast<std::uint32_t>(kNotBalanced);
    constexpr auto thirdMarker = std::bit_cast<std::uint32_t>(kThirdMarker);
    constexpr auto noValue = std::bit_cast<std::uint32_t>(kNoValue);
    constexpr auto nan = std::bit_cast<std::uint64_t>(std::numeric_limits<double>::quiet_NaN());
    for (int k = 0; k < n; ++k) {
        const auto reading = std::bit_cast<std::uint32_t>(values[k]);
        const auto value = std::bit_cast<std::uint64_t>(double(values[k]));
        const std::uint64_t marker =
            -std::uint64_t((reading == notBalanced) | (reading == thirdMarker) | (reading == noValue));
        out[k] = std::bit_cast<double>((value & ~marker) | (nan & marker));
    }
}

class CMatFileWriter {
public:
    CMatFileWriter(const ExportContext& context, const MatLibrary& library, int first, int count)
        : m_context(context), m_library(library), m_first(first), m_count(count) {}

    // Writes the channels' values over the range into path; false when the
    // file could not be written (reported; nothing is left of it).
    bool Write(const std::string& path, const std::vector<int>& channels);

private:
    bool WritePieces(void* file, const std::vector<int>& channels);

    const ExportContext& m_context;
    const MatLibrary& m_library;
    int m_first;
    int m_count;
};

bool CMatFileWriter::Write(const std::string& path, const std::vector<int>& channels) {
    const std::string temp = ClaimExportTempPath(path);
    void* file = temp.empty() ? nullptr
                              : m_library.create(temp.c_str(), double(m_context.fSamplingFrequency), m_count,
                                                 int(channels.size()));
    bool ok = file != nullptr && WritePieces(file, channels);
    if (file != nullptr)
        ok = m_library.end(file) != 0 && ok;
    if (!ok) {
        if (!temp.empty())
            platform::DeleteFile(temp);
    } else {
        ok = CommitExportFile(temp, path);
    }
    if (!ok)
        ReportExportWriteFailure(path, m_context.strAppTitle);
    return ok;
}

bool CMatFileWriter::WritePieces(void* file, const std::vector<int>& channels) {
    const std::size_t n = channels.size();
    const int piece = int(std::clamp<std::size_t>(m_context.nMatPieceValues / std::max<std::size_t>(n, 1), 1,
                                                  std::size_t(std::max(m_count, 1))));
    std::vector<double> values;
    try {
        values.resize(n * std::size_t(piece));
    } catch (const std::bad_alloc&) {
        return false;
    }
    CDataFileAccess access(m_context.layout, m_context.channels);
    for (int done = 0; done < m_count; done += piece) {
        const int rows = std::min(piece, m_count - done);
        // Each chunk goes to its channel's column of the piece while it is
        // still in the cache.
        const auto take = [&values, rows](std::size_t index, int offset, const float* column, int length) {
            ToMatValues(column, length, values.data() + index * std::size_t(rows) + std::size_t(offset));
        };
        // Samples past the run's end read as no value; a run that cannot be
        // read holds none.
        if (!access.ReadChannelChunks(m_context.dataPath, channels, std::int64_t(m_first) + done, rows, take))
            std::fill(values.begin(), values.end(), std::numeric_limits<double>::quiet_NaN());
        if (!m_library.append(file, values.data(), rows))
            return false;
    }
    return true;
}

} // namespace

int ExportMatlabFile(const ExportContext& context, const SaveDataOptions& options, int first, int count) {
    std::string error;
    platform::DynamicLibrary* loaded = LoadedLibrary(context.strMatLibrary, error);
    if (!loaded) {
        platform::MessageBox(error, context.strAppTitle, platform::MB_ICONINFORMATION);
        return 0;
    }
    MatLibrary library;
    library.create = loaded->Function<MatFileCreateFn>("MatFileCreate");
    library.append = loaded->Function<MatFileAppendRowsFn>("MatFileAppendRows");
    library.end = loaded->Function<MatFileEndFn>("MatFileEnd");
    if (!library.create || !library.append || !library.end) {
        platform::MessageBox("不能加载相应的程序，无法完成该操作", context.strAppTitle,
                             platform::MB_ICONEXCLAMATION);
        return 0;
    }
    std::string folder;
    std::string title;
    std::string extension;
    if (!context.askExportFileName || !context.askExportFileName(3, folder, title, extension))
        return 0;
    if (!PrepareExportFolder(options, folder, title))
        return 0;
    std::vector<int> channels;
    for (int i = 0; i < options.ChannelCount(); ++i) {
        const int channel = options.nChannels[i];
        if (channel >= 0 && channel < 4096 &&
            std::find(channels.begin(), channels.end(), channel) == channels.end())
            channels.push_back(channel);
    }
    if (channels.empty())
        return 0;
    // A run stored in one file must have it; per-unit runs read what exists.
    if (!context.layout.bPerCaseFiles && !platform::FileExists(context.dataPath))
        return 0;
    CMatFileWriter writer(context, library, std::max(first, 0), std::max(count, 0));
    if (options.nFileLayout == 1)
        return writer.Write(folder + "/" + title + "." + extension, channels) ? 1 : 0;
    if (options.nFileLayout == 0) {
        title = CleanPerChannelTitle(title);
        for (int channel : channels) {
            const std::string path =
                folder + "/" + title + "_" + FormatChannelName(channel) + "." + extension;
            if (!writer.Write(path, {channel}))
                return 0;
        }
    }
    return 1;
}

int SaveMatFile(const ExportContext& context, const SaveDataOptions& options, int first, int count) {
    return ExportMatlabFile(context, options, first, count);
}
