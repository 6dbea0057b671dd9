// The correction coefficients of one channel as the coefficient-writing
// dialog lists them: the ranges and bridge voltages of the instrument
// description file with the coefficients the hardware reported, and the
// writing of the marked rows to the channel's case, one at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CCommBase;

struct CoefficientEntry {
    std::string strName;
    int nCode = -1;
    float fCoef = 1.0f;
};

// Kinds of coefficient the cases take.
constexpr int COEF_KIND_FULL_SCALE = 0;
constexpr int COEF_KIND_BRIDGE_VOLTAGE = 5;
constexpr int COEF_KIND_CURRENT = 17;

// What the channel-information library reports of a channel.
class ICoefficientSource {
public:
    virtual ~ICoefficientSource() = default;
    virtual int GetAcqChannelTypeID(int channel) = 0;
    virtual int GetChannelSubVersion(int channel) = 0;
    virtual float GetChannelFullCoief(int channel, int code) = 0;
    virtual float GetChannelBrdgeVltCoief(int channel, int code) = 0;
    virtual float GetChannelCurrentPulsCoief(int channel, int index) = 0;
};

// The three lists of a channel. The full-scale list keeps its entries when
// the file lists no range; the bridge-voltage count is the file's, and only
// that many entries are shown.
struct ChannelCoefficients {
    std::vector<CoefficientEntry> full;
    std::vector<CoefficientEntry> bridge;
    int nBridgeCount = 0;
    CoefficientEntry current{"1-4mA", 1, 1.0f};

    // Rows of the bridge-voltage grid: the count, never more than the entries read.
    int BridgeRows() const;
};

// Reads the lists of the channel's type from the instrument description
// file, then asks the source for the channel's coefficients.
void RefreshChannelCoefficients(const std::string& instrumentFile, int channel, ICoefficientSource& source,
                                ChannelCoefficients& lists);

// "name,text=code": the name before the first comma; the code after the first
// '=' that follows the comma. requireEquals: an item without it is skipped
// (false), else the whole text after the comma is the code. False for an
// empty item or one without a comma.
bool ParseCoefficientItem(const std::string& value, bool requireEquals, CoefficientEntry& entry);

// One row of a grid as the write buttons read it.
struct CoefficientRow {
    bool bMarked = false; // "√"
    bool bNamed = false;  // not "--"
    int nCode = 0;
    float fCoef = 1.0f;
};

// Sends the marked, named rows of one kind for the channel (global number)
// to its case through the communication object, pausing between rows; stops
// at the first refused row. 1 when every row went (also when none was
// marked), 0 on the first refusal.
int WriteCoefficientRows(CCommBase& comm, int channel, int kind, const std::vector<CoefficientRow>& rows,
                         const std::function<void()>& pause);
