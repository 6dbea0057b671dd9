// The bar view without its window: up to 128 bars, each showing the current
// value of one channel with the highest value reached, over a buffer of the
// newest sample set (16 values a unit in the order of the online list); the
// layout of the bar cells, the fill geometry, the colours and the view's
// section of the window layout file.
#pragma once

#include "views/shared/GraphDisplayOptions.h"
#include "views/shared/TableWorld.h"

#include <array>
#include <string>
#include <vector>

// What the bar view reads of the program: the table world (online units
// and channels, channel texts and alarms, the stored run) and every
// channel's full scale in engineering units.
struct BarWorld {
    BarWorld() : fullScale(kAnalogChannels, 1.0f) {}
    TableWorld table;
    std::vector<float> fullScale;
};

// The twelve attributes of the property sheet.
struct BarColours {
    COLORREF viewBack = 0xFFFFFF;   // BarViewBack
    COLORREF barBack = 0xC0C0C0;    // BarBack
    COLORREF frame = 0x000000;      // BarFrame
    COLORREF scale = 0x000000;      // BarScale
    COLORREF channelTag = 0x000000; // BarChTag
    COLORREF fore = 0x80FFFF;       // BarFore
    COLORREF maxFore = 0x4080FF;    // BarMaxFore
    COLORREF maxText = 0x800080;    // BarValMaxclr
    COLORREF nowText = 0xFF0000;    // BarValNowclr
    COLORREF inside = 0;            // BarInside: stored and edited only
    COLORREF outside = 0;           // BarOutside: stored and edited only
    int refresh = 10;               // BarRefresh: tenths per second, stored and edited only
    bool operator==(const BarColours&) const = default;
};

struct BarLayout {
    int columns = 1;
    int rows = 1;
    int width = 0; // the scroll area holding every cell
    int height = 0;
};

struct BarRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class CBarViewModel {
public:
    static constexpr int kMaxBars = 128;
    static constexpr int kCellWidth = 130;
    static constexpr int kCellHeight = 230;

    CBarViewModel();

    // --- bars ---
    // The first 128 online channels.
    void TakeOnlineChannels(const BarWorld& world);
    // Takes a choice (1..128 ids of 0..4095); false when it holds none.
    bool SetBars(const std::vector<int>& ids);
    int BarCount() const { return m_nBarCount; }
    int BarId(int bar) const { return m_Ids[std::size_t(bar)]; }
    std::vector<int> BarIds() const;

    // --- data ---
    bool AllocDataBuffer(int caseCount);
    void FreeDataBuffer() { m_Buffer.clear(); }
    bool HasBuffer() const { return !m_Buffer.empty(); }
    // Kind 1: 16 values per online unit of the newest set.
    void ReceiveData(int kind, const float* values, int caseCount);
    // 0 clears every bar; 1 takes each bar's value from the buffer and
    // raises its maximum. False without a buffer.
    bool RefreshValues(int newData, const BarWorld& world);
    float Current(int bar) const { return m_Current[std::size_t(bar)]; }
    float Maximum(int bar) const { return m_Maximum[std::size_t(bar)]; }
    float FullScale(int bar) const { return m_FullScale[std::size_t(bar)]; }
    // The bar shows a value (its channel has one, and it is no marker).
    bool HasValue(int bar) const { return m_HasValue[std::size_t(bar)]; }
    bool HasMaximum(int bar) const { return m_HasMaximum[std::size_t(bar)]; }
    // The current value's text: "%.2f", or a marker's text.
    std::string CurrentText(int bar) const;

    // --- geometry ---
    BarLayout Layout(int clientWidth, int clientHeight) const;
    // The bar of a cell inside a layout of that width.
    BarRect BarOf(int bar, int layoutWidth) const;
    // The y a value reaches from the bar's middle, kept inside the bar; the
    // middle itself for a full scale of 0 or a value that is not finite.
    static int FillY(float value, float fullScale, const BarRect& bar);

    // --- layout file ---
    void SaveLayout(const std::string& file, int index) const;
    void LoadLayout(const std::string& file, int index, const BarWorld& world);

    BarColours m_Colours;

private:
    int m_nBarCount = 1;
    std::array<int, kMaxBars> m_Ids{};
    std::array<float, kMaxBars> m_Current{};
    std::array<float, kMaxBars> m_Maximum{};
    std::array<float, kMaxBars> m_FullScale{};
    std::array<bool, kMaxBars> m_HasValue{};
    std::array<bool, kMaxBars> m_HasMaximum{};
    std::vector<float> m_Buffer;
};
