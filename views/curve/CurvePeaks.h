// The peak list of a curve: its local maxima, the largest first, and the
// texts of the peak output file.
#pragma once

#include <string>
#include <vector>

struct PeakRecord {
    int nIndex = 0; // point index inside the window
    float fTime = 0.0f;
    float fValue = 0.0f;
    bool operator==(const PeakRecord&) const = default;
};

// The local maxima of the series in point order: a point is recorded when
// the next value falls after a rise (a flat top at its last point; a series
// that starts by falling records point 0). Markers take no part. Without a
// maximum the first min(count, limit) values are taken.
std::vector<PeakRecord> FindPeaks(int count, const double* times, const float* values, int limit);

// Puts the largest values first by exchange passes over positions
// 0..shown-1 (entry i and a later entry j trade places when value i <= value
// j, so that among equal values the later one comes first); the entries
// past `shown` are left in no particular order.
void SortPeaksByValue(std::vector<PeakRecord>& records, int shown);

struct PeakList {
    std::vector<PeakRecord> entries; // K entries; those past `found` are (0, 0, 0)
    int found = 0;                   // entries that are real peaks
};

// The K entries of the list over a series.
PeakList BuildPeakList(int K, int count, const double* times, const float* values);

// The entry lines of the list box, one per entry: "%02d" of its number,
// then its time and value in the precisions given, or "No Peak" for an
// entry past the window's point count or whose time text is 9 characters or
// longer. Entries past the real peaks that the window holds show their zero
// time and value. Without stored data the times read 0.
std::vector<std::string> PeakListBoxLines(const PeakList& list, int pointCount, int xPrecision,
                                          int yPrecision, bool storedData);

// The peak output file's text (GBK, "\n" line ends): a heading line and one
// line per entry, numbered from 0, in columns of 20 bytes.
std::string PeakFileText(const PeakList& list, int xPrecision, int yPrecision);
