// Fuzz target: any bytes as the data and status files of a run, in both
// storage arrangements, read by the readers the views and exports use.
// The files live on the memory file system (/dev/shm), never on a disk.
#include "datafiles/ChannelTable.h"
#include "datafiles/DataFileAccess.h"
#include "datafiles/OnlineLayout.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class RawChannelTable : public IChannelTable {
public:
    double ConvertBlockChannelValue(int channel, const CaseSampleBlock& block) const override {
        return block.fValues[channel % 16];
    }
    double ConvertRawToValue(int, float raw) const override { return raw; }
    ChannelParamView GetChannelParam(int) const override { return {}; }
};

const std::string& Folder() {
    static const std::string folder = [] {
        const std::filesystem::path shm =
            std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        const std::string path = (shm / ("qv_fuzz_readers_" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

void Write(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    const bool perCase = (data[0] & 1) != 0;
    const int first = data[1] % 8;
    const int count = data[2] % 16;
    const std::size_t split = 4 + (size - 4) * data[3] / 256;
    const std::string path = Folder() + "/Run.dat";
    const std::vector<int> units{0, 9};
    if (perCase) {
        Write(Folder() + "/Run_0.dat", data + 4, split - 4);
        Write(Folder() + "/Run_0.stu", data + split, size - split);
        Write(Folder() + "/Run_9.dat", data + split, size - split);
        Write(Folder() + "/Run_9.stu", data + 4, split - 4);
    } else {
        Write(path, data + 4, split - 4);
        Write(Folder() + "/Run.stu", data + split, size - split);
    }
    // Built once per arrangement: the layout depends on nothing else of the input.
    static const OnlineLayout kLayouts[2] = {OnlineLayout::FromUnits(units, false),
                                             OnlineLayout::FromUnits(units, true)};
    const OnlineLayout& layout = kLayouts[perCase ? 1 : 0];
    const RawChannelTable channels;
    const CDataFileAccess access(layout, channels);

    std::vector<float> values(static_cast<std::size_t>(count) + 1);
    access.ReadChannelRange(path, 9 * 16 + 3, first, first + count, values.data());
    std::vector<std::vector<float>> columns(2, std::vector<float>(static_cast<std::size_t>(count) + 1));
    float* out[2] = {columns[0].data(), columns[1].data()};
    access.ReadChannelColumns(path, {5, 9 * 16 + 15}, first, count, out);
    std::vector<CaseSampleBlock> frame(512);
    access.ReadFrame(path, first, frame.data());
    std::vector<std::string> times(static_cast<std::size_t>(count) + 1), labels(times.size());
    access.ReadSampleTimeTexts(path, first, first + count, times.data(), labels.data());
    SampleStatusRecord status{};
    access.ReadSampleStatus(path, first, &status);
    std::vector<std::vector<CaseSampleBlock>> byUnit(256); // indexed by unit number
    ReadCaseBlocks(path, units, first, count, byUnit.data());
    std::vector<SampleStatusRecord> records;
    ReadStatusRecordsTo(layout, path, first, count, records);
    return 0;
}
