// Rosette formula and the rosette result worker.
#include "datafiles/RosetteCalc.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/RawFile.h"

#include <cmath>

namespace {

constexpr std::int64_t kHeader = sizeof(RosetteGroupRecord);
constexpr std::int64_t kRecord = sizeof(RosetteResultRecord);
constexpr double kThird = double(0.33333334f);
constexpr double kHalfAngleDegrees = 28.647890245221483; // 90 / 3.1415926

void CalcRightAngledPair(const RosetteInput& in, float result[6]) {
    const double ea = in.fStrain[0], eb = in.fStrain[1], mu = in.fPoissonRatio, e = in.fE;
    result[0] = float(ea);
    result[1] = float(eb);
    result[2] = float(e * (ea + mu * eb) / (1.0 - mu * mu) * 0.001);
    result[3] = float(e * (eb + mu * ea) / (1.0 - mu * mu) * 0.001);
    result[4] = 0.0f;
    result[5] = 0.0f;
}

} // namespace

int RosetteGaugeCount(int kind) {
    static const int counts[] = {2, 3, 3, 4, 4};
    return kind >= 0 && kind < 5 ? counts[kind] : 0;
}

int CalcRosetteResult(const RosetteInput& in, float result[6]) {
    if (in.nKind == 0) {
        CalcRightAngledPair(in, result);
        return 1;
    }
    const double ea = in.fStrain[0], eb = in.fStrain[1], ec = in.fStrain[2], ed = in.fStrain[3];
    const double sqrt3 = std::sqrt(3.0);
    double c, x, y;
    switch (in.nKind) {
    case 1:
        c = (ea + ec) * 0.5, x = (ea - ec) * 0.5, y = (2.0 * eb - ea - ec) * 0.5;
        break;
    case 2:
        c = (ea + eb + ec) * kThird, x = ea - c, y = (eb - ec) / sqrt3;
        break;
    case 3:
        c = (ea + eb + ec + ed) * 0.25, x = (ea - ec) * 0.5, y = (eb - ed) * 0.5;
        break;
    default:
        c = (ea + ec) * 0.5, x = (ea - ec) * 0.5, y = (eb - ed) / sqrt3;
        break;
    }
    const double mu = in.fPoissonRatio, e = in.fE;
    const double r = std::sqrt(x * x + y * y);
    const double s = r * e / (1.0 + mu);
    const double m = e * c / (1.0 - mu);
    result[0] = float(c + r);
    result[1] = float(c - r);
    result[2] = float((m + s) * 0.001);
    result[3] = float((m - s) * 0.001);
    result[4] = float(s * 0.001);
    if (std::fabs(x) < 1e-10)
        x = x <= 0.0 ? -1e-10 : 1e-10;
    result[5] = float(std::atan(y / x) * kHalfAngleDegrees);
    return 1;
}

namespace {

// Computes one group's records into its open result file.
ResultStatus CalcGroup(const RosetteCalcParam& param, const RosetteGroupRecord& group, CRawFile& file,
                       const std::atomic<bool>& cancel) {
    const int gauges = RosetteGaugeCount(group.type);
    std::vector<int> channels(group.Channel, group.Channel + gauges);
    for (int channel : channels)
        if (channel < 0 || channel >= 4096)
            return ResultStatus::DataFileError;
    const ChannelParamView first = param.channels->GetChannelParam(channels[0]);
    GaugeStrainReader reader(param, channels);
    std::vector<RosetteResultRecord> records(CDataFileAccess::kChunkSamples);
    for (std::int64_t start = 0; start < param.nSampleCount; start += CDataFileAccess::kChunkSamples) {
        if (cancel)
            return ResultStatus::Cancelled;
        const int n = int(std::min<std::int64_t>(CDataFileAccess::kChunkSamples, param.nSampleCount - start));
        if (!reader.Read(start, n))
            return ResultStatus::DataFileError;
        for (int k = 0; k < n; ++k) {
            RosetteInput in{group.type, first.fPoisson, first.fModulus, {0, 0, 0, 0}};
            for (int g = 0; g < gauges; ++g)
                in.fStrain[g] = reader.Strains(g)[k];
            if (AnyMarker(in.fStrain, gauges))
                std::fill(std::begin(records[k].fValue), std::end(records[k].fValue), kNoResult);
            else
                CalcRosetteResult(in, records[k].fValue);
        }
        if (!WriteResultChunk(file, kHeader, kRecord, start, records.data(), n))
            return ResultStatus::DataFileError;
    }
    return ResultStatus::Done;
}

} // namespace

ResultStatus RosetteCalcThread(const RosetteCalcParam& param, const std::atomic<bool>& cancel) {
    if (!param.channels)
        return ResultStatus::DataFileError;
    ResultStatus status = ResultStatus::Done;
    const std::size_t count = std::min<std::size_t>(param.groups.size(), kMaxResultGroups);
    for (std::size_t g = 0; g < count && status != ResultStatus::Cancelled; ++g) {
        const RosetteGroupRecord& group = param.groups[g];
        CRawFile file;
        if (!file.Open(param.ResultPath(int(g) + 1, ".sfd").c_str(),
                       CRawFile::kCreate | CRawFile::kReadWrite)) {
            status = ResultStatus::DataFileError;
            continue;
        }
        const int gauges = RosetteGaugeCount(group.type);
        const float poisson = gauges > 0 && group.Channel[0] >= 0 && group.Channel[0] < 4096
                                  ? param.channels->GetChannelParam(group.Channel[0]).fPoisson
                                  : 0.0f;
        if (double(poisson) >= 0.9) {
            file.Close();
            return ResultStatus::ParamOutOfRange;
        }
        const bool header = file.WriteAt(0, &group, kHeader);
        ResultStatus groupStatus =
            header && gauges > 0 ? CalcGroup(param, group, file, cancel) : ResultStatus::DataFileError;
        // A group that could not be computed keeps only its header: no record
        // is left from another chunk or an earlier run.
        if (groupStatus != ResultStatus::Done) {
            file.SetLength(kHeader);
            status = groupStatus;
        }
        file.Close();
    }
    return status;
}

bool StartRosetteCalc(CResultWorker& worker, RosetteCalcParam param) {
    const std::string key = param.strProjectFolder + "/" + param.strProjectName + ".sfd";
    const platform::HWND owner = param.hOwner;
    return worker.Start(key, owner, [p = std::move(param)](const std::atomic<bool>& cancel) {
        return RosetteCalcThread(p, cancel);
    });
}
