// The texts of the cursor read-out box and the statistics box.
#include "views/curve/CurveViewModel.h"

#include "datafiles/SampleFileFormat.h"
#include "model/ChannelNaming.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::string Fixed(const char* label, int precision, double value) {
    char text[96];
    std::snprintf(text, sizeof text, "%s%.*f", label, std::clamp(precision, 0, 12), value);
    return text;
}

bool IsMarker(float value) {
    return !std::isfinite(value) || IsSpecialValue(value) != 0;
}

// A curve value as the read-out shows it: a marker as its text.
std::string ValueText(const std::string& label, int precision, float value) {
    std::string text;
    if (IsSpecialValue(value) != 0 && FormatSpecialValue(0, value, text) != 0)
        return label + text;
    if (!std::isfinite(value))
        return label;
    return Fixed(label.c_str(), precision, double(value));
}

} // namespace

std::vector<std::string> CCurveViewModel::BuildCursorReadouts(double xStep) {
    std::vector<std::string> lines;
    const int n = std::min(int(m_Curves.size()), kMaxCurves);
    const int points = PointCount();
    if (m_nCursorType <= 0 || n == 0)
        return lines;
    // Without a stored run or a run every value shows as 0.
    const bool hasData = m_bStoredData || m_bSampling;
    const auto value = [&](int curve, int index) { return hasData ? PointValue(curve, index) : 0.0f; };
    const int xp = m_Options.m_nXPrecision, yp = m_Options.m_nYPrecision;
    const double k = m_Options.m_nXShowType == 0 ? 1.0 : xStep;
    const int xPrecision = m_Options.m_nXShowType == 0 ? 0 : xp;
    const int last = std::max(points - 1, 0);
    m_Cursor0 = std::clamp(m_Cursor0, 0, last);
    m_Cursor1 = std::clamp(m_Cursor1, 0, last);
    const int c0 = m_Cursor0, c1 = m_Cursor1;
    const auto x = [&](int cursor) { return double(m_nFirstSample + cursor) * k; };
    char label[32];
    if (m_nShowGraphType == 1) {
        lines.push_back(Fixed("X1:", xPrecision, x(c0)));
        for (int i = 0; i < n; ++i) {
            std::snprintf(label, sizeof label, "Y1%d:", i + 1);
            lines.push_back(ValueText(label, yp, value(i, c0)));
        }
        if (m_nCursorType != 2) {
            // The theory value of each curve at the cursor's stored sample, 0 without one.
            for (int i = 0; m_bTheoryShown && i < n; ++i) {
                const std::size_t sample = std::size_t(std::max(m_nFirstSample + c0, 0));
                const std::vector<float>* theory =
                    std::size_t(i) < m_TheoryValues.size() ? &m_TheoryValues[std::size_t(i)] : nullptr;
                std::snprintf(label, sizeof label, "T_Y%d:", i + 1);
                lines.push_back(
                    Fixed(label, yp, theory && sample < theory->size() ? (*theory)[sample] : 0.0));
            }
            return lines;
        }
        lines.push_back(Fixed("X2:", xPrecision, x(c1)));
        for (int i = 0; i < n; ++i) {
            std::snprintf(label, sizeof label, "Y2%d:", i + 1);
            lines.push_back(ValueText(label, yp, value(i, c1)));
        }
        lines.push_back(Fixed("dx:", xp, double(c1 - c0) * k));
        for (int i = 0; i < n; ++i) {
            std::snprintf(label, sizeof label, "dy%d:", i + 1);
            const float a = value(i, c0), b = value(i, c1);
            lines.push_back(IsMarker(a) || IsMarker(b) ? std::string(label)
                                                       : Fixed(label, yp, double(b) - a));
        }
        return lines;
    }
    if (m_nShowGraphType == 2) {
        char text[64];
        std::snprintf(text, sizeof text, "T: %d ", int(x(c0)));
        lines.push_back(text);
        const int xc = m_bXYRet != 0 ? (m_bXYRefFixX != 0 ? m_nActiveLine : 0) : 2 * m_nActiveLine;
        const int yc = m_bXYRet != 0 ? (m_bXYRefFixX != 0 ? 0 : m_nActiveLine) : 2 * m_nActiveLine + 1;
        const bool paired = xc < n && yc < n && points > 0;
        lines.push_back(ValueText("X: ", xp, paired ? value(xc, c0) : 0.0f));
        lines.push_back(ValueText("Y: ", yp, paired ? value(yc, c0) : 0.0f));
        return lines;
    }
    if (m_nShowGraphType == 3) {
        const int active = std::clamp(m_nActiveLine, 0, n - 1);
        const auto name = [&](int cursor) {
            const int id =
                cursor < int(m_nSelLineID_Group.size()) ? m_nSelLineID_Group[std::size_t(cursor)] : 0;
            return FormatChannelName(id);
        };
        lines.push_back("X1:" + name(c0));
        lines.push_back(ValueText("Y1:", yp, value(active, c0)));
        if (m_nCursorType == 2) {
            lines.push_back("X2:" + name(c1));
            lines.push_back(ValueText("Y2:", yp, value(active, c1)));
        }
    }
    return lines;
}

std::vector<std::string> CCurveViewModel::BuildStatisticsLines() const {
    std::vector<std::string> lines;
    if (m_nShowGraphType < 1 || m_nShowGraphType > 3 || m_Curves.empty())
        return lines;
    const int points = PointCount();
    int from = 0, to = points - 1;
    if (m_nCursorType == 2) {
        from = std::max(std::min(m_Cursor0, m_Cursor1), 0);
        to = std::min(std::max(std::max(m_Cursor0, m_Cursor1), 0), points - 1);
    }
    const int active = std::clamp(m_nActiveLine, 0, int(m_Curves.size()) - 1);
    double maximum = 0.0, minimum = 0.0, sum = 0.0;
    std::vector<float> values;
    if (m_bStoredData || m_bSampling) {
        for (int i = from; i <= to; ++i) {
            const float v = PointValue(active, i);
            if (!IsMarker(v))
                values.push_back(v);
        }
    }
    double mean = 0.0, deviation = 0.0;
    if (!values.empty()) {
        maximum = *std::max_element(values.begin(), values.end());
        minimum = *std::min_element(values.begin(), values.end());
        for (float v : values)
            sum += v;
        mean = sum / double(values.size());
        double squares = 0.0;
        for (float v : values)
            squares += (v - mean) * (v - mean);
        deviation = std::sqrt(squares / double(values.size()));
    }
    const RealViewOption& o = m_STRealViewOption;
    const int yp = m_Options.m_nYPrecision;
    const std::pair<int, std::pair<const char*, double>> shown[] = {
        {o.nMax, {"最大值:", maximum}},
        {o.nMin, {"最小值:", minimum}},
        {o.nAverage, {"平均值:", mean}},
        {o.nStdDev, {"标准差:", deviation}},
        {o.nPeakPeak, {"峰峰值:", maximum - minimum}},
    };
    for (const auto& [on, entry] : shown)
        if (on != 0)
            lines.push_back(Fixed(entry.first, yp, entry.second));
    return lines;
}
