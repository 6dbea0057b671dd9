// MATLAB export through the run-time library.
#include "datafiles/MatExport.h"

#include "app/ChannelNaming.h"
#include "datafiles/DataFileAccess.h"
#include "datafiles/ExportPaths.h"
#include "platform/DynamicLibrary.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

#include <algorithm>
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

// Engineering values of the channels over the range, channel after channel:
// values[k * count + i]. Samples the run does not hold are the no-value marker.
void ReadValues(const ExportContext& context, const std::vector<int>& channels, int first, int count,
                std::vector<double>& values) {
    CDataFileAccess access(context.layout, context.channels);
    const int chunk = CDataFileAccess::kChunkSamples;
    std::vector<std::vector<float>> columns(channels.size(), std::vector<float>(std::size_t(chunk)));
    std::vector<float*> pointers;
    for (std::vector<float>& column : columns)
        pointers.push_back(column.data());
    for (int done = 0; done < count; done += chunk) {
        const int n = std::min(chunk, count - done);
        for (std::vector<float>& column : columns)
            std::fill(column.begin(), column.end(), kNoValue);
        access.ReadChannelColumns(context.dataPath, channels, std::int64_t(first) + done, n, pointers.data());
        for (std::size_t k = 0; k < channels.size(); ++k)
            std::copy(columns[k].begin(), columns[k].begin() + n,
                      values.begin() + std::ptrdiff_t(k * std::size_t(count) + std::size_t(done)));
    }
}

} // namespace

int ExportMatlabFile(const ExportContext& context, const SaveDataOptions& options, int first, int count) {
    std::string error;
    platform::DynamicLibrary* library = LoadedLibrary(context.strMatLibrary, error);
    if (!library) {
        platform::MessageBox(error, context.strAppTitle, platform::MB_ICONINFORMATION);
        return 0;
    }
    const auto create = library->Function<CreateMatFileExFn>("CreateMatFileEx");
    if (!create) {
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
    first = std::max(first, 0);
    count = std::max(count, 0);
    const double frequency = context.fSamplingFrequency;
    std::vector<double> values;
    try {
        values.assign(std::size_t(count) * (options.nFileLayout == 1 ? channels.size() : 1), 0.0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (options.nFileLayout == 1) {
        ReadValues(context, channels, first, count, values);
        const std::string path = folder + "/" + title + "." + extension;
        return create(path.c_str(), frequency, values.data(), count, int(channels.size())) ? 1 : 0;
    }
    if (options.nFileLayout == 0) {
        title = CleanPerChannelTitle(title);
        for (int channel : channels) {
            ReadValues(context, {channel}, first, count, values);
            const std::string path =
                folder + "/" + title + "_" + FormatChannelName(channel) + "." + extension;
            if (!create(path.c_str(), frequency, values.data(), count, 1))
                return 0;
        }
    }
    return 1;
}

int SaveMatFile(const ExportContext& context, const SaveDataOptions& options, int first, int count) {
    return ExportMatlabFile(context, options, first, count);
}
