// The residual-stress group table of the residual-stress dialog.
#include "datafiles/ResidualGroupEdit.h"

#include "datafiles/ResidualStressCalc.h"
#include "model/ChannelNaming.h"
#include "platform/Text.h"

#include <cmath>
#include <utility>

namespace {

double PositiveOrOne(double value) {
    return value <= 0.0 ? 1.0 : value;
}

std::string Fixed3(double value) {
    return platform::Format("%.3f", value);
}

} // namespace

std::vector<int> ResidualUsedChannels(const ResidualStressGroupRecord& group) {
    return std::vector<int>(group.Channel, group.Channel + 3);
}

std::string CoefficientText(double value) {
    return Fixed3(NonZeroCoefficient(value));
}

std::string HoleDistanceText(double value) {
    return Fixed3(value < 0.0 ? 1.0 : value);
}

bool EccentricAngles(double x, double y, double d, double alpha[3]) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(d))
        return false;
    double angles[3];
    CalcEccentricityAngles(x, y, d, angles);
    for (double angle : angles)
        if (!std::isfinite(angle))
            return false;
    std::copy(angles, angles + 3, alpha);
    return true;
}

void CResidualGroupEdit::SetGroups(std::vector<ResidualStressGroupRecord> groups) {
    if (groups.size() > std::size_t(kMaxResultGroups))
        groups.resize(kMaxResultGroups);
    m_groups = std::move(groups);
}

bool CResidualGroupEdit::Fill(ResidualStressGroupRecord& group, const ResidualGroupInput& input) {
    std::copy(input.Channel, input.Channel + 3, group.Channel);
    if (HasSameChannel(ResidualUsedChannels(group)))
        return false;
    group.type = 1;
    group.bABCalc = input.bABCalc ? 1 : 0;
    group.ParamE0 = float(input.ParamE0);
    group.HoleS = float(input.HoleS < 0.0 ? 1.0 : input.HoleS);
    group.HoleRadius = float(input.HoleRadius < 0.0 ? 0.0 : input.HoleRadius);
    group.StrainR1 = float(PositiveOrOne(input.StrainR1));
    group.StrainR2 = float(PositiveOrOne(input.StrainR2));
    group.WidthB = float(PositiveOrOne(input.WidthB));
    group.LengthL = float(PositiveOrOne(input.LengthL));
    double a = input.ParamA, b = input.ParamB;
    if (group.bABCalc)
        CalcReleaseCoefficients(group.HoleRadius, group.StrainR1, group.StrainR2, group.WidthB, group.LengthL,
                                input.Poisson, a, b);
    group.ParamA = float(NonZeroCoefficient(a));
    group.ParamB = float(NonZeroCoefficient(b));
    return true;
}

GroupEditResult CResidualGroupEdit::Checked() const {
    return HasChannelAcrossGroups(m_groups, ResidualUsedChannels) ? GroupEditResult::RepeatedAcross
                                                                  : GroupEditResult::Done;
}

GroupEditResult CResidualGroupEdit::Add(const ResidualGroupInput& input) {
    if (IsFull())
        return GroupEditResult::Full;
    ResidualStressGroupRecord group{};
    if (!Fill(group, input))
        return GroupEditResult::SameChannel;
    SetGroupName(group.Name, std::to_string(Count() + 1));
    m_groups.push_back(group);
    return Checked();
}

GroupEditResult CResidualGroupEdit::Modify(int index, const ResidualGroupInput& input) {
    if (!Has(index))
        return GroupEditResult::NoSelection;
    ResidualStressGroupRecord changed = m_groups[std::size_t(index)];
    if (!Fill(changed, input))
        return GroupEditResult::SameChannel;
    m_groups[std::size_t(index)] = changed;
    return Checked();
}

void CResidualGroupEdit::Delete(int index) {
    if (Has(index))
        m_groups.erase(m_groups.begin() + index);
}

void CResidualGroupEdit::SetName(int index, const std::string& utf8) {
    if (Has(index))
        SetGroupName(m_groups[std::size_t(index)].Name, utf8);
}

bool CResidualGroupEdit::Import(const std::vector<ResidualStressGroupRecord>& groups, int lastChannel) {
    for (const ResidualStressGroupRecord& group : groups)
        if (!ChannelsWithin(ResidualUsedChannels(group), lastChannel))
            return false;
    SetGroups(groups);
    return true;
}

std::vector<std::string> CResidualGroupEdit::Row(int index) const {
    if (!Has(index))
        return std::vector<std::string>(9);
    const ResidualStressGroupRecord& group = m_groups[std::size_t(index)];
    return {std::to_string(index + 1),
            GroupNameText(group.Name),
            FormatChannelName(group.Channel[0]),
            FormatChannelName(group.Channel[1]),
            FormatChannelName(group.Channel[2]),
            Fixed3(group.ParamA),
            Fixed3(group.ParamB),
            Fixed3(group.ParamE0),
            Fixed3(group.HoleS)};
}
