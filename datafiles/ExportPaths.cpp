// Output names of the exports.
#include "datafiles/ExportPaths.h"

#include "model/ChannelNaming.h"
#include "platform/Files.h"

int PrepareExportFolder(const SaveDataOptions& options, std::string& folder, const std::string& title) {
    if (!options.bMakeFolder)
        return 1;
    const std::string made = platform::JoinPath(folder, SafeFileNamePart(title));
    if (platform::FolderExists(made) || platform::FileExists(made) || !platform::CreateFolder(made))
        return 0;
    folder = made;
    return 1;
}

std::string CleanPerChannelTitle(const std::string& title) {
    for (int channel = 0; channel < 4096; ++channel) {
        const std::string suffix = std::string(1, '_').append(FormatChannelName(channel));
        if (title.size() > suffix.size() &&
            title.compare(title.size() - suffix.size(), suffix.size(), suffix) == 0)
            return title.substr(0, title.size() - suffix.size());
    }
    return title;
}

std::string SafeFileNamePart(const std::string& text) {
    std::string safe = text;
    for (char& c : safe)
        if (c == '/' || c == '\\' || c == '\0')
            c = '_';
    if (safe == "." || safe == "..")
        safe.assign(safe.size(), '_');
    return safe;
}

void PrepareOutputFile(const std::string& path) {
    if (platform::FileExists(path) && platform::IsReadOnly(path))
        platform::SetReadOnly(path, false);
}
