// Group records of the rosette and residual-stress results: the settings of
// a group as the parameter files keep them and as they head the result files,
// and the result records that follow.
#pragma once

#include <cstdint>

constexpr int kMaxResultGroups = 128;

#pragma pack(push, 1)
struct RosetteGroupRecord {
    char Name[20];           // GBK, zero-terminated
    std::int32_t type;       // rosette kind 0..4
    std::int32_t Channel[4]; // gauge channels; -1 where the kind uses none
    std::int32_t bAlarm;
    std::int32_t AlarmItem; // 0..5, an entry of the result record
    std::int32_t AlarmType; // 0 over, 1 under, 2 inside, 3 outside
    float AlarmValUp;
    float AlarmValDown;
};
static_assert(sizeof(RosetteGroupRecord) == 60);

// Principal strains (microstrain), principal stresses, maximum shear (MPa),
// direction (degrees).
struct RosetteResultRecord {
    float fValue[6];
};
static_assert(sizeof(RosetteResultRecord) == 24);

struct ResidualStressGroupRecord {
    char Name[20];
    std::int32_t type;       // 1
    std::int32_t Channel[3]; // gauges at 0, 45 and 90 degrees
    float ParamE0;           // strain subtracted from every gauge
    std::int32_t bABCalc;    // 1: A and B computed from the geometry
    float ParamA;
    float ParamB;
    float HoleRadius;
    float StrainR1;
    float StrainR2;
    float WidthB;
    float LengthL;
    float HoleS;
};
static_assert(sizeof(ResidualStressGroupRecord) == 76);

struct ResidualStressResultRecord {
    float fValue[9];
};
static_assert(sizeof(ResidualStressResultRecord) == 36);
#pragma pack(pop)

// Gauges a rosette kind uses: 2, 3 or 4; 0 for an unknown kind.
int RosetteGaugeCount(int kind);
