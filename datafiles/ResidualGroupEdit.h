// The residual-stress group table the residual-stress dialog edits: groups
// built from the dialog's gauges, geometry and coefficients, changed and
// deleted with their channel checks, an import checked against the channel
// range, the list's row texts, and the eccentricity angles of an offset hole.
#pragma once

#include "datafiles/ResultGroupRules.h"

#include <string>
#include <vector>

constexpr const char* RESIDUAL_GROUPS_FULL = "组数设置已达到最大值！";
constexpr const char* RESIDUAL_CHANNEL_REPEATED = "使用的通道有重复设置！";
constexpr const char* RESIDUAL_ECC_QUESTION = "重新计算将去除钻孔偏心修正，是否继续？";
constexpr const char* RESIDUAL_ECC_BAD_OFFSET = "偏心坐标无效，请重新输入！";

// What the dialog's controls hold for a group.
struct ResidualGroupInput {
    int Channel[3] = {0, 0, 0};
    int bABCalc = 0; // 1: A and B from the geometry
    double ParamA = 1.0, ParamB = 1.0;
    double ParamE0 = 0.0;
    double HoleRadius = 0.0, StrainR1 = 1.0, StrainR2 = 1.0, WidthB = 0.5, LengthL = 1.0;
    double HoleS = 1.5;
    double Poisson = 0.0; // of gauge 1's channel
};

std::vector<int> ResidualUsedChannels(const ResidualStressGroupRecord& group);
// A coefficient as its edit shows it when left: "%.3f", 1.000 for a
// magnitude not above 1e-15; and the hole-centre distance, 1.000 when negative.
std::string CoefficientText(double value);
std::string HoleDistanceText(double value);
// The angles of a hole offset by (x, y) from a rosette whose gauges lie d
// from the centre; false for a coordinate or an angle that is not a finite number.
bool EccentricAngles(double x, double y, double d, double alpha[3]);

class CResidualGroupEdit {
public:
    const std::vector<ResidualStressGroupRecord>& Groups() const { return m_groups; }
    int Count() const { return static_cast<int>(m_groups.size()); }
    bool IsFull() const { return Count() >= kMaxResultGroups; }
    void SetGroups(std::vector<ResidualStressGroupRecord> groups);

    GroupEditResult Add(const ResidualGroupInput& input);
    // Applies the controls to a group, which keeps its name.
    GroupEditResult Modify(int index, const ResidualGroupInput& input);
    void Delete(int index);
    void SetName(int index, const std::string& utf8);
    bool Import(const std::vector<ResidualStressGroupRecord>& groups, int lastChannel);

    // The nine columns of the group list.
    std::vector<std::string> Row(int index) const;

private:
    bool Has(int index) const { return index >= 0 && index < Count(); }
    static bool Fill(ResidualStressGroupRecord& group, const ResidualGroupInput& input);
    GroupEditResult Checked() const;

    std::vector<ResidualStressGroupRecord> m_groups;
};
