// Residual-stress coefficients, eccentricity correction and result workers.
#include "datafiles/ResidualStressCalc.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/RawFile.h"

#include <cmath>
#include <cstring>

namespace {

constexpr std::int64_t kHeader = sizeof(ResidualStressGroupRecord);
constexpr std::int64_t kRecord = sizeof(ResidualStressResultRecord);
const double kPi = 4.0 * std::atan(1.0);

double Square(double v) {
    return v * v;
}

// Computes one group's records; alpha is null for the plain pass.
ResultStatus CalcGroup(const ResultCalcSource& source, const ResidualStressGroupRecord& group,
                       const double* alpha, CRawFile& file, const std::atomic<bool>& cancel) {
    std::vector<int> channels(group.Channel, group.Channel + 3);
    for (int channel : channels)
        if (channel < 0 || channel >= 4096)
            return ResultStatus::DataFileError;
    const float modulus = source.channels->GetChannelParam(channels[0]).fModulus;
    GaugeStrainReader reader(source, channels);
    std::vector<ResidualStressResultRecord> records(CDataFileAccess::kChunkSamples);
    for (std::int64_t start = 0; start < source.nSampleCount; start += CDataFileAccess::kChunkSamples) {
        if (cancel)
            return ResultStatus::Cancelled;
        const int n =
            int(std::min<std::int64_t>(CDataFileAccess::kChunkSamples, source.nSampleCount - start));
        if (!reader.Read(start, n))
            return ResultStatus::DataFileError;
        for (int k = 0; k < n; ++k) {
            const float strains[3] = {reader.Strains(0)[k], reader.Strains(1)[k], reader.Strains(2)[k]};
            float* out = records[k].fValue;
            if (AnyMarker(strains, 3)) {
                std::fill(out, out + 9, kNoResult);
                continue;
            }
            const ResidualStressInput in{group.ParamA, group.ParamB, modulus,   group.ParamE0,
                                         strains[0],   strains[1],   strains[2]};
            ResidualStressResult result;
            CalcResidualStress(in, result);
            std::memcpy(out, &result, sizeof result);
            if (alpha)
                ApplyEccentricityCorrection({group.ParamA, group.ParamB, modulus}, alpha[0], alpha[1],
                                            alpha[2], out);
        }
        if (!WriteResultChunk(file, kHeader, kRecord, start, records.data(), n))
            return ResultStatus::DataFileError;
    }
    return ResultStatus::Done;
}

// Creates the group's result file and fills it; a group that fails keeps
// only its header.
ResultStatus WriteGroupFile(const ResultCalcSource& source, int index, const ResidualStressGroupRecord& group,
                            const double* alpha, const std::atomic<bool>& cancel) {
    CRawFile file;
    if (!file.Open(source.ResultPath(index + 1, ".rsd").c_str(), CRawFile::kCreate | CRawFile::kReadWrite))
        return ResultStatus::DataFileError;
    ResultStatus status = file.WriteAt(0, &group, kHeader) ? CalcGroup(source, group, alpha, file, cancel)
                                                           : ResultStatus::DataFileError;
    if (status != ResultStatus::Done)
        file.SetLength(kHeader);
    file.Close();
    return status;
}

std::string ResultKey(const ResultCalcSource& source) {
    return source.strProjectFolder + "/" + source.strProjectName + ".rsd";
}

} // namespace

double NonZeroCoefficient(double v) {
    return std::fabs(v) <= 1e-15 ? 1.0 : v;
}

void CalcReleaseCoefficients(double r0, double r1, double r2, double b, double l, double mu, double& A,
                             double& B) {
    const double r02 = r0 * r0;
    A = -1.065 * (1.0 + mu) * 0.5 * r02 / (r1 * r2);
    const double q1 = r1 * r1 + b * b, q2 = r2 * r2 + b * b;
    const double bracket =
        2.0 * (1.0 - mu) * r02 * (std::atan(r2 / b) - std::atan(r1 / b)) +
        (1.0 + mu) * (2.0 * b * r02 * (r1 / q1 - r2 / q2) -
                      1.5 * (2.0 / 3.0) * b * r02 * r02 * (r1 / (q1 * q1) - r2 / (q2 * q2)));
    B = -1.0 / (2.0 * b * l) * bracket;
    A = NonZeroCoefficient(A);
    B = NonZeroCoefficient(B);
}

void CalcEccentricityAngles(double x, double y, double d, double alpha[3]) {
    alpha[0] = std::atan(y / (x + d));
    alpha[1] = std::atan((0.707 * d - y) / (0.707 * d - x)) - kPi / 4.0;
    alpha[2] = std::atan(x / (y + d));
}

void ApplyEccentricityCorrection(const EccentricityCoefficients& c, double alpha1, double alpha2,
                                 double alpha3, float r[9]) {
    const double toDegrees = 180.0 / kPi, toRadians = kPi / 180.0;
    const double scale = c.E * double(0.001f);
    const bool noDirection = r[3] == kNoResult;
    const double psi = double(r[3]) - alpha1 * toDegrees;
    const double theta2 = 45.0 - (alpha2 * toDegrees + r[3]);
    const double theta3 = 90.0 - (alpha3 * toDegrees + r[3]);
    r[0] = float(r[0] * std::cos(alpha1));
    r[1] = float(r[1] * std::cos(alpha2));
    r[2] = float(r[2] * std::cos(alpha3));
    const double e1 = r[0], e3 = r[2];
    const double A = c.A, B = c.B;
    r[6] = float((e3 * (B - A) + e1 * (B + A)) / (4.0 * A * B) * scale);
    r[7] = float((e3 * (B + A) + e1 * (B - A)) / (4.0 * A * B) * scale);
    // Without a principal direction the corrected stresses have no meaning.
    if (noDirection)
        return;
    r[3] = float(psi);
    const double k1 = A + B * std::cos(2.0 * psi * toRadians);
    const double k2 = A - B * std::cos(2.0 * theta2 * toRadians);
    const double k3p = A + B * std::cos(2.0 * theta3 * toRadians);
    const double k3m = A - B * std::cos(2.0 * theta3 * toRadians);
    const double d = k3p * k2 - k3m * k1;
    if (d == 0.0) {
        r[4] = r[5] = r[8] = kNoResult;
        return;
    }
    const double s4 = (e3 * k2 - e1 * k3m) / d;
    const double s5 = (e1 * k3p - e3 * k1) / d;
    r[4] = float(s4);
    r[5] = float(s5);
    r[8] = float(std::sqrt(Square(double(r[5])) + Square(double(r[4])) - double(r[5]) * double(r[4])));
}

ResultStatus ResidualStressCalcThread(const ResidualStressCalcParam& param, const std::atomic<bool>& cancel) {
    if (!param.channels)
        return ResultStatus::DataFileError;
    ResultStatus status = ResultStatus::Done;
    const int count = int(std::min<std::size_t>(param.groups.size(), kMaxResultGroups));
    for (int g = 0; g < count && status != ResultStatus::Cancelled; ++g) {
        const ResultStatus groupStatus = WriteGroupFile(param, g, param.groups[g], nullptr, cancel);
        if (groupStatus != ResultStatus::Done)
            status = groupStatus;
    }
    return status;
}

ResultStatus ResidualStressEccCalcThread(const ResidualStressEccParam& param,
                                         const std::atomic<bool>& cancel) {
    if (!param.channels || param.nGroupIndex < 0 || param.nGroupIndex >= kMaxResultGroups)
        return ResultStatus::DataFileError;
    return WriteGroupFile(param, param.nGroupIndex, param.group, param.alpha, cancel);
}

bool StartResidualStressCalc(CResultWorker& worker, ResidualStressCalcParam param) {
    const std::string key = ResultKey(param);
    const platform::HWND owner = param.hOwner;
    return worker.Start(key, owner, [p = std::move(param)](const std::atomic<bool>& cancel) {
        return ResidualStressCalcThread(p, cancel);
    });
}

bool StartResidualStressEccCalc(CResultWorker& worker, ResidualStressEccParam param) {
    const std::string key = ResultKey(param);
    const platform::HWND owner = param.hOwner;
    return worker.Start(key, owner, [p = std::move(param)](const std::atomic<bool>& cancel) {
        return ResidualStressEccCalcThread(p, cancel);
    });
}
