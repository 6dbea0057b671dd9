// The mechanical-property test's numbers: two channels of a stored run read
// in one pass, the plot's ranges, the elastic modulus fitted between two
// cursors and the yield strength by the offset line. Stored markers (no
// value, not balanced) and non-finite values take part in none of them.
#pragma once

#include <string>
#include <vector>

class CDataFileAccess;

// Offset of the yield line in X units: 0.2 % strain when X is in µε.
constexpr double kYieldOffset = 2000.0;
// The smallest X half range of the plot.
constexpr float kMinXHalfRange = 2000.0f;

// Engineering values of the two channels for samples 0..N-1.
struct MechanicalSeries {
    std::vector<float> x;
    std::vector<float> y;
};

// Reads both channels of samples 0..count-1 through the accessor, every
// chunk of the run once for both, in either storage arrangement. A run whose
// file does not open leaves every entry 0; samples past its end are markers.
// Returns 1 when the run was read, 0 when it was not.
int LoadMechanicalSeries(const CDataFileAccess& access, const std::string& path, int count, int xChannel,
                         int yChannel, MechanicalSeries& series);

// A value that stands for a state, not a measurement.
bool IsMechanicalMarker(float value);

struct MechanicalRanges {
    float fXMax = 5000.0f, fXMin = -5000.0f;
    float fYMax = 5000.0f, fYMin = -5000.0f;
    float fXHalfRange = 5000.0f, fYHalfRange = 5000.0f;
};

// The axes of a loaded series: Y ±a and X ±b, with a and b the extremes'
// magnitude rounded up to tens plus ten, X at least ±2000.
MechanicalRanges ComputeMechanicalRanges(const MechanicalSeries& series);

enum MechanicalCursorDirection { kCursorsOnX = 0, kCursorsOnY = 1 };

// Least-squares slope through the samples whose X (or Y, by direction) lies
// between the two cursor values, taken against X less the first one's X.
// Equal cursors, fewer than two samples, a single X value among them or a
// slope that is not finite give 1.0.
float ComputeElasticModulus(const MechanicalSeries& series, float cursor1, float cursor2, int direction);

// The stress where the curve meets the line of slope e through X = 2000:
// the first consecutive pair of samples that touches or crosses it; 0 when
// none does. A pair parallel to the line has no crossing.
float ComputeYieldStrength(const MechanicalSeries& series, float e);
